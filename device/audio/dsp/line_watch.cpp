#include "device/audio/dsp/line_watch.h"

#include <algorithm>

#include "device/audio/dsp/alert_tone_detector.h"
#include "device/audio/dsp/band_activity.h"
#include "device/audio/dsp/burst_meter.h"
#include "device/audio/dsp/line_decoder.h"
#include "device/audio/dsp/line_diagnosis.h"
#include "device/audio/dsp/ring_detector.h"

namespace device::audio {
namespace {
constexpr int64_t kNever = -(int64_t(1) << 40);
// Quiet line fed at the end, so a burst that ended just before it settles.
constexpr int kSettle = kSampleRate / 2;

bool IsFsk(Standard s) { return s == Standard::ClipV23 || s == Standard::Bell202 || s == Standard::JapanV23; }

// Where an event ends, to put what one Feed produced in the order it happened.
int64_t EndOf(const WatchEvent& e) {
  return std::visit(
      [](const auto& v) -> int64_t {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, ReversalEvent>)
          return v.at;
        else if constexpr (std::is_same_v<T, CycleVerdict>)
          return v.at;
        else
          return v.end;
      },
      e);
}
}  // namespace

struct LineWatch::Impl {
  int line = 0;
  Standard fixed = Standard::Auto;
  LineDecoder decoder;
  // A device fixed to one family still hears the other, to say so; never a call.
  std::unique_ptr<LineDecoder> other;
  RingDetector rings;
  AlertToneDetector alerts;
  BurstMeter meter;
  // In-band signals of a burst's length: a burst the receivers could not
  // frame shows here, held until a ring tells it lies within a ring cycle.
  BandActivity activity;
  std::vector<BandActivity::Span> spans, unframed;
  // Where rings, alert tones and framed bursts were lately: a span over one
  // of them is that signal, not a burst of its own.
  std::vector<BandActivity::Span> taken;
  std::vector<LineEvent> calls;  // the decoder's own list; the bursts say the same
  std::vector<BurstReport> bursts, otherBursts;
  std::vector<int16_t> held;  // samples short of a whole decoding step
  std::vector<WatchEvent> heard;
  int64_t n = 0;

  int64_t lastRingEnd = kNever, lastReversal = kNever, lastAlertEnd = kNever;

  struct Cycle {
    bool open = false;
    bool judged = false;
    int rings = 0;
    int64_t lastRingStart = kNever;
    int64_t start = kNever;         // its first ring or burst
    int64_t lastActivity = kNever;  // end of its last ring or burst
    std::vector<BurstReport> bursts;
  } cycle;

  Impl(int l, Standard f) : line(l), fixed(f), decoder(f) {
    if (IsFsk(f))
      other = std::make_unique<LineDecoder>(Standard::ClipDtmf);
    else if (f == Standard::ClipDtmf)
      other = std::make_unique<LineDecoder>(Standard::ClipV23);
  }

  void Precede(BurstReport& b) const {
    const std::pair<int64_t, Precursor> candidates[] = {
        {lastRingEnd, Precursor::Ring}, {lastReversal, Precursor::Reversal}, {lastAlertEnd, Precursor::AlertTone}};
    for (const auto& [at, kind] : candidates) {
      if (at <= b.start && b.start - at <= kCycleGap && at > b.beforeEnd) {
        b.beforeEnd = at;
        b.before = kind;
      }
    }
  }

  void Judge(int64_t at, std::vector<WatchEvent>& out) {
    Cycle& c = cycle;
    if (c.judged) return;
    CycleVerdict v;
    v.start = c.start;
    v.at = at;
    v.rings = c.rings;
    double figure = 0;
    const auto good = std::find_if(c.bursts.begin(), c.bursts.end(),
                                   [](const BurstReport& b) { return b.fate == BurstFate::Decoded && !b.otherFamily; });
    const auto other = std::find_if(c.bursts.begin(), c.bursts.end(), [](const BurstReport& b) {
      return b.otherFamily && (b.fate == BurstFate::Decoded || b.fate == BurstFate::ChecksumFailed);
    });
    if (good != c.bursts.end()) {
      v.diagnosis = Diagnosis::Good;
      v.burst = *good;
    } else if (other != c.bursts.end()) {
      v.burst = *other;
      v.diagnosis = DiagnoseBurst(*other, &figure);
    } else {
      // The other family's bursts that are not even readable say nothing.
      // A burst the receivers framed says more than one they could not.
      auto own = std::find_if(c.bursts.rbegin(), c.bursts.rend(),
                              [](const BurstReport& b) { return !b.otherFamily && b.fate != BurstFate::NotFramed; });
      if (own == c.bursts.rend())
        own = std::find_if(c.bursts.rbegin(), c.bursts.rend(), [](const BurstReport& b) { return !b.otherFamily; });
      if (own != c.bursts.rend()) {
        v.burst = *own;
        v.diagnosis = DiagnoseBurst(*own, &figure);
      } else if (c.rings >= 2) {
        v.diagnosis = Diagnosis::NoCallerId;
      } else {
        return;  // one ring and nothing: the call may have been answered
      }
    }
    c.judged = true;
    if (v.diagnosis != Diagnosis::Good && v.diagnosis != Diagnosis::NoCallerId) v.figure = figure;
    v.text = DiagnosisText(line, v.diagnosis, figure, v.burst ? &*v.burst : nullptr);
    out.push_back(std::move(v));
  }

