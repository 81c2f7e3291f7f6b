#include "device/audio/dsp/dtmf_receiver.h"

extern "C" {
#include <spandsp.h>
}

#include "device/audio/dsp/message_parser.h"

namespace device::audio {
namespace {
// Exchanges send the digits back to back (about 70 ms each); a longer gap
// means the start code belonged to something else.
constexpr int64_t kDigitGap = kSampleRate;
constexpr int kMaxDigits = 40;
// The receiver's default floor (-26 dBm0 per tone) misses the weak end of
// the lines' receive range; a tone of a -40 dBm0 pair is about -43 dBm0.
constexpr int kThresholdDbm0 = -46;
}  // namespace

DtmfReceiver::DtmfReceiver() : rx_(dtmf_rx_init(nullptr, &DtmfReceiver::OnDigits, this)) {
  dtmf_rx_parms(rx_, 0, -1, -1, kThresholdDbm0);
}

DtmfReceiver::~DtmfReceiver() { dtmf_rx_free(rx_); }

void DtmfReceiver::OnDigits(void* user, const char* digits, int len) {
  auto* self = static_cast<DtmfReceiver*>(user);
  for (int i = 0; i < len; ++i) self->OnDigit(digits[i]);
}

void DtmfReceiver::OnDigit(char digit) {
  if (!pending_.isEmpty() && n_ - lastDigit_ > kDigitGap) pending_.clear();
  lastDigit_ = n_;
  if (digit == 'A' || digit == 'B' || digit == 'D') {
    pending_ = QByteArray(1, digit);
    return;
  }
  if (pending_.isEmpty()) return;
  pending_.append(digit);
  if (digit == 'C' || digit == '#') {
    if (auto m = ParseDtmfMessage(pending_.constData(), int(pending_.size())); m && out_) out_->push_back(*m);
    pending_.clear();
  } else if (pending_.size() > kMaxDigits) {
    pending_.clear();
  }
}

void DtmfReceiver::Feed(const int16_t* samples, size_t count, std::vector<CallerIdMessage>& out) {
  out_ = &out;
  // Small blocks, so the digit gap is measured to within a few milliseconds.
  size_t done = 0;
  while (done < count) {
    const int slice = int(std::min<size_t>(count - done, 160));
    dtmf_rx(rx_, samples + done, slice);
    n_ += slice;
    done += size_t(slice);
  }
  out_ = nullptr;
}

}  // namespace device::audio
