#include "grid/cellconvert.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <cmath>
#include <cstdio>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/strtoint.h"

namespace grid {

namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMsPerDay = 86400000.0;

[[noreturn]] void ConvertError(const char* what, const QString& text) {
  throw platform::EConvertError(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)));
}

// Text as the conversions see it: through the 8-bit code page.
QString Narrow(const QString& text) { return platform::ThroughCodePage(text); }

bool TryTextToFloat(const QString& text, double& out) {
  // Blanks around, an optional sign, digits with at most one decimal
  // separator (at least one digit), an optional exponent.
  const QString t = text.trimmed();
  const QChar sep = FormatSettings().DecimalSeparator;
  QByteArray c;
  int i = 0;
  const int n = static_cast<int>(t.size());
  if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) c.append(char(t[i++].unicode()));
  int digits = 0;
  bool seenSep = false;
  for (; i < n; ++i) {
    const QChar ch = t[i];
    if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
      c.append(char(ch.unicode()));
      ++digits;
    } else if (ch == sep && !seenSep) {
      c.append('.');
      seenSep = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < n && (t[i] == QLatin1Char('e') || t[i] == QLatin1Char('E'))) {
    c.append('e');
    ++i;
    if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) c.append(char(t[i++].unicode()));
    int expDigits = 0;
    for (; i < n && t[i] >= QLatin1Char('0') && t[i] <= QLatin1Char('9'); ++i, ++expDigits)
      c.append(char(t[i].unicode()));
    if (expDigits == 0) return false;
  }
  if (i != n) return false;
  bool ok = false;
  const double v = c.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return false;
  out = v;
  return true;
}

TDateTime FromQDateTime(const QDate& date, const QTime& time) {
  const double days = static_cast<double>(kEpoch.daysTo(date));
  const double frac = time.msecsSinceStartOfDay() / kMsPerDay;
  // Before the epoch the fraction still counts forward from midnight.
  return days < 0 ? days - frac : days + frac;
}

}  // namespace

TFormatSettings& FormatSettings() {
  static TFormatSettings settings = [] {
    TFormatSettings s;
    const QString dp = QLocale::system().decimalPoint();
    if (dp.size() == 1) s.DecimalSeparator = dp.at(0);
    return s;
  }();
  return settings;
}

QString BoolToStr(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

QString FloatToStr(double value) {
  if (std::isnan(value)) return QStringLiteral("NAN");
  if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15G", value);
  QString s = QString::fromLatin1(buf);
  // Exponent written without '+' and leading zeros: 1E20, 1E-10.
  const int e = static_cast<int>(s.indexOf(QLatin1Char('E')));
  if (e >= 0) {
    QString mant = s.left(e);
    QString exp = s.mid(e + 1);
    bool neg = exp.startsWith(QLatin1Char('-'));
    if (exp.startsWith(QLatin1Char('+')) || neg) exp.remove(0, 1);
    while (exp.size() > 1 && exp.startsWith(QLatin1Char('0'))) exp.remove(0, 1);
    s = mant + QLatin1Char('E') + (neg ? QStringLiteral("-") : QString()) + exp;
  }
  return s.replace(QLatin1Char('.'), FormatSettings().DecimalSeparator);
}

QString DateTimeToStr(TDateTime value) {
  double whole = std::trunc(value);
  const double frac = std::fabs(value - whole);
  qint64 ms = std::llround(frac * kMsPerDay);
  // Rounding up to a whole day is the next day's midnight (away from the
  // epoch, as the day part counts).
  if (ms >= qint64(kMsPerDay)) {
    ms -= qint64(kMsPerDay);
    whole += value < 0 ? -1 : 1;
  }
  const QDate date = kEpoch.addDays(static_cast<qint64>(whole));
  QString s = date.toString(FormatSettings().ShortDateFormat);
  if (ms != 0)
    s += QLatin1Char(' ') + QTime::fromMSecsSinceStartOfDay(int(ms)).toString(FormatSettings().LongTimeFormat);
  return s;
}

bool StrToBool(const QString& text) {
  const QString t = Narrow(text);
  if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
  if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
  double v = 0;
  if (TryTextToFloat(t, v)) return v != 0;
  ConvertError("boolean value", t);
}

double StrToFloat(const QString& text) {
  const QString t = Narrow(text);
  double v = 0;
  if (!TryTextToFloat(t, v)) ConvertError("floating point value", t);
  return v;
}

TDateTime StrToDateTime(const QString& text) {
  const QString t = Narrow(text).trimmed();
  const TFormatSettings& fs = FormatSettings();
  const QStringList timeFormats{fs.LongTimeFormat, fs.ShortTimeFormat};
  const QDate date = QDate::fromString(t, fs.ShortDateFormat);
  if (date.isValid()) return FromQDateTime(date, QTime(0, 0));
  for (const QString& tf : timeFormats) {
    const QTime time = QTime::fromString(t, tf);
    if (time.isValid()) return FromQDateTime(kEpoch, time);
  }
  const int sp = static_cast<int>(t.indexOf(QLatin1Char(' ')));
  if (sp > 0) {
    const QDate d = QDate::fromString(t.left(sp), fs.ShortDateFormat);
    const QString rest = t.mid(sp + 1).trimmed();
    for (const QString& tf : timeFormats) {
      const QTime time = QTime::fromString(rest, tf);
      if (d.isValid() && time.isValid()) return FromQDateTime(d, time);
    }
  }
  ConvertError("date and time", Narrow(text));
}

int32_t StrToInt32(const QString& text) { return platform::StrToInt(Narrow(text)); }

int32_t RoundToInt(double value) {
  const double r = std::nearbyint(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) ConvertError("integer value", FloatToStr(value));
  return static_cast<int32_t>(r);
}

TDateTime Today() { return static_cast<double>(kEpoch.daysTo(QDate::currentDate())); }

}  // namespace grid
