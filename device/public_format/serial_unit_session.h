#pragma once
// A unit of the public multi-line call-record format on a serial link
// (9600 8N1). It only talks: the session never writes to the port. Its
// serial is the entry name, since the records carry none.
#include "device/public_format/public_format_records.h"
#include "device/serial/serial_session.h"

namespace device {

class PublicFormatSerialSession : public SerialSession {
  Q_OBJECT
 public:
  PublicFormatSerialSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
                            PublicFormatParser::Clock wallClock = &QDateTime::currentDateTime);

  void Tick(qint64 nowMs) override { records_.Tick(nowMs); }
  bool RunSelfTest(QString* error) override;
  bool HasPartialRecord() const override { return records_.HasPartialRecord(); }

 protected:
  void OnBytes(const QByteArray& bytes, qint64 nowMs) override { records_.Feed(bytes, nowMs); }

 private:
  PublicFormatRecords records_;
};

// The units take no commands, so there is no self-test to start.
QString NoSelfTestText();

}  // namespace device
