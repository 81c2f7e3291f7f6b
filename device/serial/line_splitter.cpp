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

#include <QStringDecoder>

namespace device {

QString PrintableExcerpt(const QByteArray& bytes, int maxBytes) {
  QString out;
  const qsizetype n = qMin<qsizetype>(bytes.size(), maxBytes);
  for (qsizetype i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\')
      out += QLatin1Char(static_cast<char>(c));
    else
      out += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
  }
  if (bytes.size() > n) out += QStringLiteral("...");
  return out;
}

bool DecodeUtf8(const QByteArray& bytes, QString* text) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  *text = decoder.decode(bytes);
  return !decoder.hasError();
}

}  // namespace device
