#include "device/audio/dsp/twist_equalizer.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {
namespace {

struct Coefficients {
  double b0, b1, b2, a1, a2;
};

// A high shelf at `hz` (the audio-EQ cookbook's, slope 1).
Coefficients HighShelf(double hz, double gainDb) {
  const double w = 2 * M_PI * hz / kSampleRate, cw = std::cos(w), alpha = std::sin(w) / (2 * M_SQRT1_2);
  const double a = std::pow(10.0, gainDb / 40), s = 2 * std::sqrt(a) * alpha;
  const double a0 = (a + 1) - (a - 1) * cw + s;
  return {a * ((a + 1) + (a - 1) * cw + s) / a0, -2 * a * ((a - 1) + (a + 1) * cw) / a0,
          a * ((a + 1) + (a - 1) * cw - s) / a0, 2 * ((a - 1) - (a + 1) * cw) / a0, ((a + 1) - (a - 1) * cw - s) / a0};
}

double GainDb(const Coefficients& c, double hz) {
  const std::complex<double> z = std::polar(1.0, -2 * M_PI * hz / kSampleRate);  // z^-1
  return 20 * std::log10(std::abs((c.b0 + z * (c.b1 + z * c.b2)) / (1.0 + z * (c.a1 + z * c.a2))));
}

}  // namespace

TwistEqualizer::TwistEqualizer(double lowHz, double highHz, double twistDb) {
  const double centre = (lowHz + highHz) / 2, want = -twistDb;
  auto difference = [&](double shelfDb) {
    const Coefficients c = HighShelf(centre, shelfDb);
    return GainDb(c, highHz) - GainDb(c, lowHz);
  };
  // A shelf's own gain spreads over more than the interval between the
  // tones: the difference between them grows with it, at about half of it.
  double lo = std::min(0.0, 4 * want), hi = std::max(0.0, 4 * want);
  for (int i = 0; i < 60; ++i) {
    const double mid = (lo + hi) / 2;
    (difference(mid) < want ? lo : hi) = mid;
  }
  const Coefficients c = HighShelf(centre, (lo + hi) / 2);
  const double scale = std::pow(10.0, -(GainDb(c, lowHz) + GainDb(c, highHz)) / 40);
  b0_ = c.b0 * scale, b1_ = c.b1 * scale, b2_ = c.b2 * scale, a1_ = c.a1, a2_ = c.a2;
}

void TwistEqualizer::Run(const float* in, size_t count, float* out) {
  for (size_t i = 0; i < count; ++i) {
    const double v = in[i], y = b0_ * v + z1_;
    z1_ = b1_ * v - a1_ * y + z2_;
    z2_ = b2_ * v - a2_ * y;
    out[i] = float(y);
  }
}

}  // namespace device::audio
