#include "device/core/error_limiter.h"

#include <algorithm>
#include <utility>

namespace device {

namespace {
QString DeviceLine(const QString& label, const QString& message) {
  return QStringLiteral("Cihaz %1: %2").arg(label, message);
}
}  // namespace

QString ErrorLimiter::LostCallsText(int calls) {
  return QStringLiteral("Çok hızlı kayıt akışı: %1 arama kaydı atlandı").arg(calls);
}

ErrorLimiter::State& ErrorLimiter::Of(const QString& key, const QString& label) {
  State& s = devices_[key];
  s.label = label;
  return s;
}

void ErrorLimiter::Emit(State& s, const QString& line, qint64 nowMs) {
  QString text = line;
  if (s.suppressed > 0) text += QStringLiteral(" (öncesinde %1 hata daha)").arg(s.suppressed);
  s.lastMs = nowMs;
  s.suppressed = 0;
  output_(text);
}

void ErrorLimiter::Report(const QString& key, const QString& label, const QString& message, qint64 nowMs) {
  Line(key, label, DeviceLine(label, message), nowMs);
}

void ErrorLimiter::Line(const QString& key, const QString& label, const QString& line, qint64 nowMs) {
  State& s = Of(key, label);
  if (!Due(s, nowMs)) {
    ++s.suppressed;
    return;
  }
  Emit(s, line, nowMs);
}

void ErrorLimiter::Notice(const QString& key, const QString& label, const QString& message, qint64 nowMs) {
  InTurn(key, label, DeviceLine(label, message), nowMs);
}

void ErrorLimiter::InTurn(const QString& key, const QString& label, const QString& line, qint64 nowMs) {
  State& s = Of(key, label);
  if (Due(s, nowMs) && s.waiting.empty() && s.lostCalls == 0)
    Emit(s, line, nowMs);
  else if (std::find(s.waiting.begin(), s.waiting.end(), line) != s.waiting.end())
    return;  // the same words would only be said twice in a row
  else if (s.waiting.size() < kMaxWaiting)
    s.waiting.push_back(line);
  else
    ++s.noticesDropped;
}

void ErrorLimiter::LostCalls(const QString& key, const QString& label, int calls, qint64 nowMs) {
  if (calls <= 0) return;
  State& s = Of(key, label);
  s.lostCalls += calls;
  if (Due(s, nowMs)) FlushState(s, nowMs);
}

void ErrorLimiter::FlushState(State& s, qint64 nowMs) {
  if (!Due(s, nowMs)) return;
  if (s.lostCalls > 0) {
    Emit(s, DeviceLine(s.label, LostCallsText(std::exchange(s.lostCalls, 0))), nowMs);
  } else if (!s.waiting.empty()) {
    const QString next = std::move(s.waiting.front());
    s.waiting.pop_front();
    Emit(s, next, nowMs);
  } else if (s.noticesDropped > 0) {
    const int dropped = std::exchange(s.noticesDropped, 0);
    Emit(s, DeviceLine(s.label, QStringLiteral("%1 bildirim daha atlandı").arg(dropped)), nowMs);
  } else if (s.suppressed > 0) {
    output_(DeviceLine(s.label, QStringLiteral("%1 hata daha oldu").arg(s.suppressed)));
    s.lastMs = nowMs;
    s.suppressed = 0;
  }
}

void ErrorLimiter::Flush(const QString& key, const QString& label, qint64 nowMs) {
  auto it = devices_.find(key);
  if (it == devices_.end()) return;
  it->second.label = label;
  FlushState(it->second, nowMs);
}

void ErrorLimiter::FlushAll(qint64 nowMs) {
  for (auto& [key, s] : devices_) FlushState(s, nowMs);
}

void ErrorLimiter::Forget(const QString& key, const QString& label) {
  auto it = devices_.find(key);
  if (it == devices_.end()) return;
  State& s = it->second;
  if (s.lostCalls > 0) output_(DeviceLine(label, LostCallsText(std::exchange(s.lostCalls, 0))));
  for (const QString& line : s.waiting) output_(line);
  s.waiting.clear();
}

}  // namespace device
