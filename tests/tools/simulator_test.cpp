// The simulator says what the control's parsers understand, and its script
// language rejects what it cannot run.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "device/modem_parser.h"
#include "device/unit_parser.h"
#include "tools/simulator/demo.h"
#include "tools/simulator/script.h"

namespace sim {
namespace {

const QDateTime kWhen(QDate(2026, 3, 4), QTime(5, 6, 7));

TEST(SimulatedUnit, EverythingItSendsParsesBack) {
  auto unit = MakeUnit(2, QStringLiteral("S-1"));
  device::UnitParser parser;
  std::vector<device::UnitParser::Event> ev;
  parser.Feed(unit->FromHost("ID?\r\nPING\nTEST\r\nBOGUS\r\n"), ev);
  parser.Feed(unit->TakeSelfTestCalls(kWhen), ev);
  parser.Feed(unit->CallBytes(Call{2, QStringLiteral("P"), QStringLiteral("Şule | x")}, kWhen), ev);
  parser.Feed(unit->Ringing(2, 40), ev);
  ASSERT_EQ(ev.size(), 8u);
  EXPECT_EQ(std::get<device::IdentRecord>(ev[0]).model, QStringLiteral("SIM-CID-2"));
  EXPECT_EQ(std::get<device::IdentRecord>(ev[0]).serial, QStringLiteral("S-1"));
  EXPECT_TRUE(std::holds_alternative<device::Pong>(ev[1]));
  EXPECT_TRUE(std::holds_alternative<device::TestAccepted>(ev[2]));
  EXPECT_TRUE(std::get<device::ParseError>(ev[3]).message.contains(QStringLiteral("bilinmeyen komut")));
  EXPECT_EQ(std::get<device::CallRecord>(ev[4]).line, 1);
  EXPECT_EQ(std::get<device::CallRecord>(ev[5]).text, QStringLiteral("TEST"));
  const auto& call = std::get<device::CallRecord>(ev[6]);
  EXPECT_EQ(call.number, device::NumberWithheldText());
  EXPECT_EQ(call.text, QStringLiteral("Şule | x"));
  EXPECT_EQ(call.dateTime, QStringLiteral("2026-03-04 05:06:07"));
  EXPECT_EQ(std::get<device::LevelRecord>(ev[7]).levels[1], 40);
  EXPECT_TRUE(unit->TakeSelfTestCalls(kWhen).isEmpty());  // once per TEST
}

TEST(SimulatedModem, AnswersLikeAModemAndItsRecordsParseBack) {
  auto modem = MakeModem(QStringLiteral("M-9"));
  EXPECT_EQ(modem->FromHost("ATZ\r"), QByteArray("ATZ\r\nOK\r\n"));
  EXPECT_TRUE(modem->FromHost("AT#CID=1\r").endsWith("ERROR\r\n"));
  EXPECT_TRUE(modem->FromHost("AT+GSN\r").contains("\r\nM-9\r\n"));
  EXPECT_TRUE(modem->Levels({}).isEmpty());
  auto old = MakeModem(QStringLiteral("M"), true, true);
  EXPECT_TRUE(old->FromHost("AT+VCID=1\r").endsWith("ERROR\r\n"));
  EXPECT_TRUE(old->FromHost("AT#CID=1\r").endsWith("OK\r\n"));
  EXPECT_TRUE(old->FromHost("AT+GMM\r").endsWith("ERROR\r\n"));

  device::ModemParser parser([] { return kWhen; });
  std::vector<device::ModemParser::Event> ev;
  parser.Feed(modem->Ringing(1, 0) + modem->CallBytes(Call{1, QStringLiteral("02125550000"), QStringLiteral("ALI")}, kWhen), ev);
  ASSERT_EQ(ev.size(), 2u);
  EXPECT_TRUE(std::holds_alternative<device::ModemParser::Ring>(ev[0]));
  const auto& call = std::get<device::CallRecord>(ev[1]);
  EXPECT_EQ(call.number, QStringLiteral("02125550000"));
  EXPECT_EQ(call.dateTime, QStringLiteral("2026-03-04 05:06:00"));
  EXPECT_EQ(call.text, QStringLiteral("ALI"));
}

TEST(SimulatorScript, CommandsAndTheirMistakes) {
  Command c;
  QString error;
  ASSERT_TRUE(ParseCommand(QStringLiteral("call 4 05321234567 Ayşe Yılmaz  # comment"), 4, &c, &error));
  EXPECT_EQ(c.kind, Command::CallCmd);
  EXPECT_EQ(c.call.line, 4);
  EXPECT_EQ(c.call.text, QStringLiteral("Ayşe Yılmaz"));
  ASSERT_TRUE(ParseCommand(QStringLiteral("levels 1 2 3 64"), 4, &c, &error));
  EXPECT_EQ(c.levels, (std::array<int, 8>{1, 2, 3, 64, 0, 0, 0, 0}));
  ASSERT_TRUE(ParseCommand(QStringLiteral("stall 3"), 4, &c, &error));
  EXPECT_EQ(c.ms, 3000);
  ASSERT_TRUE(ParseCommand(QStringLiteral("raw CALL|1|#x\\x00\\xfF\\r\\n\\\\"), 4, &c, &error));
  EXPECT_EQ(c.bytes, QByteArray("CALL|1|#x\x00\xff\r\n\\", 14));
  ASSERT_TRUE(ParseCommand(QStringLiteral("   # only a comment"), 4, &c, &error));
  EXPECT_EQ(c.kind, Command::Nothing);
  for (const char* bad : {"call 5 123", "call 1", "levels 1 2 3", "levels 1 2 3 256", "wait", "wait -1",
                          "stall x", "unplug now", "dance"}) {
    EXPECT_FALSE(ParseCommand(QString::fromLatin1(bad), 4, &c, &error)) << bad;
    EXPECT_TRUE(error.endsWith(QString::fromLatin1(bad))) << error.toStdString();
  }
  EXPECT_FALSE(ParseCommand(QStringLiteral("call 2 1"), 1, &c, &error));  // a one-line unit
  EXPECT_EQ(Unescape(QStringLiteral("\\xZZ\\q")), QByteArray("\\xZZ\\q"));
}

TEST(SimulatorDemo, NumbersLookTurkishAndCallsStayOnExistingLines) {
  QRandomGenerator rng(7);
  const QRegularExpression turkish(QStringLiteral("^05(3[0-9]|4[0-9]|0[5-6]|5[0-9])[2-9][0-9]{6}$|^0(212|216|312|232|224|242|322|342|262|462)[2-9][0-9]{6}$"));
  for (int i = 0; i < 500; ++i) {
    const QString n = RandomTurkishNumber(rng);
    EXPECT_TRUE(turkish.match(n).hasMatch()) << n.toStdString();
    const Call c = RandomCall(rng, 2);
    EXPECT_TRUE(c.line == 1 || c.line == 2);
    EXPECT_LE(QuietLevel(rng), 2);
  }
  // The garbage burst holds what the parsers must survive.
  const QByteArray g = GarbageBytes();
  EXPECT_TRUE(g.contains('\0'));
  EXPECT_TRUE(g.contains("\xc3\x28"));
}

}  // namespace
}  // namespace sim
