#include "device/core/printable.h"

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
