#pragma once
// Butterworth low- and high-passes of even order as cascades of
// second-order sections (the audio-EQ cookbook's bilinear form, transposed
// direct form II), for 8 kHz line audio.
#include <cmath>
#include <cstddef>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

template <int Sections>
class Butterworth {
 public:
  static Butterworth LowPass(double cornerHz) { return Butterworth(cornerHz, false); }
  static Butterworth HighPass(double cornerHz) { return Butterworth(cornerHz, true); }

  double Step(double v) {
    for (Section& s : sections_) {
      const double y = s.b0 * v + s.z1;
      s.z1 = s.b1 * v - s.a1 * y + s.z2;
      s.z2 = s.b2 * v - s.a2 * y;
      v = y;
    }
    return v;
  }

 private:
  struct Section {
    double b0 = 0, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double z1 = 0, z2 = 0;
  };

  Butterworth(double cornerHz, bool high) {
    const double w = 2 * M_PI * cornerHz / kSampleRate, cw = std::cos(w);
    for (int k = 0; k < Sections; ++k) {
      // The pole pairs' quality factors of a Butterworth filter of order 2N.
      const double q = 1 / (2 * std::cos((2 * k + 1) * M_PI / (4 * Sections)));
      const double alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
      Section& s = sections_[k];
      s.b0 = (high ? 1 + cw : 1 - cw) / 2 / a0;
      s.b1 = (high ? -(1 + cw) : 1 - cw) / a0;
      s.b2 = s.b0;
      s.a1 = -2 * cw / a0;
      s.a2 = (1 - alpha) / a0;
    }
  }

  Section sections_[Sections];
};

}  // namespace device::audio
