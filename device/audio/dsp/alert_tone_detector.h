#pragma once
// The dual-tone alerting signal (2130 + 2750 Hz, 75 to 100 ms) an exchange
// sends before caller ID without ringing, and as a call-waiting alert. Both
// tones must carry most of the band's power together, so a V.23 space tone
// (2100 Hz, next to the lower one) or DTMF is never taken for it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/audio/dsp/line_events.h"

namespace device::audio {

class AlertToneDetector {
 public:
  static constexpr int kBlock = kSampleRate / 50;  // 20 ms: 50 Hz apart, the tones well resolved
  // Runs of blocks that make an alert: 60 to 140 ms, with the block edges'
  // slack around the standard's 75 to 100 ms.
  static constexpr int kFewestBlocks = 3;
  static constexpr int kMostBlocks = 7;

  // `band`: line audio in the telephone band.
  void Feed(const float* band, size_t count, std::vector<WatchEvent>& out);

 private:
  void EndOfBlock(std::vector<WatchEvent>& out);

  float block_[kBlock] = {};
  int filled_ = 0;
  int64_t n_ = 0;
  int run_ = 0;  // blocks in a row holding the two tones
  int64_t runStart_ = 0;
  double lowPower_ = 0, highPower_ = 0;  // summed over the run
};

}  // namespace device::audio
