#pragma once
// Mains hum's harmonics taken out of the band audio. Couplers and
// transformer-coupled lines pass hum at 50 or 60 Hz, often louder than the
// burst, with odd harmonics 10 to 20 dB under it: the high-pass before this
// removes the fundamental, but the 5th harmonic (250 or 300 Hz) and those
// above it lie at or inside the band's edge, where they swamp a one-bit tone
// filter and a DTMF pair's purity.
//
// The mains frequency is followed on the raw audio (a frequency-locked loop
// on the fundamental, one for 50 and one for 60 Hz, on the audio low-passed
// and summed down to 500 Hz); while one of them holds a steady tone, each harmonic from the
// 3rd to 600 Hz is estimated against that loop's phase (least mean squares,
// time constant 0.1 s, so each notch is about 3 Hz wide and nothing of the
// band's signals is touched) and subtracted. All of it is driven by the samples
// alone, in fixed steps, whatever blocks it is given.
#include <cstddef>
#include <cstdint>

#include "device/audio/dsp/butterworth.h"

namespace device::audio {

class HumCanceller {
 public:
  HumCanceller();
  // `raw`: line audio; `band`: the same samples high-passed, from which the
  // harmonics are taken in place.
  void Process(const int16_t* raw, float* band, size_t count);

 private:
  // Cosine table entries a turn: the phase read to the nearest entry is off
  // by 1/8192 of a turn at most, which leaves a harmonic 62 dB down.
  static constexpr int kTableBits = 12, kTable = 1 << kTableBits;
  static constexpr int kHarmonics = 10;  // the most cancelled (3rd to 12th of 50 Hz)

  // One candidate mains frequency and its loop.
  struct Tracker {
    double nominalHz = 50, hz = 50;
    uint32_t phase = 0, step = 0;  // turns, as a fraction of 2^32, and a sample's turn
    double lr = 0, li = 0;         // the audio mixed down, low-passed once
    double zr = 0, zi = 0;         // and twice: the phasor
    double pr = 0, pi = 0;         // the last step's phasor
    double cr = 0, ci = 0, m = 0;  // long averages: coherent, and of the magnitude
    bool Locked() const;
    double Amplitude() const;  // the fundamental's peak, in sample units
  };

  void Decimated(double raw);
  void EndOfStep();
  void Retune(Tracker& t);
  void Cancel(float& band, uint32_t phase);
  void ForgetEstimates();

  float cos_[kTable];
  Tracker trackers_[2];
  // Before the sum: a call-progress tone near a multiple of 500 Hz (440,
  // 450, 550 Hz) would otherwise fold onto 50 or 60 Hz, lock a loop, and
  // have its own tone cancelled as a harmonic.
  Butterworth<2> antiAlias_;
  double sum_ = 0;          // raw samples summed to the next 500 Hz sample
  double lowPower_ = 0;     // the 500 Hz samples' power this step
  double p1_ = 0, p2_ = 0;  // and low-passed as the phasor is
  // The fundamental's phasor (its squared norm) is drowned by the step's
  // low band, or by the tail of a louder one before it.
  bool Drowned(double phasorNorm, double amplitude) const;
  bool held_ = false;  // something else fills the low band: the estimates hold
  int heldSteps_ = 0;
  double dc_ = 0, lastRaw_ = 0;  // the DC blocker's output and input
  int summed_ = 0, decimated_ = 0;
  int active_ = -1;  // the tracker the canceller follows, -1 for none
  int harmonics_ = 0;
  // Each harmonic's cosine and sine weights, and as they were one and two
  // steps not held ago.
  float weights_[2 * kHarmonics] = {};  // cosines, then sines
  float saved_[2][2 * kHarmonics] = {};
  float mostWeight_ = 0;  // a harmonic's squared amplitude at the most
};

}  // namespace device::audio
