// End to end with line audio: the program and `cid-simulator --audio` as
// separate processes; the simulator's live WAV stream goes through a FIFO,
// the program decodes it, and the window is read over AT-SPI.
#include "tools/e2e_fixture.h"

namespace e2e {
namespace {

using AudioEndToEnd = ProgramFixture;

const QString kLine = QStringLiteral("Hat no.");
const QString kNumber = QStringLiteral("Arayan numara");
const QString kSerial = QStringLiteral("Cihaz seri no.");

TEST_F(AudioEndToEnd, CallsDecodedFromTheSimulatorsAudioAreReadOutAndUnplugEndsTheLink) {
  ASSERT_NO_FATAL_FAILURE(StartConnected({QStringLiteral("--audio"), QStringLiteral("--lines"), QStringLiteral("2"),
                                          QStringLiteral("--name"), QStringLiteral("e2e")}));
  EXPECT_EQ(Read().value(kStatusLine), QStringLiteral("  Cihaz modeli: Ses akışı, 2 hat  Seri no: audio-e2e"));
  // A quiet line reads 0 to 2.
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.value(LevelNumber(1)).toInt() <= 2; }));

  Script("call 2 05321234567 Ayşe Yılmaz");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 1; }, 15000)) << Show(kMessages);
  Snapshot d = Read();
  EXPECT_EQ(d.Cell(0, kLine), QStringLiteral("2"));
  EXPECT_EQ(d.Cell(0, kNumber), QStringLiteral("05321234567"));
  EXPECT_EQ(d.Cell(0, kSerial), QStringLiteral("audio-e2e"));

  Script("call 1 P");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 2; }, 15000)) << Show(kMessages);
  EXPECT_EQ(Read().Cell(1, kNumber), QStringLiteral("Gizli numara"));

  // Full-scale junk on the lines is said in the message area, and is no call.
  Script("garbage");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.value(kMessages).contains(QStringLiteral("ses kırpılıyor")); }))
      << Show(kMessages);
  EXPECT_EQ(Read().RowCount(), 2);

  Script("unplug");
  ASSERT_TRUE(WaitValue(kConnectionState, kWaiting));
}

class OtherStandards : public ProgramFixture {
 protected:
  void CallIsDecoded(const QString& standard) {
    ASSERT_NO_FATAL_FAILURE(StartConnected({QStringLiteral("--audio"), QStringLiteral("--standard"), standard}));
    Script("call 1 02165551234");
    ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 1; }, 15000)) << Show(kMessages);
    EXPECT_EQ(Read().Cell(0, kNumber), QStringLiteral("02165551234"));
  }
};

TEST_F(OtherStandards, Dtmf) { CallIsDecoded(QStringLiteral("dtmf")); }
TEST_F(OtherStandards, Bell202) { CallIsDecoded(QStringLiteral("bell")); }

}  // namespace
}  // namespace e2e
