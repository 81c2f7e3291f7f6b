#include "device/serial/line_splitter.h"

namespace device {

void LineSplitter::Feed(const char* data, qsizetype size, const Sink& sink) {
  for (qsizetype i = 0; i < size; ++i) {
    const char c = data[i];
    if (c == '\n' && lastWasCR_) {
      lastWasCR_ = false;  // second half of CR LF
      continue;
    }
    lastWasCR_ = (c == '\r');
    if (c == '\r' || c == '\n') {
      if (overflow_) {
        overflow_ = false;  // the tail of a line already reported as too long
        continue;
      }
      const QByteArray line = buffer_;
      buffer_.clear();
      sink(line, false);
      continue;
    }
    if (overflow_) continue;
    if (buffer_.size() >= kMaxLine) {
      // Report at once, so a device that never ends its line is noticed too,
      // then skip to the next terminator.
      overflow_ = true;
      const QByteArray head = buffer_;
      buffer_.clear();
      sink(head, true);
      continue;
    }
    buffer_.append(c);
  }
}

}  // namespace device
