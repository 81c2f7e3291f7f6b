#include "device/audio/audio_call.h"

namespace device {

CallRecord CallFromMessage(const audio::CallerIdMessage& m, int line, const QDateTime& now) {
  using Absence = audio::CallerIdMessage::Absence;
  CallRecord call;
  call.line = line;
  if (m.absence == Absence::Withheld)
    call.number = NumberWithheldText();
  else if (m.absence == Absence::Unavailable || m.number.isEmpty())
    call.number = NumberUnavailableText();
  else
    call.number = m.number;
  call.text = m.name;

  QDate date = now.date();
  QTime time(now.time().hour(), now.time().minute(), now.time().second());
  if (m.HasDateTime()) {
    const QDate given = DateWithoutYear(m.month, m.day, now.date());
    const QTime at(m.hour, m.minute);
    if (given.isValid() && at.isValid()) {
      date = given;
      time = at;
    }
  }
  call.dateTime = QDateTime(date, time).toString(QLatin1String(kDateTimeFormat));
  return call;
}

}  // namespace device
