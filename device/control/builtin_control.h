#pragma once
// The program's own caller-ID control, registered under the control's class
// identifier. It finds declared devices by itself (device_linker.h), talks
// to each through its session and raises the contract's events. Four helpers
// do the work: the directory watch and the linker, the record queue towards
// the window and the once-a-second error limit; the control answers the
// contract's calls.
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <memory>

#include "device/control/device_linker.h"
#include "device/control/directory_watch.h"
#include "device/control/session_factory.h"
#include "device/core/clock.h"
#include "device/core/error_limiter.h"
#include "device/core/record_queue.h"
#include "device/host/contract.h"

namespace device {

class TBuiltinControl : public QObject, public ITevra, public SessionOwner {
  Q_OBJECT
 public:
  // How often the links are looked after (the sessions' timing, and the
  // linker's rescan when it is due); the directories are read at once when
  // they change.
  static constexpr int kTickMs = 200;
  static constexpr size_t kMaxQueued = RecordQueue::kMaxQueued;

  // Makes the session for a declared device (the program: CreateSession).
  using SessionMaker =
      std::function<std::unique_ptr<DeviceSession>(const DeviceEntry&, SessionOwner*, const MonotonicClock&)>;

  explicit TBuiltinControl(const QStringList& directories = DefaultDeviceDirectories(),
                           const MonotonicClock& clock = SteadyClock(), SessionMaker makeSession = &CreateSession);
  ~TBuiltinControl() override;

  HRESULT RunServiceAction() override;
  HRESULT StartMonitoring() override;
  HRESULT GetInfo(const QString& key, QString* value) override;
  HRESULT PutProperty(int dispId, const QVariant& value) override;
  HRESULT Advise(IEventSink* sink) override;
  HRESULT Unadvise() override;
  QString ErrorDescription() const override { return error_; }

  void SessionCall(DeviceSession* session, const CallRecord& call) override;
  void SessionLevels(DeviceSession* session, const LevelRecord& levels) override;
  void SessionError(DeviceSession* session, const QString& message) override;
  void SessionNotice(DeviceSession* session, const QString& message) override;
  void SessionCallsLost(DeviceSession* session, int calls) override;

  // One round of looking after the links, now (also run by the timer).
  void Tick();

 private:
  DeviceSession* Primary() const { return linker_.Primary(); }
  // The directories changed: link and drop at once.
  void DirectoriesChanged();
  void TickSession(DeviceSession* session, qint64 nowMs);
  void Deliver(const RecordQueue::Item& item);
  void Dropping(DeviceSession* session);
  void PushError(const QString& message);
  HRESULT Ok();
  HRESULT Fail(HRESULT hr, const QString& description);
  // A failure waiting to be reported by the next call.
  bool TakePendingError();

  const MonotonicClock& clock_;
  QTimer timer_;
  IEventSink* sink_ = nullptr;
  QString error_;
  std::deque<QString> pendingErrors_;
  QString announced_;        // the reported device as last answered (entry, model, serial)
  bool serialOwed_ = false;  // its serial is answered next without a waiting message
  ErrorLimiter errors_;
  RecordQueue queue_;
  DirectoryWatch watch_;
  DeviceLinker linker_;  // last: its sessions report into the members above
};

// Registers the built-in control's factory under CLSID_Tevra.
void RegisterBuiltinControl();

std::unique_ptr<ITevra> CreateBuiltinControl(const QByteArray& propertyStream);

}  // namespace device
