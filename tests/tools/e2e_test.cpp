// End to end: the real program and the simulator as separate processes, the
// window read over AT-SPI (tests/tools/e2e_fixture.h).
#include <QRegularExpression>
#include <QTest>

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

// Read from outside, every control of the first page at its declared place
// in the window: the declared rectangles moved by their parents' places.
TEST_F(EndToEnd, FirstPageControlsAtTheirDeclaredPlaces) {
  struct Declared {
    QString path;      // the end of the object's path
    QRect rect;        // in the window
    bool sizesToText;  // only the place is declared
  };
  const QString tek = QStringLiteral("panel:  Sinyaller   /");
  QList<Declared> table = {
      {QStringLiteral("layered pane:/filler:"), {4, 24, 519, 383}, false},  // TabSheet1
      {QStringLiteral("filler:/panel:"), {4, 24, 519, 364}, false},         // GroupBox4
      {QStringLiteral("table:") + kCallList, {6, 39, 515, 170}, false},
      {QStringLiteral("text:") + kMessages, {6, 209, 515, 48}, false},
      {QStringLiteral("panel:  Cihaz Bağlantı   "), {6, 257, 288, 129}, false},
      {QStringLiteral("label:Çağrı sayısı : "), {20, 276, 109, 24}, true},
      {QStringLiteral("label:") + kCallCount, {134, 276, 121, 24}, false},
      {QStringLiteral("label:") + kConnectionState, {20, 319, 259, 34}, false},
      {QStringLiteral("panel:  Sinyaller   "), {298, 257, 223, 129}, false},
      {QStringLiteral("status bar:") + kStatusLine, {4, 388, 519, 19}, false},
  };
  for (int line = 1; line <= 4; ++line) {
    const int y = 257 + 24 * (line - 1);
    table.append({tek + QStringLiteral("label:") + LevelBar(line), {313, y + 25, 56, 16}, true});
    table.append({tek + QStringLiteral("progress bar:") + LevelBar(line), {381, y + 27, 98, 13}, false});
    table.append({tek + QStringLiteral("label:") + LevelNumber(line), {487, y + 27, 25, 13}, false});
  }
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  QMap<QString, QRect> extents;
  auto at = [&](const QString& end) {
    for (auto it = extents.begin(); it != extents.end(); ++it)
      if (it.key() == end || it.key().endsWith(QLatin1Char('/') + end)) return it.value();
    return QRect();
  };
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        extents = Extents();
        return !at(QStringLiteral("status bar:") + kStatusLine).isNull();
      },
      10000));
  for (const Declared& d : table) {
    const QRect r = at(d.path);
    SCOPED_TRACE(d.path.toStdString());
    EXPECT_EQ(r.topLeft(), d.rect.topLeft()) << r.x() << ", " << r.y();
    if (!d.sizesToText) EXPECT_EQ(r.size(), d.rect.size()) << r.width() << " x " << r.height();
  }
}

}  // namespace
}  // namespace e2e
