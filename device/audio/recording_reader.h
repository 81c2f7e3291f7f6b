#pragma once
// A recording in a regular file, in whatever a phone recorder, an exchange or
// a sound card wrote: WAV in PCM, float, A-law, µ-law, IMA or Microsoft ADPCM,
// FLAC and the other formats libsndfile reads, at any rate, with any number
// of channels. It becomes 8 kHz 16-bit frames of the first four channels,
// one telephone line each. A file it cannot read is refused with one line
// naming the file's format. The line-audio device and the line check both
// read recordings through this class.
#include <QString>
#include <vector>

#include "device/audio/audio_source.h"
#include "device/audio/rate_converter.h"

typedef struct sf_private_tag SNDFILE;

namespace device {

class RecordingReader : public AudioSource {
 public:
  // Frames read from the file at a time.
  static constexpr int kChunkFrames = 4096;

  explicit RecordingReader(QString path);
  ~RecordingReader() override;

  bool Open(QString* error) override;
  Status Read(int wakeFd, int waitMs, std::vector<int16_t>& out, QString* message) override;
  int Channels() const override { return used_; }
  QString TakeNote() override;

  // What the file is: e.g. "WAV, IMA ADPCM, 11025 Hz, 2 kanal".
  QString Description() const override { return description_; }
  qint64 TotalFrames() const override { return frames8k_; }
  // Names the format of a file from its first bytes, for a refusal:
  // "MP3", "WAV, biçim kodu 0x0161 (WMA)", "tanınmayan bir biçim" ...
  static QString FormatOfHead(const QByteArray& head);

 private:
  bool Start(QString* message);
  QString RefusalOf(const QByteArray& head) const;

  QString path_;
  int fd_ = -1;  // opened and checked; the library reads it
  SNDFILE* file_ = nullptr;
  int channels_ = 0;  // in the file
  int used_ = 0;      // passed on
  qint64 left_ = 0;   // file frames not yet read
  qint64 frames8k_ = -1;
  qint64 missingBytes_ = 0;  // declared in the header but not in the file
  RateConverter converter_;
  std::vector<float> in_;
  QString description_, note_;
};

}  // namespace device
