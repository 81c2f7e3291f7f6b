#pragma once
// A unit of the public multi-line call-record format on Ethernet: its
// record packets arrive on a UDP port (3520 unless the entry says otherwise)
// from the address its entry declares. The session only listens; the
// unit's serial is the one its packets carry.
#include <memory>

#include "device/lineunit_records.h"
#include "device/record_listener.h"

namespace device {

class EthUnitSession : public DeviceSession, private RecordReceiver {
  Q_OBJECT
 public:
  EthUnitSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
                 LineUnitParser::Clock wallClock = &QDateTime::currentDateTime);
  ~EthUnitSession() override;

  bool Open(QString* error) override;
  void Close() override;
  void Tick(qint64 nowMs) override { records_.Tick(nowMs); }
  bool RunSelfTest(QString* error) override;
  bool HasPartialRecord() const override { return false; }  // a packet is a whole record

  // Handles a datagram as if it had come from the unit's address.
  void Datagram(const QByteArray& bytes) override;

 private:
  LineUnitRecords records_;
  std::shared_ptr<RecordListener> listener_;
};

}  // namespace device
