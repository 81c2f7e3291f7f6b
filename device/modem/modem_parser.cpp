#include "device/modem/modem_parser.h"

#include "device/core/printable.h"

#include <cctype>

#include "platform/codepage.h"

namespace device {

namespace {

// Separator after a label: "NMBR = 1" or, in the spelled-out form some
// exchanges pass through, "CALLER NUMBER: 1".
struct Label {
  const char* text;
  ModemParser::Field field;
  char separator;
};
// Longer labels first, so "DDN_NMBR" wins over "DDN" and "REASON FOR NO
// CALLER NUMBER" over "CALLER NUMBER" where both would match.
constexpr Label kLabels[] = {
    {"REASON FOR NO CALLER NUMBER", ModemParser::Field::Reason, ':'},
    {"REASON FOR NO CALLER NAME", ModemParser::Field::Ignored, ':'},
    {"CALLER NUMBER", ModemParser::Field::Number, ':'},
    {"CALLER NAME", ModemParser::Field::Name, ':'},
    {"DATE TIME", ModemParser::Field::DateTime, '='},
    {"DDN_NMBR", ModemParser::Field::Number, '='},
    {"DATE", ModemParser::Field::Date, '='},
    {"TIME", ModemParser::Field::Time, '='},
    {"TIME", ModemParser::Field::DateTime, ':'},
    {"NMBR", ModemParser::Field::Number, '='},
    {"NAME", ModemParser::Field::Name, '='},
    {"MESG", ModemParser::Field::Message, '='},
    {"DDN", ModemParser::Field::Number, '='},
    {"NBR", ModemParser::Field::Number, '='},
};

// The label matching at position at, if any; valueStart is just past its separator.
const Label* LabelAt(const QByteArray& line, qsizetype at, qsizetype* valueStart) {
  for (const Label& label : kLabels) {
    const qsizetype len = qstrlen(label.text);
    if (line.size() - at < len || qstrncmp(line.constData() + at, label.text, len) != 0) continue;
    qsizetype p = at + len;
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
    if (p < line.size() && line[p] == label.separator) {
      *valueStart = p + 1;
      return &label;
    }
  }
  return nullptr;
}

struct Found {
  ModemParser::Field field;
  QByteArray value;
};

// Every labelled field of a line, left to right; a value runs to the next
// label, as some modems put several fields on one line ("NAME=ARCHER L
// NMBR=5071234567", "NAME=ONMBR=5072884388"). prefix gets what precedes the
// first label (junk, or "RING" on a line that also carries fields).
std::vector<Found> FindFields(const QByteArray& line, QByteArray* prefix) {
  std::vector<Found> found;
  qsizetype valueStart = -1;
  for (qsizetype at = 0; at < line.size();) {
    qsizetype next = 0;
    const Label* label = LabelAt(line, at, &next);
    if (!label) {
      ++at;
      continue;
    }
    if (found.empty())
      *prefix = line.left(at);
    else
      found.back().value = line.mid(valueStart, at - valueStart).trimmed();
    found.push_back({label->field, {}});
    valueStart = next;
    at = next;
  }
  if (!found.empty()) found.back().value = line.mid(valueStart).trimmed();
  return found;
}

// "RING", "CID RING", and the distinctive rings "RING A" to "RING D" (or 1 to 9).
bool IsRing(const QByteArray& line) {
  if (line.endsWith("RING")) return true;
  const qsizetype n = line.size();
  return n >= 6 && line.mid(n - 6, 5) == "RING " && std::isalnum(static_cast<unsigned char>(line[n - 1]));
}

// Value text: UTF-8 when it is valid, else the Turkish 8-bit code page that
// local exchanges and older modems use; control bytes dropped.
QString ValueText(const QByteArray& bytes) {
  QByteArray clean;
  for (char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u != 0x7F) clean.append(c);
  }
  QString text;
  if (!DecodeUtf8(clean, &text)) text = platform::FromAnsi(clean);
  return text.trimmed();
}

bool AllDigits(const QByteArray& s) {
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return !s.isEmpty();
}

// Two two-digit numbers from four digits; false when not four digits.
bool TwoPairs(const QByteArray& s, int* a, int* b) {
  if (s.size() != 4 || !AllDigits(s)) return false;
  *a = (s[0] - '0') * 10 + (s[1] - '0');
  *b = (s[2] - '0') * 10 + (s[3] - '0');
  return true;
}

// A masked number or name: P withheld (A anonymous alike), O not available.
bool Withheld(const QString& s) { return s == QLatin1String("P") || s == QLatin1String("A"); }
bool Unavailable(const QString& s) { return s == QLatin1String("O"); }

}  // namespace

