#include "tools/line-check/event_order.h"

#include <algorithm>

#include "tools/line-check/event_report.h"

namespace linecheck {

void EventOrder::Add(int line, const device::audio::WatchEvent& event) {
  held_.push_back({EventStart(event), arrivals_++, {line, event}});
}

std::vector<LineEvent> EventOrder::Release(int64_t horizon) {
  const auto due = std::stable_partition(held_.begin(), held_.end(), [&](const Entry& h) { return h.start < horizon; });
  std::vector<Entry> out(std::make_move_iterator(held_.begin()), std::make_move_iterator(due));
  held_.erase(held_.begin(), due);
  std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) {
    if (a.start != b.start) return a.start < b.start;
    if (a.item.line != b.item.line) return a.item.line < b.item.line;
    return a.order < b.order;
  });
  std::vector<LineEvent> events;
  events.reserve(out.size());
  for (Entry& h : out) events.push_back(std::move(h.item));
  return events;
}

std::vector<LineEvent> EventOrder::Flush() { return Release(INT64_MAX); }

}  // namespace linecheck
