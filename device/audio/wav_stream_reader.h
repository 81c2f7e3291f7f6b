#pragma once
// A live WAV stream from a FIFO (e.g. the simulator's), of unknown length:
// any declared rate is resampled to 8 kHz, any of the usual PCM and float
// encodings becomes 16-bit, and the first four channels are used. Regular
// files, in any format, go through RecordingReader.
#include <QByteArray>

#include "device/audio/audio_source.h"
#include "device/audio/rate_converter.h"
#include "device/audio/wav_header.h"

namespace device {

class WavStreamReader : public AudioSource {
 public:
  explicit WavStreamReader(QString path);
  ~WavStreamReader() override;

  bool Open(QString* error) override;
  Status Read(int wakeFd, int waitMs, std::vector<int16_t>& out, QString* message) override;
  int Channels() const override { return headerDone_ ? used_ : 0; }
  QString TakeNote() override;
  // A FIFO ends when its writer goes, never whole; a file when it has been
  // read, whole when nothing it declared is missing.
  bool EndedWhole() const override { return whole_; }

 private:
  Status Header(QString* message);
  Status Samples(const char* data, qsizetype bytes, std::vector<int16_t>& out, QString* message);
  Status Finish(std::vector<int16_t>& out, QString* message);
  void Convert(const char* frames, qsizetype count, std::vector<int16_t>& out);

  QString path_;
  int fd_ = -1;
  bool fifo_ = false;
  bool headerDone_ = false;
  bool whole_ = false;
  QByteArray head_;     // bytes read before the samples start
  QByteArray partial_;  // bytes of a frame cut by a read
  WavFormat format_;
  int used_ = 0;         // channels passed on
  qint64 dataRead_ = 0;  // sample bytes read so far
  RateConverter converter_;
  std::vector<float> in_;
  QString note_;
};

}  // namespace device
