// What shop-bought voice modems send: labelled fields in any order, with the
// quirks met in the field.
#include <gtest/gtest.h>

#include "device/core/printable.h"
#include "device/modem/modem_parser.h"

namespace device {
namespace {

// Literal bytes, NULs included.
template <size_t N>
QByteArray Bytes(const char (&s)[N]) {
  return QByteArray(s, N - 1);
}

const QDateTime kNow(QDate(2026, 12, 7), QTime(14, 5, 9));

// flush: the modem then goes quiet, which ends a record without a name.
std::vector<ModemParser::Event> Parse(const QByteArray& bytes, bool flush = true, QDateTime now = kNow) {
  ModemParser p([now] { return now; });
  std::vector<ModemParser::Event> out;
  p.Feed(bytes, out);
  if (flush) p.Flush(out);
  return out;
}

std::vector<CallRecord> Calls(const std::vector<ModemParser::Event>& ev) {
  std::vector<CallRecord> calls;
  for (const auto& e : ev)
    if (const auto* c = std::get_if<CallRecord>(&e)) calls.push_back(*c);
  return calls;
}

QStringList Errors(const std::vector<ModemParser::Event>& ev) {
  QStringList errors;
  for (const auto& e : ev)
    if (const auto* err = std::get_if<ParseError>(&e)) errors << err->message;
  return errors;
}

TEST(ModemRecords, FieldsInAnyOrderWithOrWithoutBlanksAroundEquals) {
  const auto ev =
      Parse("RING\r\n\r\nNAME=AHMET YILMAZ\r\nNMBR =05321234567\r\nTIME= 0930\r\nDATE  =  1205\r\n\r\nRING\r\n");
  ASSERT_EQ(ev.size(), 3u);
  EXPECT_TRUE(std::holds_alternative<ModemParser::Ring>(ev[0]));
  const auto& c = std::get<CallRecord>(ev[1]);
  EXPECT_EQ(c.line, 1);
  EXPECT_EQ(c.number, QStringLiteral("05321234567"));
  EXPECT_EQ(c.dateTime, QStringLiteral("2026-12-05 09:30:00"));
  EXPECT_EQ(c.text, QStringLiteral("AHMET YILMAZ"));
  EXPECT_TRUE(std::holds_alternative<ModemParser::Ring>(ev[2]));
}

TEST(ModemRecords, NumberLabelsAndOnlyTheFirstNumberCounts) {
  EXPECT_EQ(Calls(Parse("DDN_NMBR = 2125550000\r\nNMBR = 999\r\n\r\n")).at(0).number, QStringLiteral("2125550000"));
  EXPECT_EQ(Calls(Parse("NBR=4441234\r\nNBR=5\r\n\r\n")).at(0).number, QStringLiteral("4441234"));
  EXPECT_EQ(Calls(Parse("NMBR = 1\r\nDDN_NMBR = 2\r\n\r\n")).at(0).number, QStringLiteral("1"));
}

TEST(ModemRecords, MaskedNumbersBecomeTurkishTexts) {
  EXPECT_EQ(Calls(Parse("NMBR = P\r\n\r\n")).at(0).number, NumberWithheldText());
  EXPECT_EQ(Calls(Parse("NMBR = O\r\n\r\n")).at(0).number, NumberUnavailableText());
  // A record with a name but no number still is a call.
  const auto c = Calls(Parse("NAME = P\r\nMESG = 0A\r\n", true)).at(0);
  EXPECT_EQ(c.number, NumberUnavailableText());
  EXPECT_EQ(c.text, NumberWithheldText() + QStringLiteral(" / 0A"));
}

TEST(ModemRecords, MissingEmptyOrBadDateAndTimeTakeTheClock) {
  EXPECT_EQ(Calls(Parse("NMBR = 1\r\n\r\n")).at(0).dateTime, QStringLiteral("2026-12-07 14:05:09"));
  EXPECT_EQ(Calls(Parse("DATE =\r\nTIME = \r\nNMBR = 1\r\n\r\n")).at(0).dateTime,
            QStringLiteral("2026-12-07 14:05:09"));
  EXPECT_EQ(Calls(Parse("TIME = 0101\r\nNMBR = 1\r\n\r\n")).at(0).dateTime, QStringLiteral("2026-12-07 01:01:00"));
  for (const char* bad : {"DATE = 1332", "DATE = 0230", "DATE = 12A5", "DATE = 120"}) {
    const auto ev = Parse(QByteArray(bad) + "\r\nNMBR = 1\r\n\r\n");
    EXPECT_EQ(Calls(ev).at(0).dateTime, QStringLiteral("2026-12-07 14:05:09")) << bad;
    ASSERT_EQ(Errors(ev).size(), 1) << bad;
    EXPECT_TRUE(Errors(ev)[0].contains(QStringLiteral("geçersiz tarih")));
  }
  for (const char* bad : {"TIME = 2400", "TIME = 1260", "TIME = ab12"}) {
    const auto ev = Parse(QByteArray(bad) + "\r\nNMBR = 1\r\n\r\n");
    EXPECT_EQ(Calls(ev).at(0).dateTime, QStringLiteral("2026-12-07 14:05:09")) << bad;
    EXPECT_TRUE(Errors(ev).value(0).contains(QStringLiteral("geçersiz saat"))) << bad;
  }
  // 31 December read on 1 January belongs to last year; 29 February only in leap years.
  const QDateTime newYear(QDate(2027, 1, 1), QTime(0, 0, 30));
  EXPECT_EQ(Calls(Parse("DATE = 1231\r\nTIME = 2359\r\nNMBR = 1\r\n\r\n", true, newYear)).at(0).dateTime,
            QStringLiteral("2026-12-31 23:59:00"));
  EXPECT_EQ(
      Calls(Parse("DATE = 0229\r\nNMBR = 1\r\n\r\n", true, QDateTime(QDate(2028, 3, 1), QTime(1, 0)))).at(0).dateTime,
      QStringLiteral("2028-02-29 01:00:00"));
}

TEST(ModemRecords, JunkBeforeLabelsIsSkipped) {
  const auto ev =
      Parse(Bytes("\x00\xff~~NMBR = 02125550000\r\n\x13\x11"
                  "DATE = 0102\r\n\r\n"));
  const auto calls = Calls(ev);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].number, QStringLiteral("02125550000"));
  EXPECT_EQ(calls[0].dateTime.left(10), QStringLiteral("2026-01-02"));
  EXPECT_TRUE(Errors(ev).isEmpty());
  EXPECT_TRUE(std::holds_alternative<ModemParser::Ring>(Parse("\xfe\x01RING\r\n").at(0)));
}

