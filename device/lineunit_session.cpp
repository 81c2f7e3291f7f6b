#include "device/lineunit_session.h"

namespace device {

QString NoSelfTestText() { return QStringLiteral("Bu birim komut almıyor; öz sınama yapılamaz"); }

LineUnitSession::LineUnitSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
                                 LineUnitParser::Clock wallClock)
    : SerialSession(entry, owner, clock), records_(this, owner, &model_, std::move(wallClock)) {
  serial_ = entry.name;
}

bool LineUnitSession::RunSelfTest(QString* error) {
  *error = NoSelfTestText();
  return false;
}

}  // namespace device
