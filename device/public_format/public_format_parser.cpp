#include "device/public_format/public_format_parser.h"

#include "device/core/printable.h"

#include "platform/codepage.h"

namespace device {

namespace {

ParseError Error(const QString& what, const QByteArray& line) {
  return ParseError{QStringLiteral("%1: \"%2\"").arg(what, PrintableExcerpt(line, 40))};
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a record left to right. Fields are separated by blanks; some units
// pad with more than one, or send a leading zero of a date as a blank.
class Scanner {
 public:
  explicit Scanner(const QByteArray& s) : s_(s) {}

  bool AtEnd() const { return pos_ >= s_.size(); }
  char Peek() const { return AtEnd() ? '\0' : s_[pos_]; }
  qsizetype Pos() const { return pos_; }
  void SetPos(qsizetype p) { pos_ = p; }
  QByteArray Rest() const { return s_.mid(pos_); }

  bool Accept(char c) {
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }
  // At least one blank.
  bool Blanks() {
    const qsizetype from = pos_;
    while (Peek() == ' ') ++pos_;
    return pos_ > from;
  }
  // minDigits to maxDigits decimal digits; -1 when fewer.
  int Number(int minDigits, int maxDigits) {
    int v = 0, n = 0;
    while (n < maxDigits && IsDigit(Peek())) {
      v = v * 10 + (s_[pos_++] - '0');
      ++n;
    }
    return n >= minDigits ? v : -1;
  }
  // A one- or two-digit date or time part, whose leading zero may be a blank.
  int Part() {
    if (Peek() == ' ') {
      ++pos_;
      return Number(1, 1);
    }
    return Number(1, 2);
  }
  // Characters up to the next blank.
  QByteArray Word() {
    const qsizetype from = pos_;
    while (!AtEnd() && Peek() != ' ') ++pos_;
    return s_.mid(from, pos_ - from);
  }

 private:
  const QByteArray& s_;
  qsizetype pos_ = 0;
};

struct Stamp {
  int month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// MM/DD after blanks.
bool ReadDate(Scanner& s, Stamp* t) {
  s.Blanks();
  t->month = s.Number(1, 2);
  if (t->month < 0 || !s.Accept('/')) return false;
  t->day = s.Part();
  return t->day >= 0;
}

// HH:MM AM|PM after blanks, as 24-hour time.
bool ReadTime12(Scanner& s, Stamp* t) {
  s.Blanks();
  const int h = s.Number(1, 2);
  if (h < 0 || !s.Accept(':')) return false;
  t->minute = s.Number(2, 2);
  if (t->minute < 0 || !s.Blanks()) return false;
  const QByteArray ap = s.Word();
  if (ap != "AM" && ap != "PM") return false;
  // 12:xx AM is just after midnight, 12:xx PM just after noon; an hour over
  // 12 is left out of range so it is reported.
  t->hour = h > 12 ? 99 : h % 12 + (ap == "PM" ? 12 : 0);
  return true;
}

// HH:MM:SS after blanks, 24-hour time.
bool ReadTime24(Scanner& s, Stamp* t) {
  s.Blanks();
  t->hour = s.Number(1, 2);
  if (t->hour < 0 || !s.Accept(':')) return false;
  t->minute = s.Number(2, 2);
  if (t->minute < 0 || !s.Accept(':')) return false;
  t->second = s.Number(2, 2);
  return t->second >= 0;
}

// Text of a name: UTF-8 when valid, else the Turkish 8-bit code page.
QString NameText(const QByteArray& bytes) {
  QString text;
  if (!DecodeUtf8(bytes, &text)) text = platform::FromAnsi(bytes);
  return text.trimmed();
}

// The number field: digits with the punctuation units put in, or a word for
// an absent number. False when it is neither.
bool NumberText(const QByteArray& field, QString* number) {
  if (field.isEmpty() || field.compare("Out-of-Area", Qt::CaseInsensitive) == 0 || field == "O") {
    *number = NumberUnavailableText();
    return true;
  }
  if (field.compare("Private", Qt::CaseInsensitive) == 0 || field == "P") {
    *number = NumberWithheldText();
    return true;
  }
  if (field.size() > 24) return false;
  int digits = 0;
  for (char c : field) {
    if (IsDigit(c))
      ++digits;
    else if (c != '-' && c != '+' && c != '*' && c != '#' && c != '(' && c != ')' && c != '.')
      return false;
  }
  if (digits == 0) return false;
  *number = QString::fromLatin1(field);
  return true;
}

bool HasControlByte(const QByteArray& line) {
  for (char c : line) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return true;
  }
  return false;
}

QString UnclearText() { return QStringLiteral("Anlaşılmayan kayıt atlandı"); }
QString BadStampText() { return QStringLiteral("Kayıtta geçersiz tarih ya da saat"); }

// The limited form after the line number: date, time, number, direction,
// name. An empty string when it reads, else what is wrong.
QString ReadLimited(Scanner& s, Stamp* t, PublicFormatCall* call, QByteArray* number, QByteArray* name) {
  call->limited = true;
  if (!ReadDate(s, t) || !ReadTime12(s, t)) return BadStampText();
  s.Blanks();
  const qsizetype numberAt = s.Pos();
  *number = s.Word();
  s.Blanks();
  QByteArray direction = s.Word();
  const auto isDirection = [](const QByteArray& w) { return w == "I" || w == "O"; };
  if (!isDirection(direction)) {
    if (!isDirection(*number)) return QStringLiteral("Kayıtta geçersiz arama yönü");
    // No number: what was read as the number is the direction.
    direction = *number;
    number->clear();
    s.SetPos(numberAt + 1);
  }
  call->inbound = direction == "I";
  *name = s.Rest();
  return {};
}

// The comprehensive form after its direction: start/end, duration,
// checksum, rings, date, time, a 14-character number field and the name.
QString ReadComprehensive(Scanner& s, Stamp* t, PublicFormatCall* call, QByteArray* number, QByteArray* name) {
  if (!s.Blanks()) return UnclearText();
  const QByteArray edge = s.Word();
  if (edge != "S" && edge != "E") return QStringLiteral("Kayıtta geçersiz başlangıç/bitiş alanı");
  call->start = edge == "S";
  s.Blanks();
  call->durationS = s.Number(4, 4);
  if (call->durationS < 0 || !s.Blanks()) return QStringLiteral("Kayıtta geçersiz süre");
  const QByteArray checksum = s.Word();
  if (checksum != "G" && checksum != "B") return QStringLiteral("Kayıtta geçersiz sağlama alanı");
  call->goodChecksum = checksum == "G";
  s.Blanks();
  const QByteArray rings = s.Word();
  if (rings.size() != 2 || rings[0] < 'A' || rings[0] > 'Z' || !IsDigit(rings[1]))
    return QStringLiteral("Kayıtta geçersiz zil alanı");
  if (!ReadDate(s, t) || !ReadTime12(s, t)) return BadStampText();
  if (!s.AtEnd() && !s.Accept(' ')) return UnclearText();
  const QByteArray rest = s.Rest();
  if (rest.left(14).trimmed().isEmpty()) {
    *name = rest.mid(14);  // an empty number field
    return {};
  }
  Scanner r(rest);
  r.Blanks();  // right-justified numbers
  *number = r.Word();
  *name = r.Rest();
  return {};
}

// A detail record after its kind: date and 24-hour time, nothing after.
QString ReadDetail(Scanner& s, int line, char kind, const PublicFormatParser::Clock& clock,
                   PublicFormatDetail* detail) {
  Stamp t;
  if (!ReadDate(s, &t) || !ReadTime24(s, &t) || !s.Rest().trimmed().isEmpty())
    return QStringLiteral("Ayrıntı kaydında geçersiz tarih ya da saat");
  detail->line = line;
  detail->kind = static_cast<PublicFormatDetail::Kind>(kind);
  const QDateTime now = clock();
  const QDate date = DateWithoutYear(t.month, t.day, now.date());
  const QTime time(t.hour, t.minute, t.second);
  // The time is only for the record; a bad one loses nothing.
  detail->dateTime = QDateTime(date.isValid() ? date : now.date(), time.isValid() ? time : now.time())
                         .toString(QLatin1String(kDateTimeFormat));
  return {};
}

// A call's date and time, the year from the PC clock (the record has none);
// the PC clock's own when the record's is out of range.
QString CallDateTime(const Stamp& t, const QDateTime& now, bool* valid) {
  const QDate date = DateWithoutYear(t.month, t.day, now.date());
  const QTime time(t.hour, t.minute);
  *valid = date.isValid() && time.isValid();
  const QTime nowToTheSecond(now.time().hour(), now.time().minute(), now.time().second());
  return (*valid ? QDateTime(date, time) : QDateTime(now.date(), nowToTheSecond))
      .toString(QLatin1String(kDateTimeFormat));
}

}  // namespace

PublicFormatParser::PublicFormatParser(Clock clock) : clock_(std::move(clock)) {}

void PublicFormatParser::Feed(const char* data, qsizetype size, std::vector<Event>& out) {
  splitter_.Feed(data, size, [&](const QByteArray& line, bool tooLong) {
    if (tooLong) {
      out.push_back(
          Error(QStringLiteral("Çok uzun satır atlandı (%1 bayttan uzun)").arg(LineSplitter::kMaxLine), line));
      return;
    }
    if (line.trimmed().isEmpty()) return;
    ParseLine(line, out);
  });
}

void PublicFormatParser::ParseLine(const QByteArray& line, std::vector<Event>& out) const {
  auto fail = [&](const QString& what) { out.push_back(Error(what, line)); };
  if (HasControlByte(line)) return fail(QStringLiteral("Denetim baytı içeren kayıt atlandı"));

  Scanner s(line);
  s.Accept('$');
  const int lineNo = s.Number(2, 2);
  if (lineNo < 1 || IsDigit(s.Peek())) return fail(QStringLiteral("Kayıtta geçersiz hat numarası"));
  if (!s.Blanks()) return fail(UnclearText());

  Stamp t;
  PublicFormatCall call;
  call.line = lineNo;
  QByteArray numberField, nameField;
  QString error;
  if (IsDigit(s.Peek())) {
    error = ReadLimited(s, &t, &call, &numberField, &nameField);
  } else {
    const QByteArray kind = s.Word();
    if (kind.size() == 1 && QByteArray("RFNH").contains(kind[0])) {
      PublicFormatDetail detail;
      if (const QString e = ReadDetail(s, lineNo, kind[0], clock_, &detail); !e.isEmpty()) return fail(e);
      out.push_back(detail);
      return;
    }
    if (kind != "I" && kind != "O") return fail(UnclearText());
    call.inbound = kind == "I";
    error = ReadComprehensive(s, &t, &call, &numberField, &nameField);
  }
  if (!error.isEmpty()) return fail(error);
  if (!NumberText(numberField, &call.number)) return fail(QStringLiteral("Kayıtta geçersiz numara"));
  call.name = NameText(nameField);

  bool valid = false;
  call.dateTime = CallDateTime(t, clock_(), &valid);
  out.push_back(call);
  if (!valid) fail(QStringLiteral("Kayıtta geçersiz tarih ya da saat; bilgisayar saati kullanıldı"));
}

std::optional<CallRecord> ReportedCall(const PublicFormatCall& record) {
  if (!record.inbound || !record.start || !record.goodChecksum) return std::nullopt;
  CallRecord call;
  call.line = record.line;
  call.number = record.number;
  call.dateTime = record.dateTime;
  call.text = record.name;
  return call;
}

namespace {
constexpr char kUnitTag[] = "^^<U>";
constexpr char kSerialTag[] = "<S>";
constexpr int kNumberBytes = 6;
constexpr int kHeaderSize = 5 + kNumberBytes + 3 + kNumberBytes;

quint64 BigEndian(const char* p) {
  quint64 v = 0;
  for (int i = 0; i < kNumberBytes; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

QByteArray BigEndianBytes(quint64 v) {
  QByteArray b(kNumberBytes, '\0');
  for (int i = kNumberBytes - 1; i >= 0; --i, v >>= 8) b[i] = static_cast<char>(v & 0xFF);
  return b;
}
}  // namespace

bool ParseRecordPacket(const QByteArray& datagram, RecordPacket* packet, QString* error) {
  if (datagram.size() > RecordPacket::kMaxSize) {
    *error = QStringLiteral("Çok büyük Ethernet kayıt paketi atlandı (%1 bayttan büyük)").arg(RecordPacket::kMaxSize);
    return false;
  }
  if (datagram.size() < kHeaderSize || !datagram.startsWith(kUnitTag) ||
      datagram.mid(5 + kNumberBytes, 3) != kSerialTag) {
    *error = QStringLiteral("Ethernet kayıt paketi olmayan veri atlandı: \"%1\"").arg(PrintableExcerpt(datagram, 32));
    return false;
  }
  packet->unit = BigEndian(datagram.constData() + 5);
  packet->serial = BigEndian(datagram.constData() + 5 + kNumberBytes + 3);
  QByteArray record = datagram.mid(kHeaderSize);
  if (record.startsWith('$')) record.remove(0, 1);
  while (record.endsWith('\n') || record.endsWith('\r')) record.chop(1);
  if (record.trimmed().isEmpty() || record.contains('\r') || record.contains('\n')) {
    *error = QStringLiteral("Ethernet kayıt paketinde kayıt yok ya da birden çok kayıt var: \"%1\"")
                 .arg(PrintableExcerpt(record, 32));
    return false;
  }
  packet->record = record;
  return true;
}

QByteArray MakeRecordPacket(quint64 unit, quint64 serial, const QByteArray& record) {
  return kUnitTag + BigEndianBytes(unit) + kSerialTag + BigEndianBytes(serial) + record;
}

}  // namespace device
