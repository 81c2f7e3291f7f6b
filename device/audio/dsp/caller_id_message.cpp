#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

QString NonCallMessage::Key() const {
  switch (kind) {
    case Kind::MessageWaiting: return QStringLiteral("message_waiting");
    case Kind::AdviceOfCharge: return QStringLiteral("advice_of_charge");
    case Kind::ShortMessage: return QStringLiteral("short_message");
    case Kind::Other: break;
  }
  return QStringLiteral("other");
}

QString NonCallMessage::Text() const {
  switch (kind) {
    case Kind::MessageWaiting:
      if (!waiting) return QStringLiteral("mesaj bekliyor bildirimi");
      return *waiting ? QStringLiteral("mesaj bekliyor bildirimi (açık)")
                      : QStringLiteral("mesaj bekliyor bildirimi (kapalı)");
    case Kind::AdviceOfCharge: return QStringLiteral("ücret bildirimi");
    case Kind::ShortMessage: return QStringLiteral("kısa mesaj");
    case Kind::Other: break;
  }
  return QStringLiteral("arama dışı bir ileti (tür 0x%1)").arg(type, 2, 16, QLatin1Char('0'));
}

}  // namespace device::audio
