#pragma once
// What every receiver hears first: a high-pass that keeps the telephone band
// and removes what lies below it, and a canceller for the mains hum's
// harmonics that reach into the band. Couplers pass mains hum (50 or 60 Hz
// and its odd harmonics, often louder than the burst), the 25 Hz ringing
// voltage and the DC steps a ring or a line reversal leaves; none of it
// carries caller ID, and left in it biases the tone filters and DTMF twist.
#include <cstddef>
#include <cstdint>

#include "device/audio/dsp/butterworth.h"
#include "device/audio/dsp/hum_canceller.h"

namespace device::audio {

class LineFrontEnd {
 public:
  LineFrontEnd();
  // Filters `count` samples of 8 kHz line audio into `out`.
  void Filter(const int16_t* in, size_t count, float* out);

 private:
  Butterworth<3> highPass_;  // sixth order
  HumCanceller hum_;
};

}  // namespace device::audio
