// Device timing on devices plugged in long after the control started, with
// time driven by hand: keep-alive probes, the idle time that ends a modem
// record, the quiet rule after RING, how long a ring level is shown and the
// ring cycles that bring no caller ID.
#include <gtest/gtest.h>

#include <QTest>

#include "device/control/builtin_control.h"
#include "device/control_fixture.h"
#include "device/core/ring_cycles.h"
#include "device/event_log.h"
#include "device/fake_device.h"
#include "device/modem/modem_session.h"
#include "device/native_unit/native_unit_session.h"

namespace device {
namespace {

using test::FakeDevice;

class TimingTest : public test::ControlFixture {
 protected:
  void SetUp() override {
    ControlFixture::SetUp();
    // The device is plugged in long after start.
    Advance(7300);
  }
  // Plugs a device in and steps time until it has identified.
  void PlugAndIdentify(FakeDevice& dev) {
    ASSERT_TRUE(dev.Plug());
    Advance(200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return probe.Primary() != nullptr; }, 5000));
  }
  // Waits until the device has received `count` occurrences of `command`.
  bool Received(FakeDevice& dev, const QByteArray& command, int count) {
    return QTest::qWaitFor([&] { return dev.Received().count(command) >= count; }, 2000) &&
           dev.Received().count(command) == count;
  }
  bool Settled(FakeDevice& dev, const QByteArray& command, int count) {
    QTest::qWait(50);  // bytes on their way over the terminal; not device timing
    return dev.Received().count(command) == count;
  }
};

TEST_F(TimingTest, ModemRecordWithPausesBetweenLinesIsOneCall) {
  FakeDevice modem(dir.path(), QStringLiteral("modem-late"), sim::MakeModem(QStringLiteral("M7")));
  PlugAndIdentify(modem);
  const QByteArray lines[] = {"\r\nDATE = 1207\r\n", "TIME = 1405\r\n", "NMBR = 05321234567\r\n", "NAME = AYSE\r\n"};
  for (const QByteArray& line : lines) {
    ASSERT_TRUE(probe.Feed(line, clock.NowMs()));
    Advance(150);
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(sink.calls.empty());  // 150 ms after the last line the record may still go on
  Advance(200);
  QCoreApplication::processEvents();
  ASSERT_EQ(sink.calls.size(), 1u);
  EXPECT_EQ(sink.calls[0][2], QStringLiteral("05321234567"));
  EXPECT_EQ(sink.calls[0][0], QStringLiteral("AYSE"));
}

// Real modems' records (blank lines between fields, CR CR LF, the French
// frame, no name) with their lines 150 ms apart on a modem plugged in late.
TEST_F(TimingTest, RealModemRecordsArrivingLineByLineAreOneCallEach) {
  FakeDevice modem(dir.path(), QStringLiteral("modem-late"), sim::MakeModem(QStringLiteral("M7")));
  PlugAndIdentify(modem);
  const QByteArray records[] = {
      "DATE = 0910\r\nTIME = 0137\r\nDDN = 9932562\r\n\r\n",
      "DATE = 0511\r\n\r\nTIME = 1852\r\n\r\nNMBR = 4075550000\r\n\r\nNAME = JOHN DOE\r\n\r\n",
      "DATE = 0511\r\r\nTIME = 1852\r\r\nNMBR = 4075550000\r\r\nNAME = JOHN DOE\r\r\n\r\r\n",
      "CALLING MSG\r\n\r\nDATE TIME=11/24 22:10\r\n\r\nNBR=0632727751\r\n\r\nEND MSG\r\n",
  };
  for (const QByteArray& record : records) {
    sink.calls.clear();
    for (const QByteArray& line : record.split('\n')) {
      if (line.isEmpty()) continue;
      ASSERT_TRUE(probe.Feed(line + '\n', clock.NowMs()));
      Advance(150);
    }
    Advance(200);
    Advance(200);
    QCoreApplication::processEvents();
    ASSERT_EQ(sink.calls.size(), 1u) << record.toStdString();
  }
}

TEST_F(TimingTest, UnitIsPingedAfterOneSecondOfSilenceOnly) {
  FakeDevice unit(dir.path(), QStringLiteral("unit-late"), sim::MakeUnit(4, QStringLiteral("U7")));
  PlugAndIdentify(unit);
  ASSERT_TRUE(probe.Feed("", clock.NowMs()));  // the identity just arrived: silence starts now
  for (int i = 0; i < 4; ++i) Advance(200);
  EXPECT_TRUE(Settled(unit, "PING", 0));
  Advance(200);
  EXPECT_TRUE(Received(unit, "PING", 1));
  // Answered at once (the emulation replies): the next probe after another second.
  QTest::qWaitFor([&] { return !probe.Primary()->HasPartialRecord(); }, 500);
  for (int i = 0; i < 4; ++i) Advance(200);
  EXPECT_TRUE(Settled(unit, "PING", 1));
}

TEST_F(TimingTest, ModemIsProbedAfterTwoQuietSecondsButNotWithinEightSecondsOfARing) {
  FakeDevice modem(dir.path(), QStringLiteral("modem-late"), sim::MakeModem(QStringLiteral("M7")));
  PlugAndIdentify(modem);
  const int before = modem.Received().count("AT\r");
  ASSERT_TRUE(probe.Feed("\r\nRING\r\n", clock.NowMs()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.levels.empty(); }, 1000));
  EXPECT_EQ(sink.levels.back().last(), QStringLiteral("48"));
  // The ring level stands for one second, then falls back.
  Advance(800);
  QCoreApplication::processEvents();
  EXPECT_EQ(sink.levels.back().last(), QStringLiteral("48"));
  Advance(200);
  ASSERT_TRUE(QTest::qWaitFor([&] { return sink.levels.back().last() == QStringLiteral("0"); }, 1000));
  // No probe while a second ring or the caller-ID record may come.
  for (int i = 0; i < 34; ++i) Advance(200);  // 7.8 s after the ring
  EXPECT_TRUE(Settled(modem, "AT\r", before));
  Advance(200);
  EXPECT_TRUE(Received(modem, "AT\r", before + 1));
}

