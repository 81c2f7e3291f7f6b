#include "device/builtin_control.h"

#include <QElapsedTimer>

#include "device/modem_session.h"
#include "device/registry.h"
#include "device/unit_session.h"

namespace device {

namespace {

constexpr size_t kMaxPendingErrors = 16;
constexpr qint64 kOpenRetryMs = 2000;

qint64 MonotonicMs() {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return clock.elapsed();
}

}  // namespace

TBuiltinControl::TBuiltinControl(const QStringList& directories) : directories_(directories) {
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &TBuiltinControl::Tick);
}

TBuiltinControl::~TBuiltinControl() {
  timer_.stop();
  linked_.clear();
}

HRESULT TBuiltinControl::Ok() {
  error_.clear();
  return S_OK;
}

HRESULT TBuiltinControl::Fail(HRESULT hr, const QString& description) {
  error_ = description;
  return hr;
}

bool TBuiltinControl::TakePendingError() {
  if (pendingErrors_.empty()) return false;
  error_ = pendingErrors_.front();
  pendingErrors_.pop_front();
  return true;
}

void TBuiltinControl::PushError(const QString& message) {
  if (pendingErrors_.size() >= kMaxPendingErrors) pendingErrors_.pop_front();
  pendingErrors_.push_back(message);
}

HRESULT TBuiltinControl::StartMonitoring() {
  if (TakePendingError()) return E_FAIL;
  if (!timer_.isActive()) {
    timer_.start();
    Tick();
  }
  return Ok();
}

HRESULT TBuiltinControl::GetInfo(const QString& key, QString* value) {
  value->clear();
  if (TakePendingError()) return E_FAIL;
  DeviceSession* primary = Primary();
  if (key == QLatin1String("devicemodel")) {
    if (primary) *value = primary->Model();
    return Ok();
  }
  if (key == QLatin1String("serial")) {
    if (primary) *value = primary->Serial();
    return Ok();
  }
  return Fail(E_INVALIDARG, QStringLiteral("Bilinmeyen bilgi anahtarı: \"%1\"").arg(key));
}

HRESULT TBuiltinControl::RunServiceAction() {
  if (TakePendingError()) return E_FAIL;
  DeviceSession* primary = Primary();
  if (!primary) return Fail(E_FAIL, QStringLiteral("Bağlı cihaz yok; öz sınama yapılamadı"));
  QString why;
  if (!primary->RunSelfTest(&why)) return Fail(E_NOTIMPL, why);
  return Ok();
}

HRESULT TBuiltinControl::PutProperty(int dispId, const QVariant&) {
  // The control draws nothing of its own, so the surface has nothing to hide.
  if (dispId == DISPID_SurfaceVisible) return Ok();
  return Fail(DISP_E_MEMBERNOTFOUND, QString());
}

HRESULT TBuiltinControl::Advise(IEventSink* sink) {
  sink_ = sink;
  return Ok();
}

HRESULT TBuiltinControl::Unadvise() {
  sink_ = nullptr;
  return Ok();
}

DeviceSession* TBuiltinControl::Primary() const {
  for (const Linked& l : linked_)
    if (l.session->Identified()) return l.session.get();
  return nullptr;
}

void TBuiltinControl::Tick() {
  const qint64 now = MonotonicMs();
  Scan(now);
  // Ticking may report and so change nothing in linked_ but the queue.
  for (Linked& l : linked_) {
    l.session->Tick(now);
    // Errors held back by the once-a-second limit are summed up once the
    // second is over, so none goes unmentioned.
    if (l.suppressed > 0 && now - l.lastErrorMs >= kErrorIntervalMs) {
      PushError(QStringLiteral("Cihaz %1: %2 hata daha oldu").arg(l.session->Label()).arg(l.suppressed));
      l.lastErrorMs = now;
      l.suppressed = 0;
    }
  }
}

