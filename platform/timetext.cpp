#include "platform/timetext.h"

#include <langinfo.h>
#include <locale.h>

#include <ctime>
#include <mutex>

namespace platform {

namespace {

locale_t OpenLocale(const QString& name) {
  const QByteArray n = name.toLocal8Bit();
  locale_t loc = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, n.constData(), static_cast<locale_t>(nullptr));
  if (!loc) loc = newlocale(LC_TIME_MASK | LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

// The user's locale never changes while the program runs: open it once.
locale_t UserLocale() {
  static locale_t loc = OpenLocale(QString());
  return loc;
}

QString Format(const QTime& time, locale_t loc) {
  std::tm tm{};
  tm.tm_hour = time.hour();
  tm.tm_min = time.minute();
  tm.tm_sec = time.second();
  tm.tm_mday = 1;
  tm.tm_year = 100;
  char buf[128];
  const size_t n = strftime_l(buf, sizeof buf, "%X", &tm, loc);
  const QByteArray bytes(buf, static_cast<int>(n));
  const QByteArray codeset(nl_langinfo_l(CODESET, loc));
  if (codeset.compare("UTF-8", Qt::CaseInsensitive) == 0) return QString::fromUtf8(bytes);
  return QString::fromLatin1(bytes);
}

}  // namespace

QString TimeText(const QTime& time, const QString& localeName) {
  if (localeName.isEmpty()) return Format(time, UserLocale());
  locale_t loc = OpenLocale(localeName);
  const QString text = Format(time, loc);
  freelocale(loc);
  return text;
}

QString NowTimeText() { return TimeText(QTime::currentTime()); }

}  // namespace platform
