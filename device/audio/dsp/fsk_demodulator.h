#pragma once
// The soft output of an FSK receiver's tone filters, kept for a few seconds
// so a message can be read again at other bit rates and slicing levels.
//
// Each sample, a matched filter one bit long for each tone (mark and space
// mixed down and summed over the last bit) gives the mark's power less the
// space's. Divided by the window's own power, that reads the same whatever
// the level and follows an automatic gain or a level step within a bit: a
// clean mark reads about +3.3, a clean space about -3.3, noise near zero. The
// filters' energy, the window's power, the samples themselves and the tone
// purity over three bits (the share of the power the stronger tone catches:
// a steady carrier near 1, white noise about 0.15) are kept beside it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/audio/standard.h"

namespace device::audio {

class FskDemodulator {
 public:
  static constexpr int kHistory = 1 << 15;  // 4 s: longer than any message

  explicit FskDemodulator(Standard tones);
  void Feed(const float* x, size_t count);
  // `count` samples of a line so quiet it carries nothing: the history reads
  // zero there and the filters start afresh after it.
  void FeedQuiet(size_t count);

  int64_t Count() const { return n_; }  // samples demodulated
  // Mark power less space power over the bit ending at sample `i`, over the window's power.
  float D(int64_t i) const { return d_[i & (kHistory - 1)]; }
  float Energy(int64_t i) const { return e_[i & (kHistory - 1)]; }  // mark power and space power
  float Power(int64_t i) const { return p_[i & (kHistory - 1)]; }   // the window's power
  float Purity(int64_t i) const { return purity_[i & (kHistory - 1)]; }
  float X(int64_t i) const { return x_[i & (kHistory - 1)]; }
  double MarkHz() const { return markHz_; }

 private:
  static constexpr int kRing = 32;         // taps kept: more than the longest window
  static constexpr int kLongTaps = 20;     // three bits of purity
  static constexpr int kTablePeriod = 80;  // samples holding whole periods of all four tones
  // The five running products: the mark and space mixed down, and the power.
  struct Tap {
    double mr, mi, sr, si, p;
  };

  void Reset();

  double bit_;  // samples per bit
  double markHz_;
  float markTable_[kTablePeriod][2], spaceTable_[kTablePeriod][2];
  Tap ring_[kRing] = {};
  Tap full_ = {};  // the newest whole samples of the one-bit window, summed
  Tap long_ = {};  // the three-bit window, summed
  int phase80_ = 0;
  std::vector<float> d_, e_, p_, purity_, x_;
  int64_t n_ = 0;
};

}  // namespace device::audio
