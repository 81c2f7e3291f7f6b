#include "device/audio/dsp/dtmf_receiver.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/median.h"
#include "device/audio/dsp/message_parser.h"

namespace device::audio {
namespace {
// Exchanges send the digits back to back (about 70 ms each); a longer gap
// means the start code belonged to something else.
constexpr int64_t kDigitGap = kSampleRate;
// A start code this soon after another digit (the gaps inside a string are
// 40 to 100 ms) may be a field code of a string whose start was lost.
constexpr int64_t kFragmentGap = kSampleRate / 4;
constexpr int kMaxDigits = 40;
// A start code and this many digits after it are a caller-ID string that was
// cut off when no end code follows; fewer are as likely a stray tone.
constexpr size_t kCutOffDigits = 3;
// A digit is heard when two steps in a row (32 ms of tone) hear it, and has
// ended when two steps in a row do not: a 40 ms digit and a 40 ms gap each
// hold at least two whole steps, and one step lost to a noise peak inside a
// digit does not split it.
constexpr int kStepsToEnd = 2;
// Timing of the digits of one string against its own medians: a gap longer
// than the usual gap plus half a digit period leaves room for a lost digit;
// a digit under half the usual length was split by a dropout. The slack
// covers the steps' timing (a step either side of each edge).
constexpr double kGapSlackPeriods = 0.5;
constexpr int64_t kTimingSlack = 3 * DtmfToneDetector::kHop;
// Exchanges pause between digits about as long as a digit sounds; a string
// whose usual gap is several digits long was heard a digit here and there.
constexpr double kMostGapShare = 4;
constexpr double kShortestShare = 0.5;
// From one digit's onset to the next: a digit split in two gives about half
// the usual period, a lost one twice it; the steps' timing moves each onset
// by a step at most. The longest period within the string may be this much
// the shortest, each taken a step towards the other.
constexpr double kMostPeriodSpread = 1.5;
constexpr int64_t kOnsetSlack = DtmfToneDetector::kHop;
// A gap holding this share of a digit's power (-6 dB) or more hides one.
constexpr double kMostGapPower = 0.25;
// One line sends every pair at the same twist; a digit whose twist is this
// far from the string's usual one was not one of its pairs heard whole.
constexpr double kMostTwistSpreadDb = 5;
}  // namespace

bool DtmfReceiver::TimingHolds() const {
  if (pending_.size() < 3) return true;
  std::vector<int64_t> lengths, gaps, periods;
  for (size_t i = 0; i < pending_.size(); ++i) {
    lengths.push_back(pending_[i].off - pending_[i].on);
    if (i > 0) gaps.push_back(pending_[i].on - pending_[i - 1].off);
    if (i > 0) periods.push_back(pending_[i].on - pending_[i - 1].on);
  }
  const int64_t length = MedianOf(lengths), gap = MedianOf(gaps);
  if (double(gap) > kMostGapShare * double(length + kTimingSlack)) return false;
  const double longestGap = double(gap) + kGapSlackPeriods * double(gap + length) + double(kTimingSlack);
  for (int64_t g : gaps)
    if (double(g) > longestGap) return false;
  for (size_t i = 1; i + 1 < pending_.size(); ++i)
    if (double(lengths[i]) + double(kTimingSlack) < kShortestShare * double(length)) return false;
  // Against the shortest period, so that even a string of three, whose
  // medians say nothing, holds its step.
  const auto [shortest, longest] = std::minmax_element(periods.begin(), periods.end());
  return double(*longest - kOnsetSlack) <= kMostPeriodSpread * double(*shortest + kOnsetSlack);
}

// Between an exchange's digits the line is quiet; where a digit was lost to
// noise its tone still fills the "gap". Each gap's windows wholly between
// the digits against the quieter of the two digits' windows.
bool DtmfReceiver::GapsQuiet() const {
  auto meanPower = [this](int64_t from, int64_t to) {
    double sum = 0;
    int n = 0;
    for (const auto& [at, power] : powers_)
      if (at >= from && at + DtmfToneDetector::kWindow <= to) sum += power, ++n;
    return n ? sum / n : -1.0;
  };
  // A digit's edges are known to a hop: the gap is taken a hop in from each.
  constexpr int64_t hop = DtmfToneDetector::kHop;
  for (size_t i = 0; i + 1 < pending_.size(); ++i) {
    const double gap = meanPower(pending_[i].off + hop, pending_[i + 1].on - hop);
    const double a = meanPower(pending_[i].on, pending_[i].off), b = meanPower(pending_[i + 1].on, pending_[i + 1].off);
    if (gap >= 0 && a > 0 && b > 0 && gap > kMostGapPower * std::min(a, b)) return false;
  }
  return true;
}

bool DtmfReceiver::TwistHolds() const {
  if (twists_.size() < 2) return true;
  const double usual = MedianOf(twists_);
  return std::all_of(twists_.begin(), twists_.end(),
                     [usual](double t) { return std::fabs(t - usual) <= kMostTwistSpreadDb; });
}

// After "A" and a number, "D" opens the redirecting number and "B" the
// information field: the string goes on, and the parser judges the fields.
// Anywhere else these codes start a string of their own.
bool DtmfReceiver::FieldCode(char code) const {
  return (code == 'B' || code == 'D') && pending_.size() >= 2 && pending_.front().code == 'A';
}

BurstReport DtmfReceiver::StringOf(BurstFate fate) const {
  BurstReport s;
  s.standard = Standard::ClipDtmf;
  s.fate = fate;
  s.digits = pending_;
  s.start = s.messageStart = pending_.front().on;
  s.end = pending_.back().off;
  return s;
}

void DtmfReceiver::DigitEnded(std::vector<BurstReport>& out) {
  // The steps heard the pair from the earlier window of the first step to
  // the end of the later window of the last.
  DtmfDigit d;
  d.code = current_;
  d.on = currentOn_;
  d.off = currentLast_ + DtmfToneDetector::kHop + DtmfToneDetector::kWindow;
  const double twist = currentTwist_ / std::max(1, currentSteps_);
  current_ = 0;
  // A digit heard shortly before: whatever it belonged to, a string that
  // starts here may be the tail of one whose start was lost.
  const bool after = lastOff_ >= 0 && d.on - lastOff_ <= kFragmentGap;
  lastOff_ = d.off;
  if (!pending_.empty() && d.on - pending_.back().off > kDigitGap) GiveUp(out);
  if ((d.code == 'A' || d.code == 'B' || d.code == 'D') && !FieldCode(d.code)) {
    std::erase_if(powers_, [&](const auto& p) { return p.first + DtmfToneDetector::kWindow < d.on; });
    pending_.assign(1, d);
    twists_.assign(1, twist);
    fragment_ = after;
    return;
  }
  if (pending_.empty()) return;
  pending_.push_back(d);
  twists_.push_back(twist);
  if (d.code == 'C' || d.code == '#') {
    EndString(out);
  } else if (pending_.size() > size_t(kMaxDigits)) {
    pending_.clear();
  }
}

void DtmfReceiver::EndString(std::vector<BurstReport>& out) {
  QByteArray digits;
  for (const DtmfDigit& p : pending_) digits.append(p.code);
  if (fragment_ || !TimingHolds() || !TwistHolds() || !GapsQuiet()) {
    out.push_back(StringOf(BurstFate::DigitsLost));
  } else if (std::optional<CallerIdMessage> m = ParseDtmfMessage(digits.constData(), int(digits.size()))) {
    BurstReport s = StringOf(BurstFate::Decoded);
    s.message = std::move(m);
    out.push_back(std::move(s));
  }
  pending_.clear();
}

void DtmfReceiver::GiveUp(std::vector<BurstReport>& out) {
  if (pending_.size() >= kCutOffDigits) out.push_back(StringOf(BurstFate::NoEndCode));
  pending_.clear();
}

void DtmfReceiver::Heard(const DtmfToneDetector::Step& step, std::vector<BurstReport>& out) {
  // The power is the later window's, which begins a hop after `at`.
  // Before a string only the last few steps are kept, for the start code.
  if (pending_.empty() && current_ == 0 && powers_.size() >= kPowersBefore) powers_.erase(powers_.begin());
  powers_.emplace_back(step.at + DtmfToneDetector::kHop, step.power);
  if (current_ != 0) {
    if (step.key == current_) {
      misses_ = 0;
      currentLast_ = step.at;
      currentTwist_ += step.twistDb, ++currentSteps_;
    } else if (++misses_ >= kStepsToEnd) {
      DigitEnded(out);
    }
  }
  if (current_ == 0 && step.key != 0 && step.key == previous_.key) {
    // Two steps agree: a digit is sounding since the first of them.
    current_ = step.key;
    currentOn_ = previous_.at;
    currentLast_ = step.at;
    currentTwist_ = previous_.twistDb + step.twistDb, currentSteps_ = 2;
    misses_ = 0;
  }
  previous_ = step;
}

void DtmfReceiver::Feed(const float* samples, size_t count, std::vector<BurstReport>& out) {
  steps_.clear();
  detector_.Feed(samples, count, steps_);
  Take(count, out);
}

void DtmfReceiver::FeedQuiet(size_t count, std::vector<BurstReport>& out) {
  steps_.clear();
  detector_.FeedQuiet(count, steps_);
  Take(count, out);
}

void DtmfReceiver::Take(size_t count, std::vector<BurstReport>& out) {
  for (const DtmfToneDetector::Step& s : steps_) Heard(s, out);
  n_ += int64_t(count);
  if (current_ == 0 && !pending_.empty() && n_ - pending_.back().off > kDigitGap) GiveUp(out);
}

}  // namespace device::audio
