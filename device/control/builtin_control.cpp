#include "device/control/builtin_control.h"

#include "device/control/session_factory.h"
#include "device/host/registry.h"

namespace device {

namespace {
constexpr size_t kMaxPendingErrors = 16;
}  // namespace

TBuiltinControl::TBuiltinControl(const QStringList& directories, const MonotonicClock& clock, SessionMaker makeSession)
    : clock_(clock),
      timer_(this),
      errors_([this](const QString& text) { PushError(text); }),
      queue_([this](const RecordQueue::Item& item) { Deliver(item); },
             [this](const RecordQueue::Item& call) { errors_.LostCalls(call.source, call.label, 1, clock_.NowMs()); }),
      watch_(directories, [this] { DirectoriesChanged(); }),
      linker_(
          directories, [this, make = std::move(makeSession)](const DeviceEntry& e) { return make(e, this, clock_); },
          [this](const QString& path, const QString& label, const QString& text) {
            errors_.Line(path, label, text, clock_.NowMs());
          },
          [this](DeviceSession* s) { Dropping(s); }) {
  timer_.setInterval(kTickMs);
  connect(&timer_, &QTimer::timeout, this, &TBuiltinControl::Tick);
}

TBuiltinControl::~TBuiltinControl() { timer_.stop(); }

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
    watch_.Refresh();  // watching before the first reading, so nothing made between is missed
    Tick();
  }
  return Ok();
}

HRESULT TBuiltinControl::GetInfo(const QString& key, QString* value) {
  value->clear();
  DeviceSession* primary = Primary();
  // A device that has just identified is shown at the window's next poll,
  // which asks for the model and then the serial: messages waiting then go
  // out on the calls after those two, half a second later, instead of each
  // putting the device off by a poll.
  const QString shown =
      primary ? primary->Entry().path + u'\n' + primary->Model() + u'\n' + primary->Serial() : QString();
  const bool announce = key == QLatin1String("devicemodel") && primary && shown != announced_;
  const bool owed = key == QLatin1String("serial") && serialOwed_;
  serialOwed_ = announce;
  if (announce || !primary) announced_ = shown;  // gone and back is shown first again
  if (!announce && !owed && TakePendingError()) return E_FAIL;
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

void TBuiltinControl::Tick() {
  const qint64 now = clock_.NowMs();
  if (linker_.ScanDue(now)) {
    watch_.Refresh();  // a directory the system could not watch before
    linker_.Scan(now);
  }
  // Ticking may report and so change nothing in the links but the queue.
  for (const auto& s : linker_.Sessions()) TickSession(s.get(), now);
  // Refused entries and devices gone have their held-back lines too.
  errors_.FlushAll(now);
}

void TBuiltinControl::DirectoriesChanged() {
  const qint64 now = clock_.NowMs();
  const size_t linked = linker_.Scan(now);
  // A device just linked asks for its identity now, not at the next tick.
  const auto& sessions = linker_.Sessions();
  for (size_t i = sessions.size() - linked; i < sessions.size(); ++i) TickSession(sessions[i].get(), now);
}

void TBuiltinControl::TickSession(DeviceSession* s, qint64 nowMs) {
  s->Tick(nowMs);
  errors_.Flush(s->Entry().path, s->Label(), nowMs);
}

void TBuiltinControl::Dropping(DeviceSession* s) {
  // Plugged in again, it is a device just identified once more.
  if (announced_.startsWith(s->Entry().path + u'\n')) announced_.clear();
  // Its last words wait their turn, and go out at once as it is forgotten.
  if (s->HasPartialRecord())
    errors_.InTurn(s->Entry().path, s->Label(),
                   QStringLiteral("Cihaz %1 kayıt ortasında ayrıldı; yarım kalan kayıt atıldı").arg(s->Label()),
                   clock_.NowMs());
  errors_.Forget(s->Entry().path, s->Label());
}

void TBuiltinControl::SessionCall(DeviceSession* session, const CallRecord& call) {
  RecordQueue::Item item;
  item.isCall = true;
  item.source = session->Entry().path;
  item.label = session->Label();
  item.deviceId = session->Serial();
  item.call = call;
  queue_.Enqueue(std::move(item));
}

void TBuiltinControl::SessionLevels(DeviceSession* session, const LevelRecord& levels) {
  if (session != Primary()) return;  // the window shows the levels of one device
  RecordQueue::Item item;
  item.isCall = false;
  item.levels = levels;
  queue_.Enqueue(std::move(item));
}

void TBuiltinControl::SessionError(DeviceSession* session, const QString& message) {
  errors_.Report(session->Entry().path, session->Label(), message, clock_.NowMs());
}

void TBuiltinControl::SessionNotice(DeviceSession* session, const QString& message) {
  errors_.Notice(session->Entry().path, session->Label(), message, clock_.NowMs());
}

void TBuiltinControl::SessionCallsLost(DeviceSession* session, int calls) {
  errors_.LostCalls(session->Entry().path, session->Label(), calls, clock_.NowMs());
}

void TBuiltinControl::Deliver(const RecordQueue::Item& item) {
  if (!sink_) return;
  if (item.isCall) {
    // Arguments last first: OtherText, DateTime, PhoneNumber, Line, DeviceID.
    sink_->Invoke(DISPID_OnCallerID, {item.call.text, item.call.dateTime, item.call.number,
                                      QString::number(item.call.line), item.deviceId});
  } else {
    QVariantList args;
    for (int i = 7; i >= 0; --i) args << QString::number(item.levels.levels[i]);
    sink_->Invoke(DISPID_OnSignalA, args);
  }
}

std::unique_ptr<ITevra> CreateBuiltinControl(const QByteArray&) { return std::make_unique<TBuiltinControl>(); }

void RegisterBuiltinControl() { ControlRegistry::Register(CLSID_Tevra, &CreateBuiltinControl); }

}  // namespace device
