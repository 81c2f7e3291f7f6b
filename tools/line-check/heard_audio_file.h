#pragma once
// What cid-line-check heard, kept as a WAV file for replay: exactly the
// frames the line watch judged (8 kHz, 16-bit PCM, one channel per line), so
// the tool and the program read back the same samples and report the same
// events; a source at another rate is not resampled a second time. It is
// written beside its place (safe_output.h) with its header kept current, so
// a run killed outright still leaves a temporary file that reads, and it
// takes its place when the run ends.
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "tools/line-check/safe_output.h"

typedef struct sf_private_tag SNDFILE;

namespace linecheck {

class HeardAudioFile {
 public:
  explicit HeardAudioFile(std::unique_ptr<OutputFile> target);
  ~HeardAudioFile();
  HeardAudioFile(const HeardAudioFile&) = delete;
  HeardAudioFile& operator=(const HeardAudioFile&) = delete;

  // Makes the temporary file before any audio comes, so a place that cannot
  // be written is said at once.
  bool Create(QString* error);
  // Appends interleaved frames; the first call fixes the channel count.
  bool Write(const std::vector<int16_t>& frames, int channels, QString* error);
  // Completes the file and puts it in place. With nothing heard, nothing
  // is put there: a file that was there is left as it was.
  bool Close(QString* error);

 private:
  bool Start(int channels, QString* error);

  std::unique_ptr<OutputFile> target_;
  int fd_ = -1;
  SNDFILE* file_ = nullptr;
  int channels_ = 0;
};

// Writes one channel's `samples` (8 kHz) as a 16-bit PCM WAV file into
// `target`; false with a Turkish line.
bool WriteWav(OutputFile& target, const std::vector<int16_t>& samples, QString* error);

}  // namespace linecheck
