#include "device/modem/modem_session.h"

#include "device/core/printable.h"

#include "device/core/overload.h"

namespace device {

ModemSession::ModemSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
                           ModemParser::Clock wallClock)
    : SerialSession(entry, owner, clock), parser_(std::move(wallClock)) {}

void ModemSession::Command(Step step, const char* text, qint64 nowMs) {
  step_ = step;
  pending_ = true;
  sentMs_ = nowMs;
  info_.clear();
  Send(QByteArray(text) + '\r');
}

void ModemSession::OnBytes(const QByteArray& bytes, qint64 nowMs) {
  stalled_ = false;
  events_.clear();
  parser_.Feed(bytes, events_);
  Handle(events_, nowMs);
}

void ModemSession::Handle(std::vector<ModemParser::Event>& events, qint64 nowMs) {
  for (const auto& ev : events) {
    std::visit(Overload{
                   [&](const CallRecord& c) {
                     cycles_.CallerId(1, nowMs);
                     owner_->SessionCall(this, c);
                   },
                   [&](const ModemParser::Ring&) {
                     if (cycles_.Ring(1, nowMs)) owner_->SessionNotice(this, NoCallerIdText(0));
                     lastRingMs_ = nowMs;
                     owner_->SessionLevels(this, rings_.Ring(1, nowMs));
                   },
                   [&](const ModemParser::Reply& r) { Reply(r.line, nowMs); },
                   [&](const ParseError& e) { owner_->SessionError(this, e.message); },
               },
               ev);
  }
}

void ModemSession::Reply(const QByteArray& line, qint64 nowMs) {
  if (line.left(2).toUpper() == "AT") return;  // the modem echoing our command
  // Until the settings are through, a stored profile may give numeric result
  // codes (V0): 0 for OK, 4 for ERROR.
  const bool numeric = step_ == Step::Reset || step_ == Step::Settings;
  const bool ok = line == "OK" || (numeric && line == "0");
  const bool error = line == "ERROR" || (numeric && line == "4");
  if (pending_) {
    if (ok || error) {
      pending_ = false;
      Completed(ok, nowMs);
    } else if (info_.size() < 8) {
      QString text;
      if (!DecodeUtf8(line, &text)) text = QString::fromLatin1(line);
      info_ << text.trimmed();
    }
    return;
  }
  if (ok) return;
  owner_->SessionError(this, QStringLiteral("Modemden anlaşılmayan satır atlandı: \"%1\"").arg(PrintableExcerpt(line)));
}

void ModemSession::Completed(bool ok, qint64 nowMs) {
  const QString first = ok && !info_.isEmpty() ? info_.first().left(32) : QString();
  switch (step_) {
    case Step::Start:
    case Step::Reset:
      // Echo on, verbose result codes, result codes on, never answer a call.
      Command(Step::Settings, "ATE1V1Q0S0=0", nowMs);
      break;
    case Step::Settings: Command(Step::CallerId, "AT+VCID=1", nowMs); break;
    case Step::CallerId:
    case Step::CallerIdHash:
    case Step::CallerIdPlus:
      if (ok || step_ == Step::CallerIdPlus) {
        if (!ok) owner_->SessionError(this, QStringLiteral("Modem arayan numara bildirimini açmadı"));
        Command(Step::Model, "AT+GMM", nowMs);
      } else if (step_ == Step::CallerId) {
        Command(Step::CallerIdHash, "AT#CID=1", nowMs);
      } else {
        Command(Step::CallerIdPlus, "AT+CID=1", nowMs);
      }
      break;
    case Step::Model:
    case Step::ModelAti3:
    case Step::ModelAti0:
      if (!first.isEmpty() || step_ == Step::ModelAti0) {
        modelCandidate_ = first.isEmpty() ? QStringLiteral("Modem") : first;
        Command(Step::Serial, "AT+GSN", nowMs);
      } else {
        Command(step_ == Step::Model ? Step::ModelAti3 : Step::ModelAti0, step_ == Step::Model ? "ATI3" : "ATI0",
                nowMs);
      }
      break;
    case Step::Serial:
    case Step::SerialAti7:
      if (!first.isEmpty() || step_ == Step::SerialAti7) {
        serial_ = first.isEmpty() ? entry_.name : first;
        model_ = modelCandidate_;
        step_ = Step::Ready;
      } else {
        Command(Step::SerialAti7, "ATI7", nowMs);
      }
      break;
    case Step::Ready: break;  // answer to a probe
  }
}

void ModemSession::Tick(qint64 nowMs) {
  if (step_ == Step::Start && !pending_) {
    Command(Step::Reset, "ATZ", nowMs);
    return;
  }
  if (LevelRecord levels; rings_.Tick(nowMs, &levels)) owner_->SessionLevels(this, levels);
  if (parser_.RecordOpen() && nowMs - lastRxMs_ >= kRecordIdleMs) {
    // The modem sent fields and went quiet without ending the record.
    events_.clear();
    parser_.Flush(events_);
    Handle(events_, nowMs);
  }
  if (pending_) {
    if (nowMs - sentMs_ < (step_ == Step::Reset ? kResetTimeoutMs : kCommandTimeoutMs)) return;
    if (step_ == Step::Reset) {
      // Slow or quiet (Q1): the settings that follow switch result codes on.
      pending_ = false;
      Completed(false, nowMs);
      return;
    }
    if (!stalled_) {
      stalled_ = true;
      owner_->SessionError(this, QStringLiteral("Modem yanıt vermiyor"));
    }
    // Ask again from where it stopped.
    pending_ = false;
    if (step_ != Step::Ready) {
      step_ = Step::Start;
      Command(Step::Reset, "ATZ", nowMs);
    }
    return;
  }
  if (step_ == Step::Ready && nowMs - lastRxMs_ >= kProbeAfterMs &&
      (lastRingMs_ < 0 || nowMs - lastRingMs_ >= kQuietAfterRingMs) && !parser_.RecordOpen()) {
    pending_ = true;
    sentMs_ = nowMs;
    info_.clear();
    Send("AT\r");
  }
}

bool ModemSession::RunSelfTest(QString* error) {
  *error = QStringLiteral("Modemlerde öz sınama yok; servis işlemi yalnız çok hatlı cihazlarda çalışır");
  return false;
}

}  // namespace device
