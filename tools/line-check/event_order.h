#pragma once
// Puts the events of every line in time order before they are reported: a
// line watch learns a ring when it ends, a burst shortly after, a signal no
// receiver framed only when the next ring comes, so what it reports is not
// in the order it happened. Events are held until every watch's horizon
// (LineWatch::Horizon) has passed where they start, then released sorted by
// where they start, line by line for equal times.
#include <cstdint>
#include <vector>

#include "device/audio/dsp/line_events.h"

namespace linecheck {

struct LineEvent {
  int line = 0;  // 1-based
  device::audio::WatchEvent event;
};

class EventOrder {
 public:
  void Add(int line, const device::audio::WatchEvent& event);
  // The events that start before `horizon` (the least horizon of all
  // watches), in time order, taken from the held ones.
  std::vector<LineEvent> Release(int64_t horizon);
  // Everything held, in time order: the audio has ended.
  std::vector<LineEvent> Flush();
  size_t Held() const { return held_.size(); }

 private:
  struct Entry {
    int64_t start;
    uint64_t order;  // arrival, for events of one line at one time
    LineEvent item;
  };
  std::vector<Entry> held_;
  uint64_t arrivals_ = 0;
};

}  // namespace linecheck
