#include "device/serial/serial_session.h"

#include <unistd.h>

#include <QFile>

namespace device {

namespace {
// Bytes we queue towards a device that does not read; beyond it, commands
// are dropped rather than piling up.
constexpr qint64 kMaxUnsent = 4096;

// Why the port would not open, in the user's language: the toolkit's texts
// are English, and one of them ("Permission error while locking the
// device") means another program holds the port's lock file.
QString OpenFailure(const QSerialPort& port, const QString& path) {
  switch (port.error()) {
    case QSerialPort::PermissionError:
      if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0)
        return QStringLiteral("%1 için okuma ve yazma izni yok (örneğin dialout grubuna üye değilsiniz)").arg(path);
      return QStringLiteral("%1 başka bir program tarafından kullanılıyor (port kilitli)").arg(path);
    case QSerialPort::DeviceNotFoundError: return QStringLiteral("%1 bulunamadı").arg(path);
    case QSerialPort::OpenError: return QStringLiteral("%1 zaten açık").arg(path);
    default: return QStringLiteral("%1 açılamadı (%2)").arg(path, port.errorString());
  }
}
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
    *error = QStringLiteral("%1 açılamadı: %2").arg(entry_.name, OpenFailure(port_, entry_.target));
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
