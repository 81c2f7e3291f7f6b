#include "device/audio/dsp/line_front_end.h"

#include <cmath>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {
namespace {
// Corner of the high-pass. Sixth order at 300 Hz: 50/60 Hz hum 18 dB above a
// burst comes out more than 60 dB down, its third harmonic (150/180 Hz) 27 to
// 36 dB down, while the lowest tone any receiver needs (697 Hz, DTMF) loses
// less than 0.01 dB.
constexpr double kCornerHz = 300.0;
// Pole quality factors of a sixth-order Butterworth filter.
constexpr double kButterworthQ[] = {0.51763809, 0.70710678, 1.93185165};
}  // namespace

LineFrontEnd::LineFrontEnd() {
  const double w = 2 * M_PI * kCornerHz / kSampleRate;
  for (int k = 0; k < kSections; ++k) {
    // Bilinear-transform high-pass section (the audio-EQ cookbook form).
    const double alpha = std::sin(w) / (2 * kButterworthQ[k]);
    const double a0 = 1 + alpha;
    Section& s = sections_[k];
    s.b0 = (1 + std::cos(w)) / 2 / a0;
    s.b1 = -(1 + std::cos(w)) / a0;
    s.b2 = s.b0;
    s.a1 = -2 * std::cos(w) / a0;
    s.a2 = (1 - alpha) / a0;
  }
}

void LineFrontEnd::Filter(const int16_t* in, size_t count, float* out) {
  for (size_t i = 0; i < count; ++i) {
    double v = in[i];
    for (Section& s : sections_) {
      const double y = s.b0 * v + s.z1;
      s.z1 = s.b1 * v - s.a1 * y + s.z2;
      s.z2 = s.b2 * v - s.a2 * y;
      v = y;
    }
    out[i] = float(v);
  }
  hum_.Process(in, out, count);
}

}  // namespace device::audio
