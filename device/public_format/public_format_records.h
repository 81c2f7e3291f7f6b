#pragma once
// What a unit of the public multi-line call-record format tells, whatever
// carries its records (a serial link or Ethernet record packets): calls,
// rings shown as levels, and the number of lines it has shown so far. Such
// units take no commands, so nothing is ever sent back.
#include <functional>

#include "device/core/device_session.h"
#include "device/core/ring_cycles.h"
#include "device/core/ring_levels.h"
#include "device/public_format/public_format_parser.h"

namespace device {

class PublicFormatRecords {
 public:
  // The unit's model, said whenever a record shows more lines than before,
  // ahead of what that record reports (the control shows the levels of an
  // identified device only).
  using ModelKnown = std::function<void(const QString& model)>;

  // Reports as `session` to `owner`.
  PublicFormatRecords(DeviceSession* session, SessionOwner* owner, ModelKnown modelKnown,
                      PublicFormatParser::Clock wallClock = &QDateTime::currentDateTime);

  // Bytes of a record stream (serial link).
  void Feed(const QByteArray& bytes, qint64 nowMs);
  // One whole record (an Ethernet record packet's payload).
  void Record(const QByteArray& record, qint64 nowMs);
  // Ends the ring levels whose second is over.
  void Tick(qint64 nowMs);

  bool HasPartialRecord() const { return parser_.PendingBytes() > 0; }
  // 2, 4 or 8 from the highest line seen; 0 before any record.
  int Lines() const { return lines_; }

 private:
  void Handle(qint64 nowMs);

  DeviceSession* session_;
  SessionOwner* owner_;
  ModelKnown modelKnown_;
  PublicFormatParser parser_;
  std::vector<PublicFormatParser::Event> events_;
  RingLevels rings_;  // these units report no levels of their own
  RingCycles cycles_;
  int lines_ = 0;
};

// "Çok hatlı birim, N hat".
QString PublicFormatModel(int lines);

}  // namespace device
