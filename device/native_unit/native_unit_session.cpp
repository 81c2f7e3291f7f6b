#include "device/native_unit/native_unit_session.h"

#include "device/core/overload.h"

namespace device {

void NativeUnitSession::OnBytes(const QByteArray& bytes, qint64) {
  probeSentMs_ = -1;
  stalled_ = false;
  events_.clear();
  parser_.Feed(bytes, events_);
  for (const auto& ev : events_) {
    std::visit(Overload{
                   [&](const CallRecord& c) { owner_->SessionCall(this, c); },
                   [&](const LevelRecord& l) { owner_->SessionLevels(this, l); },
                   [&](const IdentRecord& id) {
                     model_ = id.model;
                     serial_ = id.serial;
                   },
                   [&](const Pong&) {},
                   [&](const TestAccepted&) {},
                   [&](const ParseError& e) { owner_->SessionError(this, e.message); },
               },
               ev);
  }
}

void NativeUnitSession::Tick(qint64 nowMs) {
  if (!Identified() && (identAskedMs_ < 0 || nowMs - identAskedMs_ >= kIdentRetryMs)) {
    Send("ID?\r\n");
    identAskedMs_ = nowMs;
  }
  if (probeSentMs_ < 0) {
    if (nowMs - lastRxMs_ >= kProbeAfterMs) {
      Send("PING\r\n");
      probeSentMs_ = nowMs;
    }
    return;
  }
  if (nowMs - probeSentMs_ < kAnswerWithinMs) return;
  if (!stalled_) {
    stalled_ = true;
    owner_->SessionError(this, QStringLiteral("Cihaz yanıt vermiyor"));
  }
  Send("PING\r\n");  // keep asking; any answer ends the stall
  probeSentMs_ = nowMs;
}

bool NativeUnitSession::RunSelfTest(QString*) {
  Send("TEST\r\n");
  return true;
}

}  // namespace device