ModemParser::ModemParser(Clock clock) : clock_(std::move(clock)) {}

void ModemParser::Feed(const char* data, qsizetype size, std::vector<Event>& out) {
  splitter_.Feed(data, size, [&](const QByteArray& line, bool tooLong) {
    if (tooLong) {
      out.push_back(ParseError{QStringLiteral("Modemden çok uzun satır atlandı (%1 bayttan uzun): \"%2\"")
                                   .arg(LineSplitter::kMaxLine)
                                   .arg(PrintableExcerpt(line))});
      return;
    }
    Line(line, out);
  });
}

void ModemParser::Line(const QByteArray& raw, std::vector<Event>& out) {
  // Shielded codes of voice mode (DLE and one byte) carry nothing for us but
  // a ring (DLE R); they may share a line with a field.
  QByteArray line;
  bool shielded = false, dleRing = false;
  for (qsizetype i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\x10' && i + 1 < raw.size()) {
      shielded = true;
      dleRing = dleRing || raw[i + 1] == 'R';
      ++i;
      continue;
    }
    line.append(raw[i]);
  }
  if (dleRing) Ringing(out);
  const QByteArray trimmed = line.trimmed();
  if (trimmed.isEmpty()) {
    if (!shielded) BlankLine(out);
    return;
  }
  QByteArray prefix;
  const std::vector<Found> fields = FindFields(trimmed, &prefix);
  if (!fields.empty()) {
    if (prefix.contains("RING")) Ringing(out);
    for (const Found& f : fields) AddField(f.field, f.value, out);
    return;
  }
  if (IsRing(trimmed)) {
    Ringing(out);
    return;
  }
  // The frame of the French form; its fields come in between.
  if (trimmed == "CALLING MSG") return;
  if (trimmed == "END MSG") {
    Flush(out);
    return;
  }
  out.push_back(Reply{trimmed});
}

void ModemParser::Ringing(std::vector<Event>& out) {
  Flush(out);
  out.push_back(Ring{});
}

void ModemParser::BlankLine(std::vector<Event>& out) {
  // Some modems put blank lines between fields (or send CR CR LF), so a
  // blank line ends a record only once it has a number and a name; with a
  // number alone it ends at the next line that is not a missing field, at
  // RING, or when the modem goes quiet.
  if (!open_ || (!number_ && !reason_)) return;
  if (name_)
    Finish(out);
  else
    blankAfterNumber_ = true;
}

