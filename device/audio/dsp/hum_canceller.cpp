#include "device/audio/dsp/hum_canceller.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/dsp/dbm0.h"

namespace device::audio {
namespace {

// The raw audio summed over 16 samples (500 Hz) keeps the fundamental
// whole; the loops move once a step of 160 samples (20 ms).
constexpr int kDecimate = 16;
constexpr int kStepSamples = 160;
// Fourth order at 100 Hz: the mains' fundamental passes within 0.1 dB, a
// tone at 440 Hz or above comes out more than 65 dB down with the sum's own
// attenuation.
constexpr double kAntiAliasHz = 100;
constexpr int kDecimatedPerStep = kStepSamples / kDecimate;
constexpr double kStepSeconds = double(kStepSamples) / kSampleRate;
// The audio mixed down by the loop is low-passed twice (about 4 Hz at
// 500 Hz): the image at twice the mains frequency comes out more than 50 dB
// down, so the phasor's turn from step to step is the loop's frequency
// error alone. A share of it is taken each step: the 3 Hz a sound card's
// clock and the mains' own drift may put between nominal and actual is
// pulled in within a second, and the loop's own jitter leaves the
// harmonics 55 dB down or more.
constexpr double kLowPass = 0.05;
constexpr double kTurnGain = 0.15;
constexpr double kMostOffHz = 0.05;  // share of nominal the frequency is kept within
// Long averages over about 20 steps (0.4 s): the phasor coherently and its
// magnitude. A steady tone keeps the two alike; noise and other sounds
// averaged coherently fall well under their magnitude.
constexpr double kLong = 0.05;
constexpr double kLeastCoherence = 0.8;
// When something else fills the low band (a ring's 25 Hz, the decaying
// step after it or after a line reversal), the loops and the harmonics'
// estimates hold still: the fundamental carries less than a quarter of it.
constexpr double kLeastShare = 0.25;
// The 500 Hz samples lose their DC (a one-pole high-pass at about 5 Hz,
// 0.05 dB down at 50 Hz): a sound card's offset in the low band's power
// would call the fundamental drowned for as long as it lasts.
constexpr double kDcPole = 0.937;
// Estimates are held through a ring and the step after it; held longer,
// what fills the low band is no passing sound, and they are let go.
constexpr int kLongestHoldSteps = 3 * kSampleRate / kStepSamples;
// Hum whose fundamental is under this leaves harmonics far under any burst
// once the high-pass has done its part: not worth the processor time.
constexpr double kLeastHumDbm0 = -65;
// Harmonics from the 3rd (the high-pass leaves less than a thousandth of
// the 2nd's power) to 600 Hz, clear of DTMF's lowest tone (697 Hz, less
// 1.5 %).
constexpr int kFirstHarmonic = 3;
constexpr double kHighestHz = 600;
// Least mean squares with a time constant of 0.1 s: 2/mu samples for
// references of unit amplitude.
constexpr float kMu = 2.0f / (0.1f * kSampleRate);
// Hum's harmonics are weaker than its fundamental, and the high-pass takes
// more off them: an estimate that grows past the fundamental is a tone of
// the line's own at a multiple of the mains (Turkey's 450 Hz busy tone,
// the UK's 400 and 450 Hz, North America's 480 Hz), and is held at it.
constexpr double kMostHarmonicShare = 1.0;

double Norm(double r, double i) { return r * r + i * i; }

}  // namespace

bool HumCanceller::Tracker::Locked() const { return m > 0 && std::sqrt(Norm(cr, ci)) >= kLeastCoherence * m; }

double HumCanceller::Tracker::Amplitude() const { return 2 * std::sqrt(Norm(cr, ci)); }

HumCanceller::HumCanceller() : antiAlias_(Butterworth<2>::LowPass(kAntiAliasHz)) {
  for (int i = 0; i < kTable; ++i) cos_[i] = float(std::cos(2 * M_PI * i / kTable));
  for (int k = 0; k < 2; ++k) {
    Tracker& t = trackers_[k];
    t.nominalHz = t.hz = k == 0 ? 50 : 60;
    t.step = uint32_t(std::lround(t.hz / kSampleRate * 4294967296.0));
  }
}

void HumCanceller::Decimated(double raw) {
  dc_ = raw - lastRaw_ + kDcPole * dc_;
  lastRaw_ = raw;
  const double x = dc_;
  for (Tracker& t : trackers_) {
    const uint32_t i = t.phase >> (32 - kTableBits);
    const double r = x * cos_[i], q = -x * cos_[(i + 3 * kTable / 4) & (kTable - 1)];
    t.lr += kLowPass * (r - t.lr), t.li += kLowPass * (q - t.li);
    t.zr += kLowPass * (t.lr - t.zr), t.zi += kLowPass * (t.li - t.zi);
  }
  lowPower_ += x * x;
  // The power through the phasor's own two low-passes: after a loud sound
  // ends, its tail in the phasor is measured against its tail here.
  p1_ += kLowPass * (x * x - p1_);
  p2_ += kLowPass * (p1_ - p2_);
  if (++decimated_ == kDecimatedPerStep) EndOfStep();
}

// Moves one loop on by a step's phasor. The loop's phase runs free: a
// correction of it each step would carry the step's own error (the image
// at twice the mains frequency that 20 ms of 60 Hz does not cancel) into
// the harmonics' references as jitter; the harmonics' estimates follow a
// phase that drifts slowly instead.
void HumCanceller::Retune(Tracker& t) {
  const double zr = t.zr, zi = t.zi;
  const bool held = Drowned(Norm(zr, zi), t.Amplitude());
  const double pr = t.pr, pi = t.pi;
  t.pr = zr, t.pi = zi;
  if (held) return;
  t.cr += kLong * (zr - t.cr);
  t.ci += kLong * (zi - t.ci);
  t.m += kLong * (std::sqrt(Norm(zr, zi)) - t.m);
  // The phasor turns from step to step at the loop's frequency error.
  const double turnR = zr * pr + zi * pi, turnI = zi * pr - zr * pi;
  if (Norm(turnR, turnI) > 0) t.hz += kTurnGain * std::atan2(turnI, turnR) / (2 * M_PI * kStepSeconds);
  t.hz = std::clamp(t.hz, t.nominalHz * (1 - kMostOffHz), t.nominalHz * (1 + kMostOffHz));
  t.step = uint32_t(std::lround(t.hz / kSampleRate * 4294967296.0));
}

// Something else fills the low band when the fundamental carries too small a
// share of it, and it is at least as loud as the hum it hides (`amplitude`,
// the fundamental's as last followed): a quiet band, or one quieter than
// that hum, drowns nothing, so estimates left from hum that stopped, or
// from a ring at the mains frequency, fade instead of being held and
// sounded on.
bool HumCanceller::Drowned(double phasorNorm, double amplitude) const {
  static const double kQuiet = MeanSquareForDbm0(kLeastHumDbm0);
  const double power = std::max(lowPower_ / kDecimatedPerStep, p2_);
  return power >= kQuiet && power >= amplitude * amplitude / 2 && 2 * phasorNorm < kLeastShare * power;
}

void HumCanceller::EndOfStep() {
  decimated_ = 0;
  for (Tracker& t : trackers_) Retune(t);
  const Tracker& followed = trackers_[std::max(active_, 0)];
  held_ = Drowned(Norm(followed.pr, followed.pi), followed.Amplitude());
  // The steps that brought the sound in were learned from as it came (a
  // line reversal's jump drives the estimates far off in a few samples, and
  // the low band's power shows it a step late): the estimates held are
  // those from two steps before.
  if (held_ && heldSteps_ == 0) {
    std::copy(saved_[1], saved_[1] + 2 * kHarmonics, weights_);
  } else if (!held_) {
    std::copy(saved_[0], saved_[0] + 2 * kHarmonics, saved_[1]);
    std::copy(weights_, weights_ + 2 * kHarmonics, saved_[0]);
  }
  heldSteps_ = held_ ? heldSteps_ + 1 : 0;
  if (heldSteps_ > kLongestHoldSteps && active_ >= 0) {
    active_ = -1;
    harmonics_ = 0;
    ForgetEstimates();
  }
  lowPower_ = 0;
  static const double kLeast = 2 * MeanSquareForDbm0(kLeastHumDbm0);
  int best = -1;
  for (int k = 0; k < 2; ++k) {
    const Tracker& t = trackers_[k];
    const double a = t.Amplitude();
    if (t.Locked() && a * a >= kLeast && (best < 0 || a > trackers_[best].Amplitude())) best = k;
  }
  if (best != active_ && !(best < 0 && held_)) {
    active_ = best;
    ForgetEstimates();
    harmonics_ = best < 0 ? 0 : std::min(kHarmonics, int(kHighestHz / trackers_[best].hz) - kFirstHarmonic + 1);
  }
  const double a = active_ < 0 ? 0 : kMostHarmonicShare * trackers_[active_].Amplitude();
  mostWeight_ = float(a * a);
}

void HumCanceller::ForgetEstimates() {
  for (float* w : {weights_, saved_[0], saved_[1]}) std::fill(w, w + 2 * kHarmonics, 0.f);
}

void HumCanceller::Cancel(float& band, uint32_t phase) {
  float c[kHarmonics], s[kHarmonics];
  float estimate = 0;
  for (int j = 0; j < harmonics_; ++j) {
    const uint32_t i = (uint32_t(j + kFirstHarmonic) * phase) >> (32 - kTableBits);
    c[j] = cos_[i];
    s[j] = cos_[(i + 3 * kTable / 4) & (kTable - 1)];
    estimate += weights_[j] * c[j] + weights_[kHarmonics + j] * s[j];
  }
  band -= estimate;
  if (held_) return;
  const float e = kMu * band;
  for (int j = 0; j < harmonics_; ++j) {
    weights_[j] += e * c[j];
    weights_[kHarmonics + j] += e * s[j];
    const float w = weights_[j] * weights_[j] + weights_[kHarmonics + j] * weights_[kHarmonics + j];
    if (w > mostWeight_) {
      const float scale = std::sqrt(mostWeight_ / w);
      weights_[j] *= scale;
      weights_[kHarmonics + j] *= scale;
    }
  }
}

void HumCanceller::Process(const int16_t* raw, float* band, size_t count) {
  // In runs up to the next 500 Hz sample, so a line without hum costs a
  // sum and no more.
  while (count > 0) {
    const size_t take = std::min(count, size_t(kDecimate - summed_));
    if (active_ >= 0) {
      const Tracker& t = trackers_[active_];
      for (size_t n = 0; n < take; ++n) Cancel(band[n], t.phase + uint32_t(n) * t.step);
    }
    for (size_t n = 0; n < take; ++n) sum_ += antiAlias_.Step(raw[n]);
    for (Tracker& t : trackers_) t.phase += uint32_t(take) * t.step;
    summed_ += int(take);
    raw += take, band += take, count -= take;
    if (summed_ == kDecimate) {
      Decimated(sum_ / kDecimate);
      sum_ = 0;
      summed_ = 0;
    }
  }
}

}  // namespace device::audio
