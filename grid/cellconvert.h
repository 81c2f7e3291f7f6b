#pragma once
// The platform's standard conversions between text and values, as the cells
// use them. Text goes through the 8-bit system code page before it is read,
// and the errors carry the platform's messages.
#include <QString>
#include <cstdint>

namespace grid {

// Locale-dependent parts of the text forms. Qt date and time patterns.
struct TFormatSettings {
  QChar DecimalSeparator = QLatin1Char('.');
  QString ShortDateFormat = QStringLiteral("dd.MM.yyyy");
  QString LongTimeFormat = QStringLiteral("HH:mm:ss");
  QString ShortTimeFormat = QStringLiteral("HH:mm");
};

// The settings in use (initialised from the system locale's decimal mark).
TFormatSettings& FormatSettings();

// Days since 30 December 1899; the time of day is the fraction.
using TDateTime = double;

QString BoolToStr(bool value);
QString FloatToStr(double value);
QString DateTimeToStr(TDateTime value);

// These raise EConvertError with "'%s' is not a valid ... value".
bool StrToBool(const QString& text);
double StrToFloat(const QString& text);
TDateTime StrToDateTime(const QString& text);
int32_t StrToInt32(const QString& text);

// Nearest integer, halves to the even neighbour; raises the integer
// conversion error when the value does not fit in 32 bits.
int32_t RoundToInt(double value);

// Today at midnight.
TDateTime Today();

}  // namespace grid
