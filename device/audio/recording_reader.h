#pragma once
// A recording in a regular file, in whatever a phone recorder, an exchange or
// a sound card wrote: WAV in PCM, float, A-law, µ-law, IMA or Microsoft ADPCM,
// FLAC and the other formats libsndfile reads, at any rate, with any number
// of channels. It becomes 8 kHz 16-bit frames of the first four channels,
// one telephone line each. A file it cannot read is refused with one line
// naming the file's format. The line-audio device and the line check both
// read recordings through this class.
//
// A recording still being written (a call recorder's open file: some process
// holds it open for writing when it is first read) is followed while it
// grows, and ends once it has not grown for kQuietMs of the device clock,
// with a line saying where. One whose header declares more than it holds
// ends with a line saying so, as a cut stream does.
//
// A damaged part of a compressed recording (a FLAC frame the library cannot
// decode) is skipped: the library is opened again past it, a block further
// each time and twice as far as the last, and the part is given as silence
// so that everything after it keeps its time; a note says where and how
// long. A recording nothing further of which decodes ends with a line
// saying how much was lost; one none of which decodes is refused.
#include <QString>
#include <memory>
#include <vector>

#include "device/audio/audio_source.h"
#include "device/audio/rate_converter.h"
#include "device/core/clock.h"

typedef struct sf_private_tag SNDFILE;
struct SF_INFO;

namespace device {

struct RecordingFileIo;

class RecordingReader : public AudioSource {
 public:
  // Frames read from the file at a time.
  static constexpr int kChunkFrames = 4096;
  // A file being written ends when it has not grown for this long.
  static constexpr qint64 kQuietMs = 4000;
  // How often a file being written is looked at while it does not grow.
  static constexpr int kGrowthPollMs = 250;
  // Tries past a part the library cannot decode before the rest counts as
  // lost; the last lands 2^19 blocks on (half a day at 48 kHz).
  static constexpr int kSkipTries = 20;

  explicit RecordingReader(QString path, const MonotonicClock& clock = SteadyClock());
  ~RecordingReader() override;

  bool Open(QString* error) override;
  Status Read(int wakeFd, int waitMs, std::vector<int16_t>& out, QString* message) override;
  int Channels() const override { return used_; }
  QString TakeNote() override;
  bool EndedWhole() const override { return whole_; }

  // What the file is: e.g. "WAV, IMA ADPCM, 11025 Hz, 2 kanal".
  QString Description() const override { return description_; }
  qint64 TotalFrames() const override { return frames8k_; }
  // Names the format of a file from its first bytes, for a refusal:
  // "MP3", "WAV, biçim kodu 0x0161 (WMA)", "tanınmayan bir biçim" ...
  static QString FormatOfHead(const QByteArray& head);

 private:
  bool Start(QString* message);
  // (Re)opens the library on the file as it is now, at the frame reached.
  bool OpenLibrary(SF_INFO* info);
  // The file grew since the library opened it; it is reopened on the rest.
  bool Grew();
  // The library decoded nothing from read_ on: opened again further on;
  // true when it read there (held_ frames in in_, after gap_ of silence).
  bool SkipDamage();
  // Passes on `got` frames read into in_, at read_.
  void Deliver(qint64 got, bool damaged, std::vector<int16_t>& out);
  // Frames [from, to) of the file were not heard: one part with the one before
  // it when they touch, said once it ends.
  void Damaged(qint64 from, qint64 to);
  void NoteDamage();
  QString EndText(bool* whole) const;
  QString RefusalOf(const QByteArray& head) const;

  QString path_;
  const MonotonicClock& clock_;
  int fd_ = -1;  // opened and checked; the library reads it
  std::unique_ptr<RecordingFileIo> io_;
  SNDFILE* file_ = nullptr;
  int channels_ = 0;  // in the file
  int used_ = 0;      // passed on
  int rate_ = 0;
  qint64 left_ = 0;  // file frames not yet read of those the library knows
  qint64 read_ = 0;  // file frames read
  qint64 frames8k_ = -1;
  bool started_ = false;    // the file's head was read and the library opened it once
  bool following_ = false;  // being written: followed while it grows
  qint64 openedBytes_ = 0;  // the file's size when the library last opened it
  qint64 lastGrowthMs_ = 0;
  qint64 delivered_ = 0;                    // file frames passed on (the silence not counted)
  qint64 gap_ = 0;                          // silence still to give for a skipped part
  qint64 held_ = 0;                         // frames read past a skipped part, given after its silence
  bool heldDamaged_ = false;                // the library said those were damaged too
  qint64 damageFrom_ = -1, damageTo_ = -1;  // the damaged part not said yet
  QString failure_;                         // why nothing further decodes, once it does not
  bool whole_ = false;
  RateConverter converter_;
  std::vector<float> in_, silence_;
  QString description_, note_;
};

}  // namespace device