  // Starts a new cycle at `at` unless the open one still holds it.
  void Join(int64_t at, std::vector<WatchEvent>& out) {
    if (cycle.open && at - cycle.lastActivity <= kCycleGap) {
      cycle.start = std::min(cycle.start, at);
      return;
    }
    Close(out);
    cycle = Cycle{};
    cycle.open = true;
    cycle.start = at;
  }

  void Close(std::vector<WatchEvent>& out) {
    if (cycle.open) Judge(std::max(n, cycle.lastActivity), out);
    cycle.open = false;
  }

  // What came before a burst ended this long before the noise under it is
  // measured: an alert tone's or a ring's own tail stays out.
  static constexpr int64_t kQuietAfter = 3 * kSampleRate / 100;  // the detectors time a signal to within 20 ms

  void Take(WatchEvent e, std::vector<WatchEvent>& out) {
    if (auto* r = std::get_if<RingEvent>(&e)) {
      TakeUnframed(r->start, out);
      Remember({r->start, r->end});
      Join(r->start, out);
      ++cycle.rings;
      r->ringInCycle = cycle.rings;
      r->period = cycle.rings > 1 ? r->start - cycle.lastRingStart : -1;
      cycle.lastRingStart = r->start;
      cycle.lastActivity = std::max(cycle.lastActivity, r->end);
      lastRingEnd = r->end;
      out.push_back(e);
      // Caller ID comes before the first ring or between the first two: by
      // the second the cycle can be judged.
      if (cycle.rings == 2) Judge(r->end, out);
      return;
    }
    if (const auto* r = std::get_if<ReversalEvent>(&e)) lastReversal = r->at;
    if (const auto* a = std::get_if<AlertToneEvent>(&e)) {
      lastAlertEnd = a->end;
      Remember({a->start, a->end});
    }
    out.push_back(e);
  }

  // The rings' and tones' edges are timed to a detector block; their tails
  // in the band stay out with them.
  static constexpr int64_t kMargin = kSampleRate / 16;

  void Remember(BandActivity::Span s) {
    std::erase_if(taken, [&](const BandActivity::Span& t) { return s.start - t.end > 2 * kCycleGap; });
    taken.push_back({s.start - kMargin, s.end + kMargin});
  }

  static bool Overlap(const BandActivity::Span& a, int64_t start, int64_t end) {
    return a.start < end && start < a.end;
  }

  // A ring starting at `ringStart`: the in-band signals before it, after the
  // ring before and within a cycle's gap, that are no other signal, are
  // bursts no receiver framed. Speech on a line off hook has no ring after it.
  void TakeUnframed(int64_t ringStart, std::vector<WatchEvent>& out) {
    std::vector<BandActivity::Span> before;
    std::erase_if(unframed, [&](const BandActivity::Span& s) {
      if (s.start >= ringStart) return false;
      if (s.end + kMargin <= ringStart && ringStart - s.end <= kCycleGap &&
          std::none_of(taken.begin(), taken.end(),
                       [&](const BandActivity::Span& t) { return Overlap(t, s.start, s.end); }))
        before.push_back(s);
      return true;
    });
    for (const BandActivity::Span& s : before) {
      BurstReport b = meter.MeasureUnframed(s.start, s.end, QuietFrom());
      Precede(b);
      Join(b.start, out);
      cycle.lastActivity = std::max(cycle.lastActivity, b.end);
      cycle.bursts.push_back(b);
      out.push_back(std::move(b));
    }
  }

  // The line is quiet from here on before a burst, as far as the watch knows.
  int64_t QuietFrom() const { return std::max({lastRingEnd, lastReversal, lastAlertEnd}) + kQuietAfter; }

