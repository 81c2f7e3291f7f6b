#include "device/core/error_limiter.h"

#include <utility>

namespace device {

void ErrorLimiter::Emit(State& s, const QString& label, const QString& message, qint64 nowMs) {
  QString text = QStringLiteral("Cihaz %1: %2").arg(label, message);
  if (s.suppressed > 0) text += QStringLiteral(" (öncesinde %1 hata daha)").arg(s.suppressed);
  s.lastMs = nowMs;
  s.suppressed = 0;
  output_(text);
}

void ErrorLimiter::Report(const void* key, const QString& label, const QString& message, qint64 nowMs) {
  State& s = devices_[key];
  if (!Due(s, nowMs)) {
    ++s.suppressed;
    return;
  }
  Emit(s, label, message, nowMs);
}

void ErrorLimiter::Notice(const void* key, const QString& label, const QString& message, qint64 nowMs) {
  State& s = devices_[key];
  if (Due(s, nowMs) && s.waiting.empty())
    Emit(s, label, message, nowMs);
  else if (s.waiting.size() < kMaxWaiting)
    s.waiting.push_back(message);
  else
    ++s.noticesDropped;
}

void ErrorLimiter::Flush(const void* key, const QString& label, qint64 nowMs) {
  auto it = devices_.find(key);
  if (it == devices_.end()) return;
  State& s = it->second;
  if (!Due(s, nowMs)) return;
  if (!s.waiting.empty()) {
    const QString next = std::move(s.waiting.front());
    s.waiting.pop_front();
    Emit(s, label, next, nowMs);
  } else if (s.noticesDropped > 0) {
    const int dropped = std::exchange(s.noticesDropped, 0);
    Emit(s, label, QStringLiteral("%1 bildirim daha atlandı").arg(dropped), nowMs);
  } else if (s.suppressed > 0) {
    output_(QStringLiteral("Cihaz %1: %2 hata daha oldu").arg(label).arg(s.suppressed));
    s.lastMs = nowMs;
    s.suppressed = 0;
  }
}

void ErrorLimiter::Forget(const void* key, const QString& label) {
  auto it = devices_.find(key);
  if (it == devices_.end()) return;
  for (const QString& n : it->second.waiting) output_(QStringLiteral("Cihaz %1: %2").arg(label, n));
  devices_.erase(it);
}

}  // namespace device
