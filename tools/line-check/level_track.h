#pragma once
// One channel's level over time for the line-check plot: RMS in 50 ms
// blocks, the loudest block kept beside the mean when blocks are merged,
// and whether the sound card clipped anywhere in a block.
// However long the recording, it holds at most kMaxBlocks blocks: when full,
// neighbours are merged and each block covers twice the time.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace linecheck {

class LevelTrack {
 public:
  static constexpr int kBlockSamples = 400;  // 50 ms at 8 kHz
  static constexpr size_t kMaxBlocks = 4096;

  struct Block {
    double meanDbm0 = -100;  // RMS over the block
    double peakDbm0 = -100;  // the loudest 50 ms in it
    bool clipped = false;    // a sample at full scale in it
  };

  void Feed(const int16_t* samples, size_t count);
  // The finished blocks, oldest first; block i starts at i * BlockSamples().
  std::vector<Block> Blocks() const;
  int64_t BlockSamples() const { return blockSamples_; }
  int64_t Position() const { return position_; }

 private:
  struct Power {
    double mean = 0, peak = 0;  // mean square, of full scale
    bool clipped = false;
  };
  void Close();

  std::vector<Power> blocks_;
  int64_t blockSamples_ = kBlockSamples;
  int64_t position_ = 0;
  // The 50 ms block being filled, and the merged block it goes into.
  int64_t squares_ = 0;
  int filled_ = 0;
  bool clipping_ = false;
  Power open_;
  int64_t openSamples_ = 0;
};

}  // namespace linecheck
