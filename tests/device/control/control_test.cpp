// The built-in control against devices on real pseudo-terminals: finding
// them, identity, events in contract order, unplugging, bad input, stalls.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "device/control/builtin_control.h"
#include "device/fake_device.h"
#include "device/serial/serial_session.h"
#include "support/session_probe.h"

namespace device {
namespace {

using test::FakeDevice;

struct Invocation {
  int dispId;
  QStringList args;  // as received: last parameter first
};

class RecordingSink : public IEventSink {
 public:
  HRESULT Invoke(int dispId, const QVariantList& a) override {
    Invocation inv{dispId, {}};
    for (const QVariant& v : a) inv.args << v.toString();
    events.push_back(inv);
    return S_OK;
  }
  std::vector<Invocation> Of(int dispId) const {
    std::vector<Invocation> r;
    for (const auto& e : events)
      if (e.dispId == dispId) r.push_back(e);
    return r;
  }
  std::vector<Invocation> events;
};

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    control = std::make_unique<TBuiltinControl>(QStringList{dir.path()}, SteadyClock(), probe.Maker());
    control->Advise(&sink);
    ASSERT_EQ(control->StartMonitoring(), S_OK);
  }
  std::unique_ptr<FakeDevice> Unit(const QString& name, int lines = 4, const QString& serial = QStringLiteral("U1")) {
    auto d = std::make_unique<FakeDevice>(dir.path(), QStringLiteral("unit-") + name, sim::MakeUnit(lines, serial));
    EXPECT_TRUE(d->Plug());
    return d;
  }
  std::unique_ptr<FakeDevice> Modem(const QString& name = QStringLiteral("modem-m"),
                                    const sim::ModemProfile& profile = {}) {
    auto d = std::make_unique<FakeDevice>(dir.path(), name, sim::MakeModem(QStringLiteral("M1"), profile));
    EXPECT_TRUE(d->Plug());
    return d;
  }
  QString Info(const QString& key) {
    QString v;
    const HRESULT hr = control->GetInfo(key, &v);
    return Failed(hr) ? QStringLiteral("FAILED: ") + control->ErrorDescription() : v;
  }
  bool WaitModel(const QString& model) {
    return QTest::qWaitFor([&] { return Info(QStringLiteral("devicemodel")) == model; }, 5000);
  }
  // Waits until the reported device holds the start of a record it has not
  // finished: the bytes have crossed the terminal.
  bool WaitPartialRecord() {
    return QTest::qWaitFor([&] { return probe.Primary() && probe.Primary()->HasPartialRecord(); }, 5000);
  }
  // Waits for the next failing call and returns its description.
  QString NextFailure(int ms = 5000) {
    QString failure;
    (void)QTest::qWaitFor(
        [&] {
          QString v;
          if (Succeeded(control->GetInfo(QStringLiteral("devicemodel"), &v))) return false;
          failure = control->ErrorDescription();
          return true;
        },
        ms);
    return failure;
  }

  QTemporaryDir dir;
  RecordingSink sink;
  testsupport::SessionProbe probe;  // outlives the control
  std::unique_ptr<TBuiltinControl> control;
};

TEST_F(ControlTest, WithoutDeviceModelIsEmptyAndOtherCallsFailClearly) {
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QString());
  EXPECT_EQ(Info(QStringLiteral("serial")), QString());
  EXPECT_EQ(Info(QStringLiteral("firmware")), QStringLiteral("FAILED: Bilinmeyen bilgi anahtarı: \"firmware\""));
  EXPECT_TRUE(Failed(control->RunServiceAction()));
  EXPECT_TRUE(control->ErrorDescription().contains(QStringLiteral("Bağlı cihaz yok")));
  EXPECT_EQ(control->PutProperty(DISPID_SurfaceVisible, false), S_OK);
  EXPECT_TRUE(Failed(control->PutProperty(999, 1)));
}

