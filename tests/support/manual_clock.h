#pragma once
// A device clock that moves only when the test moves it.
#include "device/core/clock.h"

namespace device::test {

class ManualClock : public MonotonicClock {
 public:
  explicit ManualClock(qint64 startMs = 0) : now_(startMs) {}
  qint64 NowMs() const override { return now_; }
  void Advance(qint64 ms) { now_ += ms; }

 private:
  qint64 now_;
};

}  // namespace device::test
