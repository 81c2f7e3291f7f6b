#pragma once
// Levels of 16-bit line audio in dBm0, on the telephony library's reference:
// a full-scale square wave is +6.16 dBm0, a full-scale sine +3.14 dBm0.
#include <algorithm>
#include <cmath>

namespace device::audio {

constexpr double kFullScaleDbm0 = 3.14 + 3.02;
constexpr double kFullScaleMeanSquare = 32768.0 * 32768.0;

// The dBm0 of a mean square of samples; silence reads -100.
inline double Dbm0FromMeanSquare(double meanSquare) {
  if (meanSquare <= 0) return -100.0;
  return std::max(-100.0, 10.0 * std::log10(meanSquare / kFullScaleMeanSquare) + kFullScaleDbm0);
}

inline double MeanSquareForDbm0(double dbm0) {
  return kFullScaleMeanSquare * std::pow(10.0, (dbm0 - kFullScaleDbm0) / 10.0);
}

}  // namespace device::audio
