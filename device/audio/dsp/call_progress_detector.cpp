#include "device/audio/dsp/call_progress_detector.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/median.h"
#include "device/audio/dsp/tone_power.h"

namespace device::audio {
namespace {
// Every plan's tones lie between these; a block is looked at closely only
// when most of its power does.
constexpr double kLowestHz = 300, kHighestHz = 700, kStepHz = 10;
constexpr double kLowShare = 0.7;
constexpr double kQuietestDbm0 = -50;
// One or two peaks (a main lobe of the 40 ms window either side) hold this
// much of the spectrum: a tone, not speech or noise.
constexpr double kToneShare = 0.75;
constexpr int kLobeBins = 5;
// The second tone of a pair is at least this far from the first and this
// strong against it (the plans send both at one level; a line tilts them).
constexpr double kPairApartHz = 60;
constexpr double kPairLeastShare = 0.1;
// A tone stretch at least this long counts; one block missed inside it
// (a click, a noise peak) does not end it.
constexpr int64_t kShortestPeriod = kSampleRate / 10;
constexpr int kMissesToEnd = 2;
// A tone is judged once it has been silent this long: longer than the
// longest pause of any cadence (ringback's 4 s).
constexpr int64_t kSilenceToJudge = 5 * kSampleRate;
// A stretch this long is a continuous tone.
constexpr double kContinuousMs = 2500;
// Frequencies within this of each other are one tone; of a mains harmonic,
// hum.
constexpr double kSameHz = 12;
constexpr double kHarmonicHz = 2;

bool Near(double hz, double nominal) { return std::fabs(hz - nominal) <= kSameHz; }

double Ms(int64_t samples) { return 1000.0 * double(samples) / kSampleRate; }

constexpr int kBins = int((kHighestHz - kLowestHz) / kStepHz) + 1;
double HzOf(int bin) { return kLowestHz + bin * kStepHz; }

// The peak's frequency between grid points (a parabola through its
// neighbours' log powers).
double PeakHz(const std::vector<double>& s, int b) {
  if (b <= 0 || b + 1 >= int(s.size()) || s[size_t(b)] <= 0 || s[size_t(b - 1)] <= 0 || s[size_t(b + 1)] <= 0)
    return HzOf(b);
  const double a = std::log(s[size_t(b - 1)]), c = std::log(s[size_t(b)]), d = std::log(s[size_t(b + 1)]);
  const double den = a - 2 * c + d;
  return HzOf(b) + (den < 0 ? 0.5 * (a - d) / den * kStepHz : 0);
}

// The strongest peak, and the strongest far enough from it.
std::pair<int, int> Peaks(const std::vector<double>& s) {
  const int first = int(std::max_element(s.begin(), s.end()) - s.begin());
  int second = -1;
  for (int b = 0; b < int(s.size()); ++b)
    if (std::fabs(HzOf(b) - HzOf(first)) >= kPairApartHz && (second < 0 || s[size_t(b)] > s[size_t(second)]))
      second = b;
  if (second >= 0 && s[size_t(second)] < kPairLeastShare * s[size_t(first)]) second = -1;
  return {first, second};
}

double Lobe(const std::vector<double>& s, int b) {
  double sum = 0;
  for (int k = std::max(0, b - kLobeBins); k <= std::min(int(s.size()) - 1, b + kLobeBins); ++k) sum += s[size_t(k)];
  return sum;
}

}  // namespace

CallProgressDetector::CallProgressDetector() : window_(2 * kBlock, 0.f), spectrum_(kBins, 0.0) {
  const double w = 2 * M_PI * kHighestHz / kSampleRate, alpha = std::sin(w) / (2 * 0.70710678), a0 = 1 + alpha;
  b0_ = (1 - std::cos(w)) / 2 / a0;
  b1_ = (1 - std::cos(w)) / a0;
  b2_ = b0_;
  a1_ = -2 * std::cos(w) / a0;
  a2_ = (1 - alpha) / a0;
}

void CallProgressDetector::Feed(const float* band, size_t count, bool ringing, double humHz, double humDbm0,
                                std::vector<WatchEvent>& tones, std::vector<Span>& sounded) {
  for (size_t done = 0; done + kBlock <= count; done += kBlock)
    EndOfBlock(band + done, ringing, humHz, humDbm0, tones, sounded);
}

void CallProgressDetector::EndOfBlock(const float* block, bool ringing, double humHz, double humDbm0,
                                      std::vector<WatchEvent>& tones, std::vector<Span>& sounded) {
  std::copy(window_.begin() + kBlock, window_.end(), window_.begin());
  std::copy(block, block + kBlock, window_.begin() + kBlock);
  double power = 0, low = 0;
  for (int i = 0; i < kBlock; ++i) {
    const double x = block[i];
    const double y = b0_ * x + z1_;
    z1_ = b1_ * x - a1_ * y + z2_;
    z2_ = b2_ * x - a2_ * y;
    power += x * x;
    low += y * y;
  }
  n_ += kBlock;
  power /= kBlock;
  low /= kBlock;
  bool tone = false;
  std::vector<double> s;
  if (!ringing && power > 0 && low >= kLowShare * power && Dbm0FromMeanSquare(power) >= kQuietestDbm0) {
    std::vector<float> w(window_.size());
    for (size_t i = 0; i < w.size(); ++i)
      w[i] = float(window_[i] * (0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(w.size()))));
    s.resize(kBins);
    double all = 0;
    for (int b = 0; b < kBins; ++b) all += s[size_t(b)] = TonePower(w.data(), w.size(), HzOf(b));
    const auto [first, second] = Peaks(s);
    tone = all > 0 && Lobe(s, first) + (second >= 0 ? Lobe(s, second) : 0) >= kToneShare * all;
  }
  if (tone) {
    if (!on_) {
      on_ = true;
      period_ = Period{n_ - kBlock, n_};
      std::fill(spectrum_.begin(), spectrum_.end(), 0.0);
      periodPower_ = 0;
      periodBlocks_ = 0;
    }
    misses_ = 0;
    period_.end = n_;
    for (int b = 0; b < kBins; ++b) spectrum_[size_t(b)] += s[size_t(b)];
    periodPower_ += power;
    ++periodBlocks_;
  } else if (on_ && ++misses_ >= kMissesToEnd) {
    EndPeriod(humHz, humDbm0, tones, sounded);
  }
  if (!on_ && !periods_.empty() && n_ - periods_.back().end >= kSilenceToJudge) Classify(tones);
}

