#pragma once
// Turns a recording's interleaved float frames, at whatever rate it was
// made, into the decoders' 8 kHz 16-bit frames: libsamplerate when the rate
// differs, a plain conversion when it does not. Shared by every reader.
#include <QString>
#include <cstdint>
#include <vector>

struct SRC_STATE_tag;

namespace device {

class RateConverter {
 public:
  RateConverter() = default;
  ~RateConverter();
  RateConverter(const RateConverter&) = delete;
  RateConverter& operator=(const RateConverter&) = delete;

  // `channels` frames of `rate` Hz in; false with a Turkish reason when the
  // resampler cannot be made.
  bool Start(int rate, int channels, QString* error);
  // Appends the 8 kHz frames of `count` input frames to `out`. Values are
  // full scale at ±1; anything beyond, ±infinity too, is clipped there;
  // anything not a number is 0.
  void Convert(const float* frames, long count, std::vector<int16_t>& out);
  // Appends what the resampler still holds at the end of the recording.
  void Finish(std::vector<int16_t>& out);

 private:
  void Run(const float* frames, long count, bool last, std::vector<int16_t>& out);

  int rate_ = 0;
  int channels_ = 1;
  SRC_STATE_tag* resampler_ = nullptr;
  std::vector<float> clean_, resampled_;
};

}  // namespace device
