// The unit's line protocol: records it must understand and every way a line
// is rejected, with good records around bad ones still arriving.
#include <gtest/gtest.h>

#include <ctime>

#include "device/native_unit/native_unit_parser.h"

namespace device {
namespace {

std::vector<NativeUnitParser::Event> Parse(NativeUnitParser& p, const QByteArray& bytes) {
  std::vector<NativeUnitParser::Event> out;
  p.Feed(bytes, out);
  return out;
}

std::vector<NativeUnitParser::Event> Parse(const QByteArray& bytes) {
  NativeUnitParser p;
  return Parse(p, bytes);
}

QString ErrorOf(const NativeUnitParser::Event& e) {
  const auto* err = std::get_if<ParseError>(&e);
  return err ? err->message : QStringLiteral("<no error>");
}

TEST(UnitParserRecords, CallWithNumberTextAndTurkishLetters) {
  const auto ev = Parse("CALL|2|2026-12-07 14:05:09|05321234567||Ayşe Öztürk | şube\r\n");
  ASSERT_EQ(ev.size(), 1u);
  const auto& c = std::get<CallRecord>(ev[0]);
  EXPECT_EQ(c.line, 2);
  EXPECT_EQ(c.number, QStringLiteral("05321234567"));
  EXPECT_EQ(c.dateTime, QStringLiteral("2026-12-07 14:05:09"));
  EXPECT_EQ(c.text, QStringLiteral("Ayşe Öztürk | şube"));  // the text keeps further bars
}

TEST(UnitParserRecords, AbsentNumbersBecomeTurkishTexts) {
  const auto ev = Parse(
      "CALL|1|2026-01-02 03:04:05||P|\nCALL|1|2026-01-02 03:04:05||O|\nCALL|1|2026-01-02 03:04:05|+90212*1#||x\n");
  ASSERT_EQ(ev.size(), 3u);
  EXPECT_EQ(std::get<CallRecord>(ev[0]).number, NumberWithheldText());
  EXPECT_EQ(std::get<CallRecord>(ev[1]).number, NumberUnavailableText());
  EXPECT_EQ(std::get<CallRecord>(ev[2]).number, QStringLiteral("+90212*1#"));
}

// The date-time is the unit's wall clock: a call in the hour that daylight
// saving skips (or repeats) keeps that time. The test binary also runs under
// a daylight-saving zone; this case sets one itself.
TEST(UnitParserRecords, CallsInADaylightSavingGapKeepTheirTime) {
  const QByteArray saved = qgetenv("TZ");
  qputenv("TZ", "Europe/Berlin");
  tzset();
  const auto ev = Parse("CALL|1|2026-03-29 02:30:00|123||\nCALL|1|2026-10-25 02:30:00|124||\n");
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_EQ(std::get<CallRecord>(ev[0]).dateTime, QStringLiteral("2026-03-29 02:30:00"));
  EXPECT_EQ(std::get<CallRecord>(ev[1]).dateTime, QStringLiteral("2026-10-25 02:30:00"));
  saved.isNull() ? qunsetenv("TZ") : qputenv("TZ", saved);
  tzset();
}

TEST(UnitParserRecords, IdentityLevelsAndReplies) {
  NativeUnitParser p;
  const auto ev = Parse(p, "ID|CID-4|A1234567|2\rLVL|0|1|2|64|255|0|0|9\nPONG\r\nTEST|BEGIN\n\n\r\n");
  ASSERT_EQ(ev.size(), 4u);
  const auto& id = std::get<IdentRecord>(ev[0]);
  EXPECT_EQ(id.model, QStringLiteral("CID-4"));
  EXPECT_EQ(id.serial, QStringLiteral("A1234567"));
  EXPECT_EQ(id.lines, 2);
  EXPECT_EQ(p.Lines(), 2);
  const auto& l = std::get<LevelRecord>(ev[1]);
  EXPECT_EQ(l.levels, (std::array<int, 8>{0, 1, 2, 64, 255, 0, 0, 9}));
  EXPECT_TRUE(std::holds_alternative<Pong>(ev[2]));
  EXPECT_TRUE(std::holds_alternative<TestAccepted>(ev[3]));
  // Once a unit said it has 2 lines, line 3 is out of range.
  EXPECT_NE(ErrorOf(Parse(p, "CALL|3|2026-12-07 14:05:09|1||\n")[0]).indexOf(QStringLiteral("hat numarası")), -1);
}

TEST(UnitParserRecords, ByteByByteAndPartialRecordsHeldBack) {
  NativeUnitParser p;
  const QByteArray line = "CALL|4|2026-12-07 14:05:09|123||t\r\n";
  std::vector<NativeUnitParser::Event> out;
  for (char c : line.left(line.size() - 2)) p.Feed(&c, 1, out);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(p.PendingBytes(), line.size() - 2);
  p.Feed("\r\n", 2, out);
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(std::get<CallRecord>(out[0]).line, 4);
  EXPECT_EQ(p.PendingBytes(), 0);
}

struct BadLine {
  QByteArray line;
  const char* expected;  // a part of the error text
};

TEST(UnitParserErrors, EveryRejectedLineSaysWhyAndGoodRecordsAroundItArrive) {
  const BadLine cases[] = {
      {"HELLO", "Anlaşılmayan kayıt"},
      {QByteArray("CALL|1|2026-12-07 14:05:09|1||a\0b", 33), "Denetim baytı"},
      {"LVL|1|2|3\x7f|4|5|6|7|8", "Denetim baytı"},
      {"CALL|1|2026-12-07 14:05:09|1||\xff\xfe", "Geçersiz UTF-8"},
      {"CALL|1|2026-12-07 14:05:09|1|", "Eksik alanlı arama"},
      {"CALL|0|2026-12-07 14:05:09|1||", "hat numarası"},
      {"CALL|5|2026-12-07 14:05:09|1||", "hat numarası"},
      {"CALL|x|2026-12-07 14:05:09|1||", "hat numarası"},
      {"CALL|1|2026-13-07 14:05:09|1||", "tarih-saat"},
      {"CALL|1|07.12.2026 14:05|1||", "tarih-saat"},
      {"CALL|2|-2026-12-07 14:05:09|1||", "tarih-saat"},  // negative year
      {"CALL|2|+2026-12-07 14:05:09|1||", "tarih-saat"},
      {"CALL|1|0000-12-07 14:05:09|1||", "tarih-saat"},
      {"CALL|1|2026-12-07 14:05:60|1||", "tarih-saat"},
      {"CALL|1|2026-12-07T14:05:09|1||", "tarih-saat"},
      {"CALL|1| 2026-12-07 14:05:09|1||", "tarih-saat"},
      {"CALL|1|2026-12-07 14:05:09|123|P|", "hem numara hem"},
      {"CALL|1|2026-12-07 14:05:09||X|", "bilinmeyen yokluk"},
      {"CALL|1|2026-12-07 14:05:09|||", "geçersiz numara"},
      {"CALL|1|2026-12-07 14:05:09|0532-123||", "geçersiz numara"},
      {"CALL|1|2026-12-07 14:05:09|123456789012345678901||", "geçersiz numara"},
      {"LVL|1|2|3|4|5|6|7", "Sekiz değer"},
      {"LVL|1|2|3|4|5|6|7|8|9", "Sekiz değer"},
      {"LVL|1|2|3|4|5|6|7|256", "geçersiz değer"},
      {"LVL|1|2|3|4|5|6|7|-1", "geçersiz değer"},
      {"LVL|1|2||4|5|6|7|8", "geçersiz değer"},
      {"ID|CID-4|A1", "Eksik alanlı kimlik"},
      {"ID|CID-4|A1|4|x", "Eksik alanlı kimlik"},
      {"ID||A1|4", "model ya da seri"},
      {"ID|CID-4|123456789012345678901234567890123|4", "model ya da seri"},
      {"ID|CID-4|A1|3", "hat sayısı"},
      {"ERR|komut bilinmiyor", "Cihaz hata bildirdi: komut bilinmiyor"},
      {"ERR|", "Cihaz hata bildirdi: (açıklama yok)"},
      {"PONG ", "Anlaşılmayan kayıt"},
  };
  for (const BadLine& c : cases) {
    NativeUnitParser p;
    const auto ev = Parse(p, "LVL|1|1|1|1|1|1|1|1\n" + c.line + "\nPONG\n");
    ASSERT_EQ(ev.size(), 3u) << c.line.toStdString();
    EXPECT_TRUE(std::holds_alternative<LevelRecord>(ev[0]));
    EXPECT_TRUE(ErrorOf(ev[1]).contains(QString::fromUtf8(c.expected))) << ErrorOf(ev[1]).toStdString();
    EXPECT_TRUE(std::holds_alternative<Pong>(ev[2])) << c.line.toStdString();
  }
}

TEST(UnitParserErrors, OverlongLineIsReportedOnceAndDroppedToItsEnd) {
  NativeUnitParser p;
  std::vector<NativeUnitParser::Event> out;
  const QByteArray flood(10000, 'A');
  p.Feed(flood, out);
  ASSERT_EQ(out.size(), 1u);  // reported when the bound is hit, not at the terminator
  EXPECT_TRUE(ErrorOf(out[0]).contains(QStringLiteral("Çok uzun satır")));
  EXPECT_LE(p.PendingBytes(), LineSplitter::kMaxLine);
  p.Feed(flood + "\nPONG\n", out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_TRUE(std::holds_alternative<Pong>(out[1]));
}

TEST(UnitParserErrors, ErrorTextShowsUnprintableBytesEscapedAndCut) {
  const auto ev = Parse(QByteArray("\x01\x02zz\\", 5) + QByteArray(40, 'x') + "\n");
  const QString msg = ErrorOf(ev.at(0));
  EXPECT_TRUE(msg.contains(QStringLiteral("\\x01\\x02zz\\x5c"))) << msg.toStdString();
  EXPECT_TRUE(msg.endsWith(QStringLiteral("...\"")));
}

}  // namespace
}  // namespace device
