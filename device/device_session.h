#pragma once
// One linked device: its serial port and what it has told us. Runs on the
// thread that owns it (the user-interface thread); all port I/O is
// asynchronous, so nothing here blocks.
#include <QObject>
#include <QSerialPort>

#include "device/device_directory.h"
#include "device/records.h"

namespace device {

class DeviceSession;

// What a session reports to the control.
class SessionOwner {
 public:
  virtual ~SessionOwner() = default;
  virtual void SessionCall(DeviceSession* session, const CallRecord& call) = 0;
  virtual void SessionLevels(DeviceSession* session, const LevelRecord& levels) = 0;
  virtual void SessionError(DeviceSession* session, const QString& message) = 0;
};

class DeviceSession : public QObject {
  Q_OBJECT
 public:
  DeviceSession(const DeviceEntry& entry, SessionOwner* owner);
  ~DeviceSession() override;

  // Opens the port; false with a description when it cannot be opened.
  bool Open(QString* error);
  void Close();

  // Called every control tick (a few times a second) with a monotonic clock.
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
  // The port reported an error (device gone); the control drops the session.
  bool PortFailed() const { return portFailed_; }
  // A short name for messages: the serial, else the entry name.
  QString Label() const { return serial_.isEmpty() ? entry_.name : serial_; }

  // For tests and benchmarks: feeds bytes as if read from the port.
  void InjectBytes(const QByteArray& bytes, qint64 nowMs);

 protected:
  virtual void OnBytes(const QByteArray& bytes, qint64 nowMs) = 0;
  void Send(const QByteArray& bytes);
  static qint64 NowMs();

  SessionOwner* owner_;
  DeviceEntry entry_;
  QString model_;
  QString serial_;
  qint64 lastRxMs_ = 0;

 private:
  void ReadAvailable();
  QSerialPort port_;
  bool portFailed_ = false;
};

}  // namespace device
