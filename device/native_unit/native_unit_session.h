#pragma once
// A multi-line unit on a serial link: asks for its identity, keeps the link
// alive with PING and notices when it stops answering.
#include "device/native_unit/native_unit_parser.h"
#include "device/serial/serial_session.h"

namespace device {

class NativeUnitSession : public SerialSession {
  Q_OBJECT
 public:
  // Silence after which we ask the unit for a sign of life, and how long it
  // may then take to answer before it counts as not answering. A unit on
  // quiet lines may send nothing at all, so only an unanswered PING tells
  // one that stopped; this reports it within 3 s for a few bytes a second.
  static constexpr qint64 kProbeAfterMs = 1000;
  static constexpr qint64 kAnswerWithinMs = 2000;
  static constexpr qint64 kIdentRetryMs = 1000;

  using SerialSession::SerialSession;

  void Tick(qint64 nowMs) override;
  bool RunSelfTest(QString* error) override;
  bool HasPartialRecord() const override { return parser_.PendingBytes() > 0; }
  int Lines() const { return parser_.Lines(); }

 protected:
  void OnBytes(const QByteArray& bytes, qint64 nowMs) override;

 private:
  NativeUnitParser parser_;
  std::vector<NativeUnitParser::Event> events_;
  qint64 identAskedMs_ = -1;
  qint64 probeSentMs_ = -1;
  bool stalled_ = false;
};

}  // namespace device
