#include "device/audio/dsp/level_meter.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {
namespace {
constexpr size_t kWindow = kSampleRate / 10;  // 100 ms
// dBm0 of an RMS of full scale: a full-scale square wave.
constexpr double kFullScaleDbm0 = 3.14 + 3.02;
}  // namespace

LevelMeter::LevelMeter() : squares_(kWindow, 0) {}

void LevelMeter::Feed(const int16_t* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const int64_t sq = int64_t(samples[i]) * samples[i];
    sum_ += sq - squares_[next_];
    squares_[next_] = sq;
    next_ = (next_ + 1) % kWindow;
  }
  filled_ = std::min(kWindow, filled_ + count);
}

double LevelMeter::Dbm0() const {
  if (filled_ == 0 || sum_ <= 0) return -100.0;
  const double rms = std::sqrt(double(sum_) / double(filled_));
  return std::max(-100.0, 20.0 * std::log10(rms / 32768.0) + kFullScaleDbm0);
}

int LevelMeter::LevelFromDbm0(double dbm0) { return int(std::clamp(std::lround(dbm0 + 61.0), 0L, long(kMaxLevel))); }

int LevelMeter::Level() const { return LevelFromDbm0(Dbm0()); }

}  // namespace device::audio
