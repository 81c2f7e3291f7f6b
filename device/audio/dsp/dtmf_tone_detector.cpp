#include "device/audio/dsp/dtmf_tone_detector.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/tones.h"

namespace device::audio {
namespace {
// The eight tones in one row, the low group first: the bins' order.
constexpr double ToneHz(int k) { return k < 4 ? kDtmfLowHz[k] : kDtmfHighHz[k - 4]; }
constexpr double kBinHz = double(kSampleRate) / DtmfToneDetector::kWindow;
// Receivers must take a tone 1.5 % off and must refuse one 3.5 % off; the
// line between leaves room for the measurement's own error on either side.
constexpr double kMostOffset = 0.03;
// Twist up to 8 dB either way is the line's; lines beyond it send 10 dB,
// whose measured twist wanders by a dB or so in noise, and 14 dB is no pair.
constexpr double kMostTwistDb = 12;
// The weakest tone taken, per tone: a pair at -40 dBm0 with 8 dB twist has
// its weaker tone near -47 dBm0.
constexpr double kWeakestToneDbm0 = -50;
// Speech and music carry harmonics and many partials; a DTMF pair carries
// its two tones only. Energy beyond the two tones (second harmonics
// included) of more than 15 % of the window's, in either window of a step,
// is no digit. Line noise 15 dB below the pair takes 3 %, white noise 9 dB
// below it 12 %.
constexpr double kLeastPurity = 0.85;
// The high tone's second harmonic lies above the whole DTMF band, where
// nothing else of a pair can reach its bin: a voiced sound's shows there. A
// line's distortion keeps it well below a quarter of the tone's amplitude;
// a lower limit would be crossed by white noise 9 dB below the pair.
constexpr double kMostHarmonicDb = -12;

// Share of a tone's amplitude a Hann window's bin keeps when the tone lies
// `bins` from its centre (within the main lobe).
double HannGain(double bins) {
  const double d = std::fabs(bins);
  if (d < 1e-6) return 1.0;
  if (std::fabs(1 - d * d) < 1e-6) return 0.5;
  return std::fabs(std::sin(M_PI * d) / (M_PI * d) / (1 - d * d));
}
}  // namespace

DtmfToneDetector::DtmfToneDetector() {
  for (int m = 0; m < kWindow; ++m) {
    w_[m] = float(0.5 - 0.5 * std::cos(2 * M_PI * m / kWindow));
    for (int k = 0; k < 8; ++k) {
      const double phase = 2 * M_PI * ToneHz(k) * m / kSampleRate;
      wcos_[m][k] = float(w_[m] * std::cos(phase));
      wsin_[m][k] = float(w_[m] * std::sin(phase));
    }
  }
}

DtmfToneDetector::Window DtmfToneDetector::Analyse() const {
  // For a sine of mean-square power P at a bin's centre, |Y|^2 = P (sum w)^2 / 2
  // and the windowed energy is P sum w^2.
  constexpr double kSumW = kWindow / 2.0, kSumW2 = 3.0 * kWindow / 8.0;
  Window r;
  float e = 0;
  for (int m = 0; m < kWindow; ++m) e += (w_[m] * buf_[m]) * (w_[m] * buf_[m]);
  r.power = double(e) / kSumW2;
  double p[8];
  std::complex<double> y[8];
  // All eight bins at once, each still summed in sample order: sixteen
  // independent sums instead of one long chain at a time.
  float re[8] = {}, im[8] = {};
  for (int m = 0; m < kWindow; ++m)
    for (int k = 0; k < 8; ++k) re[k] += buf_[m] * wcos_[m][k], im[k] += buf_[m] * wsin_[m][k];
  for (int k = 0; k < 8; ++k) {
    y[k] = {double(re[k]), -double(im[k])};
    p[k] = 2 * std::norm(y[k]) / (kSumW * kSumW);
  }
  r.low = int(std::max_element(p, p + 4) - p);
  r.high = 4 + int(std::max_element(p + 4, p + 8) - (p + 4));
  r.yLow = y[r.low], r.yHigh = y[r.high];
  r.pLow = p[r.low], r.pHigh = p[r.high];
  return r;
}

char DtmfToneDetector::Judge(const Window& before, const Window& now, float* twistDb) const {
  if (before.low < 0 || before.low != now.low || before.high != now.high || now.power <= 0) return 0;
  static const double kWeakest = MeanSquareForDbm0(kWeakestToneDbm0);
  double powers[2], highHz = 0;
  const int tones[2] = {now.low, now.high};
  const std::complex<double> ys[2][2] = {{before.yLow, now.yLow}, {before.yHigh, now.yHigh}};
  const double binPowers[2] = {now.pLow, now.pHigh};
  for (int i = 0; i < 2; ++i) {
    // Phase measured from each window's own start: the nominal tone's own
    // turn over a hop is taken out, what is left is the offset's.
    const double omega = 2 * M_PI * ToneHz(tones[i]) / kSampleRate;
    const std::complex<double> turn = ys[i][1] * std::conj(ys[i][0]) * std::polar(1.0, -omega * kHop);
    const double offsetHz = std::arg(turn) * kSampleRate / (2 * M_PI * kHop);
    if (std::fabs(offsetHz) > kMostOffset * ToneHz(tones[i])) return 0;
    if (i == 1) highHz = ToneHz(tones[i]) + offsetHz;
    const double gain = HannGain(offsetHz / kBinHz);
    powers[i] = binPowers[i] / (gain * gain);
    if (powers[i] < kWeakest) return 0;
  }
  *twistDb = float(10 * std::log10(powers[1] / powers[0]));
  if (std::fabs(*twistDb) > kMostTwistDb) return 0;
  if (powers[0] + powers[1] < kLeastPurity * now.power) return 0;
  const double before0 = before.pLow * powers[0] / now.pLow, before1 = before.pHigh * powers[1] / now.pHigh;
  if (before0 + before1 < kLeastPurity * before.power) return 0;
  if (10 * std::log10(HarmonicPower(2 * highHz) / powers[1]) > kMostHarmonicDb) return 0;
  return kDtmfKeys[now.low][now.high - 4];
}

double DtmfToneDetector::HarmonicPower(double hz) const {
  // Only for pairs that passed everything else, so the tone is made here.
  const std::complex<double> step = std::polar(1.0, -2 * M_PI * hz / kSampleRate);
  std::complex<double> turn = 1, y = 0;
  for (int m = 0; m < kWindow; ++m, turn *= step) y += double(w_[m] * buf_[m]) * turn;
  constexpr double kSumW = kWindow / 2.0;
  return 2 * std::norm(y) / (kSumW * kSumW);
}

void DtmfToneDetector::Feed(const float* x, size_t count, std::vector<Step>& out) {
  for (size_t i = 0; i < count;) {
    const int take = int(std::min<size_t>(count - i, size_t(kWindow - filled_)));
    std::memcpy(buf_ + filled_, x + i, size_t(take) * sizeof(float));
    filled_ += take;
    n_ += take;
    i += size_t(take);
    if (filled_ < kWindow) break;
    const Window now = Analyse();
    Step step{.at = n_ - kWindow - kHop, .power = float(now.power)};
    step.key = Judge(last_, now, &step.twistDb);
    out.push_back(step);
    last_ = now;
    std::memmove(buf_, buf_ + kHop, (kWindow - kHop) * sizeof(float));
    filled_ = kWindow - kHop;
  }
}

void DtmfToneDetector::FeedQuiet(size_t count, std::vector<Step>& out) {
  // The window's samples are quiet, so every window this completes hears
  // nothing, and the next window after it pairs with none.
  for (size_t i = 0; i < count;) {
    const size_t take = std::min(count - i, size_t(kWindow - filled_));
    std::fill(buf_ + filled_, buf_ + filled_ + take, 0.f);
    filled_ += int(take);
    n_ += int64_t(take);
    i += take;
    if (filled_ < kWindow) break;
    out.push_back({.at = n_ - kWindow - kHop});
    last_ = Window{};
    std::fill(buf_, buf_ + kWindow, 0.f);
    filled_ = kWindow - kHop;
  }
}

}  // namespace device::audio
