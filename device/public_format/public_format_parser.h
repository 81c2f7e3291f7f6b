#pragma once
// Parser of the public multi-line call-record format (docs/device-protocol.md):
// the call records, in their comprehensive and limited forms, and the detail
// records that some multi-line units send on a serial link or inside
// Ethernet record packets. Bytes in, records out; no event loop, no I/O. The
// wall clock is passed in because the records carry no year.
#include <QByteArray>
#include <QDateTime>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "device/core/records.h"
#include "device/serial/line_splitter.h"

namespace device {

// A call record of either form.
struct PublicFormatCall {
  int line = 0;              // as the unit numbers it (1 to 99)
  bool inbound = true;       // false: a call the line made
  bool start = true;         // false: the end-of-call record
  bool goodChecksum = true;  // the caller-ID burst's checksum was right
  int durationS = 0;         // end records: how long the call lasted
  QString number;            // as sent; the absence texts for Private / Out-of-Area
  QString name;              // trimmed; may be empty
  QString dateTime;          // kDateTimeFormat
  bool limited = false;      // the limited form (no start/end, no checksum)
};

// A detail record: something happened on a line.
struct PublicFormatDetail {
  enum Kind : char { Ring = 'R', OffHook = 'F', OnHook = 'N', HookFlash = 'H' };
  int line = 0;
  Kind kind = Ring;
  QString dateTime;
};

class PublicFormatParser {
 public:
  using Clock = std::function<QDateTime()>;
  using Event = std::variant<PublicFormatCall, PublicFormatDetail, ParseError>;
  static constexpr int kMaxLineNumber = 99;

  explicit PublicFormatParser(Clock clock = &QDateTime::currentDateTime);

  // Appends what the bytes complete to out; keeps an unfinished line.
  void Feed(const char* data, qsizetype size, std::vector<Event>& out);
  void Feed(const QByteArray& bytes, std::vector<Event>& out) { Feed(bytes.constData(), bytes.size(), out); }
  qsizetype PendingBytes() const { return splitter_.Pending(); }

  // Parses one complete record (without terminator). A record whose date or
  // time is out of range still counts, with the PC clock's value and an
  // error after it, so a unit with an unset clock loses no calls.
  void ParseLine(const QByteArray& line, std::vector<Event>& out) const;

 private:
  Clock clock_;
  LineSplitter splitter_;
};

// What the program reports for a call record: only an inbound call's start
// with a good checksum is a caller-ID report.
std::optional<CallRecord> ReportedCall(const PublicFormatCall& record);

// An Ethernet record packet: one record in one datagram, behind a header of
// "^^<U>", the unit number (6 bytes, big-endian), "<S>", the serial number
// (6 bytes, big-endian) and an optional '$'.
struct RecordPacket {
  static constexpr int kMaxSize = 512;
  quint64 unit = 0;
  quint64 serial = 0;
  QByteArray record;  // the ASCII record, without '$' and line end
};

// False with a description for anything that is not one well-formed packet.
bool ParseRecordPacket(const QByteArray& datagram, RecordPacket* packet, QString* error);
// The packet a unit sends for one record (the simulator sends these).
QByteArray MakeRecordPacket(quint64 unit, quint64 serial, const QByteArray& record);

}  // namespace device
