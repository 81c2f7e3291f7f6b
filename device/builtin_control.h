#pragma once
// The program's own caller-ID control, registered under the control's class
// identifier. It finds declared devices by itself (device_directory.h),
// talks to each over its serial link and raises the contract's events.
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "device/contract.h"
#include "device/device_session.h"

namespace device {

class TBuiltinControl : public QObject, public ITevra, public SessionOwner {
  Q_OBJECT
 public:
  // How often the device directories are read and the links looked after.
  static constexpr int kTickMs = 200;
  // At most one error per device per this many milliseconds.
  static constexpr qint64 kErrorIntervalMs = 1000;
  // Events waiting for the window; beyond it, calls are dropped (and said so).
  static constexpr size_t kMaxQueued = 256;
  // Events handed to the window per turn of the event loop.
  static constexpr int kEventsPerTurn = 16;

  explicit TBuiltinControl(const QStringList& directories = DefaultDeviceDirectories());
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

  // The device the control reports: the first linked one that identified.
  DeviceSession* Primary() const;
  size_t LinkedCount() const { return linked_.size(); }
  // One round of looking after the links, now (also run by the timer).
  void Tick();

 private:
  struct Linked {
    std::unique_ptr<DeviceSession> session;
    qint64 lastErrorMs = -1;
    int suppressed = 0;
  };
  struct Queued {
    bool isCall = true;
    QString deviceId;
    CallRecord call;
    LevelRecord levels;
  };

  void Scan(qint64 nowMs);
  void Unlink(size_t index, qint64 nowMs);
  void Enqueue(Queued item);
  void Drain();
  void PushError(const QString& message);
  HRESULT Ok();
  HRESULT Fail(HRESULT hr, const QString& description);
  // A failure waiting to be reported by the next call.
  bool TakePendingError();

  QStringList directories_;
  QTimer timer_;
  IEventSink* sink_ = nullptr;
  QString error_;
  std::vector<Linked> linked_;  // in the order they were linked
  std::map<QString, qint64> retryAfter_;   // entry path -> when to try opening again
  std::map<QString, bool> openReported_;   // entry path -> open failure reported
  std::deque<Queued> queue_;
  bool drainPosted_ = false;
  int droppedCalls_ = 0;
  std::deque<QString> pendingErrors_;
};

// Registers the built-in control's factory under CLSID_Tevra.
void RegisterBuiltinControl();

std::unique_ptr<ITevra> CreateBuiltinControl(const QByteArray& propertyStream);

}  // namespace device
