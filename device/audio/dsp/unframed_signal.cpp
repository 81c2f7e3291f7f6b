#include "device/audio/dsp/unframed_signal.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <set>

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/median.h"
#include "device/audio/dsp/tone_power.h"
#include "device/audio/dsp/tones.h"

namespace device::audio {
namespace {

constexpr int kFrame = 256;  // 32 ms, 31 Hz bins
constexpr double kLowestHz = 600, kHighestHz = 2700, kStepHz = 10;
constexpr int kBins = int((kHighestHz - kLowestHz) / kStepHz) + 1;
// Two tones this far apart that hold this share of the signal are an FSK
// pair; V.23 tones lie 800 Hz apart, Bell 202 1000, each scaled by a
// clock's error, and each within this share of its standard's.
constexpr double kPairLeastHz = 650, kPairMostHz = 1150, kPairBetweenHz = 890;
constexpr double kPairShare = 0.4;
constexpr double kNearNominal = 0.15;
constexpr double kRatioNear = 0.03;
// The weaker tone holds at least this share: a tone 17 dB under the other
// still does; a sidelobe of another modem's pair does not.
constexpr double kWeakerToneShare = 0.02;
// A main lobe of the window: this many grid steps either side of a peak.
constexpr int kLobe = 6;
// A channel seizure changes tone every bit: the discriminator between the
// tones turns back this often, where the FSK band holds this share.
constexpr double kSeizureChanges = 0.8;
constexpr double kFskBandShare = 0.7;
constexpr double kSeizureLineShare = 0.5;
// DTMF: frames whose low and high group tones hold this share, the digits
// at least this many different keys (a steady pair is no digit string).
constexpr double kDtmfFrameShare = 0.6;
constexpr size_t kFewestKeys = 3;
constexpr double kDtmfShiftReach = 0.12, kDtmfShiftStep = 0.001, kDtmfMatch = 0.012;

double HzOf(int bin) { return kLowestHz + bin * kStepHz; }

struct Spectrum {
  std::vector<std::vector<double>> frames;  // per frame, per bin: a tone's mean square
  std::vector<double> framePower;           // per frame: its mean square
  std::vector<double> total;                // summed over the frames
  double all = 0;
};

Spectrum Analyse(const std::vector<float>& x) {
  Spectrum s;
  const size_t frames = x.size() / kFrame;
  s.total.assign(kBins, 0.0);
  std::vector<float> w(kFrame);
  for (size_t f = 0; f < frames; ++f) {
    double p = 0;
    for (int i = 0; i < kFrame; ++i) {
      const float v = x[f * kFrame + size_t(i)];
      w[size_t(i)] = float((0.5 - 0.5 * std::cos(2 * M_PI * i / kFrame)) * v);
      p += double(v) * v;
    }
    s.framePower.push_back(p / kFrame);
    std::vector<double> bins(kBins);
    // A Hann window keeps a quarter of a tone's power at its bin's centre.
    for (int b = 0; b < kBins; ++b)
      s.total[size_t(b)] += bins[size_t(b)] = 4 * TonePower(w.data(), size_t(kFrame), HzOf(b));
    s.frames.push_back(std::move(bins));
  }
  for (double v : s.total) s.all += v;
  return s;
}

// A peak's frequency between grid points: a parabola through its
// neighbours' log powers.
double PeakHz(const std::vector<double>& s, int b) {
  if (b <= 0 || b + 1 >= int(s.size()) || s[size_t(b - 1)] <= 0 || s[size_t(b)] <= 0 || s[size_t(b + 1)] <= 0)
    return HzOf(b);
  const double l = std::log(s[size_t(b - 1)]), c = std::log(s[size_t(b)]), r = std::log(s[size_t(b + 1)]);
  const double den = l - 2 * c + r;
  return HzOf(b) + (den < 0 ? 0.5 * (l - r) / den * kStepHz : 0);
}

double Near(const std::vector<double>& s, int b) {
  double sum = 0;
  for (int k = std::max(0, b - kLobe); k <= std::min(kBins - 1, b + kLobe); ++k) sum += s[size_t(k)];
  return sum;
}

bool FskPair(const Spectrum& s, UnframedSignal& u) {
  const int first = int(std::max_element(s.total.begin(), s.total.end()) - s.total.begin());
  int second = -1;
  for (int b = 0; b < kBins; ++b) {
    const double apart = std::fabs(HzOf(b) - HzOf(first));
    if (apart >= kPairLeastHz && apart <= kPairMostHz && (second < 0 || s.total[size_t(b)] > s.total[size_t(second)]))
      second = b;
  }
  if (second < 0 || Near(s.total, first) + Near(s.total, second) < kPairShare * s.all ||
      Near(s.total, second) < kWeakerToneShare * s.all)
    return false;
  u.lowHz = HzOf(std::min(first, second));
  u.highHz = HzOf(std::max(first, second));
  u.standard = u.highHz - u.lowHz >= kPairBetweenHz ? Standard::Bell202 : Standard::ClipV23;
  const FskTones nominal = NominalFskTones(u.standard);
  if (std::fabs(u.lowHz / nominal.markHz - 1) > kNearNominal ||
      std::fabs(u.highHz / nominal.spaceHz - 1) > kNearNominal)
    return false;
  // The two tones' ratio is the standard's, whatever clock moved them both.
  if (std::fabs((u.highHz / u.lowHz) / (nominal.spaceHz / nominal.markHz) - 1) > kRatioNear) return false;
  u.kind = UnframedSignal::Kind::FskPair;
  return true;
}

// Alternating bits: the discriminator between the tones (V.23's and Bell
// 202's share their middle) turns back nearly every bit.
bool Seizure(const std::vector<float>& x, const Spectrum& s, UnframedSignal& u) {
  double fsk = 0;
  for (int b = 0; b < kBins; ++b)
    if (HzOf(b) >= 1000 && HzOf(b) <= 2400) fsk += s.total[size_t(b)];
  if (fsk < kFskBandShare * s.all) return false;
  constexpr int kSum = 8;
  const double centre = 1700;
  std::complex<double> acc, last;
  std::vector<std::complex<double>> mixed(x.size());
  double previous = 0;
  int changes = 0;
  for (size_t k = 0; k < x.size(); ++k) {
    mixed[k] = double(x[k]) * std::polar(1.0, -2 * M_PI * centre * double(k) / kSampleRate);
    acc += mixed[k];
    if (k >= size_t(kSum)) acc -= mixed[k - size_t(kSum)];
    if (k > size_t(kSum)) {
      const double turn = std::arg(acc * std::conj(last));
      if (previous != 0 && (turn > 0) != (previous > 0)) ++changes;
      previous = turn;
    }
    last = acc;
  }
  const double bits = double(x.size()) * kFskBitRate / kSampleRate;
  if (changes < kSeizureChanges * bits) return false;
  // Alternating at 1200 bit/s puts the power in lines 600 Hz either side
  // of the middle and on it (V.23's and Bell 202's alike).
  double lines = 0;
  for (double hz : {centre - 600, centre, centre + 600})
    lines += Near(s.total, int(std::lround((hz - kLowestHz) / kStepHz)));
  if (lines < kSeizureLineShare * s.all) return false;
  u.kind = UnframedSignal::Kind::Seizure;
  u.standard = Standard::ClipV23;
  return true;
}

// Each frame's strongest low-group and high-group tone; the shift of the
// keypad that puts the most of them on its tones (a shift of a tenth moves
// most tones onto their neighbours, but not the start and end codes').
bool Dtmf(const Spectrum& s, UnframedSignal& u) {
  struct Pair {
    double lowHz, highHz, lowPower, highPower;
  };
  std::vector<Pair> pairs;
  for (size_t f = 0; f < s.frames.size(); ++f) {
    int lo = -1, hi = -1;
    for (int b = 0; b < kBins; ++b) {
      const double hz = HzOf(b), p = s.frames[f][size_t(b)];
      if (hz >= 620 && hz <= 1040 && (lo < 0 || p > s.frames[f][size_t(lo)])) lo = b;
      if (hz >= 1080 && hz <= 1800 && (hi < 0 || p > s.frames[f][size_t(hi)])) hi = b;
    }
    const double pl = s.frames[f][size_t(lo)], ph = s.frames[f][size_t(hi)];
    if (pl + ph >= kDtmfFrameShare * s.framePower[f])
      pairs.push_back({PeakHz(s.frames[f], lo), PeakHz(s.frames[f], hi), pl, ph});
  }
  if (pairs.size() < kFewestKeys) return false;
  // The most frames on the keypad, and of those shifts the one they sit
  // closest to.
  double bestShift = 0, bestMiss = 1e9;
  size_t bestCount = 0;
  std::set<std::pair<int, int>> bestKeys;
  for (double shift = -kDtmfShiftReach; shift <= kDtmfShiftReach + 1e-9; shift += kDtmfShiftStep) {
    std::set<std::pair<int, int>> keys;
    size_t count = 0;
    double miss = 0;
    for (const Pair& p : pairs) {
      int row = -1, column = -1;
      double lowMiss = 0, highMiss = 0;
      for (int k = 0; k < 4; ++k) {
        const double lo = std::fabs(p.lowHz / (kDtmfLowHz[k] * (1 + shift)) - 1);
        const double hi = std::fabs(p.highHz / (kDtmfHighHz[k] * (1 + shift)) - 1);
        if (lo <= kDtmfMatch) row = k, lowMiss = lo;
        if (hi <= kDtmfMatch) column = k, highMiss = hi;
      }
      if (row < 0 || column < 0) continue;
      ++count;
      miss += lowMiss + highMiss;
      keys.insert({row, column});
    }
    if (count > bestCount || (count == bestCount && count > 0 && miss < bestMiss)) {
      bestCount = count;
      bestMiss = miss;
      bestShift = shift;
      bestKeys = keys;
    }
  }
  if (bestCount * 2 < pairs.size() || bestKeys.size() < kFewestKeys) return false;
  u.kind = UnframedSignal::Kind::Dtmf;
  u.standard = Standard::ClipDtmf;
  u.toneOffsetPct = 100 * bestShift;
  std::vector<double> twists, weaker;
  for (const Pair& p : pairs) {
    twists.push_back(10 * std::log10(p.highPower / p.lowPower));
    weaker.push_back(Dbm0FromMeanSquare(std::min(p.lowPower, p.highPower)));
  }
  u.twistDb = MedianOf(twists);
  u.weakerToneDbm0 = MedianOf(weaker);
  return true;
}

}  // namespace

UnframedSignal UnframedSignal::Of(const std::vector<float>& x) {
  UnframedSignal u;
  if (x.size() < size_t(2 * kFrame)) return u;
  const Spectrum s = Analyse(x);
  if (s.all <= 0) return u;
  if (FskPair(s, u) || Seizure(x, s, u) || Dtmf(s, u)) return u;
  return UnframedSignal{};
}

}  // namespace device::audio
