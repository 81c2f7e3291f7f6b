// Caller-ID output of real voice modems, as collected from their manuals and
// sample logs, and what each must become. The PC clock reads 2026-12-07
// 14:05:09; "now" in an expectation means the call took the PC's date and time.
#include <gtest/gtest.h>

#include <ctime>

#include "device/modem/modem_parser.h"

namespace device {
namespace {

template <size_t N>
QByteArray Bytes(const char (&s)[N]) {
  return QByteArray(s, N - 1);
}

struct Expected {
  const char* number;
  const char* dateTime;  // "now": the PC's
  const char* text;
};

struct Sample {
  int id;
  QByteArray bytes;
  std::vector<Expected> calls;
  int rings;
  int errors;
};

const QDateTime kNow(QDate(2026, 12, 7), QTime(14, 5, 9));

struct Outcome {
  std::vector<CallRecord> calls;
  int rings = 0;
  QStringList errors;
  QList<QByteArray> replies;
};

// Fed in one go, then the modem goes quiet (the session flushes an open record).
Outcome ParseQuiet(const QByteArray& bytes, const QDateTime& now = kNow) {
  ModemParser p([now] { return now; });
  std::vector<ModemParser::Event> ev;
  p.Feed(bytes, ev);
  p.Flush(ev);
  Outcome o;
  for (const auto& e : ev) {
    if (const auto* c = std::get_if<CallRecord>(&e)) o.calls.push_back(*c);
    if (std::holds_alternative<ModemParser::Ring>(e)) ++o.rings;
    if (const auto* err = std::get_if<ParseError>(&e)) o.errors << err->message;
    if (const auto* r = std::get_if<ModemParser::Reply>(&e)) o.replies << r->line;
  }
  return o;
}

TEST(ModemSamples, EachBecomesTheRightCallsRingsAndErrors) {
  const QString withheld = NumberWithheldText();
  const std::vector<Sample> samples = {
      {1,
       "\r\nRING\r\n\r\nMESG = 110101\r\nDATE = 0511\r\nTIME = 1852\r\nNMBR = 4075550000\r\nNAME = JOHN "
       "DOE\r\n\r\nRING\r\n",
       {{"4075550000", "2026-05-11 18:52:00", "JOHN DOE / 110101"}},
       2,
       0},
      {2,
       "DATE = 0910\r\nTIME = 0137\r\nNAME = O\r\nDDN_NMBR= 9932562\r\n\r\n",
       {{"9932562", "2026-09-10 01:37:00", ""}},
       0,
       0},
      {3, "DATE = 0910\r\nTIME = 0137\r\nDDN = 9932562\r\n\r\n", {{"9932562", "2026-09-10 01:37:00", ""}}, 0, 0},
      {4,
       "DATE=0119\r\nTIME=2215\r\nNAME=ARCHER L       NMBR=5071234567\r\n\r\nRING\r\n",
       {{"5071234567", "2026-01-19 22:15:00", "ARCHER L"}},
       1,
       0},
      {5, "RING RING DATE=0224 NAME=ONMBR=5072884388\r\n", {{"5072884388", "2026-02-24 14:05:09", ""}}, 1, 0},
      {6,
       "CID RING\r\n\r\nCALLING MSG\r\n\r\nDATE TIME=11/24 22:10\r\n\r\nNBR=0632727751\r\n\r\nEND MSG\r\n",
       {{"0632727751", "2026-11-24 22:10:00", ""}},
       1,
       0},
      {7,
       "DATE = 990305\r\nTIME = 1351\r\nNMBR = 5071234567\r\nNAME = KLIER BRIAN J\r\n\r\n\r\nRING\r\n",
       {{"5071234567", "2026-03-05 13:51:00", "KLIER BRIAN J"}},
       1,
       0},
      {8,
       "RING A\r\n\r\nDATE = 0511\r\nTIME = 1852\r\nNMBR = 4075550000\r\n\r\nRING A\r\n",
       {{"4075550000", "2026-05-11 18:52:00", ""}},
       2,
       0},
      {9,
       "DATE = 0511\r\nTIME = 1852\r\nNMBR = 4075550000\r\nNMBR = O\r\n\r\n",
       {{"4075550000", "2026-05-11 18:52:00", ""}},
       0,
       0},
      {10, "DATE = 0511\r\nTIME = 1852\r\nNMBR = A\r\nNAME = A\r\n\r\n", {{"P", "2026-05-11 18:52:00", "P"}}, 0, 0},
      {11,
       "DATE = 0511\r\n\r\nTIME = 1852\r\n\r\nNMBR = 4075550000\r\n\r\nNAME = JOHN DOE\r\n\r\n",
       {{"4075550000", "2026-05-11 18:52:00", "JOHN DOE"}},
       0,
       0},
      {12,
       "DATE = 0511\r\r\nTIME = 1852\r\r\nNMBR = 4075550000\r\r\nNAME = JOHN DOE\r\r\n\r\r\n",
       {{"4075550000", "2026-05-11 18:52:00", "JOHN DOE"}},
       0,
       0},
      {13, "\r\nMESG = 060142\r\n\r\n", {}, 0, 0},
      {14,
       "RING\r\nTIME: 09-15 17:00\r\nCALLER NUMBER: 3015551212\r\nCALLER NAME: SCHMOE JOE\r\n\r\nRING\r\n",
       {{"3015551212", "2026-09-15 17:00:00", "SCHMOE JOE"}},
       2,
       0},
      {15, "TIME: 09-15 17:00\r\nREASON FOR NO CALLER NUMBER: P\r\n\r\n", {{"P", "2026-09-15 17:00:00", ""}}, 0, 0},
      {16,
       Bytes("\x10R\x10X\n\nDATE = 0511\nTIME = 1852\nNMBR = 4075550000\n\x10.\x10XNAME = JOHN DOE\n\n"),
       {{"4075550000", "2026-05-11 18:52:00", "JOHN DOE"}},
       1,
       0},
      {17, "DATE=\r\nTIME=\r\nNMBR=4075550000\r\nNAME=JOHN\r\n\r\n", {{"4075550000", "now", "JOHN"}}, 0, 0},
      {18,
       "DATE = 0511\r\nTIME = 1852\r\nNMBR = 4075550000\r\nMESG = JOHN DOE\r\n\r\n",
       {{"4075550000", "2026-05-11 18:52:00", "JOHN DOE"}},
       0,
       0},
      {19,
       Bytes("\0\0\xff"
             "DATE = 0511\r\nNMBR = 1\r\n") +
           QByteArray(300, 'x') + "\r\n\r\n",
       {{"1", "2026-05-11 14:05:09", ""}},
       0,
       1},
      {20, "DATE = 1332\r\nTIME = 2561\r\nNMBR = 123\r\n\r\n", {{"123", "now", ""}}, 0, 1},
      {21, "DATE = 0229\r\nTIME = 1000\r\nNMBR = 123\r\n\r\n", {{"123", "2026-12-07 10:00:00", ""}}, 0, 1},
      {22, "DATE = 0511\r\nTIME = 1852\r\n", {}, 0, 0},
  };
  for (const Sample& s : samples) {
    SCOPED_TRACE(testing::Message() << "sample " << s.id);
    const Outcome o = ParseQuiet(s.bytes);
    ASSERT_EQ(o.calls.size(), s.calls.size());
    for (size_t i = 0; i < s.calls.size(); ++i) {
      const Expected& want = s.calls[i];
      const QString number = QString::fromLatin1(want.number);
      EXPECT_EQ(o.calls[i].number, number == QLatin1String("P") ? withheld : number);
      EXPECT_EQ(o.calls[i].dateTime, qstrcmp(want.dateTime, "now") == 0 ? kNow.toString(QLatin1String(kDateTimeFormat))
                                                                        : QString::fromLatin1(want.dateTime));
      const QString text = QString::fromLatin1(want.text);
      EXPECT_EQ(o.calls[i].text, text == QLatin1String("P") ? withheld : text);
      EXPECT_EQ(o.calls[i].line, 1);
    }
    EXPECT_EQ(o.rings, s.rings);
    EXPECT_EQ(o.errors.size(), s.errors) << o.errors.join('\n').toStdString();
    // Nothing a modem says here is an unexpected line (the session would report it).
    EXPECT_TRUE(o.replies.isEmpty()) << o.replies.join('|').toStdString();
  }
}

// Records that end by themselves give their call at once; a number without a
// name waits for what comes next, since a name may still follow a blank line.
TEST(ModemSamples, WhenACallIsComplete) {
  ModemParser p([] { return kNow; });
  std::vector<ModemParser::Event> ev;
  p.Feed("NMBR = 4075550000\r\n\r\n", ev);
  EXPECT_TRUE(ev.empty());
  p.Feed("NAME = JOHN DOE\r\n\r\n", ev);
  ASSERT_EQ(ev.size(), 1u);
  EXPECT_EQ(std::get<CallRecord>(ev[0]).text, QStringLiteral("JOHN DOE"));
  ev.clear();
  // After the blank line a field the record already has starts the next call.
  p.Feed("NMBR = 1\r\n\r\nNMBR = 2\r\nNAME = B\r\n\r\n", ev);
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(std::get<CallRecord>(ev[0]).number, QStringLiteral("1"));
  EXPECT_EQ(std::get<CallRecord>(ev[1]).number, QStringLiteral("2"));
  ev.clear();
  p.Feed("DATE = 0511\r\nTIME = 1852\r\nNMBR = 3\r\n\r\nRING A\r\n", ev);
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(std::get<CallRecord>(ev[0]).number, QStringLiteral("3"));
  EXPECT_FALSE(p.RecordOpen());
}

// A modem's date and time are wall-clock text: a call in the hour that
// daylight saving skips keeps its time, and the PC's time is taken as it reads.
TEST(ModemSamples, CallsInADaylightSavingGapKeepTheirTime) {
  const QByteArray saved = qgetenv("TZ");
  qputenv("TZ", "Europe/Berlin");
  tzset();
  const QDateTime sunday(QDate(2026, 3, 29), QTime(12, 0));
  Outcome o = ParseQuiet("DATE = 0329\r\nTIME = 0230\r\nNMBR = 1\r\nNAME = X\r\n\r\n", sunday);
  ASSERT_EQ(o.calls.size(), 1u);
  EXPECT_EQ(o.calls[0].dateTime, QStringLiteral("2026-03-29 02:30:00"));
  EXPECT_TRUE(o.errors.isEmpty());
  o = ParseQuiet("TIME = 0230\r\nNMBR = 1\r\nNAME = X\r\n\r\n", sunday);
  EXPECT_EQ(o.calls.at(0).dateTime, QStringLiteral("2026-03-29 02:30:00"));
  saved.isNull() ? qunsetenv("TZ") : qputenv("TZ", saved);
  tzset();
}

}  // namespace
}  // namespace device
