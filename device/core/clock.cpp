#include "device/core/clock.h"

#include <QElapsedTimer>

namespace device {

namespace {

class ElapsedClock : public MonotonicClock {
 public:
  ElapsedClock() { timer_.start(); }
  qint64 NowMs() const override { return timer_.elapsed(); }

 private:
  QElapsedTimer timer_;
};

}  // namespace

const MonotonicClock& SteadyClock() {
  static const ElapsedClock clock;
  return clock;
}

}  // namespace device
