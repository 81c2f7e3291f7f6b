#include "tools/line-check/level_track.h"

#include <algorithm>
#include <cmath>

namespace linecheck {

namespace {
// A full-scale square wave is +6.16 dBm0 (the telephony library's reference,
// as the program's level meter reads it).
constexpr double kFullScaleDbm0 = 3.14 + 3.02;
}  // namespace

double PowerDbm0(double meanSquare) {
  if (meanSquare <= 0) return -100;
  return std::max(-100.0, 10.0 * std::log10(meanSquare) + kFullScaleDbm0);
}

void LevelTrack::Feed(const int16_t* samples, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    squares_ += int64_t(samples[i]) * samples[i];
    if (++filled_ == kBlockSamples) Close();
  }
  position_ += int64_t(count);
}

void LevelTrack::Close() {
  const double power = double(squares_) / kBlockSamples / (32768.0 * 32768.0);
  squares_ = 0;
  filled_ = 0;
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
    blocks_[i] = {(a.mean + b.mean) / 2, std::max(a.peak, b.peak)};
  }
  blocks_.resize(blocks_.size() / 2);
  blockSamples_ *= 2;
}

std::vector<LevelTrack::Block> LevelTrack::Blocks() const {
  std::vector<Block> out;
  out.reserve(blocks_.size());
  for (const Power& p : blocks_) out.push_back({PowerDbm0(p.mean), PowerDbm0(p.peak)});
  return out;
}

}  // namespace linecheck
