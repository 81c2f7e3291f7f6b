#include "device/audio/line_decoder.h"

extern "C" {
#include <spandsp.h>
}

#include "device/audio/message_parser.h"

namespace device::audio {

namespace {

int SpandspStandard(Standard s) {
  switch (s) {
    case Standard::Bell202: return ADSI_STANDARD_CLASS;
    case Standard::JapanV23: return ADSI_STANDARD_JCLIP;
    case Standard::ClipDtmf: return ADSI_STANDARD_CLIP_DTMF;
    default: return ADSI_STANDARD_CLIP;
  }
}

}  // namespace

struct LineDecoder::Impl {
  struct Receiver {
    Impl* owner = nullptr;
    Standard standard = Standard::Auto;
    adsi_rx_state_t* rx = nullptr;
  };
  std::vector<std::unique_ptr<Receiver>> receivers;
  std::vector<LineEvent>* out = nullptr;

  static void OnMessage(void* user, const uint8_t* msg, int len) {
    auto* r = static_cast<Receiver*>(user);
    std::optional<CallerIdMessage> m = r->standard == Standard::ClipDtmf
                                           ? ParseDtmfMessage(reinterpret_cast<const char*>(msg), len)
                                           : ParseFskMessage(r->standard, msg, len);
    if (m && r->owner->out) r->owner->out->push_back(*m);
  }

  ~Impl() {
    for (auto& r : receivers) adsi_rx_free(r->rx);
  }
};

LineDecoder::LineDecoder(Standard fixed) : fixed_(fixed), impl_(std::make_unique<Impl>()) {
  std::vector<Standard> wanted;
  if (fixed == Standard::Auto) wanted = {Standard::ClipV23, Standard::ClipDtmf, Standard::Bell202};
  else wanted = {fixed};
  for (Standard s : wanted) {
    auto r = std::make_unique<Impl::Receiver>();
    r->owner = impl_.get();
    r->standard = s;
    r->rx = adsi_rx_init(nullptr, SpandspStandard(s), &Impl::OnMessage, r.get());
    impl_->receivers.push_back(std::move(r));
  }
}

LineDecoder::~LineDecoder() = default;

void LineDecoder::Feed(const int16_t* samples, size_t count, std::vector<LineEvent>& out) {
  impl_->out = &out;
  for (auto& r : impl_->receivers) adsi_rx(r->rx, samples, int(count));
  impl_->out = nullptr;
}

}  // namespace device::audio
