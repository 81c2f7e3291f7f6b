#include "device/serial/serial_session.h"

namespace device {

namespace {
// Bytes we queue towards a device that does not read; beyond it, commands
// are dropped rather than piling up.
constexpr qint64 kMaxUnsent = 4096;
}  // namespace

SerialSession::SerialSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock)
    : DeviceSession(entry, owner, clock) {
  connect(&port_, &QSerialPort::readyRead, this, &SerialSession::ReadAvailable);
  connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
    if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError) return;
    if (!port_.isOpen()) return;
    // Read what is left so a record completed just before the error counts.
    ReadAvailable();
    MarkFailed();
    port_.close();
  });
}

SerialSession::~SerialSession() { Close(); }

bool SerialSession::Open(QString* error) {
  port_.setPortName(entry_.target);
  if (!port_.open(QIODevice::ReadWrite)) {
    *error = QStringLiteral("%1 açılamadı: %2").arg(entry_.name, port_.errorString());
    return false;
  }
  port_.setBaudRate(QSerialPort::Baud9600);
  port_.setDataBits(QSerialPort::Data8);
  port_.setParity(QSerialPort::NoParity);
  port_.setStopBits(QSerialPort::OneStop);
  port_.setFlowControl(QSerialPort::NoFlowControl);
  lastRxMs_ = NowMs();
  return true;
}

void SerialSession::Close() {
  if (port_.isOpen()) port_.close();
}

void SerialSession::Send(const QByteArray& bytes) {
  if (!port_.isOpen() || port_.bytesToWrite() > kMaxUnsent) return;
  port_.write(bytes);
}

void SerialSession::ReadAvailable() {
  const QByteArray bytes = port_.readAll();
  if (bytes.isEmpty()) return;
  Received(bytes, NowMs());
}

void SerialSession::Received(const QByteArray& bytes, qint64 nowMs) {
  lastRxMs_ = nowMs;
  OnBytes(bytes, nowMs);
}

}  // namespace device
