#include "device/core/error_limiter.h"

namespace device {

void ErrorLimiter::Report(const void* key, const QString& label, const QString& message, qint64 nowMs) {
  State& s = devices_[key];
  if (s.lastMs >= 0 && nowMs - s.lastMs < kIntervalMs) {
    ++s.suppressed;
    return;
  }
  QString text = QStringLiteral("Cihaz %1: %2").arg(label, message);
  if (s.suppressed > 0) text += QStringLiteral(" (öncesinde %1 hata daha)").arg(s.suppressed);
  s.lastMs = nowMs;
  s.suppressed = 0;
  output_(text);
}

void ErrorLimiter::Flush(const void* key, const QString& label, qint64 nowMs) {
  auto it = devices_.find(key);
  if (it == devices_.end()) return;
  State& s = it->second;
  if (s.suppressed > 0 && nowMs - s.lastMs >= kIntervalMs) {
    output_(QStringLiteral("Cihaz %1: %2 hata daha oldu").arg(label).arg(s.suppressed));
    s.lastMs = nowMs;
    s.suppressed = 0;
  }
}

}  // namespace device
