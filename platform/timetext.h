#pragma once
// The time text: local clock time in the user's long time format
// (hours with or without leading zero, separator, 12-hour marker where the
// locale has one), e.g. 14:05:09 in a Turkish locale.
#include <QString>
#include <QTime>

namespace platform {

// localeName: a POSIX locale name; empty means the user's own settings
// (LC_ALL, LC_TIME, LANG). An unknown locale falls back to "C".
QString TimeText(const QTime& time, const QString& localeName = QString());
// The current local time as time text.
QString NowTimeText();

}  // namespace platform
