#include "device/audio/dsp/line_watch.h"

#include <algorithm>

#include "device/audio/dsp/alert_tone_detector.h"
#include "device/audio/dsp/band_activity.h"
#include "device/audio/dsp/burst_meter.h"
#include "device/audio/dsp/call_progress_detector.h"
#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/fixed_steps.h"
#include "device/audio/dsp/line_decoder.h"
#include "device/audio/dsp/line_diagnosis.h"
#include "device/audio/dsp/ring_detector.h"

namespace device::audio {
namespace {
constexpr int64_t kNever = -(int64_t(1) << 40);
// Quiet line fed at the end, so a burst that ended just before it settles.
constexpr int kSettle = kSampleRate / 2;
// The rings' and tones' edges are timed to a detector block; their tails in
// the band stay out with them.
constexpr int64_t kMargin = kSampleRate / 16;
// A signal in the band that no receiver framed must at least double the
// line's noise to be one (at 0 dB SNR it does): less is the noise itself.
constexpr double kLeastUnframedSnrDb = -4;
// An alert tone with no line reversal this shortly before it came with the
// line off hook: call waiting.
constexpr int64_t kReversalBeforeAlert = 2 * kSampleRate;
// Hum that clips the sound card: clipped samples in this share of a second,
// outside rings, with hum this loud on the line.
constexpr double kClippedShare = 0.01;
constexpr double kClippingHumDbm0 = -10;
constexpr int kCleanSecondsToEnd = 2;
// Hum whose harmonics keep the band's quiet floor this loud would bury a
// burst at the usual level (-13 dBm0) under noise 12 dB below it.
constexpr double kHidingBandFloorDbm0 = -25;

using Span = BandActivity::Span;

bool IsFsk(Standard s) { return s == Standard::ClipV23 || s == Standard::Bell202 || s == Standard::JapanV23; }

bool Overlap(const Span& a, int64_t start, int64_t end) { return a.start < end && start < a.end; }

// Where an event ends, to put what one step produced in the order it happened.
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
  CallProgressDetector tones;
  BurstMeter meter;
  // In-band signals of a burst's length: a burst the receivers could not
  // frame shows here, held until a ring tells it lies within a ring cycle.
  BandActivity activity;
  std::vector<Span> spans, unframed, toneSpans;
  // Where rings, alert tones, reversals, tones and framed bursts were lately:
  // a span over one of them is that signal, not a burst of its own, and the
  // noise is measured away from them.
  std::vector<Span> taken;
  std::vector<CallProgressToneEvent> heardTones;
  std::vector<LineEvent> calls;  // the decoder's own list; the bursts say the same
  std::vector<BurstReport> bursts, otherBursts;
  std::vector<WatchEvent> heard;
  FixedSteps<LineDecoder::kStep> steps;
  int64_t n = 0;

  int64_t lastRingStart = kNever, lastRingEnd = kNever, lastReversal = kNever;
  int64_t lastHeardCycle = kNever;  // the last verdict on a cycle's own figures
  int64_t lastAlertStart = kNever, lastAlertEnd = kNever;

  struct Cycle {
    bool open = false;
    bool judged = false;
    int rings = 0;
    int64_t start = kNever;  // its first ring or burst
    int64_t lastRingStart = kNever;
    int64_t lastActivity = kNever;  // end of its last ring or burst
    std::vector<int64_t> ringStarts;
    std::vector<BurstReport> bursts;
  } cycle;

  // Hum that clips the card, second by second outside rings.
  struct HumClipping {
    int64_t clipped = 0, counted = 0;  // samples of the second being counted
    int cleanSeconds = 0;
    bool active = false;
    int64_t start = 0, lastClipped = 0;
    double humDbm0 = -100, worstShare = 0;
    bool judged = false;  // a verdict named it
    int rings = 0;
  } hum;

  Impl(int l, Standard f) : line(l), fixed(f), decoder(f) {
    if (IsFsk(f))
      other = std::make_unique<LineDecoder>(Standard::ClipDtmf);
    else if (f == Standard::ClipDtmf)
      other = std::make_unique<LineDecoder>(Standard::ClipV23);
  }

  void Precede(BurstReport& b) const {
    const struct {
      int64_t start, end;
      Precursor kind;
    } candidates[] = {{lastRingStart, lastRingEnd, Precursor::Ring},
                      {lastReversal, lastReversal, Precursor::Reversal},
                      {lastAlertStart, lastAlertEnd, Precursor::AlertTone}};
    for (const auto& c : candidates) {
      if (c.end <= b.start && b.start - c.end <= kCycleGap && c.end > b.beforeEnd) {
        b.beforeStart = c.start;
        b.beforeEnd = c.end;
        b.before = c.kind;
      }
    }
    b.callWaiting = b.before == Precursor::AlertTone && lastAlertStart - lastReversal > kReversalBeforeAlert &&
                    !(cycle.open && cycle.rings > 0);
  }

  // The ring that followed a burst in its cycle, if one did.
  std::optional<int64_t> NextRing(const BurstReport& b) const {
    for (int64_t s : cycle.ringStarts)
      if (s >= b.end) return s;
    return std::nullopt;
  }

