#pragma once
// At most one message line per device a second: a device that sends garbage
// must not flood the message area, yet nothing goes unmentioned. Errors held
// back are counted and summed up once the second is over; a notice (a
// device's account of its own state, each worth reading) waits its turn in
// its own words, and only those beyond a few are counted.
#include <QString>
#include <deque>
#include <functional>
#include <map>

namespace device {

class ErrorLimiter {
 public:
  static constexpr qint64 kIntervalMs = 1000;
  static constexpr size_t kMaxWaiting = 8;
  using Output = std::function<void(const QString&)>;

  explicit ErrorLimiter(Output output) : output_(std::move(output)) {}

  // An error of the device known as `key` (shown as `label`).
  void Report(const void* key, const QString& label, const QString& message, qint64 nowMs);
  // A notice of that device.
  void Notice(const void* key, const QString& label, const QString& message, qint64 nowMs);
  // Passes the next waiting notice, or sums up what was held back, for a
  // device whose second is over.
  void Flush(const void* key, const QString& label, qint64 nowMs);
  // The device is gone: what it still had to say goes now.
  void Forget(const void* key, const QString& label);

 private:
  struct State {
    qint64 lastMs = -1;
    int suppressed = 0;
    std::deque<QString> waiting;
    int noticesDropped = 0;
  };
  static bool Due(const State& s, qint64 nowMs) { return s.lastMs < 0 || nowMs - s.lastMs >= kIntervalMs; }
  void Emit(State& s, const QString& label, const QString& message, qint64 nowMs);

  Output output_;
  std::map<const void*, State> devices_;
};

}  // namespace device
