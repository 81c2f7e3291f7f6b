// Integer conversion, code page and time text: the texts labels show.
#include <gtest/gtest.h>

#include <clocale>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/strtoint.h"
#include "platform/timetext.h"

using namespace platform;

TEST(StrToInt, ReadsWhatThePlatformReads) {
  EXPECT_EQ(StrToInt("0"), 0);
  EXPECT_EQ(StrToInt("12"), 12);
  EXPECT_EQ(StrToInt("   7"), 7);
  EXPECT_EQ(StrToInt("-5"), -5);
  EXPECT_EQ(StrToInt("+5"), 5);
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_EQ(StrToInt("x10"), 16);
  EXPECT_EQ(StrToInt("0x10"), 16);
  EXPECT_EQ(StrToInt("0X1a"), 26);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("007"), 7);
}

TEST(StrToInt, RejectsWithTheTextInTheMessage) {
  for (const char* bad : {"", " ", "7 ", "abc", "1.5", "- 5", "$", "0x", "2147483648", "-2147483649", "$100000000",
                          "12a", "\t7", "+-1"}) {
    try {
      StrToInt(QString::fromLatin1(bad));
      ADD_FAILURE() << "accepted '" << bad << "'";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(bad)));
    }
  }
  EXPECT_FALSE(TryStrToInt(QStringLiteral("٣")).has_value()) << "only ASCII digits count";
}

TEST(CodePage, TurkishLettersSurviveTheRoundTrip) {
  const QString turkish = QStringLiteral("Çağrı sıra no ŞşĞğİıÖöÜüÇç €");
  EXPECT_EQ(ThroughCodePage(turkish), turkish);
  EXPECT_EQ(ToAnsi(QStringLiteral("ş")), QByteArray("\xFE"));
  EXPECT_EQ(ToAnsi(QStringLiteral("İ")), QByteArray("\xDD"));
}

TEST(CodePage, WhatItCannotHoldBecomesOneReplacementCharacter) {
  EXPECT_EQ(ToAnsi(QStringLiteral("aāb")), QByteArray("a?b"));
  EXPECT_EQ(ToAnsi(QStringLiteral("Ж")), QByteArray("?"));
  // A surrogate pair is one character; a lone surrogate is one too.
  EXPECT_EQ(ToAnsi(QString::fromUcs4(U"x\U0001F600y")), QByteArray("x?y"));
  QString lone = QStringLiteral("a");
  lone.append(QChar(0xD800)).append(QLatin1Char('b'));
  EXPECT_EQ(ToAnsi(lone), QByteArray("a?b"));
  QString lowFirst;
  lowFirst.append(QChar(0xDC00)).append(QChar(0xD800));
  EXPECT_EQ(ToAnsi(lowFirst), QByteArray("??"));
}

TEST(CodePage, ControlCharactersAndNulPassThrough) {
  const QString s = QString::fromUtf16(u"a\0b\x01\x1f", 5);
  EXPECT_EQ(ToAnsi(s), QByteArray("a\0b\x01\x1f", 5));
  EXPECT_EQ(FromAnsi(QByteArray("\x81\x8D", 2)), QString::fromUtf16(u"\x0081\x008D"));
}

static bool HasLocale(const char* name) {
  locale_t l = newlocale(LC_TIME_MASK, name, static_cast<locale_t>(nullptr));
  if (!l) return false;
  freelocale(l);
  return true;
}

TEST(TimeText, FollowsTheLocaleLongTimeFormat) {
  const QTime t(14, 5, 9);
  EXPECT_EQ(TimeText(t, QStringLiteral("C")), QStringLiteral("14:05:09"));
  EXPECT_EQ(TimeText(QTime(4, 5, 9), QStringLiteral("C")), QStringLiteral("04:05:09"));
  if (HasLocale("tr_TR.UTF-8")) {
    EXPECT_EQ(TimeText(t, QStringLiteral("tr_TR.UTF-8")), QStringLiteral("14:05:09"));
  } else {
    ADD_FAILURE() << "tr_TR.UTF-8 locale missing (scripts/install-deps.sh generates it)";
  }
  if (HasLocale("en_US.UTF-8")) {
    EXPECT_EQ(TimeText(t, QStringLiteral("en_US.UTF-8")), QStringLiteral("02:05:09 PM"));
    EXPECT_EQ(TimeText(QTime(0, 0, 1), QStringLiteral("en_US.UTF-8")), QStringLiteral("12:00:01 AM"));
  } else {
    ADD_FAILURE() << "en_US.UTF-8 locale missing (scripts/install-deps.sh generates it)";
  }
  EXPECT_EQ(TimeText(t, QStringLiteral("no_SUCH.locale")), QStringLiteral("14:05:09")) << "unknown falls back to C";
}