  // What a verdict rests on: a call (one within the standard before one
  // outside it); the other family's burst; a message that is no call; a
  // burst the receivers framed, then one they could not; the exchange's
  // tones; else the rings alone.
  void Judge(int64_t at, std::vector<WatchEvent>& out) {
    Cycle& c = cycle;
    if (c.judged) return;
    CycleVerdict v;
    v.start = c.start;
    v.at = at;
    v.rings = c.rings;
    const auto find = [&](auto pred) -> const BurstReport* {
      for (auto it = c.bursts.rbegin(); it != c.bursts.rend(); ++it)
        if (pred(*it)) return &*it;
      return nullptr;
    };
    const BurstReport* rest = nullptr;
    for (const BurstReport& b : c.bursts)
      if (b.fate == BurstFate::Decoded && !b.otherFamily &&
          (!rest || (FiguresOutside(b, NextRing(b)).empty() && !FiguresOutside(*rest, NextRing(*rest)).empty())))
        rest = &b;
    if (!rest)
      rest = find([](const BurstReport& b) {
        return b.otherFamily && (b.fate == BurstFate::Decoded || b.fate == BurstFate::ChecksumFailed);
      });
    if (!rest) rest = find([](const BurstReport& b) { return !b.otherFamily && b.fate == BurstFate::NotACall; });
    if (!rest) rest = find([](const BurstReport& b) { return !b.otherFamily && b.fate != BurstFate::NotFramed; });
    if (!rest) rest = find([](const BurstReport& b) { return !b.otherFamily; });
    if (rest) {
      v.burst = *rest;
      const Judgement j = JudgeBurst(*rest, NextRing(*rest));
      v.diagnosis = j.diagnosis;
      v.figure = j.figure;
      v.outside = j.outside;
    } else if (const std::optional<CallProgressToneEvent> tone = ToneOfCycle(at)) {
      v.diagnosis = Diagnosis::CallProgressTone;
      v.tone = tone;
    } else if (c.rings >= 2) {
      v.diagnosis = Diagnosis::NoCallerId;
      // Hum that clips the card, or whose harmonics fill the band, hides
      // whatever came between the rings.
      if (hum.active || (rings.MainsHz() > 0 && activity.FloorDbm0() >= kHidingBandFloorDbm0)) {
        v.diagnosis = Diagnosis::Hum;
        v.figure = hum.active ? hum.humDbm0 : rings.HumDbm0();
      }
    } else {
      return;  // one ring and nothing: the call may have been answered
    }
    if (v.diagnosis == Diagnosis::Hum) hum.judged = true;
    if (v.diagnosis != Diagnosis::Hum) lastHeardCycle = at;
    c.judged = true;
    v.text = DiagnosisText(line, v);
    v.advice = DiagnosisAdvice(v);
    out.push_back(std::move(v));
  }

  // The exchange's tone heard in the cycle (or within a cycle's gap before
  // it), classified; one still sounding counts as far as it has gone. Tone
  // stretches at a ring's edges are the ring's own harmonics.
  std::optional<CallProgressToneEvent> ToneOfCycle(int64_t at) const {
    const int64_t from = cycle.start - kCycleGap;
    for (const CallProgressToneEvent& t : heardTones)
      if (t.end >= from && t.start < at) return t;
    const bool sounding = std::any_of(toneSpans.begin(), toneSpans.end(), [&](const Span& s) {
      return s.end >= from && s.start < at &&
             std::none_of(cycle.ringStarts.begin(), cycle.ringStarts.end(), [&](int64_t r) {
               return s.end + kSampleRate / 5 >= r && s.start <= r + RingDetector::kLongestRing;
             });
    });
    if (!sounding) return std::nullopt;
    return tones.Current();
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
      if (hum.active) ++hum.rings;
      r->ringInCycle = cycle.rings;
      r->period = cycle.rings > 1 ? r->start - cycle.lastRingStart : -1;
      cycle.lastRingStart = r->start;
      cycle.ringStarts.push_back(r->start);
      cycle.lastActivity = std::max(cycle.lastActivity, r->end);
      lastRingStart = r->start;
      lastRingEnd = r->end;
      out.push_back(e);
      // Caller ID comes before the first ring or between the first two: by
      // the second the cycle can be judged.
      if (cycle.rings == 2) Judge(r->end, out);
      return;
    }
    if (const auto* r = std::get_if<ReversalEvent>(&e)) {
      lastReversal = r->at;
      Remember({r->at - kMargin, r->at + kMargin});
    }
    if (const auto* t = std::get_if<CallProgressToneEvent>(&e)) {
      std::erase_if(heardTones, [&](const CallProgressToneEvent& h) { return t->start - h.end > 3 * kCycleGap; });
      heardTones.push_back(*t);
    }
    if (const auto* a = std::get_if<AlertToneEvent>(&e)) {
      lastAlertStart = a->start;
      lastAlertEnd = a->end;
      Remember({a->start, a->end});
    }
    out.push_back(e);
  }

