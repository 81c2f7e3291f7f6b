#include "device/device_session.h"

#include <QElapsedTimer>

namespace device {

namespace {
// Bytes we queue towards a device that does not read; beyond it, commands
// are dropped rather than piling up.
constexpr qint64 kMaxUnsent = 4096;
}  // namespace

DeviceSession::DeviceSession(const DeviceEntry& entry, SessionOwner* owner) : owner_(owner), entry_(entry) {
  connect(&port_, &QSerialPort::readyRead, this, &DeviceSession::ReadAvailable);
  connect(&port_, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
    if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError) return;
    if (!port_.isOpen()) return;
    // Read what is left so a record completed just before the error counts.
    ReadAvailable();
    portFailed_ = true;
    port_.close();
  });
}

DeviceSession::~DeviceSession() { Close(); }

qint64 DeviceSession::NowMs() {
  static QElapsedTimer clock = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return clock.elapsed();
}

bool DeviceSession::Open(QString* error) {
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

void DeviceSession::Close() {
  if (port_.isOpen()) port_.close();
}

void DeviceSession::Send(const QByteArray& bytes) {
  if (!port_.isOpen() || port_.bytesToWrite() > kMaxUnsent) return;
  port_.write(bytes);
}

void DeviceSession::ReadAvailable() {
  const QByteArray bytes = port_.readAll();
  if (bytes.isEmpty()) return;
  InjectBytes(bytes, NowMs());
}

void DeviceSession::InjectBytes(const QByteArray& bytes, qint64 nowMs) {
  lastRxMs_ = nowMs;
  OnBytes(bytes, nowMs);
}

}  // namespace device
