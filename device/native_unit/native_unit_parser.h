#pragma once
// Parser of the multi-line unit's line protocol (docs/device-protocol.md):
// bytes in, records out. No event loop, no I/O.
#include <QByteArray>
#include <variant>
#include <vector>

#include "device/core/records.h"
#include "device/serial/line_splitter.h"

namespace device {

// The unit answered PING.
struct Pong {};
// The unit accepted TEST; its lines report test calls next.
struct TestAccepted {};

class NativeUnitParser {
 public:
  using Event = std::variant<CallRecord, LevelRecord, IdentRecord, Pong, TestAccepted, ParseError>;

  // Appends what the bytes complete to out; keeps an unfinished line.
  void Feed(const char* data, qsizetype size, std::vector<Event>& out);
  void Feed(const QByteArray& bytes, std::vector<Event>& out) { Feed(bytes.constData(), bytes.size(), out); }

  // Number of inputs, from the last identification (4 until then).
  int Lines() const { return lines_; }
  // Bytes of an unfinished record (a record cut off by unplugging).
  qsizetype PendingBytes() const { return splitter_.Pending(); }

  // Parses one complete line (without terminator).
  Event ParseLine(const QByteArray& line);

 private:
  Event ParseCall(const QList<QByteArray>& f, const QByteArray& line);
  Event ParseLevels(const QList<QByteArray>& f, const QByteArray& line);
  Event ParseIdent(const QList<QByteArray>& f, const QByteArray& line);

  LineSplitter splitter_;
  int lines_ = 4;
};

}  // namespace device
