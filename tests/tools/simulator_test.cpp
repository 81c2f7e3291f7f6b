// The simulator says what the control's parsers understand, and its script
// language rejects what it cannot run.
#include <gtest/gtest.h>

#include "device/native_unit/native_unit_parser.h"
#include "tools/simulator/script.h"

namespace sim {
namespace {

const QDateTime kWhen(QDate(2026, 3, 4), QTime(5, 6, 7));

TEST(SimulatedUnit, EverythingItSendsParsesBack) {
  auto unit = MakeUnit(2, QStringLiteral("S-1"));
  device::NativeUnitParser parser;
  std::vector<device::NativeUnitParser::Event> ev;
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
  for (const char* bad : {"call 5 123", "call 1", "levels 1 2 3", "levels 1 2 3 256", "wait", "wait -1", "stall x",
                          "unplug now", "dance"}) {
    EXPECT_FALSE(ParseCommand(QString::fromLatin1(bad), 4, &c, &error)) << bad;
    EXPECT_TRUE(error.endsWith(QString::fromLatin1(bad))) << error.toStdString();
  }
  EXPECT_FALSE(ParseCommand(QStringLiteral("call 2 1"), 1, &c, &error));  // a one-line unit
  EXPECT_EQ(Unescape(QStringLiteral("\\xZZ\\q")), QByteArray("\\xZZ\\q"));
}

}  // namespace
}  // namespace sim
