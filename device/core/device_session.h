#pragma once
// One linked device and what it has told us, whatever carries its data (a
// serial link, audio, datagrams). Runs on the thread that owns it (the
// user-interface thread) and never blocks it.
#include <QObject>

#include "device/core/clock.h"
#include "device/core/device_entry.h"
#include "device/core/records.h"

namespace device {

class DeviceSession;

// What a session reports to the control.
class SessionOwner {
 public:
  virtual ~SessionOwner() = default;
  virtual void SessionCall(DeviceSession* session, const CallRecord& call) = 0;
  virtual void SessionLevels(DeviceSession* session, const LevelRecord& levels) = 0;
  virtual void SessionError(DeviceSession* session, const QString& message) = 0;
  // What the device says of its own state; shown in its own words, in turn.
  virtual void SessionNotice(DeviceSession* session, const QString& message) = 0;
  // Calls the device sent that were lost before they could be read.
  virtual void SessionCallsLost(DeviceSession* session, int calls) = 0;
};

class DeviceSession : public QObject {
  Q_OBJECT
 public:
  DeviceSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock);
  ~DeviceSession() override;

  // Opens the device; false with a description when it cannot be opened.
  virtual bool Open(QString* error) = 0;
  virtual void Close() = 0;

  // Called every control tick (a few times a second) with the control's clock.
  virtual void Tick(qint64 nowMs) = 0;
  // Starts the device's self-test; false with a description when the
  // device has none.
  virtual bool RunSelfTest(QString* error) = 0;
  // A record was cut off: bytes of it are held.
  virtual bool HasPartialRecord() const = 0;

  const DeviceEntry& Entry() const { return entry_; }
  bool Identified() const { return !model_.isEmpty(); }
  QString Model() const { return model_; }
  QString Serial() const { return serial_; }
  // The link reported an error (device gone); the control drops the session.
  bool PortFailed() const { return portFailed_; }
  // A short name for messages: the serial, else the entry name.
  QString Label() const { return serial_.isEmpty() ? entry_.name : serial_; }

 protected:
  qint64 NowMs() const { return clock_.NowMs(); }
  void MarkFailed() { portFailed_ = true; }

  SessionOwner* owner_;
  DeviceEntry entry_;
  QString model_;
  QString serial_;

 private:
  const MonotonicClock& clock_;
  bool portFailed_ = false;
};

}  // namespace device
