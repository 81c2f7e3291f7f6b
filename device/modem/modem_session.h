#pragma once
// A voice modem with caller ID: resets it, sets echo, verbose result codes,
// result codes on and auto-answer off whatever its stored profile says,
// switches caller ID on (with the older commands as fallbacks), reads its
// identity, then listens for RING and caller-ID records, probing with AT
// when it has been quiet.
#include <QStringList>

#include "device/core/ring_cycles.h"
#include "device/core/ring_levels.h"
#include "device/modem/modem_parser.h"
#include "device/serial/serial_session.h"

namespace device {

class ModemSession : public SerialSession {
  Q_OBJECT
 public:
  static constexpr qint64 kCommandTimeoutMs = 2000;
  // A reset may take a few seconds, and a modem in quiet mode never answers
  // it: after this long the set-up goes on regardless.
  static constexpr qint64 kResetTimeoutMs = 5000;
  // An idle modem says nothing, so only an unanswered AT tells one that
  // stopped: asked after this much silence, it is reported within
  // kProbeAfterMs + kCommandTimeoutMs.
  static constexpr qint64 kProbeAfterMs = 2000;
  // No probe while the line may still be in a ring cycle: the caller-ID
  // record comes between the rings, and a command reaching the modem then
  // may make it drop the record.
  static constexpr qint64 kQuietAfterRingMs = RingCycles::kCycleGapMs;
  static constexpr qint64 kRecordIdleMs = 300;

  ModemSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
               ModemParser::Clock wallClock = &QDateTime::currentDateTime);

  void Tick(qint64 nowMs) override;
  bool RunSelfTest(QString* error) override;
  bool HasPartialRecord() const override { return parser_.PendingBytes() > 0 || parser_.RecordOpen(); }

 protected:
  void OnBytes(const QByteArray& bytes, qint64 nowMs) override;

 private:
  enum class Step {
    Start,
    Reset,
    Settings,
    CallerId,
    CallerIdHash,
    CallerIdPlus,
    Model,
    ModelAti3,
    ModelAti0,
    Serial,
    SerialAti7,
    Ready
  };
  void Command(Step step, const char* text, qint64 nowMs);
  void Reply(const QByteArray& line, qint64 nowMs);
  void Completed(bool ok, qint64 nowMs);
  void Handle(std::vector<ModemParser::Event>& events, qint64 nowMs);

  ModemParser parser_;
  std::vector<ModemParser::Event> events_;
  Step step_ = Step::Start;
  bool pending_ = false;  // a command waits for OK or ERROR
  qint64 sentMs_ = 0;
  int retries_ = 0;
  QStringList info_;
  QString modelCandidate_;  // read in the model step, shown once the serial is read too
  RingCycles cycles_;
  qint64 lastRingMs_ = -1;
  RingLevels rings_;
  bool stalled_ = false;
};

}  // namespace device
