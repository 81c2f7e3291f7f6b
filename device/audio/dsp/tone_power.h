#pragma once
// The power of one frequency over a block of samples (Goertzel), as the mean
// square of a sine of that amplitude, so blocks of any length compare and a
// tone's power reads as its level.
#include <cmath>
#include <cstddef>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

template <class Sample>
double TonePower(const Sample* x, size_t n, double hz, double rate = kSampleRate) {
  if (n == 0) return 0;
  const double c = 2 * std::cos(2 * M_PI * hz / rate);
  double s1 = 0, s2 = 0;
  for (size_t i = 0; i < n; ++i) {
    const double s = double(x[i]) + c * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  return 2 * (s1 * s1 + s2 * s2 - c * s1 * s2) / (double(n) * double(n));
}

}  // namespace device::audio
