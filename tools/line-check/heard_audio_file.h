#pragma once
// What cid-line-check heard, kept as a WAV file for replay: exactly the
// frames the line watch judged (8 kHz, 16-bit PCM, one channel per line), so
// the tool and the program read back the same samples and report the same
// events; a source at another rate is not resampled a second time. The
// header is kept current while recording, so a run cut short (Ctrl-C, a
// card unplugged) still leaves a file that reads.
#include <QString>
#include <cstdint>
#include <vector>

typedef struct sf_private_tag SNDFILE;

namespace linecheck {

class HeardAudioFile {
 public:
  explicit HeardAudioFile(QString path);
  ~HeardAudioFile();
  HeardAudioFile(const HeardAudioFile&) = delete;
  HeardAudioFile& operator=(const HeardAudioFile&) = delete;

  // Opens the file before any audio comes, so a path that cannot be written
  // is said at once. A file already there is replaced only once audio
  // arrives, and never when it is `source`, the recording being read.
  bool Create(const QString& source, QString* error);
  // Appends interleaved frames; the first call fixes the channel count.
  bool Write(const std::vector<int16_t>& frames, int channels, QString* error);
  // Completes the file. With nothing heard, a file made by Create is removed
  // again and one that was there is left as it was.
  bool Close(QString* error);

 private:
  bool Start(int channels, QString* error);
  QString Failure(const QString& why) const;

  QString path_;
  int fd_ = -1;
  bool created_ = false;  // by us, not there before
  SNDFILE* file_ = nullptr;
  int channels_ = 0;
};

}  // namespace linecheck