  void Remember(Span s) {
    std::erase_if(taken, [&](const Span& t) { return s.start - t.end > 2 * kCycleGap; });
    taken.push_back({s.start - kMargin, s.end + kMargin});
  }

  // A ring starting at `ringStart`: the in-band signals before it, after the
  // ring before and within a cycle's gap, that are no other signal, are
  // bursts no receiver framed. Speech on a line off hook has no ring after it.
  void TakeUnframed(int64_t ringStart, std::vector<WatchEvent>& out) {
    std::vector<Span> before;
    std::erase_if(unframed, [&](const Span& s) {
      if (s.start >= ringStart) return false;
      if (s.end + kMargin <= ringStart && ringStart - s.end <= kCycleGap &&
          std::none_of(taken.begin(), taken.end(), [&](const Span& t) { return Overlap(t, s.start, s.end); }))
        before.push_back(s);
      return true;
    });
    for (const Span& s : before) {
      BurstReport b = meter.MeasureUnframed(s.start, s.end, taken);
      if (b.snrDb && *b.snrDb < kLeastUnframedSnrDb) continue;
      Precede(b);
      Join(b.start, out);
      cycle.lastActivity = std::max(cycle.lastActivity, b.end);
      cycle.bursts.push_back(b);
      out.push_back(std::move(b));
    }
  }

  void TakeBurst(BurstReport b, bool otherFamily, std::vector<WatchEvent>& out) {
    b.otherFamily = otherFamily;
    Precede(b);
    meter.Measure(b, taken, fixed != Standard::Auto || otherFamily);
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

  // Second by second: does hum clip the card outside the rings? A stretch
  // of it no cycle's verdict named gets a verdict of its own when it ends,
  // for it hides the rings and caller ID alike.
  void WatchClipping(const int16_t* samples, size_t count, std::vector<WatchEvent>& out) {
    for (size_t i = 0; i < count; ++i) hum.clipped += samples[i] >= 32767 || samples[i] <= -32767;
    hum.counted += int64_t(count);
    if (hum.counted < kSampleRate) return;
    const double share = double(hum.clipped) / double(hum.counted);
    hum.clipped = hum.counted = 0;
    const bool clipping = share >= kClippedShare && rings.HumDbm0() >= kClippingHumDbm0 && !rings.Ringing();
    if (clipping) {
      if (!hum.active) hum = HumClipping{.active = true, .start = n - kSampleRate};
      hum.cleanSeconds = 0;
      hum.lastClipped = n;
      hum.humDbm0 = rings.HumDbm0();
      hum.worstShare = std::max(hum.worstShare, share);
    } else if (hum.active && !rings.Ringing() && ++hum.cleanSeconds >= kCleanSecondsToEnd) {
      EndClipping(out);
    }
  }

  void EndClipping(std::vector<WatchEvent>& out) {
    if (!hum.active) return;
    hum.active = false;
    if (hum.judged || (cycle.open && !cycle.judged)) return;
    // Hum that clipped the card around a cycle that was heard all the same:
    // only a stretch long enough beyond it to hide a whole cycle gets a
    // verdict of its own.
    if (hum.start - lastHeardCycle < kCycleGap && hum.lastClipped - std::max(hum.start, lastHeardCycle) < kCycleGap)
      return;
    CycleVerdict v;
    v.start = hum.start;
    v.at = hum.lastClipped;
    v.rings = hum.rings;
    v.diagnosis = Diagnosis::Hum;
    v.figure = hum.humDbm0;
    v.text = DiagnosisText(line, v);
    v.advice = DiagnosisAdvice(v);
    out.push_back(std::move(v));
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
    const size_t sounded = toneSpans.size();
    tones.Feed(band, count, rings.RingingOrAfter(), rings.MainsHz(), rings.HumDbm0(), heard, toneSpans);
    for (size_t i = sounded; i < toneSpans.size(); ++i) Remember(toneSpans[i]);
    std::erase_if(toneSpans, [&](const Span& s) { return n - s.end > 3 * kCycleGap; });
    spans.clear();
    activity.Feed(band, count, spans);
    unframed.insert(unframed.end(), spans.begin(), spans.end());
    n += int64_t(count);
    std::erase_if(unframed, [&](const Span& s) { return n - s.end > kCycleGap; });
    WatchClipping(samples, count, out);
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
  d.steps.Feed(samples, count, [&](const int16_t* step) { d.Step(step, out); });
}

void LineWatch::Finish(std::vector<WatchEvent>& out) {
  const std::vector<int16_t> quiet(kSettle, 0);
  Feed(quiet.data(), quiet.size(), out);
  impl_->tones.Finish(out);
  impl_->Close(out);
  impl_->EndClipping(out);
}

int64_t LineWatch::Horizon() const {
  // A tone is reported once it has been silent a while, however long it
  // sounded: what came after it waits, up to a limit, so an off-hook line's
  // endless tone does not hold every event back.
  const int64_t latest = impl_->n - kLatest;
  return std::min(latest, std::max(impl_->tones.PendingStart(), latest - kLongestTone));
}

bool LineWatch::Sounding() const { return impl_->activity.Active(); }

}  // namespace device::audio
