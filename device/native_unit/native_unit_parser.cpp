#include "device/native_unit/native_unit_parser.h"

#include "device/core/printable.h"

#include <QDateTime>

namespace device {

namespace {

ParseError Error(const QString& what, const QByteArray& line) {
  return ParseError{QStringLiteral("%1: \"%2\"").arg(what, PrintableExcerpt(line))};
}

// Splits at '|' into at most maxFields fields; the last keeps any further '|'.
QList<QByteArray> SplitFields(const QByteArray& line, int maxFields) {
  QList<QByteArray> fields;
  qsizetype start = 0;
  while (fields.size() < maxFields - 1) {
    const qsizetype bar = line.indexOf('|', start);
    if (bar < 0) break;
    fields.append(line.mid(start, bar - start));
    start = bar + 1;
  }
  fields.append(line.mid(start));
  return fields;
}

bool AllDigits(const QByteArray& s) {
  if (s.isEmpty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// A small decimal in [lo, hi]; -1 when it is not one.
int SmallNumber(const QByteArray& s, int lo, int hi) {
  if (!AllDigits(s) || s.size() > 3) return -1;
  const int v = s.toInt();
  return v >= lo && v <= hi ? v : -1;
}

bool ValidNumber(const QByteArray& s) {
  const QByteArray digits = s.startsWith('+') ? s.mid(1) : s;
  if (digits.isEmpty() || digits.size() > 20) return false;
  for (char c : digits)
    if (!((c >= '0' && c <= '9') || c == '*' || c == '#')) return false;
  return true;
}

// "yyyy-MM-dd HH:mm:ss" with exactly these digits and a real date and time.
// Checked as wall-clock text, not as a local time: a call in the hour that
// daylight saving skips is still a call.
bool ValidDateTime(const QByteArray& s) {
  static const char kShape[] = "dddd-dd-dd dd:dd:dd";
  if (s.size() != qsizetype(sizeof kShape - 1)) return false;
  for (qsizetype i = 0; i < s.size(); ++i) {
    const bool digit = s[i] >= '0' && s[i] <= '9';
    if (kShape[i] == 'd' ? !digit : s[i] != kShape[i]) return false;
  }
  auto num = [&](int at, int len) { return s.mid(at, len).toInt(); };
  return QDate::isValid(num(0, 4), num(5, 2), num(8, 2)) && QTime::isValid(num(11, 2), num(14, 2), num(17, 2));
}

bool ValidName(const QString& s) { return !s.isEmpty() && s.size() <= 32 && !s.contains(QLatin1Char('|')); }

}  // namespace

void NativeUnitParser::Feed(const char* data, qsizetype size, std::vector<Event>& out) {
  splitter_.Feed(data, size, [&](const QByteArray& line, bool tooLong) {
    if (tooLong) {
      out.push_back(
          Error(QStringLiteral("Çok uzun satır atlandı (%1 bayttan uzun)").arg(LineSplitter::kMaxLine), line));
      return;
    }
    if (line.isEmpty()) return;
    out.push_back(ParseLine(line));
  });
}

NativeUnitParser::Event NativeUnitParser::ParseLine(const QByteArray& line) {
  for (char c : line) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && u != '\t') || u == 0x7F) return Error(QStringLiteral("Denetim baytı içeren satır atlandı"), line);
  }
  QString text;
  if (!DecodeUtf8(line, &text)) return Error(QStringLiteral("Geçersiz UTF-8 içeren satır atlandı"), line);

  if (line == "PONG") return Pong{};
  if (line == "TEST|BEGIN") return TestAccepted{};
  if (line.startsWith("CALL|")) return ParseCall(SplitFields(line, 6), line);
  if (line.startsWith("LVL|")) return ParseLevels(SplitFields(line, 10), line);
  if (line.startsWith("ID|")) return ParseIdent(SplitFields(line, 5), line);
  if (line.startsWith("ERR|")) {
    QString message = text.mid(4).trimmed();
    if (message.isEmpty()) message = QStringLiteral("(açıklama yok)");
    return ParseError{QStringLiteral("Cihaz hata bildirdi: %1").arg(message)};
  }
  return Error(QStringLiteral("Anlaşılmayan kayıt atlandı"), line);
}

NativeUnitParser::Event NativeUnitParser::ParseCall(const QList<QByteArray>& f, const QByteArray& line) {
  if (f.size() != 6) return Error(QStringLiteral("Eksik alanlı arama kaydı atlandı"), line);
  CallRecord call;
  call.line = SmallNumber(f[1], 1, lines_);
  if (call.line < 0) return Error(QStringLiteral("Arama kaydında geçersiz hat numarası"), line);
  if (!ValidDateTime(f[2])) return Error(QStringLiteral("Arama kaydında geçersiz tarih-saat"), line);
  call.dateTime = QString::fromLatin1(f[2]);
  const QByteArray& number = f[3];
  const QByteArray& reason = f[4];
  if (!reason.isEmpty()) {
    if (!number.isEmpty()) return Error(QStringLiteral("Arama kaydında hem numara hem yokluk nedeni var"), line);
    if (reason == "P")
      call.number = NumberWithheldText();
    else if (reason == "O")
      call.number = NumberUnavailableText();
    else
      return Error(QStringLiteral("Arama kaydında bilinmeyen yokluk nedeni"), line);
  } else {
    if (!ValidNumber(number)) return Error(QStringLiteral("Arama kaydında geçersiz numara"), line);
    call.number = QString::fromLatin1(number);
  }
  DecodeUtf8(f[5], &call.text);  // the whole line was checked already
  return call;
}

NativeUnitParser::Event NativeUnitParser::ParseLevels(const QList<QByteArray>& f, const QByteArray& line) {
  if (f.size() != 9) return Error(QStringLiteral("Sekiz değer içermeyen seviye kaydı atlandı"), line);
  LevelRecord rec;
  for (int i = 0; i < 8; ++i) {
    rec.levels[i] = SmallNumber(f[i + 1], 0, 255);
    if (rec.levels[i] < 0) return Error(QStringLiteral("Seviye kaydında geçersiz değer"), line);
  }
  return rec;
}

NativeUnitParser::Event NativeUnitParser::ParseIdent(const QList<QByteArray>& f, const QByteArray& line) {
  if (f.size() != 4) return Error(QStringLiteral("Eksik alanlı kimlik kaydı atlandı"), line);
  IdentRecord id;
  DecodeUtf8(f[1], &id.model);
  DecodeUtf8(f[2], &id.serial);
  if (!ValidName(id.model) || !ValidName(id.serial))
    return Error(QStringLiteral("Kimlik kaydında geçersiz model ya da seri no"), line);
  id.lines = SmallNumber(f[3], 1, 4);
  if (id.lines != 1 && id.lines != 2 && id.lines != 4)
    return Error(QStringLiteral("Kimlik kaydında geçersiz hat sayısı"), line);
  lines_ = id.lines;
  return id;
}

}  // namespace device
