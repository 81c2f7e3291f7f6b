#include "device/audio/dsp/dtmf_receiver.h"

extern "C" {
#include <spandsp.h>
}

#include <algorithm>

#include "device/audio/dsp/message_parser.h"

namespace device::audio {
namespace {
// Exchanges send the digits back to back (about 70 ms each); a longer gap
// means the start code belonged to something else.
constexpr int64_t kDigitGap = kSampleRate;
constexpr int kMaxDigits = 40;
// The detector's default floor (-26 dBm0 per tone) misses the weak end of
// the lines' receive range; a tone of a -40 dBm0 pair is about -43 dBm0.
constexpr int kThresholdDbm0 = -46;
// Telephone DTMF receivers accept 8 dB of twist either way (the detector's
// own defaults are 8 dB normal and only 4 dB reverse); the measured twist of
// a pair at 8 dB wanders by a dB or two in noise, hence the margin.
constexpr int kTwistDb = 10;
// The detector works in blocks of 102 samples; feeding it that much at a
// time times each digit to within a block.
constexpr int kBlock = 102;
// Timing of the digits of one string against its own medians: a gap longer
// than the usual gap plus half a digit period leaves room for a lost digit;
// a digit under half the usual length was split by a dropout. The slack
// covers the detector's block timing.
constexpr double kGapSlackPeriods = 0.5;
constexpr int64_t kTimingSlack = 2 * kBlock;
constexpr double kShortestShare = 0.5;
}  // namespace

DtmfReceiver::DtmfReceiver() : rx_(dtmf_rx_init(nullptr, nullptr, nullptr)) {
  dtmf_rx_parms(rx_, 0, kTwistDb, kTwistDb, kThresholdDbm0);
  dtmf_rx_set_realtime_callback(rx_, &DtmfReceiver::OnTone, this);
}

DtmfReceiver::~DtmfReceiver() { dtmf_rx_free(rx_); }

void DtmfReceiver::OnTone(void* user, int code, int, int) {
  auto* self = static_cast<DtmfReceiver*>(user);
  if (self->current_ != 0) self->DigitEnded();
  if (code != 0) self->DigitStarted(char(code));
}

void DtmfReceiver::DigitStarted(char code) {
  current_ = code;
  current_on_ = n_;
}

bool DtmfReceiver::TimingHolds() const {
  if (pending_.size() < 3) return true;
  std::vector<int64_t> lengths, gaps;
  for (size_t i = 0; i < pending_.size(); ++i) {
    lengths.push_back(pending_[i].off - pending_[i].on);
    if (i > 0) gaps.push_back(pending_[i].on - pending_[i - 1].off);
  }
  auto median = [](std::vector<int64_t> v) {
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    return v[v.size() / 2];
  };
  const int64_t length = median(lengths), gap = median(gaps);
  const double longestGap = double(gap) + kGapSlackPeriods * double(gap + length) + double(kTimingSlack);
  for (int64_t g : gaps)
    if (double(g) > longestGap) return false;
  for (size_t i = 1; i + 1 < pending_.size(); ++i)
    if (double(lengths[i]) + double(kTimingSlack) < kShortestShare * double(length)) return false;
  return true;
}

void DtmfReceiver::DigitEnded() {
  const Digit d{current_, current_on_, n_};
  current_ = 0;
  if (!pending_.empty() && d.on - pending_.back().off > kDigitGap) pending_.clear();
  if (d.code == 'A' || d.code == 'B' || d.code == 'D') {
    pending_.assign(1, d);
    return;
  }
  if (pending_.empty()) return;
  pending_.push_back(d);
  if (d.code == 'C' || d.code == '#') {
    QByteArray digits;
    for (const Digit& p : pending_) digits.append(p.code);
    if (TimingHolds())
      if (auto m = ParseDtmfMessage(digits.constData(), int(digits.size())); m && out_) out_->push_back(*m);
    pending_.clear();
  } else if (pending_.size() > size_t(kMaxDigits)) {
    pending_.clear();
  }
}

void DtmfReceiver::Feed(const int16_t* samples, size_t count, std::vector<CallerIdMessage>& out) {
  out_ = &out;
  size_t done = 0;
  while (done < count) {
    const int slice = int(std::min<size_t>(count - done, kBlock));
    dtmf_rx(rx_, samples + done, slice);
    n_ += slice;
    done += size_t(slice);
  }
  out_ = nullptr;
}

}  // namespace device::audio