  void TakeBurst(BurstReport b, bool otherFamily, std::vector<WatchEvent>& out) {
    meter.Measure(b, QuietFrom());
    b.otherFamily = otherFamily;
    Precede(b);
    Remember({b.start, b.end});
    // A framed burst settled late is no unframed one (its span came first).
    std::erase_if(cycle.bursts, [&](const BurstReport& u) {
      return u.fate == BurstFate::NotFramed && u.start < b.end && b.start < u.end;
    });
    Join(b.start, out);
    cycle.lastActivity = std::max(cycle.lastActivity, b.end);
    cycle.bursts.push_back(b);
    out.push_back(std::move(b));
    // A line that never rests for a cycle's gap (calls back to back, a stuck
    // ringer) keeps one cycle open for ever. Its verdict needs the first good
    // burst, the first of the other family and the latest ones: older ones
    // go, so a line watched for weeks holds no more than this.
    constexpr size_t kMaxCycleBursts = 16;
    if (cycle.bursts.size() > kMaxCycleBursts) {
      auto& all = cycle.bursts;
      const auto good = std::find_if(
          all.begin(), all.end(), [](const BurstReport& u) { return u.fate == BurstFate::Decoded && !u.otherFamily; });
      const auto other = std::find_if(all.begin(), all.end(), [](const BurstReport& u) {
        return u.otherFamily && (u.fate == BurstFate::Decoded || u.fate == BurstFate::ChecksumFailed);
      });
      for (auto it = all.begin(); it != all.end(); ++it)
        if (it != good && it != other) {
          all.erase(it);
          break;
        }
    }
  }

  // One decoding step of kStep samples, so every detector sees the same
  // blocks however the audio arrived.
  void Step(const int16_t* samples, std::vector<WatchEvent>& out) {
    constexpr size_t count = LineDecoder::kStep;
    heard.clear();
    bursts.clear();
    otherBursts.clear();
    calls.clear();
    decoder.Feed(samples, count, calls, &bursts);
    const float* band = decoder.Filtered();
    meter.Feed(samples, band, count);
    rings.Feed(samples, band, count, heard);
    alerts.Feed(band, count, heard);
    spans.clear();
    activity.Feed(band, count, spans);
    unframed.insert(unframed.end(), spans.begin(), spans.end());
    n += int64_t(count);
    std::erase_if(unframed, [&](const BandActivity::Span& s) { return n - s.end > kCycleGap; });
    if (other) {
      calls.clear();
      other->Feed(samples, count, calls, &otherBursts);
      std::erase_if(otherBursts, [](const BurstReport& m) {
        return m.fate != BurstFate::Decoded && m.fate != BurstFate::ChecksumFailed && m.fate != BurstFate::DigitsLost;
      });
    }
    // In the order things ended on the line, so each burst knows what came
    // before it.
    struct Next {
      int64_t end;
      WatchEvent* event;
      BurstReport* burst;
      bool other;
    };
    std::vector<Next> order;
    for (WatchEvent& e : heard) order.push_back({EndOf(e), &e, nullptr, false});
    for (BurstReport& m : bursts) order.push_back({m.end, nullptr, &m, false});
    for (BurstReport& m : otherBursts) order.push_back({m.end, nullptr, &m, true});
    std::stable_sort(order.begin(), order.end(), [](const Next& a, const Next& b) { return a.end < b.end; });
    for (const Next& x : order) {
      if (x.event)
        Take(std::move(*x.event), out);
      else
        TakeBurst(std::move(*x.burst), x.other, out);
    }
    if (cycle.open && n - cycle.lastActivity > kCycleGap) Close(out);
  }
};

LineWatch::LineWatch(int line, Standard fixed) : impl_(std::make_unique<Impl>(line, fixed)) {}
LineWatch::~LineWatch() = default;

void LineWatch::Feed(const int16_t* samples, size_t count, std::vector<WatchEvent>& out) {
  Impl& d = *impl_;
  constexpr size_t kStep = LineDecoder::kStep;
  while (count > 0) {
    if (d.held.empty() && count >= kStep) {
      d.Step(samples, out);
      samples += kStep;
      count -= kStep;
      continue;
    }
    const size_t take = std::min(count, kStep - d.held.size());
    d.held.insert(d.held.end(), samples, samples + take);
    samples += take;
    count -= take;
    if (d.held.size() == kStep) {
      d.Step(d.held.data(), out);
      d.held.clear();
    }
  }
}

void LineWatch::Finish(std::vector<WatchEvent>& out) {
  const std::vector<int16_t> quiet(kSettle, 0);
  Feed(quiet.data(), quiet.size(), out);
  impl_->Close(out);
}

int64_t LineWatch::Horizon() const { return impl_->n - kLatest; }

}  // namespace device::audio
