#include "device/modem_parser.h"

#include "platform/codepage.h"

namespace device {

namespace {

enum class Field { Date, Time, Number, Name, Message };

struct Label {
  const char* text;
  Field field = Field::Date;
};
// DDN_NMBR before NMBR so the longer label wins at the same end.
constexpr Label kLabels[] = {
    {"DATE", Field::Date}, {"TIME", Field::Time},    {"DDN_NMBR", Field::Number}, {"NMBR", Field::Number},
    {"NBR", Field::Number}, {"NAME", Field::Name}, {"MESG", Field::Message},
};

// Finds the first label followed by optional blanks and '='; junk before
// it is skipped. Returns false for a line without one.
bool FindField(const QByteArray& line, Field* field, QByteArray* value) {
  qsizetype best = -1;
  qsizetype valueStart = 0;
  for (const Label& label : kLabels) {
    qsizetype from = 0;
    for (;;) {
      const qsizetype at = line.indexOf(label.text, from);
      if (at < 0) break;
      qsizetype p = at + qstrlen(label.text);
      while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
      if (p < line.size() && line[p] == '=') {
        if (best < 0 || at < best) {
          best = at;
          *field = label.field;
          valueStart = p + 1;
        }
        break;
      }
      from = at + 1;
    }
  }
  if (best < 0) return false;
  *value = line.mid(valueStart).trimmed();
  return true;
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

// Two two-digit numbers from four digits; false when not four digits.
bool TwoPairs(const QByteArray& s, int* a, int* b) {
  if (s.size() != 4) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  *a = (s[0] - '0') * 10 + (s[1] - '0');
  *b = (s[2] - '0') * 10 + (s[3] - '0');
  return true;
}

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

void ModemParser::Line(const QByteArray& line, std::vector<Event>& out) {
  const QByteArray trimmed = line.trimmed();
  if (trimmed.isEmpty()) {
    // A blank line ends a record once it holds a number; some modems put
    // blank lines between the fields before it.
    if (open_ && number_) Finish(out);
    return;
  }
  Field field = Field::Date;
  QByteArray value;
  if (FindField(trimmed, &field, &value)) {
    // A second date or time after the number starts the next record.
    if (open_ && number_ && ((field == Field::Date && date_) || (field == Field::Time && time_))) Finish(out);
    open_ = true;
    // Only the first of each field counts; a second number is a repeat.
    auto keep = [&](std::optional<QByteArray>& slot) {
      if (!slot) slot = value;
    };
    switch (field) {
      case Field::Date: keep(date_); break;
      case Field::Time: keep(time_); break;
      case Field::Number: keep(number_); break;
      case Field::Name: keep(name_); break;
      case Field::Message: keep(message_); break;
    }
    return;
  }
  if (trimmed.endsWith("RING")) {
    if (open_) Finish(out);
    out.push_back(Ring{});
    return;
  }
  out.push_back(Reply{trimmed});
}

void ModemParser::Flush(std::vector<Event>& out) {
  if (open_) Finish(out);
}

void ModemParser::Finish(std::vector<Event>& out) {
  const QDateTime now = clock_();
  QDate date = now.date();
  QTime time(now.time().hour(), now.time().minute(), now.time().second());
  int a = 0, b = 0;
  if (date_ && !date_->isEmpty()) {
    QDate given;
    if (TwoPairs(*date_, &a, &b)) {
      // The modem gives no year: this year, unless that lies ahead (a call
      // from 31 December read on 1 January).
      given = QDate(now.date().year(), a, b);
      if (given.isValid() && given > now.date().addDays(1)) given = QDate(now.date().year() - 1, a, b);
    }
    if (given.isValid())
      date = given;
    else
      out.push_back(ParseError{
          QStringLiteral("Modemden geçersiz tarih \"%1\"; bilgisayar saati kullanıldı").arg(PrintableExcerpt(*date_))});
  }
  if (time_ && !time_->isEmpty()) {
    if (TwoPairs(*time_, &a, &b) && QTime::isValid(a, b, 0))
      time = QTime(a, b);
    else
      out.push_back(ParseError{
          QStringLiteral("Modemden geçersiz saat \"%1\"; bilgisayar saati kullanıldı").arg(PrintableExcerpt(*time_))});
  }

  CallRecord call;
  call.line = 1;
  call.dateTime = QDateTime(date, time).toString(QLatin1String(kDateTimeFormat));
  const QString number = number_ ? ValueText(*number_) : QString();
  if (number == QLatin1String("P"))
    call.number = NumberWithheldText();
  else if (number == QLatin1String("O") || number.isEmpty())
    call.number = NumberUnavailableText();
  else
    call.number = number;
  QStringList parts;
  if (name_) {
    const QString n = ValueText(*name_);
    if (n == QLatin1String("P"))
      parts << NumberWithheldText();
    else if (n != QLatin1String("O") && !n.isEmpty())
      parts << n;
  }
  if (message_ && !ValueText(*message_).isEmpty()) parts << ValueText(*message_);
  call.text = parts.join(QStringLiteral(" / "));
  out.push_back(call);
  ClearRecord();
}

void ModemParser::Reset() {
  splitter_.Reset();
  ClearRecord();
}

void ModemParser::ClearRecord() {
  open_ = false;
  date_.reset();
  time_.reset();
  number_.reset();
  name_.reset();
  message_.reset();
}

}  // namespace device
