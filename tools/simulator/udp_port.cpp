#include "tools/simulator/udp_port.h"

#include <QDir>

#include "device/directory/device_directory.h"
#include "device/public_format/public_format_parser.h"

namespace sim {

namespace {
constexpr quint64 kUnitNumber = 1;
}  // namespace

UdpPort::UdpPort(QString directory, QString entryName, quint16 port, quint64 serial)
    : directory_(std::move(directory)), entryName_(std::move(entryName)), port_(port), serial_(serial) {}

UdpPort::~UdpPort() { Unplug(); }

QString UdpPort::EntryPath() const { return QDir(directory_).filePath(entryName_); }

QString UdpPort::Target() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }

bool UdpPort::Plug(QString* error) {
  if (plugged_) return true;
  plugged_ = device::CreateDeviceEntry(directory_, entryName_, Target(), error);
  return plugged_;
}

void UdpPort::Unplug() {
  if (!plugged_) return;
  QString ignored;
  device::RemoveDeviceEntry(directory_, entryName_, &ignored);
  plugged_ = false;
}

void UdpPort::Write(const QByteArray& bytes) {
  if (!plugged_) return;
  for (const QByteArray& line : bytes.split('\n')) {
    const QByteArray record = line.endsWith('\r') ? line.chopped(1) : line;
    if (!record.isEmpty()) WriteRaw(device::MakeRecordPacket(kUnitNumber, serial_, record + "\r\n"));
  }
}

void UdpPort::WriteRaw(const QByteArray& bytes) {
  if (plugged_) socket_.writeDatagram(bytes, QHostAddress::LocalHost, port_);
}

}  // namespace sim
