#include "device/public_format/udp_unit_session.h"

#include "device/directory/ethunit_address.h"
#include "device/public_format/serial_unit_session.h"

namespace device {

PublicFormatUdpSession::PublicFormatUdpSession(const DeviceEntry& entry, SessionOwner* owner,
                                               const MonotonicClock& clock, PublicFormatParser::Clock wallClock)
    : DeviceSession(entry, owner, clock),
      records_(
          this, owner, [this](const QString& model) { model_ = model; }, std::move(wallClock)) {}

PublicFormatUdpSession::~PublicFormatUdpSession() { Close(); }

bool PublicFormatUdpSession::Open(QString* error) {
  QString host;
  quint16 port = 0;
  PeerAddress from{};
  if (!ParseUnitAddress(entry_.target, &host, &port, &from)) {
    *error = QStringLiteral("%1: geçersiz adres \"%2\"").arg(entry_.name, entry_.target);
    return false;
  }
  QString why;
  listener_ = RecordListener::Acquire(port, &why);
  if (!listener_) {
    *error = QStringLiteral("%1 açılamadı: %2").arg(entry_.name, why);
    return false;
  }
  if (const RecordReceiver* first = listener_->Add(this, from)) {
    // The same unit under a second entry would count each of its calls twice.
    *error = QStringLiteral("%1: %2 kaydıyla aynı birim (%3, kapı %4); ikinci kayıt kullanılmadı")
                 .arg(entry_.name, first->ReceiverName(), host)
                 .arg(port);
    listener_.reset();
    return false;
  }
  return true;
}

void PublicFormatUdpSession::Close() {
  if (!listener_) return;
  listener_->Remove(this);
  listener_.reset();
}

bool PublicFormatUdpSession::RunSelfTest(QString* error) {
  *error = NoSelfTestText();
  return false;
}

void PublicFormatUdpSession::Datagram(const QByteArray& bytes) {
  RecordPacket packet;
  QString error;
  if (!ParseRecordPacket(bytes, &packet, &error)) {
    owner_->SessionError(this, error);
    return;
  }
  serial_ = QString::number(packet.serial);
  records_.Record(packet.record, NowMs());
}

void PublicFormatUdpSession::DatagramsLost(int count) {
  // Said like calls the window's queue had no room for: in a flood nearly
  // every datagram is a call's record.
  owner_->SessionCallsLost(this, count);
}

}  // namespace device
