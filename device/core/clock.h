#pragma once
// The one clock behind all device timing: keep-alive probes, the idle time
// that ends a modem record, the quiet rule after RING, how long a ring level
// is shown, open retries and the error limit. Every session and the control
// read the same clock, so intervals measured across them agree; tests hand
// in a clock they move by hand.
#include <QtGlobal>

namespace device {

class MonotonicClock {
 public:
  virtual ~MonotonicClock() = default;
  // Milliseconds since an arbitrary fixed point; never goes back.
  virtual qint64 NowMs() const = 0;
};

// The process's steady clock.
const MonotonicClock& SteadyClock();

}  // namespace device
