#include "device/core/ring_cycles.h"

namespace device {

bool RingCycles::Ring(int line, qint64 nowMs) {
  Line& l = lines_[line];
  if (l.lastRingMs < 0 || nowMs - l.lastRingMs > kCycleGapMs) {
    l.rings = 0;
    l.reported = false;
    l.callerId = l.lastCallerIdMs >= 0 && nowMs - l.lastCallerIdMs <= kCycleGapMs;
  }
  l.lastRingMs = nowMs;
  ++l.rings;
  if (l.rings < 2 || l.callerId || l.reported) return false;
  l.reported = true;
  return true;
}

void RingCycles::CallerId(int line, qint64 nowMs) {
  Line& l = lines_[line];
  l.lastCallerIdMs = nowMs;
  // Only within a cycle: one that ended long ago gets a fresh start from its next ring.
  if (l.lastRingMs >= 0 && nowMs - l.lastRingMs <= kCycleGapMs) l.callerId = true;
}

// One text for every family, the line audio's verdicts included.
QString NoCallerIdText(int line) {
  const QString text = QStringLiteral(
      "çaldı ama arayan bilgisi gelmedi: zilden önce de ziller arasında da sinyal yok; santral numara göndermiyor");
  return line > 0 ? QStringLiteral("Hat %1 %2").arg(line).arg(text) : QStringLiteral("Hat %1").arg(text);
}

}  // namespace device
