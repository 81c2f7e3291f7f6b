#pragma once
// Cuts a byte stream into lines with a hard bound on line length, so that a
// device sending no terminators cannot make us hold unbounded memory.
#include <QByteArray>
#include <QString>
#include <functional>

namespace device {

class LineSplitter {
 public:
  static constexpr int kMaxLine = 256;

  // line: the bytes without terminator; tooLong: the line exceeded kMaxLine
  // and is dropped up to the next terminator (line then holds its first
  // bytes, for the error text; it is reported as soon as the bound is hit).
  using Sink = std::function<void(const QByteArray& line, bool tooLong)>;

  // CR, LF and CR LF each end a line; empty lines are passed on.
  void Feed(const char* data, qsizetype size, const Sink& sink);
  // Bytes of an unfinished line held back.
  qsizetype Pending() const { return buffer_.size(); }

 private:
  QByteArray buffer_;
  bool overflow_ = false;
  bool lastWasCR_ = false;
};

}  // namespace device
