// Setting up real voice modems whatever their stored profile says: numeric
// result codes, quiet mode, a slow reset, and only the oldest caller-ID
// command. Time is driven by hand; the modem answers over a terminal.
#include <gtest/gtest.h>

#include <QTest>

#include "device/control/builtin_control.h"
#include "device/control_fixture.h"
#include "device/fake_device.h"
#include "device/modem/modem_session.h"

namespace device {
namespace {

using test::FakeDevice;
using Cid = sim::ModemProfile::CallerIdCommand;

constexpr char kSetUp[] = "ATZ\rATE1V1Q0S0=0\rAT+VCID=1\r";

class ModemSetupTest : public test::ControlFixture {
 protected:
  // stalled: the modem answers nothing until the test says so.
  std::unique_ptr<FakeDevice> Modem(const sim::ModemProfile& profile, bool stalled = false) {
    auto m = std::make_unique<FakeDevice>(dir.path(), QStringLiteral("modem-usb"),
                                          sim::MakeModem(QStringLiteral("M9"), profile));
    m->SetStalled(stalled);
    EXPECT_TRUE(m->Plug());
    Advance(200);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m->Received().startsWith("ATZ\r"); }, 2000));
    return m;
  }
  bool Identified() {
    return QTest::qWaitFor([&] { return probe.Primary() != nullptr; }, 3000) &&
           probe.Primary()->Model() == QStringLiteral("SIM-MODEM 56K") &&
           probe.Primary()->Serial() == QStringLiteral("M9");
  }
  // No error waits for the window (a failing contract call would carry it).
  bool NoErrors() {
    QString value;
    return control->GetInfo(QStringLiteral("serial"), &value) == S_OK;
  }
};

TEST_F(ModemSetupTest, NumericResultCodesOfAStoredProfileAreUnderstoodUntilVerboseIsSet) {
  sim::ModemProfile profile;
  profile.numericCodes = true;
  auto modem = Modem(profile);
  ASSERT_TRUE(Identified());
  EXPECT_TRUE(modem->Received().startsWith(kSetUp));
  EXPECT_EQ(modem->Received().count("ATZ\r"), 1);
  EXPECT_TRUE(NoErrors());
}

TEST_F(ModemSetupTest, AQuietModemIsSetUpAfterTheUnansweredReset) {
  sim::ModemProfile profile;
  profile.quiet = true;
  auto modem = Modem(profile);
  Advance(ModemSession::kCommandTimeoutMs);
  QTest::qWait(50);                                   // bytes on their way over the terminal; not device timing
  EXPECT_EQ(modem->Received(), QByteArray("ATZ\r"));  // a reset may take longer
  Advance(ModemSession::kResetTimeoutMs - ModemSession::kCommandTimeoutMs);
  ASSERT_TRUE(Identified());
  EXPECT_TRUE(modem->Received().startsWith(kSetUp));
  EXPECT_TRUE(NoErrors());
}

TEST_F(ModemSetupTest, ASlowResetIsWaitedFor) {
  auto modem = Modem(sim::ModemProfile{}, /*stalled=*/true);
  Advance(2500);
  modem->SetStalled(false);
  modem->Write("ATZ\r\r\nOK\r\n");  // the late answer, with its echo
  ASSERT_TRUE(Identified());
  EXPECT_TRUE(modem->Received().startsWith(kSetUp));
  EXPECT_EQ(modem->Received().count("ATZ\r"), 1);
  EXPECT_TRUE(NoErrors());
}

TEST_F(ModemSetupTest, CallerIdFallsBackToTheOlderCommandsInTurn) {
  sim::ModemProfile profile;
  profile.callerId = Cid::PlusCid;
  auto modem = Modem(profile);
  ASSERT_TRUE(Identified());
  EXPECT_TRUE(modem->Received().startsWith(QByteArray(kSetUp) + "AT#CID=1\rAT+CID=1\rAT+GMM\r"));
  EXPECT_TRUE(NoErrors());

  // A modem that knows none of them still works, with one clear message.
  profile.callerId = static_cast<Cid>(-1);
  modem.reset();
  auto none = Modem(profile);
  ASSERT_TRUE(QTest::qWaitFor([&] { return none->Received().contains("AT+GSN\r"); }, 3000));
  QString value;
  EXPECT_EQ(control->GetInfo(QStringLiteral("serial"), &value), E_FAIL);
  EXPECT_TRUE(control->ErrorDescription().contains(QStringLiteral("arayan numara bildirimini açmadı")))
      << control->ErrorDescription().toStdString();
}

}  // namespace
}  // namespace device
