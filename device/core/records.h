#pragma once
// What the device parsers hand to the control: plain records, independent of
// any event loop, so parsers can be driven with bytes by tests and fuzzers.
#include <QDate>
#include <QString>
#include <array>
#include <variant>

namespace device {

// A caller-ID report of one input.
struct CallRecord {
  int line = 1;      // 1-based input number
  QString number;    // calling number, or the text for an absent number
  QString dateTime;  // "yyyy-MM-dd HH:mm:ss"
  QString text;      // free text (name, message, test marker)
};

// Eight signal levels, 0 to 255.
struct LevelRecord {
  std::array<int, 8> levels{};
};

// Identity of a unit or modem.
struct IdentRecord {
  QString model;
  QString serial;
  int lines = 1;
};

// Something that could not be understood; the bytes were dropped.
struct ParseError {
  QString message;
};

// Texts shown in place of a number the exchange did not deliver.
inline QString NumberWithheldText() { return QStringLiteral("Gizli numara"); }
inline QString NumberUnavailableText() { return QStringLiteral("Numara alınamadı"); }

// Devices give the month and day of a call but no year worth having: this
// year, unless that lies ahead (a call from 31 December read on 1 January).
// Invalid when the year has no such day.
inline QDate DateWithoutYear(int month, int day, const QDate& today) {
  QDate date(today.year(), month, day);
  if (date.isValid() && date > today.addDays(1)) date = QDate(today.year() - 1, month, day);
  return date;
}

// The date-time text format of call records.
inline constexpr const char* kDateTimeFormat = "yyyy-MM-dd HH:mm:ss";

}  // namespace device
