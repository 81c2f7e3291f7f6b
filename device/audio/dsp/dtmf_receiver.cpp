#include "device/audio/dsp/dtmf_receiver.h"

#include <algorithm>

#include "device/audio/dsp/median.h"
#include "device/audio/dsp/message_parser.h"

namespace device::audio {
namespace {
// Exchanges send the digits back to back (about 70 ms each); a longer gap
// means the start code belonged to something else.
constexpr int64_t kDigitGap = kSampleRate;
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
constexpr double kShortestShare = 0.5;
}  // namespace

bool DtmfReceiver::TimingHolds() const {
  if (pending_.size() < 3) return true;
  std::vector<int64_t> lengths, gaps;
  for (size_t i = 0; i < pending_.size(); ++i) {
    lengths.push_back(pending_[i].off - pending_[i].on);
    if (i > 0) gaps.push_back(pending_[i].on - pending_[i - 1].off);
  }
  const int64_t length = MedianOf(lengths), gap = MedianOf(gaps);
  const double longestGap = double(gap) + kGapSlackPeriods * double(gap + length) + double(kTimingSlack);
  for (int64_t g : gaps)
    if (double(g) > longestGap) return false;
  for (size_t i = 1; i + 1 < pending_.size(); ++i)
    if (double(lengths[i]) + double(kTimingSlack) < kShortestShare * double(length)) return false;
  return true;
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
  current_ = 0;
  if (!pending_.empty() && d.on - pending_.back().off > kDigitGap) GiveUp(out);
  if ((d.code == 'A' || d.code == 'B' || d.code == 'D') && !FieldCode(d.code)) {
    pending_.assign(1, d);
    return;
  }
  if (pending_.empty()) return;
  pending_.push_back(d);
  if (d.code == 'C' || d.code == '#') {
    QByteArray digits;
    for (const DtmfDigit& p : pending_) digits.append(p.code);
    if (!TimingHolds()) {
      out.push_back(StringOf(BurstFate::DigitsLost));
    } else if (std::optional<CallerIdMessage> m = ParseDtmfMessage(digits.constData(), int(digits.size()))) {
      BurstReport s = StringOf(BurstFate::Decoded);
      s.message = std::move(m);
      out.push_back(std::move(s));
    }
    pending_.clear();
  } else if (pending_.size() > size_t(kMaxDigits)) {
    pending_.clear();
  }
}

void DtmfReceiver::GiveUp(std::vector<BurstReport>& out) {
  if (pending_.size() >= kCutOffDigits) out.push_back(StringOf(BurstFate::NoEndCode));
  pending_.clear();
}

void DtmfReceiver::Heard(const DtmfToneDetector::Step& step, std::vector<BurstReport>& out) {
  if (current_ != 0) {
    if (step.key == current_) {
      misses_ = 0;
      currentLast_ = step.at;
    } else if (++misses_ >= kStepsToEnd) {
      DigitEnded(out);
    }
  }
  if (current_ == 0 && step.key != 0 && step.key == previous_.key) {
    // Two steps agree: a digit is sounding since the first of them.
    current_ = step.key;
    currentOn_ = previous_.at;
    currentLast_ = step.at;
    misses_ = 0;
  }
  previous_ = step;
}

void DtmfReceiver::Feed(const float* samples, size_t count, std::vector<BurstReport>& out) {
  steps_.clear();
  detector_.Feed(samples, count, steps_);
  for (const DtmfToneDetector::Step& s : steps_) Heard(s, out);
  n_ += int64_t(count);
  if (current_ == 0 && !pending_.empty() && n_ - pending_.back().off > kDigitGap) GiveUp(out);
}

}  // namespace device::audio
