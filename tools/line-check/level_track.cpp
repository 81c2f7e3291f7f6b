#include "tools/line-check/level_track.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "device/audio/dsp/dbm0.h"

namespace linecheck {

void LevelTrack::Feed(const int16_t* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    squares_ += int64_t(samples[i]) * samples[i];
    // The card's own limit, not a coupler's softer one.
    clipping_ |= samples[i] >= INT16_MAX || samples[i] <= -INT16_MAX;
    if (++filled_ == kBlockSamples) Close();
  }
  position_ += int64_t(count);
}

void LevelTrack::Close() {
  const double power = double(squares_) / kBlockSamples;
  squares_ = 0;
  filled_ = 0;
  open_.clipped |= clipping_;
  clipping_ = false;
  // Running mean over the merged block's 50 ms pieces.
  const double pieces = double(openSamples_ / kBlockSamples);
  open_.mean = (open_.mean * pieces + power) / (pieces + 1);
  open_.peak = std::max(open_.peak, power);
  openSamples_ += kBlockSamples;
  if (openSamples_ < blockSamples_) return;
  blocks_.push_back(open_);
  open_ = {};
  openSamples_ = 0;
  if (blocks_.size() < kMaxBlocks) return;
  for (size_t i = 0; i < blocks_.size() / 2; ++i) {
    const Power& a = blocks_[2 * i];
    const Power& b = blocks_[2 * i + 1];
    blocks_[i] = {(a.mean + b.mean) / 2, std::max(a.peak, b.peak), a.clipped || b.clipped};
  }
  blocks_.resize(blocks_.size() / 2);
  blockSamples_ *= 2;
}

std::vector<LevelTrack::Block> LevelTrack::Blocks() const {
  std::vector<Block> out;
  out.reserve(blocks_.size());
  for (const Power& p : blocks_)
    out.push_back({device::audio::Dbm0FromMeanSquare(p.mean), device::audio::Dbm0FromMeanSquare(p.peak), p.clipped});
  return out;
}

}  // namespace linecheck
