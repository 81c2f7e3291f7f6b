#pragma once
// The one way from an audio target to its lines: which reader a path needs
// (a sound card's capture node, a live WAV stream from a FIFO, a recording),
// and each line's samples split out of the interleaved frames. The program's
// line-audio device and cid-line-check both come in here, so they hear a
// card, a stream and a recording alike.
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/audio/audio_source.h"

namespace device {

struct AudioInput {
  enum class Kind { SoundCard, Stream, Recording } kind = Kind::Recording;
  std::unique_ptr<AudioSource> source;  // not opened yet
  QString cardSerial;                   // a sound card's USB serial number, when it has one
};

// The reader for `path`; false with one Turkish line in *error when the
// path is none of the three (gone, a directory, another device).
bool MakeAudioInput(const QString& path, AudioInput* input, QString* error);

// Splits interleaved frames into one run of samples per line.
class ChannelSplitter {
 public:
  // `frames` holds whole frames of `channels` samples each.
  void Split(const std::vector<int16_t>& frames, int channels);
  size_t Count() const { return count_; }  // samples per line of the last split
  const int16_t* Line(int channel) const { return lines_[size_t(channel)].data(); }

 private:
  std::vector<std::vector<int16_t>> lines_;
  size_t count_ = 0;
};

}  // namespace device
