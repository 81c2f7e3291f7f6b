#pragma once
// A unit of the public multi-line call-record format on Ethernet: its
// record packets arrive on a UDP port (3520 unless the entry says otherwise)
// from the address its entry declares. The session only listens; the
// unit's serial is the one its packets carry.
#include <memory>

#include "device/public_format/public_format_records.h"
#include "device/public_format/udp_record_listener.h"

namespace device {

class PublicFormatUdpSession : public DeviceSession, private RecordReceiver {
  Q_OBJECT
 public:
  PublicFormatUdpSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
                         PublicFormatParser::Clock wallClock = &QDateTime::currentDateTime);
  ~PublicFormatUdpSession() override;

  bool Open(QString* error) override;
  void Close() override;
  void Tick(qint64 nowMs) override { records_.Tick(nowMs); }
  bool RunSelfTest(QString* error) override;
  bool HasPartialRecord() const override { return false; }  // a packet is a whole record

  // Each datagram the listener took from the unit's address.
  void Datagram(const QByteArray& bytes) override;
  QString ReceiverName() const override { return entry_.name; }
  void DatagramsLost(int count) override;

 private:
  PublicFormatRecords records_;
  std::shared_ptr<RecordListener> listener_;
};

}  // namespace device
