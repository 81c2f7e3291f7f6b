#include "device/audio/dsp/band_activity.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/dbm0.h"

namespace device::audio {
namespace {
// Below this a line is quieter than any sound card hears: a digitally silent
// line's stray bits make no span.
constexpr double kQuietestDbm0 = -75;
}  // namespace

BandActivity::BandActivity() : blocks_(kSmooth, 0.0), smoothed_(kFloorBlocks, 0.0) {}

double BandActivity::FloorDbm0() const {
  if (filledSmoothed_ == 0) return -100;
  const double floor = *std::min_element(smoothed_.begin(), smoothed_.begin() + long(filledSmoothed_));
  return Dbm0FromMeanSquare(floor / (kBlock * kSmooth));
}

void BandActivity::Feed(const float* band, size_t count, std::vector<Span>& out) {
  for (size_t i = 0; i < count; ++i) {
    sum_ += double(band[i]) * band[i];
    ++n_;
    if (++filled_ == kBlock) EndOfBlock(out);
  }
}

void BandActivity::EndOfBlock(std::vector<Span>& out) {
  blocks_[nextBlock_] = sum_;
  nextBlock_ = (nextBlock_ + 1) % blocks_.size();
  sum_ = 0;
  filled_ = 0;
  // The first 50 ms are not yet a whole window: no floor from them.
  if (++blocksSeen_ < kSmooth) return;
  double power = 0;
  for (double b : blocks_) power += b;
  // The floor is judged before this block joins it, so a span's own start
  // does not lift it.
  const bool known = filledSmoothed_ >= size_t(2 * kSmooth);
  const double floor = known ? *std::min_element(smoothed_.begin(), smoothed_.begin() + long(filledSmoothed_)) : 0.0;
  smoothed_[nextSmoothed_] = power;
  nextSmoothed_ = (nextSmoothed_ + 1) % smoothed_.size();
  filledSmoothed_ = std::min(filledSmoothed_ + 1, smoothed_.size());
  if (!known) return;
  static const double kQuietest = MeanSquareForDbm0(kQuietestDbm0) * kBlock * kSmooth;
  const bool loud = power > std::max(floor, kQuietest) * std::pow(10.0, kAboveNoiseDb / 10);
  // A signal lifts the 50 ms power over the floor within a block or two of
  // its start.
  const int64_t blockEnd = n_;
  if (loud) {
    if (!active_) spanStart_ = blockEnd - 2 * kBlock;
    active_ = true;
    lastLoud_ = blockEnd;
    return;
  }
  if (active_ && blockEnd - lastLoud_ >= int64_t(kHangover) * kBlock) {
    active_ = false;
    // The smoothing holds the power up to 50 ms past the signal's end.
    const Span s{std::max<int64_t>(0, spanStart_), lastLoud_ - kBlock * (kSmooth - 1)};
    const int64_t length = s.end - s.start;
    if (length >= kShortest && length <= kLongest) out.push_back(s);
  }
}

}  // namespace device::audio