void ModemParser::AddField(Field field, const QByteArray& value, std::vector<Event>& out) {
  if (field == Field::Ignored) return;
  std::optional<QByteArray> date, time;
  if (field == Field::DateTime) {
    // "MM/DD HH:MM" or "MM-DD HH:MM".
    const QList<QByteArray> parts = value.simplified().split(' ');
    if (parts.size() == 2 && parts[0].size() == 5 && (parts[0][2] == '/' || parts[0][2] == '-') &&
        parts[1].size() == 5 && parts[1][2] == ':') {
      date = parts[0].left(2) + parts[0].mid(3);
      time = parts[1].left(2) + parts[1].mid(3);
    } else {
      date = value;  // reported as a bad date
    }
  }
  if (field == Field::Date) date = value;
  if (field == Field::Time) time = value;
  const bool hasNumber = number_ || reason_;
  // A second date or time after the number starts the next record; after a
  // blank line, so does any field the record already has.
  const bool repeat = (date && date_) || (time && time_) || (field == Field::Number && number_) ||
                      (field == Field::Reason && reason_) || (field == Field::Name && name_) ||
                      (field == Field::Message && message_);
  if (open_ && ((hasNumber && ((date && date_) || (time && time_))) || (blankAfterNumber_ && repeat))) Finish(out);
  open_ = true;
  // Only the first of each field counts; a second number is a repeat.
  auto keep = [](std::optional<QByteArray>& slot, const QByteArray& v) {
    if (!slot) slot = v;
  };
  if (date) keep(date_, *date);
  if (time) keep(time_, *time);
  if (field == Field::Number) keep(number_, value);
  if (field == Field::Reason) keep(reason_, value);
  if (field == Field::Name) keep(name_, value);
  if (field == Field::Message) keep(message_, value);
}

void ModemParser::Flush(std::vector<Event>& out) {
  if (open_) Finish(out);
}

void ModemParser::Finish(std::vector<Event>& out) {
  // A date, time or message without a number or name is no call.
  if (!number_ && !reason_ && !name_) {
    ClearRecord();
    return;
  }
  const QDateTime now = clock_();
  QDate date = now.date();
  QTime time(now.time().hour(), now.time().minute(), now.time().second());
  QStringList bad;
  int a = 0, b = 0;
  if (date_ && !date_->isEmpty()) {
    // Four digits MMDD, or six YYMMDD whose year is not trusted.
    const QByteArray monthDay = date_->size() == 6 && AllDigits(*date_) ? date_->mid(2) : *date_;
    QDate given;
    if (TwoPairs(monthDay, &a, &b)) given = DateWithoutYear(a, b, now.date());
    if (given.isValid())
      date = given;
    else
      bad << QStringLiteral("tarih \"%1\"").arg(PrintableExcerpt(*date_));
  }
  if (time_ && !time_->isEmpty()) {
    if (TwoPairs(*time_, &a, &b) && QTime::isValid(a, b, 0))
      time = QTime(a, b);
    else
      bad << QStringLiteral("saat \"%1\"").arg(PrintableExcerpt(*time_));
  }
  if (!bad.isEmpty())
    out.push_back(ParseError{
        QStringLiteral("Modemden geçersiz %1; bilgisayar saati kullanıldı").arg(bad.join(QStringLiteral(" ve ")))});

  CallRecord call;
  call.line = 1;
  // Wall-clock text as the modem meant it; a local time that daylight saving
  // skips is still that call's time.
  call.dateTime =
      date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss"));
  const QString number = number_ ? ValueText(*number_) : QString();
  const QString reason = reason_ ? ValueText(*reason_) : QString();
  if (Withheld(number) || (number.isEmpty() && Withheld(reason)))
    call.number = NumberWithheldText();
  else if (Unavailable(number) || number.isEmpty())
    call.number = NumberUnavailableText();
  else
    call.number = number;
  QStringList parts;
  if (name_) {
    const QString n = ValueText(*name_);
    if (Withheld(n))
      parts << NumberWithheldText();
    else if (!Unavailable(n) && !n.isEmpty())
      parts << n;
  }
  if (message_ && !ValueText(*message_).isEmpty()) parts << ValueText(*message_);
  call.text = parts.join(QStringLiteral(" / "));
  out.push_back(call);
  ClearRecord();
}

void ModemParser::ClearRecord() {
  open_ = false;
  blankAfterNumber_ = false;
  date_.reset();
  time_.reset();
  number_.reset();
  reason_.reset();
  name_.reset();
  message_.reset();
}

}  // namespace device