TEST_F(ControlTest, UnitIsFoundAndItsCallsAndLevelsArriveInContractOrder) {
  auto dev = Unit(QStringLiteral("a"), 4, QStringLiteral("A1234567"));
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-CID-4")));
  EXPECT_EQ(Info(QStringLiteral("serial")), QStringLiteral("A1234567"));
  dev->Call(3, QStringLiteral("05321234567"), QStringLiteral("Ayşe"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.Of(DISPID_OnCallerID).empty(); }, 3000));
  EXPECT_EQ(sink.Of(DISPID_OnCallerID)[0].args,
            (QStringList{QStringLiteral("Ayşe"), QStringLiteral("2026-12-07 14:05:00"), QStringLiteral("05321234567"),
                         QStringLiteral("3"), QStringLiteral("A1234567")}));
  dev->Write(dev->Emulation().Levels({1, 2, 3, 64, 5, 6, 7, 8}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.Of(DISPID_OnSignalA).empty(); }, 3000));
  EXPECT_EQ(sink.Of(DISPID_OnSignalA)[0].args, (QStringList{"8", "7", "6", "5", "64", "3", "2", "1"}));
}

TEST_F(ControlTest, SelfTestMakesEveryLineReportATestCallAndModemsRefuseIt) {
  auto dev = Unit(QStringLiteral("a"), 2, QStringLiteral("S2"));
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-CID-2")));
  ASSERT_EQ(control->RunServiceAction(), S_OK);
  ASSERT_TRUE(QTest::qWaitFor([&] { return sink.Of(DISPID_OnCallerID).size() == 2; }, 3000));
  EXPECT_EQ(sink.Of(DISPID_OnCallerID)[0].args[3], QStringLiteral("1"));
  EXPECT_EQ(sink.Of(DISPID_OnCallerID)[1].args[3], QStringLiteral("2"));
  EXPECT_EQ(sink.Of(DISPID_OnCallerID)[1].args[0], QStringLiteral("TEST"));
  dev.reset();
  ASSERT_TRUE(WaitModel(QString()));
  auto modem = Modem();
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-MODEM 56K")));
  EXPECT_TRUE(Failed(control->RunServiceAction()));
  EXPECT_TRUE(control->ErrorDescription().contains(QStringLiteral("öz sınama yok")));
}

TEST_F(ControlTest, ModemIsInitialisedIdentifiedAndItsRecordsAndRingsArrive) {
  auto modem = Modem();
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-MODEM 56K")));
  EXPECT_EQ(Info(QStringLiteral("serial")), QStringLiteral("M1"));
  EXPECT_TRUE(modem->Received().startsWith("ATZ\rATE1V1Q0S0=0\rAT+VCID=1\rAT+GMM\rAT+GSN\r"));
  modem->Write(modem->Emulation().Ringing(1, 0));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.Of(DISPID_OnSignalA).empty(); }, 3000));
  EXPECT_EQ(sink.Of(DISPID_OnSignalA)[0].args.last(), QStringLiteral("48"));
  // The raised level falls back by itself.
  ASSERT_TRUE(QTest::qWaitFor([&] { return sink.Of(DISPID_OnSignalA).size() == 2; }, 3000));
  EXPECT_EQ(sink.Of(DISPID_OnSignalA)[1].args.last(), QStringLiteral("0"));
  modem->Call(1, QStringLiteral("P"), QStringLiteral("ALI"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.Of(DISPID_OnCallerID).empty(); }, 3000));
  EXPECT_EQ(sink.Of(DISPID_OnCallerID)[0].args,
            (QStringList{QStringLiteral("ALI"), QStringLiteral("2026-12-07 14:05:00"), NumberWithheldText(),
                         QStringLiteral("1"), QStringLiteral("M1")}));
}

