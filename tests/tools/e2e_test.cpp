// End to end: the real program (offscreen) and the simulator as separate
// processes, talking over a pseudo-terminal. The program is observed through
// its test-only widget dump (tools/inspect/widget_dump.h).
#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kConnected = QStringLiteral("Cihaz bağlı");
const QString kWaiting = QStringLiteral("Bağlantı bekleniyor");

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(runtime.isValid()); }

  void TearDown() override {
    for (QProcess* p : {&simulator, &program}) {
      if (p->state() == QProcess::NotRunning) continue;
      p->terminate();
      if (!p->waitForFinished(3000)) p->kill();
      p->waitForFinished(1000);
    }
  }

  QProcessEnvironment Environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CID_TEST_WIDGET_DUMP"), runtime.filePath(QStringLiteral("dump.txt")));
    return env;
  }

  // Both processes running (simulator first) and the device linked.
  void StartConnected(const QStringList& simulatorArgs = {}) {
    simulator.setProcessEnvironment(Environment());
    simulator.start(QStringLiteral(CID_SIMULATOR), QStringList{QStringLiteral("--script"), QStringLiteral("-"),
                                                                QStringLiteral("--serial"), QStringLiteral("E2E1")} + simulatorArgs);
    ASSERT_TRUE(simulator.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return simulator.peek(64).startsWith("READY"); }, 5000));
    program.setProcessEnvironment(Environment());
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(CID_PROGRAM), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(WaitFor([](const auto& d) { return d.contains(QStringLiteral("Label9")); }));
    ASSERT_TRUE(WaitValue(QStringLiteral("Label9"), kConnected)) << Show(QStringLiteral("Memo2"));
  }

  void Script(const QByteArray& commands) { simulator.write(commands + "\n"); }

  QMap<QString, QString> Dump() const {
    QMap<QString, QString> d;
    QFile f(runtime.filePath(QStringLiteral("dump.txt")));
    if (!f.open(QIODevice::ReadOnly)) return d;
    for (const QByteArray& line : f.readAll().split('\n')) {
      const qsizetype tab = line.indexOf('\t');
      if (tab > 0) d.insert(QString::fromUtf8(line.left(tab)), QString::fromUtf8(line.mid(tab + 1)));
    }
    return d;
  }

  template <class Pred>
  bool WaitFor(Pred pred, int ms = 5000) {
    return QTest::qWaitFor([&] { return pred(Dump()); }, ms);
  }
  bool WaitValue(const QString& key, const QString& value, int ms = 5000) {
    return WaitFor([&](const auto& d) { return d.value(key) == value; }, ms);
  }
  std::string Show(const QString& key) { return Dump().value(key).toStdString(); }

  QTemporaryDir runtime;
  QProcess simulator;
  QProcess program;
};

TEST_F(EndToEnd, ScriptedCallBecomesARowAndLevelsMoveTheBars) {
  ASSERT_NO_FATAL_FAILURE(StartConnected());
  EXPECT_EQ(Dump().value(QStringLiteral("StatusBar1")), QStringLiteral("  Cihaz modeli: SIM-CID-4  Seri no: E2E1"));

  Script("call 2 05321234567 Ayşe Yılmaz");
  ASSERT_TRUE(WaitValue(QStringLiteral("GridView1.rows"), QStringLiteral("1")));
  const auto d = Dump();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{1,2}:\\d\\d:\\d\\d")).match(d.value(QStringLiteral("GridView1[0][0]"))).hasMatch());
  EXPECT_EQ(d.value(QStringLiteral("GridView1[0][1]")), QStringLiteral("E2E1"));
  EXPECT_EQ(d.value(QStringLiteral("GridView1[0][2]")), QStringLiteral("1"));
  EXPECT_EQ(d.value(QStringLiteral("GridView1[0][3]")), QStringLiteral("2"));
  EXPECT_EQ(d.value(QStringLiteral("GridView1[0][4]")), QStringLiteral("05321234567"));
  EXPECT_EQ(d.value(QStringLiteral("Label5")), QStringLiteral("1"));

  Script("levels 0 12 64 70");
  ASSERT_TRUE(WaitValue(QStringLiteral("Label4"), QStringLiteral("70")));
  const auto l = Dump();
  EXPECT_EQ(l.value(QStringLiteral("ProgressBar1")), QStringLiteral("0"));
  EXPECT_EQ(l.value(QStringLiteral("ProgressBar2")), QStringLiteral("12"));
  EXPECT_EQ(l.value(QStringLiteral("ProgressBar3")), QStringLiteral("64"));
  EXPECT_EQ(l.value(QStringLiteral("ProgressBar4")), QStringLiteral("64"));
}

