// End to end: the real program and the simulator as separate processes, the
// window read over AT-SPI (tests/tools/e2e_fixture.h).
#include <QRegularExpression>

#include "tools/e2e_fixture.h"

namespace e2e {
namespace {

using EndToEnd = ProgramFixture;

const QString kLine = QStringLiteral("Hat no.");
const QString kNumber = QStringLiteral("Arayan numara");
const QString kTime = QStringLiteral("Saat");
const QString kSerial = QStringLiteral("Cihaz seri no.");
const QString kSequence = QStringLiteral("Çağrı sıra no");

// The program takes no command line: Qt's own options (a platform that does
// not exist, a style sheet file to read) must not reach the toolkit.
TEST_F(EndToEnd, ToolkitOptionsOnTheCommandLineChangeNothing) {
  ASSERT_NO_FATAL_FAILURE(
      StartProgram({QStringLiteral("-platform"), QStringLiteral("cid-no-such-platform"), QStringLiteral("-stylesheet"),
                    runtime.filePath(QStringLiteral("missing.qss")), QStringLiteral("-reverse")}));
  EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(EndToEnd, ScriptedCallIsReadOutAsARowAndLevelsMoveTheBars) {
  ASSERT_NO_FATAL_FAILURE(StartConnected());
  const Snapshot start = Read();
  EXPECT_EQ(start.value(kStatusLine), QStringLiteral("  Cihaz modeli: SIM-CID-4  Seri no: E2E1"));
  EXPECT_EQ(start.headers, (QStringList{kLine, kNumber, kTime, kSerial, kSequence}));

  Script("call 2 05321234567 Ayşe Yılmaz");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 1; }));
  const Snapshot d = Read();
  EXPECT_EQ(d.value(kCallList), QStringLiteral("1"));
  EXPECT_EQ(d.rows[0], (QStringList{QStringLiteral("2"), QStringLiteral("05321234567"), d.Cell(0, kTime),
                                    QStringLiteral("E2E1"), QStringLiteral("1")}));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d")).match(d.Cell(0, kTime)).hasMatch());
  EXPECT_EQ(d.value(kCallCount), QStringLiteral("1"));

  Script("levels 0 12 64 70");
  ASSERT_TRUE(WaitValue(LevelNumber(4), QStringLiteral("70")));
  const Snapshot l = Read();
  EXPECT_EQ(l.value(LevelBar(1)), QStringLiteral("0"));
  EXPECT_EQ(l.value(LevelBar(2)), QStringLiteral("12"));
  EXPECT_EQ(l.value(LevelBar(3)), QStringLiteral("64"));
  EXPECT_EQ(l.value(LevelBar(4)), QStringLiteral("64"));
  EXPECT_EQ(l.value(LevelNumber(2)), QStringLiteral("12"));
}

TEST_F(EndToEnd, UnplugClearsThePageAndReplugNumbersFromOne) {
  ASSERT_NO_FATAL_FAILURE(StartConnected({QStringLiteral("--lines"), QStringLiteral("2")}));
  Script("call 1 02125550000\ncall 2 P");
  ASSERT_TRUE(WaitValue(kCallCount, QStringLiteral("2")));
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 2; }));
  EXPECT_EQ(Read().Cell(1, kNumber), QStringLiteral("Gizli numara"));

  Script("unplug");
  // Cleared at the first poll that finds no device.
  ASSERT_TRUE(WaitValue(kConnectionState, kWaiting));
  const Snapshot d = Read();
  EXPECT_EQ(d.RowCount(), 0);
  EXPECT_EQ(d.value(kCallList), QStringLiteral("0"));
  EXPECT_EQ(d.value(kCallCount), QStringLiteral("0"));
  EXPECT_EQ(d.value(kStatusLine), QString());

  Script("plug");
  ASSERT_TRUE(WaitValue(kConnectionState, kConnected));
  Script("call 2 05551112233");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 1; }));
  EXPECT_EQ(Read().Cell(0, kSequence), QStringLiteral("1"));
  EXPECT_EQ(Read().Cell(0, kNumber), QStringLiteral("05551112233"));
}

TEST_F(EndToEnd, ModemEmulationGivesARow) {
  ASSERT_NO_FATAL_FAILURE(StartConnected({QStringLiteral("--modem")}));
  EXPECT_EQ(Read().value(kStatusLine), QStringLiteral("  Cihaz modeli: SIM-MODEM 56K  Seri no: E2E1"));
  Script("call 1 03122223344 ALI VELI");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 1; }));
  const Snapshot d = Read();
  EXPECT_EQ(d.Cell(0, kLine), QStringLiteral("1"));
  EXPECT_EQ(d.Cell(0, kNumber), QStringLiteral("03122223344"));
  EXPECT_EQ(d.Cell(0, kSerial), QStringLiteral("E2E1"));
}

TEST_F(EndToEnd, StalledDeviceGivesAMessageWhileTheWindowStaysResponsive) {
  ASSERT_NO_FATAL_FAILURE(StartConnected());
  Script("stall");
  // Every read is answered by the program's own loop: reads that keep coming
  // back while the device is stalled show the window never blocked.
  int answered = 0;
  ASSERT_TRUE(WaitFor(
      [&](const Snapshot& s) {
        answered += s.present ? 1 : 0;
        return s.value(kMessages).contains(QStringLiteral("Cihaz E2E1: Cihaz yanıt vermiyor"));
      },
      8000))
      << Show(kMessages);
  EXPECT_GT(answered, 2);
  EXPECT_EQ(Read().value(kConnectionState), kConnected);
  Script("resume\ncall 3 02164445566");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.Cell(0, kNumber) == QStringLiteral("02164445566"); }));
}

}  // namespace
}  // namespace e2e