TEST_F(ControlTest, OlderModemsGetTheFallbackCommands) {
  auto modem =
      Modem(QStringLiteral("modem-old"), {.callerId = sim::ModemProfile::CallerIdCommand::HashCid, .noIdentity = true});
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-MODEM V.92 (ATI3)")));
  EXPECT_EQ(Info(QStringLiteral("serial")), QStringLiteral("modem-old"));  // no serial: the entry name
  EXPECT_TRUE(modem->Received().contains("AT+VCID=1\rAT#CID=1\rAT+GMM\rATI3\rAT+GSN\rATI7\r"));
}

TEST_F(ControlTest, GarbageGivesOneClearErrorPerSecondAndGoodRecordsStillArrive) {
  auto dev = Unit(QStringLiteral("a"));
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-CID-4")));
  dev->Write(QByteArray("\x00\xff junk\r\n", 9));
  dev->Call(1, QStringLiteral("02125550000"));
  dev->Write("more junk\r\nLVL|1\r\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.Of(DISPID_OnCallerID).empty(); }, 3000));
  QString first = NextFailure();
  EXPECT_TRUE(first.startsWith(QStringLiteral("Cihaz U1: Denetim baytı"))) << first.toStdString();
  EXPECT_TRUE(first.contains(QStringLiteral("\\x00\\xff junk")));
  // The other two bad lines came within the same second: summed up once it is over.
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QStringLiteral("SIM-CID-4"));
  EXPECT_EQ(NextFailure(), QStringLiteral("Cihaz U1: 2 hata daha oldu"));
  // A new error within the next second is held back and counted again.
  dev->Write("x\r\n");
  EXPECT_EQ(NextFailure(), QStringLiteral("Cihaz U1: 1 hata daha oldu"));
}

TEST_F(ControlTest, StalledDeviceFailsTheNextCallOnceAndRecovers) {
  auto dev = Unit(QStringLiteral("a"));
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-CID-4")));
  dev->SetStalled(true);
  const QString failure = NextFailure(6000);
  EXPECT_EQ(failure, QStringLiteral("Cihaz U1: Cihaz yanıt vermiyor"));
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QStringLiteral("SIM-CID-4"));  // once, not on every call
  dev->SetStalled(false);
  dev->Call(2, QStringLiteral("1"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.Of(DISPID_OnCallerID).empty(); }, 3000));
}

TEST_F(ControlTest, SilentModemIsReportedAndAModemRecordCutByUnplugToo) {
  auto modem = Modem();
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-MODEM 56K")));
  modem->SetStalled(true);  // the keep-alive AT goes unanswered
  EXPECT_EQ(NextFailure(8000), QStringLiteral("Cihaz M1: Modem yanıt vermiyor"));
  modem->SetStalled(false);
  modem->Write("\r\nDATE = 1207\r\nNMBR = 05321234567\r\n");
  ASSERT_TRUE(WaitPartialRecord());
  modem->Unplug();
  EXPECT_EQ(NextFailure(), QStringLiteral("Cihaz M1 kayıt ortasında ayrıldı; yarım kalan kayıt atıldı"));
  EXPECT_TRUE(sink.Of(DISPID_OnCallerID).empty());
}

TEST_F(ControlTest, UnplugInTheMiddleOfARecordIsReported) {
  auto dev = Unit(QStringLiteral("a"));
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-CID-4")));
  dev->Write("CALL|1|2026-12-07 14:");
  ASSERT_TRUE(WaitPartialRecord());
  dev->Unplug();
  EXPECT_EQ(NextFailure(), QStringLiteral("Cihaz U1 kayıt ortasında ayrıldı; yarım kalan kayıt atıldı"));
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QString());
  EXPECT_TRUE(sink.Of(DISPID_OnCallerID).empty());
}

