#include "device/ethunit_session.h"

#include "device/lineunit_session.h"
#include "device/unit_address.h"

namespace device {

EthUnitSession::EthUnitSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
                               LineUnitParser::Clock wallClock)
    : DeviceSession(entry, owner, clock), records_(this, owner, &model_, std::move(wallClock)) {}

EthUnitSession::~EthUnitSession() { Close(); }

bool EthUnitSession::Open(QString* error) {
  QString host;
  quint16 port = 0;
  if (!ParseUnitAddress(entry_.target, &host, &port)) {
    *error = QStringLiteral("%1: geçersiz adres \"%2\"").arg(entry_.name, entry_.target);
    return false;
  }
  const std::optional<PeerAddress> from = ParsePeerAddress(host);
  if (!from) {
    *error = QStringLiteral("%1: geçersiz adres \"%2\"").arg(entry_.name, entry_.target);
    return false;
  }
  QString why;
  listener_ = RecordListener::Acquire(port, &why);
  if (!listener_) {
    *error = QStringLiteral("%1 açılamadı: %2").arg(entry_.name, why);
    return false;
  }
  listener_->Add(this, *from);
  return true;
}

void EthUnitSession::Close() {
  if (!listener_) return;
  listener_->Remove(this);
  listener_.reset();
}

bool EthUnitSession::RunSelfTest(QString* error) {
  *error = NoSelfTestText();
  return false;
}

void EthUnitSession::Datagram(const QByteArray& bytes) {
  RecordPacket packet;
  QString error;
  if (!ParseRecordPacket(bytes, &packet, &error)) {
    owner_->SessionError(this, error);
    return;
  }
  serial_ = QString::number(packet.serial);
  records_.Record(packet.record, NowMs());
}

}  // namespace device
