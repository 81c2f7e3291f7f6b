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
}  // namespace

LineFrontEnd::LineFrontEnd() : highPass_(Butterworth<3>::HighPass(kCornerHz)) {}

void LineFrontEnd::Filter(const int16_t* in, size_t count, float* out) {
  for (size_t i = 0; i < count; ++i) out[i] = float(highPass_.Step(in[i]));
  hum_.Process(in, out, count);
}

}  // namespace device::audio
