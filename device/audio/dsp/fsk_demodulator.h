#pragma once
// The soft output of an FSK receiver's tone filters, kept for a few seconds
// so a message can be read again at other bit rates and slicing levels.
//
// Each sample is mixed down by the mark and the space tone; a matched filter
// for each tone sums the products over the last bit and gives the mark's
// power less the space's.
// Divided by the window's own power, that reads the same whatever the level
// and follows an automatic gain or a level step within a bit: a clean mark
// reads about +3.3, a clean space about -3.3, noise near zero. The samples
// themselves and the tone purity over three bits (the share of the power the
// stronger tone catches: a steady carrier near 1, white noise about 0.15) are
// kept beside it.
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
  // Starts afresh, the next sample fed being sample `at`.
  void Restart(int64_t at);

  int64_t Count() const { return n_; }  // samples demodulated
  // Mark power less space power over the bit ending at sample `i`, over the window's power.
  float D(int64_t i) const { return d_[i & (kHistory - 1)]; }
  float Purity(int64_t i) const { return purity_[i & (kHistory - 1)]; }

  // The two filters over the bit ending at sample `i`.
  struct Window {
    double mark = 0, space = 0, power = 0;  // each tone's power, and the window's
    double D() const { return power > kSilentPower ? (mark - space) / power : 0; }
  };
  Window At(int64_t i) const {
    const int64_t k = i & (kHistory - 1);
    return {mark_[k], space_[k], p_[k]};
  }
  float X(int64_t i) const { return x_[i & (kHistory - 1)]; }
  double MarkHz() const { return markHz_; }
  double SpaceHz() const { return spaceHz_; }

 private:
  // A window holding less power than this (in 16-bit sample units) is
  // digital silence: it reads zero rather than a ratio of rounding errors.
  static constexpr double kSilentPower = 1e-6;
  static constexpr int kRing = 32;         // taps kept: more than the longest window
  static constexpr int kLongTaps = 20;     // three bits of purity
  static constexpr int kTablePeriod = 80;  // samples holding whole periods of all four tones
  // The five running products: the mark and space mixed down, and the power.
  struct Tap {
    double mr, mi, sr, si, p;
  };

  void Reset();

  double bit_;  // samples per bit
  double markHz_, spaceHz_;
  float markTable_[kTablePeriod][2], spaceTable_[kTablePeriod][2];
  Tap ring_[kRing] = {};
  Tap full_ = {};  // the newest whole samples of the one-bit window, summed
  Tap long_ = {};  // the three-bit window, summed
  int phase80_ = 0;
  std::vector<float> d_, purity_, x_, mark_, space_, p_;
  int64_t n_ = 0;
  int64_t quiet_ = 0;  // quiet samples written since the last demodulated one
};

}  // namespace device::audio
