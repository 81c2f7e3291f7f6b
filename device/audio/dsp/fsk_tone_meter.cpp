#include "device/audio/dsp/fsk_tone_meter.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/dsp/median.h"
#include "device/audio/dsp/tone_power.h"
#include "device/audio/dsp/tones.h"

namespace device::audio {
namespace {
using Complex = std::complex<double>;

// One tone rules a position when its sum holds this much more power than
// the other's (10 dB); of those positions the ones with at least this share
// of the usual power are inside a run of that tone, away from its edges.
constexpr double kRuling = 10;
constexpr double kInsideRun = 0.5;
// A run this long (in positions) is the mark signal's.
constexpr int kLongRun = 120;
// The line's filters smear each change of tone over a few samples more.
constexpr size_t kRunHead = 3, kRunTail = 5;
// Positions of a tone needed for its figures.
constexpr size_t kFewestPositions = 8;
// A tone change counts while the carrier is there: the two tones' sums,
// each against its own level, add up to this much.
constexpr double kCarrierThere = 0.3;
// The bit clock is looked for within this share of 1200 bit/s, in steps of
// this many bit/s, and believed when the changes agree on it this well.
constexpr double kRateReach = 0.1;
constexpr double kRateStep = 0.5;
constexpr double kLeastClockAgreement = 0.3;
constexpr size_t kFewestChanges = 20;
// A tone not found where it was looked for is looked for this far about it,
// in steps of this share (a tone this far off still rules its sum).
constexpr double kSearchReach = 0.15, kSearchStep = 0.01;

// The sum of the last `length` samples of `x` mixed down by `hz`, then the
// tone's mirror image taken out: mixing a real tone leaves a copy turning at
// twice the mixing frequency backwards, which a zero there removes (else it
// sways the phase the tone turns through by a few hertz over short runs).
std::vector<Complex> Track(const std::vector<float>& x, double hz, int length) {
  std::vector<Complex> mixed(x.size()), out(x.size());
  const Complex image = std::polar(1.0, -2 * 2 * M_PI * hz / kSampleRate);
  Complex acc, last;
  for (size_t k = 0; k < x.size(); ++k) {
    mixed[k] = double(x[k]) * std::polar(1.0, -2 * M_PI * hz * double(k) / kSampleRate);
    acc += mixed[k];
    if (k >= size_t(length)) acc -= mixed[k - size_t(length)];
    out[k] = acc - image * last;
    last = acc;
  }
  return out;
}

// The track's gain for a tone `offsetHz` from `hz`, where it was mixed: the
// sum's, and the image's zero's.
double Gain(double offsetHz, double hz, int length) {
  const double a = M_PI * offsetHz / kSampleRate;
  const double sum = std::fabs(a) < 1e-9 ? length : std::fabs(std::sin(length * a) / std::sin(a));
  const double zero = std::abs(1.0 - std::polar(1.0, -2 * 2 * M_PI * hz / kSampleRate - 2 * a));
  return sum * zero;
}

struct Tone {
  std::vector<size_t> positions;  // where it rules, inside its runs
  double offsetHz = 0, power = 0;
};

Tone Ruling(const std::vector<Complex>& own, const std::vector<Complex>& other, int length) {
  Tone t;
  std::vector<double> powers;
  const auto rules = [&](size_t k) { return std::norm(own[k]) >= kRuling * std::norm(other[k]); };
  for (size_t k = size_t(length); k < own.size(); ++k)
    if (rules(k)) powers.push_back(std::norm(own[k]));
  if (powers.size() < kFewestPositions) return t;
  const double usual = MedianOf(powers);
  double power = 0;
  std::vector<std::pair<double, int>> runs;  // each run's turns summed, and how many
  // Each run of positions the tone rules, less its edges: at its start the
  // sum still holds the other tone until the sum's length has passed, at its
  // end the next tone has already come in a sample or two before it loses.
  for (size_t a = size_t(length); a < own.size();) {
    if (!rules(a)) {
      ++a;
      continue;
    }
    size_t b = a;
    while (b + 1 < own.size() && rules(b + 1)) ++b;
    std::pair<double, int> run{0, 0};
    for (size_t k = a + size_t(length) + kRunHead; k + kRunTail <= b; ++k) {
      if (std::norm(own[k]) < kInsideRun * usual) continue;
      if (!t.positions.empty() && t.positions.back() == k - 1) {
        // A mean of the turns, in which the mixing's image, rotating, cancels run by run.
        run.first += std::arg(own[k] * std::conj(own[k - 1]));
        ++run.second;
      }
      t.positions.push_back(k);
      power += std::norm(own[k]);
    }
    if (run.second > 0) runs.push_back(run);
    a = b + 1;
  }
  if (t.positions.empty()) return t;
  t.power = power / double(t.positions.size());
  // A long run (the mark signal) tells the tone best: where there is one,
  // the short runs of the message are left out.
  const bool longRun = std::any_of(runs.begin(), runs.end(), [](const auto& r) { return r.second >= kLongRun; });
  double turn = 0;
  int turns = 0;
  for (const auto& [sum, count] : runs)
    if (!longRun || count >= kLongRun / 4) turn += sum, turns += count;
  if (turns > 0) t.offsetHz = turn / turns * kSampleRate / (2 * M_PI);
  return t;
}

double NoisePower(const std::vector<std::vector<float>>& noise, double hz, int length) {
  double sum = 0;
  size_t n = 0;
  for (const std::vector<float>& block : noise) {
    const std::vector<Complex> z = Track(block, hz, length);
    for (size_t k = size_t(length); k < z.size(); ++k, ++n) sum += std::norm(z[k]);
  }
  return n ? sum / double(n) : 0;
}

// Where the ruling tone changes, each tone's sum against its own level.
std::vector<double> Changes(const std::vector<Complex>& mark, const std::vector<Complex>& space, double markPower,
                            double spacePower, int length) {
  std::vector<double> at;
  double last = 0;
  for (size_t k = size_t(length); k < mark.size(); ++k) {
    const double m = std::norm(mark[k]) / markPower, s = std::norm(space[k]) / spacePower;
    const double side = s - m;
    if (m + s < kCarrierThere) {
      last = 0;
      continue;
    }
    if (last != 0 && (side > 0) != (last > 0)) at.push_back(double(k - 1) + last / (last - side));
    last = side;
  }
  return at;
}

// The bit clock: every change falls on a whole number of bits, so at the
// true rate they all turn the same way in a phasor that turns once a bit.
std::optional<double> BitRate(const std::vector<double>& at) {
  if (at.size() < kFewestChanges) return std::nullopt;
  const double first = kFskBitRate * (1 - kRateReach);
  const int steps = int(2 * kRateReach * kFskBitRate / kRateStep) + 1;
  std::vector<Complex> phasor(at.size()), step(at.size());
  for (size_t i = 0; i < at.size(); ++i) {
    phasor[i] = std::polar(1.0, 2 * M_PI * first * at[i] / kSampleRate);
    step[i] = std::polar(1.0, 2 * M_PI * kRateStep * at[i] / kSampleRate);
  }
  std::vector<double> agreement(static_cast<size_t>(steps));
  for (int s = 0; s < steps; ++s) {
    Complex sum;
    for (size_t i = 0; i < at.size(); ++i) {
      sum += phasor[i];
      phasor[i] *= step[i];
    }
    agreement[size_t(s)] = std::abs(sum) / double(at.size());
  }
  const int best = int(std::max_element(agreement.begin(), agreement.end()) - agreement.begin());
  if (agreement[size_t(best)] < kLeastClockAgreement) return std::nullopt;
  double fine = 0;
  if (best > 0 && best + 1 < steps) {
    const double a = agreement[size_t(best - 1)], b = agreement[size_t(best)], c = agreement[size_t(best + 1)];
    if (a - 2 * b + c < 0) fine = 0.5 * (a - c) / (a - 2 * b + c);
  }
  return first + (best + fine) * kRateStep;
}

}  // namespace

FskToneFigures FskToneMeter::Measure(const std::vector<float>& x, double markHz, double spaceHz,
                                     const std::vector<std::vector<float>>& noise) {
  FskToneFigures f = MeasureAt(x, markHz, spaceHz, noise);
  // A tone not where it was looked for (a clock far off, the other
  // standard's tones): looked for in steps about it, the one heard longest
  // taken.
  for (int missing = 0; missing < 2; ++missing) {
    if (missing == 0 ? f.markHz.has_value() : f.spaceHz.has_value()) continue;
    const double nominal = missing == 0 ? markHz : spaceHz;
    size_t best = 0;
    for (double step = -kSearchReach; step <= kSearchReach + 1e-9; step += kSearchStep) {
      const double hz = nominal * (1 + step);
      const FskToneFigures g = missing == 0 ? MeasureAt(x, hz, spaceHz, noise) : MeasureAt(x, markHz, hz, noise);
      const size_t heard = missing == 0 ? g.markPositions : g.spacePositions;
      if ((missing == 0 ? g.markHz : g.spaceHz) && heard > best) best = heard, f = g;
    }
  }
  // Once more about the tones found: a tone mixed down to nothing sits at the
  // middle of its sum's passband and the other tone in its null.
  if (f.markHz && f.spaceHz) f = MeasureAt(x, *f.markHz, *f.spaceHz, noise);
  return f;
}

FskToneFigures FskToneMeter::MeasureAt(const std::vector<float>& x, double markHz, double spaceHz,
                                       const std::vector<std::vector<float>>& noise) {
  FskToneFigures f;
  const int length = std::max(6, int(std::lround(kSampleRate / std::fabs(spaceHz - markHz))));
  const std::vector<Complex> mark = Track(x, markHz, length), space = Track(x, spaceHz, length);
  const Tone m = Ruling(mark, space, length), s = Ruling(space, mark, length);
  f.markPositions = m.positions.size();
  f.spacePositions = s.positions.size();
  if (m.positions.size() >= kFewestPositions) f.markHz = markHz + m.offsetHz;
  if (s.positions.size() >= kFewestPositions) f.spaceHz = spaceHz + s.offsetHz;
  if (!f.markHz && !f.spaceHz) return f;
  if (!f.markHz || !f.spaceHz) {
    // One tone so much weaker that it never rules its own sum: it shows in
    // the spectrum still. The tones share a burst about evenly, so their
    // powers over it compare as their levels do, to within a dB or two.
    const double strong = TonePower(x.data(), x.size(), f.markHz ? *f.markHz : *f.spaceHz);
    const double weak = TonePower(x.data(), x.size(), f.markHz ? spaceHz : markHz);
    if (strong > 0 && weak > 0) f.twistDb = (f.markHz ? 10 : -10) * std::log10(weak / strong);
    return f;
  }
  // Each tone's own level: its sum's power, the noise's share taken off,
  // for the sum's gain at where the tone really lies.
  const double markLevel =
      (m.power - NoisePower(noise, markHz, length)) / std::pow(Gain(m.offsetHz, markHz, length), 2);
  const double spaceLevel =
      (s.power - NoisePower(noise, spaceHz, length)) / std::pow(Gain(s.offsetHz, spaceHz, length), 2);
  if (markLevel > 0 && spaceLevel > 0) f.twistDb = 10 * std::log10(spaceLevel / markLevel);
  const std::vector<double> at = Changes(mark, space, m.power, s.power, length);
  f.bitRate = BitRate(at);
  f.tonesPerBit = double(at.size()) / (double(x.size()) * kFskBitRate / kSampleRate);
  return f;
}

}  // namespace device::audio
