#include "device/audio/dsp/alert_tone_detector.h"

#include <cmath>

#include "device/audio/dsp/dbm0.h"

namespace device::audio {
namespace {
constexpr double kLowHz = 2130, kHighHz = 2750;
// Each tone holds at least this share of the block's power, both together
// this much; and the pair is at least this loud.
constexpr double kToneShare = 0.2;
constexpr double kPairShare = 0.7;
constexpr double kFloorDbm0 = -50;

// Power of the tone at `hz` in `x` (Goertzel), as the mean square a sine of
// that amplitude has.
double TonePower(const float* x, int n, double hz) {
  const double c = 2 * std::cos(2 * M_PI * hz / kSampleRate);
  double s1 = 0, s2 = 0;
  for (int i = 0; i < n; ++i) {
    const double s = x[i] + c * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  const double mag2 = s1 * s1 + s2 * s2 - c * s1 * s2;
  return 2 * mag2 / (double(n) * n);
}
}  // namespace

void AlertToneDetector::Feed(const float* band, size_t count, std::vector<WatchEvent>& out) {
  for (size_t i = 0; i < count; ++i) {
    block_[filled_] = band[i];
    ++n_;
    if (++filled_ == kBlock) {
      EndOfBlock(out);
      filled_ = 0;
    }
  }
}

void AlertToneDetector::EndOfBlock(std::vector<WatchEvent>& out) {
  double power = 0;
  for (float v : block_) power += double(v) * v;
  power /= kBlock;
  const double low = TonePower(block_, kBlock, kLowHz), high = TonePower(block_, kBlock, kHighHz);
  const bool tones = power > 0 && low >= kToneShare * power && high >= kToneShare * power &&
                     low + high >= kPairShare * power && Dbm0FromMeanSquare(power) >= kFloorDbm0;
  if (tones) {
    if (run_ == 0) {
      runStart_ = n_ - kBlock;
      lowPower_ = highPower_ = 0;
    }
    ++run_;
    lowPower_ += low;
    highPower_ += high;
    return;
  }
  if (run_ >= kFewestBlocks && run_ <= kMostBlocks) {
    AlertToneEvent a;
    a.start = runStart_;
    a.end = n_ - kBlock;
    a.levelDbm0 = Dbm0FromMeanSquare(std::max(lowPower_, highPower_) / run_);
    a.twistDb = 10 * std::log10(highPower_ / lowPower_);
    out.push_back(a);
  }
  run_ = 0;
}

}  // namespace device::audio
