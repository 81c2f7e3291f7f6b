#pragma once
// Calls and levels on their way to the window. Delivered a few per turn of
// the event loop, so a flood of records never freezes the window; bounded,
// so a device that floods cannot eat memory (dropped calls are counted and
// said). Only the newest levels matter, so levels waiting are replaced.
#include <QObject>
#include <deque>
#include <functional>

#include "device/core/records.h"

namespace device {

class RecordQueue : public QObject {
  Q_OBJECT
 public:
  static constexpr size_t kMaxQueued = 256;
  static constexpr int kEventsPerTurn = 16;

  struct Item {
    bool isCall = true;
    QString deviceId;
    CallRecord call;
    LevelRecord levels;
  };
  using Deliver = std::function<void(const Item&)>;
  using Dropped = std::function<void(int calls)>;

  RecordQueue(Deliver deliver, Dropped dropped) : deliver_(std::move(deliver)), dropped_(std::move(dropped)) {}

  void Enqueue(Item item);

 private:
  void Drain();
  void Post();

  Deliver deliver_;
  Dropped dropped_;
  std::deque<Item> queue_;
  bool drainPosted_ = false;
  int droppedCalls_ = 0;
};

}  // namespace device
