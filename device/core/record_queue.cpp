#include "device/core/record_queue.h"

namespace device {

void RecordQueue::Enqueue(Item item) {
  if (!item.isCall && !queue_.empty() && !queue_.back().isCall) {
    queue_.back() = std::move(item);
  } else if (queue_.size() >= kMaxQueued) {
    if (item.isCall) dropped_(item);
    return;
  } else {
    queue_.push_back(std::move(item));
  }
  Post();
}

void RecordQueue::Post() {
  if (drainPosted_) return;
  drainPosted_ = true;
  QMetaObject::invokeMethod(this, &RecordQueue::Drain, Qt::QueuedConnection);
}

void RecordQueue::Drain() {
  drainPosted_ = false;
  for (int n = 0; n < kEventsPerTurn && !queue_.empty(); ++n) {
    const Item item = std::move(queue_.front());
    queue_.pop_front();
    deliver_(item);
  }
  if (!queue_.empty()) Post();
}

}  // namespace device
