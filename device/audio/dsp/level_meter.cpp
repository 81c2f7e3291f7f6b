#include "device/audio/dsp/level_meter.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/dsp/dbm0.h"

namespace device::audio {
namespace {
constexpr size_t kWindow = kSampleRate / 10;  // 100 ms
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
  return Dbm0FromMeanSquare(double(sum_) / double(filled_));
}

int LevelMeter::LevelFromDbm0(double dbm0) { return int(std::clamp(std::lround(dbm0 + 61.0), 0L, long(kMaxLevel))); }

int LevelMeter::Level() const { return LevelFromDbm0(Dbm0()); }

}  // namespace device::audio