TEST_F(ControlTest, UndeclaredPortsAreNeverWrittenTo) {
  // A terminal registered elsewhere, linked into the scanned directory under
  // a plain port name: not a declared device.
  QTemporaryDir elsewhere;
  sim::PtyPort stranger(elsewhere.path(), QStringLiteral("unit-stranger"));
  QByteArray toStranger;
  QObject::connect(&stranger, &sim::PtyPort::received, [&](const QByteArray& b) { toStranger += b; });
  QString error;
  ASSERT_TRUE(stranger.Plug(&error));
  ASSERT_EQ(
      ::symlink(stranger.SlavePath().toLocal8Bit().constData(), (dir.path() + "/ttyS9").toLocal8Bit().constData()), 0);
  auto dev = Unit(QStringLiteral("a"));
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-CID-4")));
  // A round of keep-alive probes has gone out once the device has its PING;
  // a probe to the stranger would have left in the same round.
  ASSERT_TRUE(QTest::qWaitFor([&] { return dev->Received().contains("PING"); }, 5000));
  control->Tick();
  EXPECT_EQ(probe.Linked(), 1u);
  EXPECT_TRUE(toStranger.isEmpty());
  EXPECT_TRUE(dev->Received().contains("PING"));
}

TEST_F(ControlTest, WithSeveralDevicesTheFirstLinkedIsReportedAndAllCallsArrive) {
  auto first = Unit(QStringLiteral("first"), 4, QStringLiteral("F1"));
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-CID-4")));
  auto second = Unit(QStringLiteral("second"), 1, QStringLiteral("S1"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return probe.Linked() == 2; }, 3000));
  // The second device answers the identity question as it comes, so what
  // follows on its line is read after its identity.
  ASSERT_TRUE(QTest::qWaitFor([&] { return second->Received().contains("ID?"); }, 3000));
  // Levels come from the reported device only; the call behind them on the
  // same line shows they have been read.
  second->Write(second->Emulation().Levels({9, 9, 9, 9, 9, 9, 9, 9}));
  second->Call(1, QStringLiteral("2"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.Of(DISPID_OnCallerID).empty(); }, 3000));
  EXPECT_EQ(sink.Of(DISPID_OnCallerID)[0].args[4], QStringLiteral("S1"));
  EXPECT_TRUE(sink.Of(DISPID_OnSignalA).empty());
  EXPECT_EQ(Info(QStringLiteral("serial")), QStringLiteral("F1"));
  first->Unplug();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Info(QStringLiteral("serial")) == QStringLiteral("S1"); }, 3000));
}

TEST_F(ControlTest, FloodOfRecordsIsBoundedAndReported) {
  auto dev = Unit(QStringLiteral("a"));
  ASSERT_TRUE(WaitModel(QStringLiteral("SIM-CID-4")));
  // The event loop keeps turning while the queue drains.
  int turns = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++turns; });
  ticker.start(0);
  // A hundred records a turn of the loop, far more than the window is
  // handed, straight into the session as if read from the line.
  for (int i = 0; i < 3000; i += 100) {
    QByteArray records;
    for (int k = i; k < i + 100; ++k) records += "CALL|1|2026-12-07 14:05:00|" + QByteArray::number(k) + "||\r\n";
    ASSERT_TRUE(probe.Feed(records, SteadyClock().NowMs()));
    QCoreApplication::processEvents();
  }
  // Everything has been read; it has all been handed on once a call read
  // after it arrives (sent again while the queue has no room for it).
  const auto calls = [&] { return sink.Of(DISPID_OnCallerID); };
  const auto endArrived = [&] { return !calls().empty() && calls().back().args[2] == QStringLiteral("9999"); };
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        if (!endArrived()) probe.Feed("CALL|1|2026-12-07 14:05:00|9999||\r\n", SteadyClock().NowMs());
        return endArrived();
      },
      10000));
  EXPECT_GT(turns, 10);
  const size_t got = sink.Of(DISPID_OnCallerID).size();
  EXPECT_GE(got, TBuiltinControl::kMaxQueued);
  EXPECT_LT(got, 3000u);
  const QString failure = NextFailure();
  EXPECT_TRUE(failure.contains(QStringLiteral("Çok hızlı kayıt akışı"))) << failure.toStdString();
  EXPECT_EQ(sink.Of(DISPID_OnCallerID).front().args[2], QStringLiteral("0"));  // oldest kept, in order
}

}  // namespace
}  // namespace device
