#include "device/audio/dsp/ring_detector.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/tone_power.h"

namespace device::audio {
namespace {
// Ringing through a coupler is loud: well above the line's own background
// and above this floor in absolute terms. On a line whose background is
// itself loud and low (mains hum near the ringing's level), a ring is what
// it adds: at least as much power again as the hum, nearly all of it below
// the band.
constexpr double kRingFloorDbm0 = -35;
constexpr double kRingAboveDb = 15;
constexpr double kLoudBackgroundDbm0 = -35;
constexpr double kRingOverHum = 1.0;  // added power, as a share of the hum's (+3 dB)
// The ringing voltage's frequency is looked for between these, in steps of
// this; the mains' own is left out on a humming line.
constexpr double kRingLowestHz = 15, kRingHighestHz = 68, kRingStepHz = 0.5;
// Hum is spoken of from this level on.
constexpr double kHumFloorDbm0 = -50;
// The Goertzel coefficients of 50 and 60 Hz.
const double kMainsCoefficient[2] = {2 * std::cos(2 * M_PI * 50.0 / kSampleRate),
                                     2 * std::cos(2 * M_PI * 60.0 / kSampleRate)};
// At least this share of a ring's power lies below the telephone band; a
// clipped 25 Hz ring keeps about 97 % there, speech a few per cent.
constexpr double kRingLowShare = 0.6;
// Blocks that do not look like ringing before a ring is over: bridges a
// coupler's limiter catching a block badly.
constexpr int kRingHangover = 3;
// A sample this close to full scale is clipped.
constexpr int kClipped = 32000;
// The background follows a quieter line at once and a louder one slowly
// (about a second), so a ring never lifts it much.
constexpr double kBackgroundRise = 0.04;
// A reversal: the DC moves by this share of full scale between two steady
// stretches, away from ringing (whose own decaying step is no reversal).
constexpr double kStep = 0.02 * 32768;
constexpr int64_t kAfterRing = kSampleRate;
constexpr int64_t kBetweenSteps = kSampleRate / 2;
// Through a coupler whose high-pass drains it within tens of milliseconds,
// a reversal is a jump of this share of full scale that decays without
// swinging back: it stays over half its height for this long (a click or
// a crackle is back within a millisecond) and crosses zero at most this
// often in the 120 ms after it (a ring many times more).
// Mains hum is taken out by subtracting the sample a mains period before,
// so the jump is seen under hum louder than itself.
constexpr double kDrainedStep = 0.04 * 32768;
constexpr size_t kDrainedHold = kSampleRate / 250;
constexpr int kDrainedCrossings = 2;
constexpr size_t kMean = kSampleRate / 200;
constexpr size_t kRise = 3 * kSampleRate / 1000;  // a coupler's own rise time

}  // namespace

bool RingDetector::RingingOrAfter() const { return ringing_ || n_ - lastRingEnd_ < kAfterRing; }

void RingDetector::Feed(const int16_t* raw, const float* band, size_t count, std::vector<WatchEvent>& out) {
  for (size_t i = 0; i < count; ++i) {
    const double x = raw[i];
    sum_ += x;
    squares_ += x * x;
    band_ += double(band[i]) * band[i];
    clipped_ += std::abs(raw[i]) >= kClipped;
    raw_.push_back(raw[i]);
    if (ringing_ && ringRaw_.size() < size_t(kLongestRing + kBlock)) ringRaw_.push_back(raw[i]);
    for (int f = 0; f < 2; ++f) {
      const double v = x + kMainsCoefficient[f] * mains_[f][0] - mains_[f][1];
      mains_[f][1] = mains_[f][0];
      mains_[f][0] = v;
    }
    if (++mainsFilled_ == kSampleRate) MeasureMains();
    ++n_;
    if (++filled_ == kBlock) EndOfBlock(out);
  }
}

void RingDetector::EndOfBlock(std::vector<WatchEvent>& out) {
  Block b;
  b.start = n_ - kBlock;
  b.mean = sum_ / kBlock;
  const double variance = std::max(0.0, squares_ / kBlock - b.mean * b.mean);
  b.levelDbm0 = Dbm0FromMeanSquare(variance);
  const double low = std::max(0.0, variance - band_ / kBlock);
  const double lowShare = variance > 0 ? low / variance : 0.0;
  if (!started_) {
    backgroundDbm0_ = b.levelDbm0;
    backgroundLow_ = low;
    started_ = true;
  }
  const double background = MeanSquareForDbm0(backgroundDbm0_);
  if (backgroundDbm0_ < kLoudBackgroundDbm0) {
    b.ringLike =
        b.levelDbm0 >= kRingFloorDbm0 && b.levelDbm0 >= backgroundDbm0_ + kRingAboveDb && lowShare >= kRingLowShare;
  } else {
    const double added = variance - background, addedLow = low - backgroundLow_;
    b.ringLike =
        b.levelDbm0 >= kRingFloorDbm0 && added >= kRingOverHum * background && addedLow >= kRingLowShare * added;
  }
  b.samples.swap(raw_);
  raw_.clear();
  const int clipped = clipped_;
  const double ac = variance * kBlock;
  filled_ = 0;
  sum_ = squares_ = band_ = 0;
  clipped_ = 0;

  if (b.ringLike) {
    if (!ringing_) {
      ringing_ = true;
      ringStart_ = b.start;
      ringSquares_ = 0;
      ringSamples_ = ringClipped_ = 0;
      ringRaw_ = b.samples;
    }
    quietBlocks_ = 0;
    ringEnd_ = b.start + kBlock;
    ringSquares_ += std::max(0.0, ac - background * kBlock);
    ringSamples_ += kBlock;
    ringClipped_ += clipped;
    if (ringEnd_ - ringStart_ > kLongestRing) {
      // A steady loud signal (hum switched on, a coupler plugged in): the
      // line's new background, not a ring.
      ringing_ = false;
      backgroundDbm0_ = b.levelDbm0;
    }
  } else if (ringing_ && ++quietBlocks_ >= kRingHangover) {
    EndRing(out);
  }
  if (!ringing_ && !b.ringLike) {
    if (b.levelDbm0 < backgroundDbm0_)
      backgroundDbm0_ = b.levelDbm0;
    else
      backgroundDbm0_ += kBackgroundRise * (b.levelDbm0 - backgroundDbm0_);
    backgroundLow_ += low < backgroundLow_ ? low - backgroundLow_ : kBackgroundRise * (low - backgroundLow_);
  }
  recent_.push_back(std::move(b));
  if (recent_.size() > 5) recent_.erase(recent_.begin());
  if (recent_.size() == 5) CheckStep(out);
}

void RingDetector::EndRing(std::vector<WatchEvent>& out) {
  ringing_ = false;
  if (ringEnd_ - ringStart_ < kShortestRing) return;
  lastRingEnd_ = ringEnd_;
  RingEvent r;
  r.start = ringStart_;
  r.end = ringEnd_;
  r.levelDbm0 = Dbm0FromMeanSquare(ringSquares_ / double(ringSamples_));
  r.clipped = ringClipped_ * 100 >= ringSamples_;
  // The ringing voltage's frequency: the strongest of the band it lies in,
  // over the ring (the mains' own frequency left out when it hums).
  // Summed in twenties first: 400 samples a second are plenty for it.
  constexpr int kDecimate = 20;
  const size_t len = std::min(ringRaw_.size(), size_t(ringEnd_ - ringStart_)) / kDecimate;
  std::vector<double> slow(len);
  for (size_t i = 0; i < len; ++i)
    for (int k = 0; k < kDecimate; ++k) slow[i] += ringRaw_[i * kDecimate + size_t(k)];
  double best = 0;
  for (double hz = kRingLowestHz; hz <= kRingHighestHz + 1e-9; hz += kRingStepHz) {
    if (mainsHz_ > 0 && std::fabs(hz - mainsHz_) < 2) continue;
    const double p = TonePower(slow.data(), len, hz, double(kSampleRate) / kDecimate);
    if (p > best) best = p, r.hz = hz;
  }
  ringRaw_.clear();
  out.push_back(r);
}

// A second of the line: which of 50 and 60 Hz hums, and how loud, outside
// rings (a ring's own harmonics would read as hum).
void RingDetector::MeasureMains() {
  mainsFilled_ = 0;
  double power[2];
  for (int f = 0; f < 2; ++f) {
    const double c = kMainsCoefficient[f];
    const double s1 = mains_[f][0], s2 = mains_[f][1];
    power[f] = 2 * (s1 * s1 + s2 * s2 - c * s1 * s2) / (double(kSampleRate) * kSampleRate);
    mains_[f][0] = mains_[f][1] = 0;
  }
  if (ringing_ || n_ - lastRingEnd_ < kSampleRate) return;
  const int f = power[1] > power[0] ? 1 : 0;
  humDbm0_ = Dbm0FromMeanSquare(power[f]);
  mainsHz_ = humDbm0_ >= kHumFloorDbm0 ? (f == 0 ? 50.0 : 60.0) : 0.0;
}

// The middle of the last five blocks is where the DC may have stepped: two
// steady blocks before it, two after (the later ones may already decay
// towards zero through a sound card's coupling capacitor).
void RingDetector::CheckStep(std::vector<WatchEvent>& out) {
  const Block& mid = recent_[2];
  if (mid.start - lastRingEnd_ < kAfterRing || mid.start - lastStep_ < kBetweenSteps) return;
  // The step's own block has the variance of a step, low in frequency: it
  // may have started what looked like a ring (a drained one's tail, the
  // block after it too).
  if (ringing_ && ringStart_ < mid.start) return;
  if (recent_[0].ringLike || recent_[1].ringLike) return;
  if (!recent_[3].ringLike && !recent_[4].ringLike && SustainedStep(out)) return;
  DrainedStep(out);
}

// A step the coupling holds: two steady blocks before it, two after.
bool RingDetector::SustainedStep(std::vector<WatchEvent>& out) {
  const Block& mid = recent_[2];
  const double before = (recent_[0].mean + recent_[1].mean) / 2;
  const double after = (recent_[3].mean + recent_[4].mean) / 2;
  const double step = after - before;
  if (std::fabs(step) < kStep) return false;
  if (std::fabs(recent_[1].mean - recent_[0].mean) > std::fabs(step) / 4) return false;
  if (std::fabs(recent_[4].mean - recent_[3].mean) > std::fabs(step) / 2) return false;
  // Steady stretches: no loud signal riding on them.
  if (std::max(recent_[0].levelDbm0, recent_[4].levelDbm0) > kRingFloorDbm0) return false;
  // Time the step by the first sample of the middle block past half of it.
  int64_t at = mid.start;
  for (size_t i = 0; i < mid.samples.size(); ++i)
    if (std::fabs(mid.samples[i] - before) > std::fabs(step) / 2) {
      at = mid.start + int64_t(i);
      break;
    }
  ringing_ = false;  // if the step's own block started what looked like a ring
  Reversal(at, step, out);
  return true;
}

// A step the coupling drains within the blocks after it, which may already
// carry what the reversal announced (DTMF digits 50 ms on). Looked for in
// the middle block, on the samples less the one a mains period before.
void RingDetector::DrainedStep(std::vector<WatchEvent>& out) {
  const size_t block = size_t(kBlock), from = 2 * block, to = 3 * block;
  for (const Block& b : recent_)
    if (b.samples.size() != block) return;
  // Most blocks hold no jump a mains period against the samples before it:
  // they are passed over without the whole look below, every 40 ms on
  // every line.
  const auto at = [&](size_t i) { return double(recent_[i / block].samples[i % block]); };
  bool jumped = false;
  for (size_t p : {size_t(kSampleRate / 50), size_t(kSampleRate / 60)})
    for (size_t i = from; i < to && !jumped; ++i) jumped = std::fabs(at(i) - at(i - p)) >= kDrainedStep;
  if (!jumped) return;
  std::vector<double> x;
  for (const Block& b : recent_) x.insert(x.end(), b.samples.begin(), b.samples.end());
  // A period of 50 or 60 Hz, whichever leaves the line before it the
  // quieter (hum may not have been measured yet).
  std::vector<double> y(x.size(), 0.0);
  double quiet = -1;
  size_t period = 0;
  for (size_t p : {size_t(kSampleRate / 50), size_t(kSampleRate / 60)}) {
    std::vector<double> z(x.size(), 0.0);
    for (size_t i = p; i < x.size(); ++i) z[i] = x[i] - x[i - p];
    double q = 0;
    for (size_t i = block; i < from; ++i) q += z[i] * z[i];
    if (quiet < 0 || q < quiet) quiet = q, period = p, y.swap(z);
  }
  // The line before it steady and quiet, hum aside.
  const double noise = std::sqrt(quiet / double(block));
  if (noise > kDrainedStep / 4) return;
  // The jump stands clear of the noise's peaks, and nothing did before it.
  const double jump = std::max(kDrainedStep, 6 * noise), calm = std::max(kDrainedStep / 2, 5 * noise);
  size_t j = from;
  while (j < to && std::fabs(y[j]) < jump) ++j;
  if (j == to) return;
  for (size_t i = block; i + kRise < j; ++i)
    if (std::fabs(y[i]) >= calm) return;
  const double sign = y[j] > 0 ? 1 : -1;
  size_t held = 0;
  double peak = 0;
  for (size_t i = j; i < x.size() && sign * y[i] >= kDrainedStep / 2; ++i, ++held) peak = std::max(peak, sign * y[i]);
  if (held < kDrainedHold) return;
  // Zero crossings of the low band alone (5 ms means: DTMF digits that
  // follow come out 20 dB down, a ring's 68 Hz at most 1 dB).
  // None before the comb's own delay brings the step back: hum that
  // stopped leaves a period of itself there, a step one side only.
  int crossings = 0;
  double side = sign, sum = 0;
  for (size_t i = j; i < std::min(x.size(), j + 3 * block); ++i) {
    sum += y[i] - (i >= j + kMean ? y[i - kMean] : 0);
    if (side * sum / double(kMean) >= -kDrainedStep / 2) continue;
    if (i < j + period) return;
    side = -side, ++crossings;
  }
  if (crossings > kDrainedCrossings) return;
  ringing_ = false;  // if the jump's own blocks looked like a ring starting
  Reversal(recent_[0].start + int64_t(j), sign * peak, out);
}

void RingDetector::Reversal(int64_t at, double step, std::vector<WatchEvent>& out) {
  lastStep_ = at;
  ReversalEvent r;
  r.at = at;
  r.step = step / 32768.0;
  out.push_back(r);
}

}  // namespace device::audio
