#include "device/public_format/serial_unit_session.h"

namespace device {

QString NoSelfTestText() { return QStringLiteral("Bu birim komut almıyor; öz sınama yapılamaz"); }

PublicFormatSerialSession::PublicFormatSerialSession(const DeviceEntry& entry, SessionOwner* owner,
                                                     const MonotonicClock& clock, PublicFormatParser::Clock wallClock)
    : SerialSession(entry, owner, clock),
      records_(
          this, owner, [this](const QString& model) { model_ = model; }, std::move(wallClock)) {
  serial_ = entry.name;
}

bool PublicFormatSerialSession::RunSelfTest(QString* error) {
  *error = NoSelfTestText();
  return false;
}

}  // namespace device
