// End to end: the program and the simulator as a unit of the public
// multi-line call-record format, on a pseudo-terminal and over UDP.
#include <QUdpSocket>

#include "device/public_format/public_format_parser.h"
#include "tools/e2e_fixture.h"

namespace e2e {
namespace {

using LineUnitEndToEnd = ProgramFixture;

const QString kLine = QStringLiteral("Hat no.");
const QString kNumber = QStringLiteral("Arayan numara");
const QString kSerial = QStringLiteral("Cihaz seri no.");

bool HasRowWithNumber(const Snapshot& s, const QString& number) {
  for (int r = 0; r < s.RowCount(); ++r)
    if (s.Cell(r, kNumber) == number) return true;
  return false;
}

TEST_F(LineUnitEndToEnd, SerialUnitRingsCallsAndBadChecksum) {
  ASSERT_NO_FATAL_FAILURE(StartSimulator({QStringLiteral("--public-format"), QStringLiteral("--lines"),
                                          QStringLiteral("8"), QStringLiteral("--name"), QStringLiteral("e2e")}));
  ASSERT_NO_FATAL_FAILURE(StartProgram());
  // The unit says nothing until a line rings: until then nothing shows it is there.
  ASSERT_TRUE(WaitValue(kConnectionState, kWaiting));

  // A ring reads 48 for one second only; a read of the window under load can
  // fall outside it, so ring again until one is seen.
  bool rang = false;
  for (int i = 0; i < 5 && !rang; ++i) {
    Script("ring 3");
    rang = WaitValue(LevelNumber(3), QStringLiteral("48"), 3000);
  }
  ASSERT_TRUE(rang) << Show(kMessages);
  ASSERT_TRUE(WaitValue(kConnectionState, kConnected)) << Show(kMessages);
  ASSERT_TRUE(WaitValue(kStatusLine, QStringLiteral("  Cihaz modeli: Çok hatlı birim, 4 hat  Seri no: lineunit-e2e")));
  ASSERT_TRUE(WaitValue(LevelNumber(3), QStringLiteral("0")));  // a second later

  Script("call 2 05321234567 Şule Yılmaz\ncall 6 02125550000\ncall 1 P");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 3; })) << Show(kMessages);
  const Snapshot d = Read();
  EXPECT_EQ(d.Cell(0, kLine), QStringLiteral("2"));
  EXPECT_EQ(d.Cell(0, kNumber), QStringLiteral("05321234567"));
  EXPECT_EQ(d.Cell(0, kSerial), QStringLiteral("lineunit-e2e"));
  EXPECT_EQ(d.Cell(1, kLine), QStringLiteral("6"));
  EXPECT_EQ(d.Cell(2, kNumber), QStringLiteral("Gizli numara"));
  EXPECT_TRUE(WaitValue(kStatusLine, QStringLiteral("  Cihaz modeli: Çok hatlı birim, 8 hat  Seri no: lineunit-e2e")));

  Script("raw 04 I S 0000 B A1 09/26 11:28 AM 05559998877    BOZUK          \\r\\n");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) {
    return s.value(kMessages).contains(QStringLiteral("Hat 4: arayan bilgisinin sağlaması hatalı"));
  })) << Show(kMessages);
  EXPECT_EQ(Read().RowCount(), 3);
}

TEST_F(LineUnitEndToEnd, EthernetUnitOnlyFromItsDeclaredAddress) {
  quint16 port = 0;
  {
    QUdpSocket probe;
    ASSERT_TRUE(probe.bind(QHostAddress::LocalHost, 0));
    port = probe.localPort();
  }
  ASSERT_NO_FATAL_FAILURE(
      StartSimulator({QStringLiteral("--ethernet"), QString::number(port), QStringLiteral("--serial"),
                      QStringLiteral("123456"), QStringLiteral("--name"), QStringLiteral("e2e")}));
  ASSERT_NO_FATAL_FAILURE(StartProgram());

  Script("call 1 02125550000 ALI VELI");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 1; })) << Show(kMessages);
  ASSERT_TRUE(WaitValue(kStatusLine, QStringLiteral("  Cihaz modeli: Çok hatlı birim, 2 hat  Seri no: 123456")));
  Snapshot d = Read();
  EXPECT_EQ(d.value(kConnectionState), kConnected);
  EXPECT_EQ(d.Cell(0, kNumber), QStringLiteral("02125550000"));
  EXPECT_EQ(d.Cell(0, kSerial), QStringLiteral("123456"));

  // A well-formed packet from another loopback address is not the unit's.
  QUdpSocket stranger;
  ASSERT_TRUE(stranger.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0));
  const QByteArray packet =
      device::MakeRecordPacket(1, 999, "01 I S 0000 G A1 09/26 11:28 AM 09999999999    STRANGER       \r\n");
  ASSERT_EQ(stranger.writeDatagram(packet, QHostAddress::LocalHost, port), packet.size());
  Script("call 2 05551112233");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) { return s.RowCount() == 2; })) << Show(kMessages);
  d = Read();
  EXPECT_FALSE(HasRowWithNumber(d, QStringLiteral("09999999999")));
  EXPECT_EQ(d.Cell(1, kNumber), QStringLiteral("05551112233"));

  // Junk from the unit's own address is dropped with a message line.
  Script("garbage");
  ASSERT_TRUE(WaitFor([](const Snapshot& s) {
    return s.value(kMessages).contains(QStringLiteral("Ethernet kayıt paketi olmayan veri atlandı"));
  })) << Show(kMessages);
  EXPECT_EQ(Read().RowCount(), 2);

  Script("unplug");
  ASSERT_TRUE(WaitValue(kConnectionState, kWaiting));
}

}  // namespace
}  // namespace e2e
