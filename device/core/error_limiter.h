#pragma once
// At most one message line per device a second: a device that sends garbage
// must not flood the message area, yet nothing goes unmentioned. Errors held
// back are counted and summed up once the second is over; a notice (a
// device's account of its own state, each worth reading) waits its turn in
// its own words, and only those beyond a few are counted; lost calls are
// added up and said with their number. A device is known by its entry's
// path, so what the directory scan says of an entry shares its limit with
// what the entry's session says.
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
  void Report(const QString& key, const QString& label, const QString& message, qint64 nowMs);
  // A line that names its subject itself (a refused entry or directory);
  // held back and counted like an error.
  void Line(const QString& key, const QString& label, const QString& line, qint64 nowMs);
  // A notice of that device; one whose words are already waiting is not
  // queued again.
  void Notice(const QString& key, const QString& label, const QString& message, qint64 nowMs);
  // A line that names its subject itself and waits its turn like a notice.
  void InTurn(const QString& key, const QString& label, const QString& line, qint64 nowMs);
  // Calls of that device that were lost on their way (a flood); the count
  // is said at once or with the next line due.
  void LostCalls(const QString& key, const QString& label, int calls, qint64 nowMs);
  // Passes what the device still has to say (lost calls, the next waiting
  // notice, the sum of what was held back) once its second is over.
  void Flush(const QString& key, const QString& label, qint64 nowMs);
  // The same for every device, each under the label it was last given.
  void FlushAll(qint64 nowMs);
  // The device is gone: what it still had to say goes now. Its second is
  // kept, so an entry made anew at once does not start a new one.
  void Forget(const QString& key, const QString& label);

  // The words of a count of lost calls.
  static QString LostCallsText(int calls);

 private:
  struct State {
    QString label;
    qint64 lastMs = -1;
    int suppressed = 0;
    std::deque<QString> waiting;  // whole lines
    int noticesDropped = 0;
    int lostCalls = 0;
  };
  static bool Due(const State& s, qint64 nowMs) { return s.lastMs < 0 || nowMs - s.lastMs >= kIntervalMs; }
  State& Of(const QString& key, const QString& label);
  void Emit(State& s, const QString& line, qint64 nowMs);
  void FlushState(State& s, qint64 nowMs);

  Output output_;
  std::map<QString, State> devices_;
};

}  // namespace device
