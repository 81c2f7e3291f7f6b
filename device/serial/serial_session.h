#pragma once
// A device on a serial link (a USB serial port or a pseudo-terminal): all
// port I/O is asynchronous, bytes are stamped with the control's clock.
#include <QSerialPort>

#include "device/core/device_session.h"

namespace device {

class SerialSession : public DeviceSession {
  Q_OBJECT
 public:
  SerialSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock);
  ~SerialSession() override;

  bool Open(QString* error) override;
  void Close() override;

 protected:
  // Bytes read from the port at `nowMs`.
  void Received(const QByteArray& bytes, qint64 nowMs);
  virtual void OnBytes(const QByteArray& bytes, qint64 nowMs) = 0;
  void Send(const QByteArray& bytes);

  qint64 lastRxMs_ = 0;

 private:
  void ReadAvailable();
  QSerialPort port_;
};

}  // namespace device
