#pragma once
// Parser of what a voice modem with caller ID sends: command replies, RING
// and caller-ID records of labelled lines (DATE, TIME, NMBR, NAME, MESG ...)
// in any order, in the forms real modems use (docs/device-protocol.md). Bytes in, records out; the clock is passed in
// so that records without date or time can be completed deterministically.
#include <QByteArray>
#include <QDateTime>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "device/core/records.h"
#include "device/serial/line_splitter.h"

namespace device {

class ModemParser {
 public:
  using Clock = std::function<QDateTime()>;
  enum class Field { Date, Time, DateTime, Number, Reason, Name, Message, Ignored };

  struct Ring {};
  // A line that is neither a record field nor RING: a command reply (OK,
  // ERROR, identity text) or junk; the caller knows which it expects.
  struct Reply {
    QByteArray line;
  };
  using Event = std::variant<CallRecord, Ring, Reply, ParseError>;

  explicit ModemParser(Clock clock = &QDateTime::currentDateTime);

  void Feed(const char* data, qsizetype size, std::vector<Event>& out);
  void Feed(const QByteArray& bytes, std::vector<Event>& out) { Feed(bytes.constData(), bytes.size(), out); }
  // Ends a record that is still open (the modem went quiet after its fields).
  void Flush(std::vector<Event>& out);
  bool RecordOpen() const { return open_; }
  qsizetype PendingBytes() const { return splitter_.Pending(); }

 private:
  void Line(const QByteArray& line, std::vector<Event>& out);
  void Ringing(std::vector<Event>& out);
  void BlankLine(std::vector<Event>& out);
  void AddField(Field field, const QByteArray& value, std::vector<Event>& out);
  void Finish(std::vector<Event>& out);
  void ClearRecord();

  Clock clock_;
  LineSplitter splitter_;
  bool open_ = false;
  bool blankAfterNumber_ = false;  // a blank line came after the number, before a name
  std::optional<QByteArray> date_, time_, number_, reason_, name_, message_;
};

}  // namespace device