TEST(ModemRecords, WhereARecordEnds) {
  // Blank lines before the number do not end it (some modems space fields).
  auto calls = Calls(Parse("DATE = 1207\r\n\r\nTIME = 1405\r\n\r\nNMBR = 7\r\n\r\n"));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].dateTime, QStringLiteral("2026-12-07 14:05:00"));
  // A new date after a complete record starts the next one.
  calls = Calls(Parse("DATE = 1207\r\nNMBR = 1\r\nDATE = 1207\r\nNMBR = 2\r\n", true));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].number, QStringLiteral("2"));
  // Without an end the record waits for Flush; RING ends it too.
  ModemParser p([] { return kNow; });
  std::vector<ModemParser::Event> out;
  p.Feed("NMBR = 5", out);
  EXPECT_FALSE(p.RecordOpen());
  EXPECT_GT(p.PendingBytes(), 0);
  p.Feed("\r\n", out);
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(p.RecordOpen());
  p.Feed("RING\r\n", out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(std::get<CallRecord>(out[0]).number, QStringLiteral("5"));
  p.Flush(out);
  EXPECT_EQ(out.size(), 2u);  // nothing open, nothing flushed
}

TEST(ModemRecords, OtherLinesAreRepliesAndOverlongLinesErrors) {
  const auto ev = Parse("OK\r\nERROR\rU.S. Robotics 56K\nNMBR 123\r\n");
  ASSERT_EQ(ev.size(), 4u);
  EXPECT_EQ(std::get<ModemParser::Reply>(ev[0]).line, QByteArray("OK"));
  EXPECT_EQ(std::get<ModemParser::Reply>(ev[1]).line, QByteArray("ERROR"));
  EXPECT_EQ(std::get<ModemParser::Reply>(ev[3]).line, QByteArray("NMBR 123"));  // no '=': not a field
  const auto flood = Parse(QByteArray(1000, 'x') + "\r\nNMBR = 9\r\n\r\n");
  ASSERT_EQ(Errors(flood).size(), 1);
  EXPECT_TRUE(Errors(flood)[0].contains(QStringLiteral("çok uzun satır")));
  EXPECT_EQ(Calls(flood).at(0).number, QStringLiteral("9"));
}

TEST(ModemRecords, ValuesDecodeUtf8OrTheTurkishCodePageAndLoseControlBytes) {
  EXPECT_EQ(Calls(Parse("NAME = \xc5\x9e\x45N\xc5\x9e\x41L\r\nNMBR = 1\r\n\r\n")).at(0).text, QStringLiteral("ŞENŞAL"));
  EXPECT_EQ(Calls(Parse("NAME = M\xdcLLER\x07\r\nNMBR = 1\r\n\r\n")).at(0).text, QStringLiteral("MÜLLER"));
  EXPECT_EQ(Calls(Parse("NAME = \xde\x45N\xddZ \xfe\x65n\r\nNMBR = 1\r\n\r\n")).at(0).text,
            QStringLiteral("ŞENİZ şen"));
}

}  // namespace
}  // namespace device
