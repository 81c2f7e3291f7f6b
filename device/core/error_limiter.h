#pragma once
// At most one error line per device a second: a device that sends garbage
// must not flood the message area, yet no error goes unmentioned. Errors
// held back are counted and summed up once the second is over.
#include <QString>
#include <functional>
#include <map>

namespace device {

class ErrorLimiter {
 public:
  static constexpr qint64 kIntervalMs = 1000;
  using Output = std::function<void(const QString&)>;

  explicit ErrorLimiter(Output output) : output_(std::move(output)) {}

  // An error of the device known as `key` (shown as `label`).
  void Report(const void* key, const QString& label, const QString& message, qint64 nowMs);
  // Sums up what was held back for devices whose second is over.
  void Flush(const void* key, const QString& label, qint64 nowMs);
  void Forget(const void* key) { devices_.erase(key); }

 private:
  struct State {
    qint64 lastMs = -1;
    int suppressed = 0;
  };
  Output output_;
  std::map<const void*, State> devices_;
};

}  // namespace device