void CallProgressDetector::EndPeriod(double humHz, double humDbm0, std::vector<WatchEvent>& tones,
                                     std::vector<Span>& sounded) {
  on_ = false;
  if (period_.end - period_.start < kShortestPeriod) return;
  const auto [first, second] = Peaks(spectrum_);
  double a = PeakHz(spectrum_, first), b = second >= 0 ? PeakHz(spectrum_, second) : 0;
  if (b > 0 && b < a) std::swap(a, b);
  period_.levelDbm0 = Dbm0FromMeanSquare(periodPower_ / std::max(1, periodBlocks_));
  // Harmonics of the mains that passed the band's filter are hum, not a
  // tone; a tone louder than the hum's fundamental is the line's own
  // (Turkey's 450 Hz busy tone on a 50 Hz line).
  const auto harmonic = [&](double hz) {
    return humHz > 0 && period_.levelDbm0 <= humDbm0 &&
           std::fabs(hz / humHz - std::round(hz / humHz)) * humHz <= kHarmonicHz;
  };
  if (harmonic(a) && (b == 0 || harmonic(b))) return;
  period_.lowHz = a;
  period_.highHz = b;
  // A tone of another pair (or none) starts a new tone; the one before it
  // is judged as it was.
  if (!periods_.empty()) {
    const Period& last = periods_.back();
    if (!Near(last.lowHz, a) || (last.highHz > 0) != (b > 0) || (b > 0 && !Near(last.highHz, b))) Classify(tones);
  }
  periods_.push_back(period_);
  sounded.push_back({period_.start, period_.end});
}