void TBuiltinControl::Scan(qint64 nowMs) {
  const std::vector<DeviceEntry> entries = ScanDeviceDirectories(directories_);
  // Drop links whose entry went away, changed, or whose port failed.
  for (size_t i = linked_.size(); i-- > 0;) {
    const DeviceSession& s = *linked_[i].session;
    bool present = false;
    for (const DeviceEntry& e : entries)
      if (e == s.Entry()) present = true;
    if (!present || s.PortFailed()) Unlink(i, nowMs);
  }
  for (const DeviceEntry& e : entries) {
    bool known = false;
    for (const Linked& l : linked_)
      if (l.session->Entry() == e) known = true;
    if (known) continue;
    auto retry = retryAfter_.find(e.path);
    if (retry != retryAfter_.end() && nowMs < retry->second) continue;
    std::unique_ptr<DeviceSession> session;
    if (e.family == DeviceFamily::Modem)
      session = std::make_unique<ModemSession>(e, this);
    else
      session = std::make_unique<UnitSession>(e, this);
    QString why;
    if (!session->Open(&why)) {
      retryAfter_[e.path] = nowMs + kOpenRetryMs;
      if (!openReported_[e.path]) PushError(why);
      openReported_[e.path] = true;
      continue;
    }
    retryAfter_.erase(e.path);
    openReported_.erase(e.path);
    linked_.push_back(Linked{std::move(session)});
  }
}

void TBuiltinControl::Unlink(size_t index, qint64 nowMs) {
  DeviceSession& s = *linked_[index].session;
  if (s.PortFailed()) retryAfter_[s.Entry().path] = nowMs + kOpenRetryMs;
  if (s.HasPartialRecord())
    PushError(QStringLiteral("Cihaz %1 kayıt ortasında ayrıldı; yarım kalan kayıt atıldı").arg(s.Label()));
  // Calls of this device still waiting keep their device identifier.
  linked_.erase(linked_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TBuiltinControl::SessionCall(DeviceSession* session, const CallRecord& call) {
  Queued q;
  q.isCall = true;
  q.deviceId = session->Serial();
  q.call = call;
  Enqueue(std::move(q));
}

void TBuiltinControl::SessionLevels(DeviceSession* session, const LevelRecord& levels) {
  if (session != Primary()) return;  // the window shows the levels of one device
  Queued q;
  q.isCall = false;
  q.levels = levels;
  Enqueue(std::move(q));
}

void TBuiltinControl::SessionError(DeviceSession* session, const QString& message) {
  const qint64 now = MonotonicMs();
  for (Linked& l : linked_) {
    if (l.session.get() != session) continue;
    if (l.lastErrorMs >= 0 && now - l.lastErrorMs < kErrorIntervalMs) {
      ++l.suppressed;
      return;
    }
    QString text = QStringLiteral("Cihaz %1: %2").arg(session->Label(), message);
    if (l.suppressed > 0) text += QStringLiteral(" (öncesinde %1 hata daha)").arg(l.suppressed);
    l.lastErrorMs = now;
    l.suppressed = 0;
    PushError(text);
    return;
  }
}

void TBuiltinControl::Enqueue(Queued item) {
  if (!item.isCall && !queue_.empty() && !queue_.back().isCall) {
    queue_.back() = std::move(item);  // only the newest levels matter
  } else if (queue_.size() >= kMaxQueued) {
    if (item.isCall) ++droppedCalls_;
    return;
  } else {
    queue_.push_back(std::move(item));
  }
  if (!drainPosted_) {
    drainPosted_ = true;
    QMetaObject::invokeMethod(this, &TBuiltinControl::Drain, Qt::QueuedConnection);
  }
}

void TBuiltinControl::Drain() {
  drainPosted_ = false;
  if (droppedCalls_ > 0) {
    PushError(QStringLiteral("Çok hızlı kayıt akışı: %1 arama kaydı atlandı").arg(droppedCalls_));
    droppedCalls_ = 0;
  }
  for (int n = 0; n < kEventsPerTurn && !queue_.empty(); ++n) {
    const Queued q = std::move(queue_.front());
    queue_.pop_front();
    if (!sink_) continue;
    if (q.isCall) {
      // Arguments last first: OtherText, DateTime, PhoneNumber, Line, DeviceID.
      sink_->Invoke(DISPID_OnCallerID,
                    {q.call.text, q.call.dateTime, q.call.number, QString::number(q.call.line), q.deviceId});
    } else {
      QVariantList args;
      for (int i = 7; i >= 0; --i) args << QString::number(q.levels.levels[i]);
      sink_->Invoke(DISPID_OnSignalA, args);
    }
  }
  if (!queue_.empty() && !drainPosted_) {
    drainPosted_ = true;
    QMetaObject::invokeMethod(this, &TBuiltinControl::Drain, Qt::QueuedConnection);
  }
}

std::unique_ptr<ITevra> CreateBuiltinControl(const QByteArray&) { return std::make_unique<TBuiltinControl>(); }

void RegisterBuiltinControl() { ControlRegistry::Register(CLSID_Tevra, &CreateBuiltinControl); }

}  // namespace device