TEST_F(EndToEnd, UnplugClearsThePageAndReplugNumbersFromOne) {
  ASSERT_NO_FATAL_FAILURE(StartConnected({QStringLiteral("--lines"), QStringLiteral("2")}));
  Script("call 1 02125550000\ncall 2 P");
  ASSERT_TRUE(WaitValue(QStringLiteral("Label5"), QStringLiteral("2")));
  EXPECT_EQ(Dump().value(QStringLiteral("GridView1[1][4]")), QStringLiteral("Gizli numara"));

  Script("unplug");
  // Cleared at the first poll that finds no device.
  ASSERT_TRUE(WaitValue(QStringLiteral("Label9"), kWaiting));
  auto d = Dump();
  EXPECT_EQ(d.value(QStringLiteral("GridView1.rows")), QStringLiteral("0"));
  EXPECT_EQ(d.value(QStringLiteral("Label5")), QStringLiteral("0"));
  EXPECT_EQ(d.value(QStringLiteral("StatusBar1")), QString());

  Script("plug");
  ASSERT_TRUE(WaitValue(QStringLiteral("Label9"), kConnected));
  Script("call 2 05551112233");
  ASSERT_TRUE(WaitValue(QStringLiteral("GridView1.rows"), QStringLiteral("1")));
  EXPECT_EQ(Dump().value(QStringLiteral("GridView1[0][2]")), QStringLiteral("1"));
  EXPECT_EQ(Dump().value(QStringLiteral("GridView1[0][4]")), QStringLiteral("05551112233"));
}

TEST_F(EndToEnd, ModemEmulationGivesARow) {
  ASSERT_NO_FATAL_FAILURE(StartConnected({QStringLiteral("--modem")}));
  EXPECT_EQ(Dump().value(QStringLiteral("StatusBar1")), QStringLiteral("  Cihaz modeli: SIM-MODEM 56K  Seri no: E2E1"));
  Script("call 1 03122223344 ALI VELI");
  ASSERT_TRUE(WaitValue(QStringLiteral("GridView1.rows"), QStringLiteral("1")));
  const auto d = Dump();
  EXPECT_EQ(d.value(QStringLiteral("GridView1[0][3]")), QStringLiteral("1"));
  EXPECT_EQ(d.value(QStringLiteral("GridView1[0][4]")), QStringLiteral("03122223344"));
  EXPECT_EQ(d.value(QStringLiteral("GridView1[0][1]")), QStringLiteral("E2E1"));
}

TEST_F(EndToEnd, StalledDeviceGivesAMessageWhileTheWindowStaysResponsive) {
  ASSERT_NO_FATAL_FAILURE(StartConnected());
  Script("stall");
  const qint64 before = Dump().value(QStringLiteral("sequence")).toLongLong();
  ASSERT_TRUE(WaitFor([](const auto& d) { return d.value(QStringLiteral("Memo2")).contains(QStringLiteral("Cihaz E2E1: Cihaz yanıt vermiyor")); },
                      8000))
      << Show(QStringLiteral("Memo2"));
  // The dump is written by the window's own timer: it kept running throughout.
  EXPECT_GT(Dump().value(QStringLiteral("sequence")).toLongLong() - before, 10);
  EXPECT_EQ(Dump().value(QStringLiteral("Label9")), kConnected);
  Script("resume\ncall 3 02164445566");
  ASSERT_TRUE(WaitValue(QStringLiteral("GridView1[0][4]"), QStringLiteral("02164445566")));
}

}  // namespace
