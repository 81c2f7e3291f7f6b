#pragma once
// Takes a line's twist out of an FSK burst: a shelf between the two tones
// that lifts the weaker tone by the twist measured, so both arrive at one
// level. A line's loss that tilts the band also delays one tone against the
// other; a shelf's phase follows its gain the same way a loop's does, so the
// inverse shelf undoes much of the delay too, which no choice of slicing
// level can: the tail of a loud tone where a weak one begins.
#include <cstddef>

namespace device::audio {

class TwistEqualizer {
 public:
  // `lowHz` and `highHz`: the two tones; `twistDb`: the high tone's level
  // above the low tone's as received (so the shelf gives the high tone
  // `-twistDb` against the low one, and their mean level is kept).
  TwistEqualizer(double lowHz, double highHz, double twistDb);
  void Run(const float* in, size_t count, float* out);

 private:
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double z1_ = 0, z2_ = 0;
};

}  // namespace device::audio
