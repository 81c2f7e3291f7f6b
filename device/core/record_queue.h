#pragma once
// Calls and levels on their way to the window. Delivered a few per turn of
// the event loop, so a flood of records never freezes the window; bounded,
// so a device that floods cannot eat memory (each dropped call is handed
// to whoever counts and says them). Only the newest levels matter, so levels waiting are replaced.
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
    QString source;  // the entry path of the session it came from
    QString label;   // and how that session is named
    QString deviceId;
    CallRecord call;
    LevelRecord levels;
  };
  using Deliver = std::function<void(const Item&)>;
  using Dropped = std::function<void(const Item& call)>;

  RecordQueue(Deliver deliver, Dropped dropped) : deliver_(std::move(deliver)), dropped_(std::move(dropped)) {}

  void Enqueue(Item item);

 private:
  void Drain();
  void Post();

  Deliver deliver_;
  Dropped dropped_;
  std::deque<Item> queue_;
  bool drainPosted_ = false;
};

}  // namespace device
