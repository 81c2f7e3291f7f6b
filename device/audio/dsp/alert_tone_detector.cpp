#include "device/audio/dsp/alert_tone_detector.h"

#include <cmath>

#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/tone_power.h"

namespace device::audio {
namespace {
constexpr double kLowHz = 2130, kHighHz = 2750;
// Each tone holds at least this share of the block's power, both together
// this much; and the pair is at least this loud.
constexpr double kToneShare = 0.2;
constexpr double kPairShare = 0.7;
constexpr double kFloorDbm0 = -50;

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
