#include "tools/line-check/cycle_capture.h"

#include <algorithm>

#include "tools/line-check/event_report.h"

namespace linecheck {

using device::audio::CycleVerdict;
using device::audio::Diagnosis;

bool WorthKeeping(const CycleVerdict& v) {
  return v.diagnosis != Diagnosis::Good && v.diagnosis != Diagnosis::NotACall;
}

void CycleCapturer::Feed(const int16_t* samples, size_t count) {
  audio_.insert(audio_.end(), samples, samples + count);
  const int64_t excess = int64_t(audio_.size()) - kHistory;
  if (excess <= 0) return;
  audio_.erase(audio_.begin(), audio_.begin() + excess);
  audioStart_ += excess;
  while (!events_.empty() && events_.front().start < audioStart_) events_.pop_front();
}

std::optional<CycleCapture> CycleCapturer::Take(const device::audio::WatchEvent& event) {
  const auto* verdict = std::get_if<CycleVerdict>(&event);
  if (!verdict) {
    events_.push_back({EventStart(event), event});
    return std::nullopt;
  }
  ++cycles_;
  if (!WorthKeeping(*verdict)) return std::nullopt;
  CycleCapture c;
  c.line = line_;
  c.number = cycles_;
  c.verdict = *verdict;
  const int64_t held = audioStart_ + int64_t(audio_.size());
  c.from = std::clamp(std::min(verdict->start, verdict->at) - kBefore, audioStart_, held);
  const int64_t to = std::clamp(verdict->at + kAfter, c.from, held);
  c.audio.assign(audio_.begin() + (c.from - audioStart_), audio_.begin() + (to - audioStart_));
  for (const Held& h : events_)
    if (h.start >= c.from && h.start <= verdict->at) c.events.push_back(h.event);
  c.events.push_back(event);
  return c;
}

}  // namespace linecheck
