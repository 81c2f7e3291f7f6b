#pragma once
// Runs line audio through a LineWatch and sorts out what it reported.
#include <algorithm>
#include <vector>

#include "device/audio/dsp/line_watch.h"
#include "tools/audio/signal_generator.h"

namespace device::audio::testing {

using audiogen::Samples;

struct Watched {
  std::vector<RingEvent> rings;
  std::vector<ReversalEvent> reversals;
  std::vector<AlertToneEvent> alerts;
  std::vector<CallProgressToneEvent> tones;
  std::vector<BurstReport> bursts;
  std::vector<CycleVerdict> verdicts;
};

inline Watched Watch(const Samples& s, Standard fixed = Standard::Auto, size_t chunk = 4000, int line = 1) {
  LineWatch w(line, fixed);
  std::vector<WatchEvent> events;
  for (size_t i = 0; i < s.size(); i += chunk) w.Feed(s.data() + i, std::min(chunk, s.size() - i), events);
  w.Finish(events);
  Watched out;
  for (const WatchEvent& e : events) {
    std::visit(
        [&](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, RingEvent>) out.rings.push_back(v);
          if constexpr (std::is_same_v<T, ReversalEvent>) out.reversals.push_back(v);
          if constexpr (std::is_same_v<T, AlertToneEvent>) out.alerts.push_back(v);
          if constexpr (std::is_same_v<T, CallProgressToneEvent>) out.tones.push_back(v);
          if constexpr (std::is_same_v<T, BurstReport>) out.bursts.push_back(v);
          if constexpr (std::is_same_v<T, CycleVerdict>) out.verdicts.push_back(v);
        },
        e);
  }
  return out;
}

}  // namespace device::audio::testing
