// Plugging and unplugging seen from the directories' own change events. The
// device clock stands still and the control's tick is stopped, so nothing
// but those events can link or drop a device; waiting is for an event, not
// for time.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "device/control/builtin_control.h"
#include "device/fake_device.h"
#include "support/manual_clock.h"
#include "support/session_probe.h"

namespace device {
namespace {

using test::FakeDevice;

int OpenDescriptors() {
  return int(QDir(QStringLiteral("/proc/self/fd"))
                 .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot)
                 .size());
}

class PlugTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(base.isValid()); }
  // Starts a control on `directory` and stops its tick.
  void Start(const QString& directory) {
    control = std::make_unique<TBuiltinControl>(QStringList{directory}, clock, probe.Maker());
    ASSERT_EQ(control->StartMonitoring(), S_OK);
    QTimer* tick = control->findChild<QTimer*>();
    ASSERT_NE(tick, nullptr);
    tick->stop();
  }
  QString Model() {
    QString v;
    return Failed(control->GetInfo(QStringLiteral("devicemodel"), &v)) ? QStringLiteral("FAILED") : v;
  }
  bool Shows(const QString& model) {
    return QTest::qWaitFor([&] { return Model() == model; }, 5000);
  }

  QTemporaryDir base;
  test::ManualClock clock{1000};
  testsupport::SessionProbe probe;  // outlives the control
  std::unique_ptr<TBuiltinControl> control;
};

TEST_F(PlugTest, EveryPlugAndUnplugIsSeenWithoutTheTickOrTheClock) {
  struct Case {
    const char* name;
    QString below;          // the watched directory, under the test's own
    bool directoryGoesToo;  // removed after each unplug, made anew by the next plug
  };
  const Case cases[] = {
      {"a directory there from the start", QString(), false},
      {"a directory made after start", QStringLiteral("later"), false},
      {"one made two levels down after start", QStringLiteral("later/deeper"), false},
      {"one removed and made anew every time", QStringLiteral("again"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString directory = c.below.isEmpty() ? base.path() : base.path() + '/' + c.below;
    Start(directory);
    for (int cycle = 0; cycle < 20; ++cycle) {
      SCOPED_TRACE(cycle);
      FakeDevice dev(directory, QStringLiteral("unit-a"), sim::MakeUnit(4, QStringLiteral("P1")));
      ASSERT_TRUE(dev.Plug());
      ASSERT_TRUE(Shows(QStringLiteral("SIM-CID-4")));
      ASSERT_EQ(probe.Linked(), 1u);
      dev.Unplug();
      ASSERT_TRUE(Shows(QString()));
      ASSERT_EQ(probe.Linked(), 0u);
      if (c.directoryGoesToo) {
        ASSERT_TRUE(QDir(directory).removeRecursively());
      }
    }
    control.reset();
  }
}

TEST_F(PlugTest, TwoDevicesPluggedAtOnceAreBothLinked) {
  Start(base.path());
  FakeDevice first(base.path(), QStringLiteral("unit-a"), sim::MakeUnit(4, QStringLiteral("A1")));
  FakeDevice second(base.path(), QStringLiteral("modem-b"), sim::MakeModem(QStringLiteral("B1")));
  ASSERT_TRUE(first.Plug());
  ASSERT_TRUE(second.Plug());
  ASSERT_TRUE(QTest::qWaitFor([&] { return probe.Linked() == 2; }, 5000));
  ASSERT_TRUE(Shows(QStringLiteral("SIM-CID-4")));
  first.Unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return probe.Linked() == 1; }, 5000));
}

// An entry made before its target exists (a hand-made link to an adapter not
// yet plugged in) changes nothing in the directory when the target comes:
// the slow rescan finds it.
TEST_F(PlugTest, ATargetThatAppearsLaterIsFoundByTheRescan) {
  QTemporaryDir elsewhere;
  ASSERT_TRUE(elsewhere.isValid());
  const QString port = elsewhere.path() + QStringLiteral("/port");
  QString error;
  ASSERT_TRUE(CreateDeviceEntry(base.path(), QStringLiteral("unit-late"), port, &error)) << error.toStdString();
  Start(base.path());
  sim::PtyPort pty(elsewhere.path(), QStringLiteral("unit-pty"));
  ASSERT_TRUE(pty.Plug(&error)) << error.toStdString();
  ASSERT_EQ(::symlink(QFile::encodeName(pty.SlavePath()).constData(), QFile::encodeName(port).constData()), 0);
  QCoreApplication::processEvents();
  control->Tick();
  EXPECT_EQ(probe.Linked(), 0u);  // nothing in the directory told of it
  clock.Advance(DeviceLinker::kRescanMs);
  control->Tick();
  EXPECT_EQ(probe.Linked(), 1u);
}

TEST(ControlResources, ControlsMadeAndDroppedAgainAndAgainKeepNoDescriptors) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QStringList directories{dir.path(), dir.path() + QStringLiteral("/absent")};
  const auto makeAndDrop = [&] {
    TBuiltinControl control(directories);
    ASSERT_EQ(control.StartMonitoring(), S_OK);
    QCoreApplication::processEvents();
  };
  makeAndDrop();  // whatever the process opens once
  const int before = OpenDescriptors();
  for (int i = 0; i < 200; ++i) makeAndDrop();
  EXPECT_EQ(OpenDescriptors(), before);
}

// The window asks for the model, then the serial, every half second, and a
// waiting message fails the call that takes it. A device that has just
// identified is shown at the next poll however many messages wait; they
// follow on the calls after.
TEST_F(PlugTest, ADeviceJustIdentifiedIsShownBeforeWaitingMessages) {
  for (const char* name : {"unit-zero", "modem-null"}) {
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), base.filePath(QString::fromLatin1(name))));
  }
  Start(base.path());
  FakeDevice dev(base.path(), QStringLiteral("unit-a"), sim::MakeUnit(4, QStringLiteral("P7")));
  ASSERT_TRUE(dev.Plug());
  ASSERT_TRUE(QTest::qWaitFor([&] { return probe.Primary() != nullptr; }, 5000));
  for (int poll = 0; poll < 2; ++poll) {
    QString model, serial;
    EXPECT_EQ(control->GetInfo(QStringLiteral("devicemodel"), &model), S_OK) << poll;
    EXPECT_EQ(model, QStringLiteral("SIM-CID-4"));
    EXPECT_EQ(control->GetInfo(QStringLiteral("serial"), &serial), S_OK) << poll;
    EXPECT_EQ(serial, QStringLiteral("P7"));
    if (poll == 0) {  // the refusals come now, one a call, and nothing is lost
      EXPECT_EQ(control->GetInfo(QStringLiteral("devicemodel"), &model), E_FAIL);
      EXPECT_TRUE(control->ErrorDescription().contains(QStringLiteral("bir seri aygıt değil")));
      EXPECT_EQ(control->GetInfo(QStringLiteral("devicemodel"), &model), E_FAIL);
      EXPECT_TRUE(control->ErrorDescription().contains(QStringLiteral("bir seri aygıt değil")));
    }
  }
}

}  // namespace
}  // namespace device
