#include "device/audio/dsp/line_decoder.h"

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/dtmf_receiver.h"
#include "device/audio/dsp/fixed_steps.h"
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

// Whether a step is part of a stretch of quiet line, which the receivers
// skip rather than demodulate: nothing in the band has changed its level by
// 3 dB (against the quietest and loudest of the last eight steps) for the
// last 3 s. Every burst, digit, ring and word starts with such a change, so
// they are all decoded in full, with seconds to spare after them; a line's
// steady noise changes its level by well under a dB from step to step. The
// first 3 s are decoded in full, whatever they hold.
class QuietLine {
 public:
  bool Step(const float* x, size_t count) {
    double e = 0;
    for (size_t i = 0; i < count; ++i) e += double(x[i]) * x[i];
    static const double kSilence = MeanSquareForDbm0(kSilenceDbm0);
    e = std::max(e / double(count), kSilence);
    const auto [low, high] = std::minmax_element(recent_, recent_ + kRecent);
    const bool changed = seen_ < kRecent || e > 2 * *low || e < *high / 2;
    recent_[seen_++ % kRecent] = e;
    steady_ = changed ? 0 : steady_ + 1;
    return steady_ >= kSteadySteps;
  }

 private:
  static constexpr int kRecent = 8;
  static constexpr int kSteadySteps = 3 * kSampleRate / int(LineDecoder::kStep);
  // Below this the line is digital silence, whatever its rounding does.
  static constexpr double kSilenceDbm0 = -85;
  double recent_[kRecent] = {};
  int64_t seen_ = 0;
  int steady_ = 0;
};

// Of the readings of one burst a call says most, then a message that is no
// call (both passed their checksum), then a checksum failure (framed whole),
// then a cut-off burst, then an unreadable one.
int Preference(BurstFate fate) {
  switch (fate) {
    case BurstFate::Decoded: return 0;
    case BurstFate::NotACall: return 1;
    case BurstFate::ChecksumFailed: return 2;
    case BurstFate::CutOff: return 3;
    case BurstFate::Unreadable: return 4;
    case BurstFate::DigitsLost:
    case BurstFate::NoEndCode:
    case BurstFate::NotFramed: break;
  }
  return 5;
}
}  // namespace

struct LineDecoder::Impl {
  Standard fixed = Standard::Auto;
  LineFrontEnd frontEnd;
  QuietLine quiet;
  std::vector<std::unique_ptr<FskReceiver>> fsk;
  std::unique_ptr<DtmfReceiver> dtmf;
  std::vector<BurstReport> pending;  // framed by an FSK receiver, not settled yet
  struct Span {
    int64_t start, end;
  };
  std::vector<Span> settled;
  FixedSteps<LineDecoder::kStep> steps;
  std::vector<float> x;
  std::vector<BurstReport> framed, strings;
  int64_t n = 0;

  static bool Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) { return a0 < b1 && b0 < a1; }

  // In automatic mode a CLIP or CLASS layout says nothing of the tones (the
  // two layouts are the same bytes); the mark the receiver heard does.
  Standard ByTones(Standard layout, const std::optional<double>& markHz) const {
    if (fixed != Standard::Auto || !markHz) return layout;
    if (layout != Standard::ClipV23 && layout != Standard::Bell202) return layout;
    return *markHz < kMarkBetweenHz ? Standard::Bell202 : Standard::ClipV23;
  }

  // The earliest pending burst and everything overlapping it: one burst on the line.
  std::pair<int64_t, int64_t> FirstSpan() const {
    const auto first = std::min_element(pending.begin(), pending.end(),
                                        [](const BurstReport& a, const BurstReport& b) { return a.start < b.start; });
    int64_t start = first->start, end = first->end;
    for (bool grew = true; grew;) {
      grew = false;
      for (const BurstReport& b : pending)
        if (Overlap(start, end, b.start, b.end) && (b.start < start || b.end > end)) {
          start = std::min(start, b.start);
          end = std::max(end, b.end);
          grew = true;
        }
    }
    return {start, end};
  }

  void Settle(std::vector<LineEvent>& out, std::vector<BurstReport>* bursts) {
    while (!pending.empty()) {
      const auto [start, end] = FirstSpan();
      if (n < end + kHold) return;
      const BurstReport* taken = nullptr;
      std::vector<BurstReport> rest;
      for (const BurstReport& b : pending) {
        if (!Overlap(start, end, b.start, b.end)) {
          rest.push_back(b);
          continue;
        }
        const int better = taken ? Preference(b.fate) - Preference(taken->fate) : -1;
        if (better < 0 || (better == 0 && b.quality > taken->quality)) taken = &b;
      }
      const bool known = std::any_of(settled.begin(), settled.end(),
                                     [&](const Span& s) { return Overlap(start, end, s.start, s.end); });
      if (!known && taken) {
        BurstReport b = *taken;
        b.standard = ByTones(b.standard, b.readingMarkHz);
        if (b.message) {
          b.message->standard = b.standard;
          out.push_back(*b.message);
        } else if (b.fate == BurstFate::ChecksumFailed) {
          out.push_back(ChecksumFailure{b.standard});
        }
        if (bursts) bursts->push_back(std::move(b));
      }
      settled.push_back({start, end});
      pending = std::move(rest);
    }
  }

  void Step(const int16_t* samples, std::vector<LineEvent>& out, std::vector<BurstReport>* bursts) {
    frontEnd.Filter(samples, kStep, x.data());
    const bool skip = quiet.Step(x.data(), kStep);
    if (dtmf) {
      strings.clear();
      if (skip)
        dtmf->FeedQuiet(kStep, strings);
      else
        dtmf->Feed(x.data(), kStep, strings);
      for (BurstReport& s : strings) {
        if (s.message) out.push_back(*s.message);
        if (bursts) bursts->push_back(std::move(s));
      }
    }
    framed.clear();
    for (auto& r : fsk) {
      if (skip)
        r->FeedQuiet(kStep, framed);
      else
        r->Feed(x.data(), kStep, framed);
    }
    pending.insert(pending.end(), framed.begin(), framed.end());
    n += int64_t(kStep);
    Settle(out, bursts);
    std::erase_if(settled, [&](const Span& s) { return s.end + kRemember < n; });
  }
};

LineDecoder::LineDecoder(Standard fixed) : impl_(std::make_unique<Impl>()) {
  impl_->fixed = fixed;
  impl_->x.assign(kStep, 0.f);
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
                       std::vector<BurstReport>* bursts) {
  Impl& d = *impl_;
  d.steps.Feed(samples, count, [&](const int16_t* step) { d.Step(step, out, bursts); });
}

}  // namespace device::audio