void CallProgressDetector::Finish(std::vector<WatchEvent>& tones) {
  std::vector<Span> ignored;
  if (on_) EndPeriod(0, -100, tones, ignored);
  if (!periods_.empty()) Classify(tones);
}

void CallProgressDetector::Classify(std::vector<WatchEvent>& tones) {
  if (std::optional<CallProgressToneEvent> e = Classified(periods_)) tones.push_back(*e);
  periods_.clear();
}

std::optional<CallProgressToneEvent> CallProgressDetector::Current() const { return Classified(periods_); }

int64_t CallProgressDetector::PendingStart() const {
  if (!periods_.empty()) return periods_.front().start;
  return on_ ? period_.start : INT64_MAX;
}

// The tone plan's tone that matches the frequencies and the cadence.
std::optional<CallProgressToneEvent> CallProgressDetector::Classified(const std::vector<Period>& periods) {
  if (periods.empty()) return std::nullopt;
  std::vector<double> on, off, level;
  for (size_t i = 0; i < periods.size(); ++i) {
    on.push_back(Ms(periods[i].end - periods[i].start));
    level.push_back(periods[i].levelDbm0);
    if (i > 0) off.push_back(Ms(periods[i].start - periods[i - 1].end));
  }
  const double onMs = MedianOf(on);
  const std::optional<double> offMs = off.empty() ? std::nullopt : std::optional<double>(MedianOf(off));
  const bool continuous = onMs >= kContinuousMs;
  // A single stretch shorter than a continuous tone says no cadence.
  if (!continuous && !offMs) return std::nullopt;
  const double lo = periods.front().lowHz, hi = periods.front().highHz;
  CallProgressToneEvent e;
  e.start = periods.front().start;
  e.end = periods.back().end;
  e.lowHz = lo;
  if (hi > 0) e.highHz = hi;
  e.levelDbm0 = MedianOf(level);
  if (!continuous) {
    e.onMs = onMs;
    e.offMs = offMs;
  }
  bool known = true;
  if (hi > 0) {
    if (Near(lo, 350) && Near(hi, 440)) {
      e.tone = CallProgressTone::Dial, e.region = QStringLiteral("Kuzey Amerika");
    } else if (Near(lo, 350) && Near(hi, 450)) {
      e.tone = CallProgressTone::Dial, e.region = QStringLiteral("İngiltere");
    } else if (Near(lo, 480) && Near(hi, 620)) {
      e.tone = onMs >= 400 ? CallProgressTone::Busy : CallProgressTone::Reorder;
      e.region = QStringLiteral("Kuzey Amerika");
    } else if (Near(lo, 440) && Near(hi, 480)) {
      e.tone = CallProgressTone::Ringback, e.region = QStringLiteral("Kuzey Amerika");
    } else if (Near(lo, 400) && Near(hi, 450)) {
      e.tone = CallProgressTone::Ringback, e.region = QStringLiteral("İngiltere");
    } else {
      known = false;
    }
  } else if (lo >= 385 && lo <= 465) {
    const bool uk = Near(lo, 400) && !Near(lo, 425);
    e.region = uk ? QStringLiteral("İngiltere") : lo < 437.5 ? QStringLiteral("Avrupa") : QStringLiteral("Türkiye");
    // The UK's congestion tone alternates two lengths of tone.
    const auto [shortest, longest] = std::minmax_element(on.begin(), on.end());
    if (continuous)
      e.tone = uk ? CallProgressTone::Reorder : CallProgressTone::Dial;
    else if (onMs >= 800)
      e.tone = CallProgressTone::Ringback;
    else if (onMs >= 300 && *offMs >= 300 && *longest - *shortest <= 100)
      e.tone = CallProgressTone::Busy;
    else
      e.tone = CallProgressTone::Reorder;
  } else {
    known = false;
  }
  if (!known) return std::nullopt;
  return e;
}

}  // namespace device::audio