// R a ring, C a caller-ID record, a number the seconds that pass.
TEST_F(TimingTest, ModemRingCycleWithoutCallerIdIsToldOncePerCycle) {
  struct Case {
    const char* events;
    int messages;
  };
  const Case cases[] = {
      {"R 5 R", 1},              // nothing before or between the rings
      {"R 5 R 5 R 5 R", 1},      // once per cycle, however long it rings
      {"R 1 C 4 R 5 R", 0},      // the usual call: caller ID after the first ring
      {"C 1 R 5 R", 0},          // sent before ringing
      {"R 9 R", 0},              // two calls of one ring each
      {"R 5 R 9 R 5 R", 2},      // two cycles
      {"C 9 R 5 R", 1},          // that caller ID was another call's
      {"R 1 C 4 R 9 R 5 R", 1},  // the next call brought none
  };
  FakeDevice modem(dir.path(), QStringLiteral("modem-ring"), sim::MakeModem(QStringLiteral("M9")));
  PlugAndIdentify(modem);
  // The device's errors surface as the next call's failure.
  const auto takeFailure = [&]() -> std::optional<QString> {
    QString v;
    if (Succeeded(control->GetInfo(QStringLiteral("serial"), &v))) return std::nullopt;
    return control->ErrorDescription();
  };
  for (const Case& c : cases) {
    Advance(20000);  // a fresh start for each case
    while (takeFailure()) {
    }
    int messages = 0;
    for (const QString& event : QString::fromLatin1(c.events).split(' ')) {
      if (event == QLatin1String("R"))
        ASSERT_TRUE(probe.Feed("\r\nRING\r\n", clock.NowMs()));
      else if (event == QLatin1String("C"))
        ASSERT_TRUE(probe.Feed("\r\nDATE = 1207\r\nTIME = 1405\r\nNMBR = 05321234567\r\n\r\n", clock.NowMs()));
      else
        for (int i = event.toInt() * 5; i > 0; --i) Advance(200);
      while (auto failure = takeFailure()) {
        EXPECT_EQ(*failure, QStringLiteral("Cihaz M9: ") + NoCallerIdText(0)) << c.events;
        ++messages;
      }
    }
    EXPECT_EQ(messages, c.messages) << c.events;
  }
}

}  // namespace
}  // namespace device
