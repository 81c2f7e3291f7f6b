#include "device/audio/dsp/line_decoder.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/dtmf_receiver.h"
#include "device/audio/dsp/fsk_receiver.h"
#include "device/audio/dsp/line_front_end.h"

namespace device::audio {
namespace {
// What the receivers heard of one burst is settled this long after it ended.
constexpr int64_t kHold = kSampleRate / 5;
// Spans of settled bursts are remembered this long, so a receiver that
// reports the same burst late does not make it a second call.
constexpr int64_t kRemember = 5 * kSampleRate;
// V.23 marks at 1300 Hz, Bell 202 at 1200 Hz (each within 1.5 % or 1 %):
// the middle tells them apart with room for twice the tolerance.
constexpr double kMarkBetweenHz = 1250.0;
}  // namespace

struct LineDecoder::Impl {
  Standard fixed = Standard::Auto;
  LineFrontEnd frontEnd;
  std::vector<std::unique_ptr<FskReceiver>> fsk;
  std::unique_ptr<DtmfReceiver> dtmf;
  std::vector<FskBurst> pending;
  struct Span {
    int64_t start, end;
  };
  std::vector<Span> settled;
  std::vector<float> x;
  int64_t n = 0;

  static bool Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) { return a0 < b1 && b0 < a1; }

  // In automatic mode a CLIP or CLASS layout says nothing of the tones (the
  // two layouts are the same bytes); the measured mark does.
  Standard ByTones(Standard layout, double markHz) const {
    if (fixed != Standard::Auto || markHz <= 0) return layout;
    if (layout != Standard::ClipV23 && layout != Standard::Bell202) return layout;
    return markHz < kMarkBetweenHz ? Standard::Bell202 : Standard::ClipV23;
  }

  std::vector<BurstMeasurement>* bursts = nullptr;  // during Feed

  void Settle(std::vector<LineEvent>& out) {
    while (!pending.empty()) {
      // The earliest burst and everything overlapping it is one burst on the line.
      const auto first = std::min_element(pending.begin(), pending.end(),
                                          [](const FskBurst& a, const FskBurst& b) { return a.start < b.start; });
      int64_t start = first->start, end = first->end;
      for (bool grew = true; grew;) {
        grew = false;
        for (const FskBurst& b : pending)
          if (Overlap(start, end, b.start, b.end) && (b.start < start || b.end > end)) {
            start = std::min(start, b.start);
            end = std::max(end, b.end);
            grew = true;
          }
      }
      if (n < end + kHold) return;
      // Of the readings of one burst a call is best, then a checksum failure
      // (framed whole), then a cut-off burst, then an unreadable one.
      const FskBurst* taken = nullptr;
      std::vector<FskBurst> rest;
      for (const FskBurst& b : pending) {
        if (!Overlap(start, end, b.start, b.end)) {
          rest.push_back(b);
          continue;
        }
        if (!taken || b.fate < taken->fate || (b.fate == taken->fate && b.quality > taken->quality)) taken = &b;
      }
      const bool known = std::any_of(settled.begin(), settled.end(),
                                     [&](const Span& s) { return Overlap(start, end, s.start, s.end); });
      if (!known && taken) {
        const FskBurst& b = *taken;
        const Standard standard = ByTones(b.standard, b.markHz);
        BurstMeasurement m;
        m.standard = standard;
        m.markHz = b.markHz;
        m.bitRate = b.bitRate;
        m.quality = b.quality;
        m.start = b.start;
        m.end = b.end;
        m.messageType = b.messageType;
        m.bytesRead = b.bytesRead;
        m.bytesExpected = b.bytesExpected;
        switch (b.fate) {
          case FskBurst::Fate::Decoded:
            m.fate = BurstFate::Decoded;
            m.message = *b.message;
            m.message->standard = standard;
            out.push_back(*m.message);
            break;
          case FskBurst::Fate::ChecksumFailed:
            m.fate = BurstFate::ChecksumFailed;
            out.push_back(ChecksumFailure{standard});
            break;
          case FskBurst::Fate::CutOff: m.fate = BurstFate::CutOff; break;
          case FskBurst::Fate::Unreadable: m.fate = BurstFate::Unreadable; break;
        }
        if (bursts) bursts->push_back(std::move(m));
      }
      settled.push_back({start, end});
      pending = std::move(rest);
    }
  }
};

LineDecoder::LineDecoder(Standard fixed) : impl_(std::make_unique<Impl>()) {
  impl_->fixed = fixed;
  switch (fixed) {
    case Standard::Auto:
      impl_->fsk.push_back(std::make_unique<FskReceiver>(Standard::ClipV23));
      impl_->fsk.push_back(std::make_unique<FskReceiver>(Standard::Bell202));
      impl_->dtmf = std::make_unique<DtmfReceiver>();
      break;
    case Standard::ClipV23:
    case Standard::JapanV23: impl_->fsk.push_back(std::make_unique<FskReceiver>(Standard::ClipV23, fixed)); break;
    case Standard::Bell202: impl_->fsk.push_back(std::make_unique<FskReceiver>(Standard::Bell202)); break;
    case Standard::ClipDtmf: impl_->dtmf = std::make_unique<DtmfReceiver>(); break;
  }
}

LineDecoder::~LineDecoder() = default;

const float* LineDecoder::Filtered() const { return impl_->x.data(); }

void LineDecoder::Feed(const int16_t* samples, size_t count, std::vector<LineEvent>& out,
                       std::vector<BurstMeasurement>* bursts) {
  Impl& d = *impl_;
  d.bursts = bursts;
  d.x.resize(count);
  d.frontEnd.Filter(samples, count, d.x.data());
  if (d.dtmf) {
    std::vector<DtmfString> strings;
    d.dtmf->Feed(d.x.data(), count, strings);
    for (DtmfString& s : strings) {
      if (s.message) out.push_back(*s.message);
      if (!bursts || s.fate == DtmfString::Fate::NotAMessage) continue;
      BurstMeasurement m;
      m.standard = Standard::ClipDtmf;
      m.start = s.digits.front().on;
      m.end = s.digits.back().off;
      m.fate = s.fate == DtmfString::Fate::Decoded      ? BurstFate::Decoded
               : s.fate == DtmfString::Fate::DigitsLost ? BurstFate::DigitsLost
                                                        : BurstFate::NoEndCode;
      m.message = std::move(s.message);
      m.digits = std::move(s.digits);
      bursts->push_back(std::move(m));
    }
  }
  if (!d.fsk.empty()) {
    std::vector<FskBurst> framed;
    for (auto& r : d.fsk) r->Feed(d.x.data(), count, framed);
    d.pending.insert(d.pending.end(), framed.begin(), framed.end());
  }
  d.n += int64_t(count);
  d.Settle(out);
  d.bursts = nullptr;
  std::erase_if(d.settled, [&](const Impl::Span& s) { return s.end + kRemember < d.n; });
}

}  // namespace device::audio
