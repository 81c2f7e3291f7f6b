// Units of the public multi-line call-record format behind the built-in
// control: on a serial link (a pseudo-terminal) and as Ethernet units whose
// record packets come over UDP on the loopback. Time is driven by hand.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include "device/control/builtin_control.h"
#include "device/control_fixture.h"
#include "device/core/ring_cycles.h"
#include "device/event_log.h"
#include "device/fake_device.h"
#include "device/public_format/public_format_parser.h"
#include "device/public_format/serial_unit_session.h"
#include "device/public_format/udp_record_listener.h"
#include "tools/simulator/public_format.h"

namespace device {
namespace {

using test::FakeDevice;

const QByteArray kStart = "03 I S 0000 G A1 09/26 11:28 AM 05321234567    AYSE YILMAZ    \r\n";

class LineUnitControlTest : public test::ControlFixture {
 protected:
  QString Info(const QString& key) {
    QString v;
    return Failed(control->GetInfo(key, &v)) ? QStringLiteral("FAILED: ") + control->ErrorDescription() : v;
  }
  // The next failing call's description (errors of devices surface there).
  QString NextFailure() {
    QString failure;
    (void)QTest::qWaitFor(
        [&] {
          QString v;
          if (Succeeded(control->GetInfo(QStringLiteral("serial"), &v))) return false;
          failure = control->ErrorDescription();
          return true;
        },
        3000);
    return failure;
  }
  bool WaitCalls(size_t n) {
    return QTest::qWaitFor([&] { return sink.calls.size() >= n; }, 3000);
  }
};

TEST_F(LineUnitControlTest, SerialUnitCallsRingsAndModelWithoutEverBeingWrittenTo) {
  FakeDevice unit(dir.path(), QStringLiteral("lineunit-desk"), sim::MakePublicFormatUnit(4));
  ASSERT_TRUE(unit.Plug());
  Advance(200);
  ASSERT_EQ(probe.Linked(), 1u);
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QString());  // nothing heard yet

  unit.Write("03 R        09/26 11:28:03\r\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.levels.empty(); }, 3000));
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QStringLiteral("Çok hatlı birim, 4 hat"));
  EXPECT_EQ(Info(QStringLiteral("serial")), QStringLiteral("lineunit-desk"));
  EXPECT_EQ(sink.levels.back(), (QStringList{"0", "0", "0", "0", "0", "48", "0", "0"}));

  // The ring reads 48 for one second of the control's clock.
  Advance(900);
  EXPECT_EQ(sink.Level(3), QStringLiteral("48"));
  Advance(100);
  EXPECT_EQ(sink.Level(3), QStringLiteral("0"));

  unit.Write(kStart + "03 I E 0042 G A1 09/26 11:29 AM 05321234567    AYSE YILMAZ    \r\n" +
             "01 O S 0000 G A0 09/26 11:30 AM 02125550000                   \r\n" + "$02 09/26 11:31 AM Private I\r\n");
  ASSERT_TRUE(WaitCalls(2));
  ASSERT_EQ(sink.calls.size(), 2u);      // the end record and the outbound call raise none
  const QStringList& c = sink.calls[0];  // OtherText, DateTime, PhoneNumber, Line, DeviceID
  EXPECT_EQ(c[4], QStringLiteral("lineunit-desk"));
  EXPECT_EQ(c[3], QStringLiteral("3"));
  EXPECT_EQ(c[2], QStringLiteral("05321234567"));
  EXPECT_TRUE(c[1].endsWith(QStringLiteral("-09-26 11:28:00"))) << c[1].toStdString();
  EXPECT_EQ(c[0], QStringLiteral("AYSE YILMAZ"));
  EXPECT_EQ(sink.calls[1][2], NumberWithheldText());

  EXPECT_EQ(control->RunServiceAction(), E_NOTIMPL);
  EXPECT_EQ(control->ErrorDescription(), NoSelfTestText());
  QTest::qWait(50);  // anything the session wrote would be on its way; not device timing
  EXPECT_TRUE(unit.Received().isEmpty());
}

TEST_F(LineUnitControlTest, HighLinesWidenTheModelAndRingBeyondTheShownFour) {
  FakeDevice unit(dir.path(), QStringLiteral("lineunit-second"), sim::MakePublicFormatUnit(8));
  ASSERT_TRUE(unit.Plug());
  Advance(200);
  unit.Write("06 R 09/26 11:28:03\r\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.levels.empty(); }, 3000));
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QStringLiteral("Çok hatlı birim, 8 hat"));
  EXPECT_EQ(sink.Level(6), QStringLiteral("48"));
  unit.Write("42 R 09/26 11:28:04\r\n" +
             sim::PublicCallRecord(sim::Call{42, "5551234", "X"}, QDateTime::currentDateTime()));
  ASSERT_TRUE(WaitCalls(1));
  EXPECT_EQ(sink.calls[0][3], QStringLiteral("42"));
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QStringLiteral("Çok hatlı birim, 8 hat"));
}

TEST_F(LineUnitControlTest, BadChecksumAndGarbageGiveMessagesNotCalls) {
  FakeDevice unit(dir.path(), QStringLiteral("lineunit-desk"), sim::MakePublicFormatUnit(2));
  ASSERT_TRUE(unit.Plug());
  Advance(200);
  unit.Write("01 I S 0000 B A1 09/26 11:28 AM 05321234567    AYSE YILMAZ    \r\n");
  EXPECT_EQ(NextFailure(),
            QStringLiteral("Cihaz lineunit-desk: Hat 1: arayan bilgisinin sağlaması hatalı; arama bildirilmedi"));
  Advance(1000);  // past the error limit's second
  unit.Write("01 I S 0000 G A1 09/26 11:28 AM \x01\r\n");
  EXPECT_TRUE(NextFailure().contains(QStringLiteral("Denetim baytı")));
  unit.Write(kStart);
  ASSERT_TRUE(WaitCalls(1));
  EXPECT_EQ(sink.calls.size(), 1u);
}

// Ring detail records with no start record of their line before or between
// them: the exchange sends no caller ID there. Lines are judged apart, and a
// start record that fails its checksum still is caller ID heard.
TEST_F(LineUnitControlTest, RingsWithoutAStartRecordTellTheLineGetsNoCallerId) {
  FakeDevice unit(dir.path(), QStringLiteral("lineunit-desk"), sim::MakePublicFormatUnit(4));
  ASSERT_TRUE(unit.Plug());
  Advance(200);
  std::vector<QString> failures;
  const auto send = [&](const QByteArray& bytes, qint64 thenMs) {
    const size_t events = sink.levels.size() + sink.calls.size();
    unit.Write(bytes);
    (void)QTest::qWaitFor([&] { return sink.levels.size() + sink.calls.size() > events; }, 1000);
    QString v;
    while (Failed(control->GetInfo(QStringLiteral("serial"), &v))) failures.push_back(control->ErrorDescription());
    for (; thenMs > 0; thenMs -= 200) Advance(200);
  };
  const QByteArray ring1 = "01 R 09/26 11:28:03\r\n", ring2 = "02 R 09/26 11:28:03\r\n",
                   ring3 = "03 R 09/26 11:28:03\r\n";
  send(ring3, 0);
  send(ring1, 2000);
  send(kStart, 3000);  // line 3's caller ID
  send(ring3, 0);
  send(ring1, 5000);
  send(ring2, 1000);
  send("02 I S 0000 B A1 09/26 11:28 AM 05321234567    AYSE YILMAZ    \r\n", 4000);
  send(ring2, 1000);
  const QString prefix = QStringLiteral("Cihaz lineunit-desk: ");
  EXPECT_EQ(failures, (std::vector<QString>{
                          prefix + NoCallerIdText(1),
                          prefix + QStringLiteral("Hat 2: arayan bilgisinin sağlaması hatalı; arama bildirilmedi"),
                      }));
}

class EthUnitTest : public LineUnitControlTest {
 protected:
  void SetUp() override {
    LineUnitControlTest::SetUp();
    port = FreePort();
    ASSERT_NE(port, 0);
  }
  static quint16 FreePort() {
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
  }
  bool Declare(const QString& name, const QString& target) {
    QString error;
    return CreateDeviceEntry(dir.path(), name, target, &error);
  }
  void SendFrom(const char* address, const QByteArray& datagram) {
    QUdpSocket s;
    ASSERT_TRUE(s.bind(QHostAddress(QString::fromLatin1(address)), 0));
    ASSERT_EQ(s.writeDatagram(datagram, QHostAddress::LocalHost, port), datagram.size());
  }
  bool PortFree() {
    QUdpSocket s;
    return s.bind(QHostAddress::Any, port);
  }
  QString Target(const char* address) const { return QStringLiteral("%1:%2").arg(QLatin1String(address)).arg(port); }

  quint16 port = 0;
};

TEST_F(EthUnitTest, PacketsFromTheDeclaredAddressOnlyAndBoundOnlyWhileDeclared) {
  EXPECT_TRUE(PortFree());
  ASSERT_TRUE(Declare(QStringLiteral("ethunit-shop"), Target("127.0.0.1")));
  Advance(200);
  ASSERT_EQ(probe.Linked(), 1u);
  EXPECT_FALSE(PortFree());

  // Same loopback, another address: not the declared unit.
  SendFrom("127.0.0.2", MakeRecordPacket(1, 666, kStart));
  SendFrom("127.0.0.1", MakeRecordPacket(1, 123456, "$" + kStart));
  ASSERT_TRUE(WaitCalls(1));
  QCoreApplication::processEvents();
  ASSERT_EQ(sink.calls.size(), 1u);
  EXPECT_EQ(sink.calls[0][4], QStringLiteral("123456"));
  EXPECT_EQ(sink.calls[0][3], QStringLiteral("3"));
  EXPECT_EQ(Info(QStringLiteral("serial")), QStringLiteral("123456"));
  EXPECT_EQ(Info(QStringLiteral("devicemodel")), QStringLiteral("Çok hatlı birim, 4 hat"));

  SendFrom("127.0.0.1", MakeRecordPacket(1, 123456, "04 R 09/26 11:28:03"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return sink.Level(4) == QStringLiteral("48"); }, 3000));
  Advance(1000);
  EXPECT_EQ(sink.Level(4), QStringLiteral("0"));

  QString error;
  ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("ethunit-shop"), &error));
  Advance(200);
  EXPECT_EQ(probe.Linked(), 0u);
  EXPECT_TRUE(PortFree());
}

TEST_F(EthUnitTest, IllFormedPacketsAreReportedAndTwoUnitsShareThePort) {
  ASSERT_TRUE(Declare(QStringLiteral("ethunit-a"), Target("127.0.0.1")));
  ASSERT_TRUE(Declare(QStringLiteral("ethunit-b"), Target("127.0.0.2")));
  Advance(200);
  ASSERT_EQ(probe.Linked(), 2u);

  SendFrom("127.0.0.1", "junk that is no record packet");
  EXPECT_TRUE(NextFailure().startsWith(QStringLiteral("Cihaz ethunit-a: Ethernet kayıt paketi olmayan veri atlandı")));
  // The socket reads one byte past the largest packet, so a longer datagram
  // is refused as such rather than cut down to a packet that parses. (A
  // second later, so the once-a-second error limit lets it through.)
  Advance(1000);
  SendFrom("127.0.0.1", MakeRecordPacket(1, 11, "01 I S 0000 G A1 09/26 11:28 AM 777") +
                            QByteArray(2 * RecordPacket::kMaxSize, ' '));
  EXPECT_TRUE(NextFailure().contains(QStringLiteral("Çok büyük Ethernet kayıt paketi atlandı")));
  SendFrom("127.0.0.1", MakeRecordPacket(1, 11, "01 I S 0000 G A1 09/26 11:28 AM 777"));
  SendFrom("127.0.0.2", MakeRecordPacket(1, 22, "02 I S 0000 G A1 09/26 11:28 AM 888"));
  ASSERT_TRUE(WaitCalls(2));
  EXPECT_EQ(sink.calls[0][4], QStringLiteral("11"));
  EXPECT_EQ(sink.calls[0][2], QStringLiteral("777"));
  EXPECT_EQ(sink.calls[1][4], QStringLiteral("22"));
  EXPECT_EQ(sink.calls[1][2], QStringLiteral("888"));
}

// Two entries for one address and port are one unit declared twice: its
// records count once, and the second entry is refused naming the first.
TEST_F(EthUnitTest, OneUnitDeclaredTwiceCountsEachRecordOnce) {
  ASSERT_TRUE(Declare(QStringLiteral("ethunit-a"), Target("127.0.0.1")));
  Advance(200);
  ASSERT_TRUE(Declare(QStringLiteral("ethunit-b"), Target("127.0.0.1")));
  Advance(200);
  EXPECT_EQ(probe.Linked(), 1u);
  const QString refusal = NextFailure();
  EXPECT_TRUE(refusal.contains(QStringLiteral("ethunit-b"))) << refusal.toStdString();
  EXPECT_TRUE(refusal.contains(QStringLiteral("ethunit-a kaydıyla aynı birim"))) << refusal.toStdString();
  for (int i = 0; i < 10; ++i)
    SendFrom("127.0.0.1", MakeRecordPacket(1, 7, QByteArray("01 I S 0000 G A1 09/26 11:28 AM 55") + char('0' + i)));
  ASSERT_TRUE(WaitCalls(10));
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(sink.calls.size(), 10u);
}

// A flood far beyond what the window is handed: whatever the kernel's
// buffer or the queue towards the window could not hold is said in numbers,
// so the calls that arrive and the calls said lost add up to those sent.
TEST_F(EthUnitTest, AFloodEndsWithEveryRecordCountedOrSaidLost) {
  ASSERT_TRUE(Declare(QStringLiteral("ethunit-flood"), Target("127.0.0.1")));
  Advance(200);
  ASSERT_EQ(probe.Linked(), 1u);
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  constexpr int kRecords = 100000;
  int sent = 0;
  for (int i = 0; i < kRecords; ++i) {
    const QByteArray p = MakeRecordPacket(1, 9, "01 I S 0000 G A1 09/26 11:28 AM " + QByteArray::number(1000000 + i));
    if (::sendto(fd, p.constData(), size_t(p.size()), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) == p.size())
      ++sent;
  }
  ::close(fd);
  ASSERT_GT(sent, kRecords / 2);
  static const QRegularExpression kLost(QStringLiteral("Çok hızlı kayıt akışı: (\\d+) arama kaydı atlandı"));
  qint64 lost = 0;
  const auto drain = [&] {
    QString v;
    while (Failed(control->GetInfo(QStringLiteral("serial"), &v))) {
      const QRegularExpressionMatch m = kLost.match(control->ErrorDescription());
      EXPECT_TRUE(m.hasMatch()) << control->ErrorDescription().toStdString();
      lost += m.captured(1).toLongLong();
    }
  };
  (void)QTest::qWaitFor(
      [&] {
        Advance(1000);  // each second of the limit lets the next count out
        drain();
        return qint64(sink.calls.size()) + lost >= sent;
      },
      10000);
  RecordProperty("calls", int(sink.calls.size()));
  RecordProperty("lost", int(lost));
  EXPECT_GT(lost, 0);
  EXPECT_EQ(qint64(sink.calls.size()) + lost, sent) << sink.calls.size() << " calls, " << lost << " said lost";
}

TEST_F(EthUnitTest, AnIpv6UnitIsHeardAndAPortHeldElsewhereIsRefusedWithTheReason) {
  {
    QUdpSocket holder;  // another program on the port
    ASSERT_TRUE(holder.bind(QHostAddress::Any, port));
    ASSERT_TRUE(Declare(QStringLiteral("ethunit-busy"), Target("127.0.0.1")));
    Advance(200);
    EXPECT_EQ(probe.Linked(), 0u);
    EXPECT_TRUE(
        NextFailure().contains(QStringLiteral("kapısı dinlenemedi: kapı başka bir program tarafından kullanılıyor")));
    QString error;
    ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("ethunit-busy"), &error));
  }
  QUdpSocket v6;
  if (!v6.bind(QHostAddress::LocalHostIPv6, 0)) GTEST_SKIP() << "no IPv6 loopback here";
  ASSERT_TRUE(Declare(QStringLiteral("ethunit-v6"), QStringLiteral("[::1]:%1").arg(port)));
  Advance(200);
  ASSERT_EQ(probe.Linked(), 1u);
  SendFrom("127.0.0.1", MakeRecordPacket(1, 41, "01 I S 0000 G A1 09/26 11:28 AM 111"));
  ASSERT_EQ(v6.writeDatagram(MakeRecordPacket(1, 42, "01 I S 0000 G A1 09/26 11:28 AM 222"),
                             QHostAddress::LocalHostIPv6, port),
            qint64(MakeRecordPacket(1, 42, "01 I S 0000 G A1 09/26 11:28 AM 222").size()));
  ASSERT_TRUE(WaitCalls(1));
  QCoreApplication::processEvents();
  ASSERT_EQ(sink.calls.size(), 1u);
  EXPECT_EQ(sink.calls[0][2], QStringLiteral("222"));
}

TEST(SimulatedPublicFormatUnit, WhatItSendsParsesBack) {
  const QDateTime when(QDate(2026, 3, 4), QTime(0, 6, 7));
  PublicFormatParser parser([] { return QDateTime(QDate(2026, 3, 5), QTime(9, 0)); });
  std::vector<PublicFormatParser::Event> ev;
  parser.Feed(sim::PublicRingRecord(7, when), ev);
  parser.Feed(
      sim::PublicCallRecord(sim::Call{7, QStringLiteral("05321234567"), QStringLiteral("Şükrü Çağlayan Öztürk")}, when),
      ev);
  parser.Feed(sim::PublicCallRecord(sim::Call{1, QStringLiteral("P"), QString()}, when.addSecs(13 * 3600)), ev);
  parser.Feed(sim::PublicCallRecord(sim::Call{2, QStringLiteral("O"), QStringLiteral("X")}, when), ev);
  ASSERT_EQ(ev.size(), 4u);
  EXPECT_EQ(std::get<PublicFormatDetail>(ev[0]).dateTime, QStringLiteral("2026-03-04 00:06:07"));
  const auto& c = std::get<PublicFormatCall>(ev[1]);
  EXPECT_EQ(c.line, 7);
  EXPECT_EQ(c.number, QStringLiteral("05321234567"));
  EXPECT_EQ(c.name, QStringLiteral("Şükrü Çağlayan"));  // the 15-character name field
  EXPECT_EQ(c.dateTime, QStringLiteral("2026-03-04 00:06:00"));
  EXPECT_TRUE(ReportedCall(c));
  EXPECT_EQ(std::get<PublicFormatCall>(ev[2]).number, NumberWithheldText());
  EXPECT_EQ(std::get<PublicFormatCall>(ev[2]).dateTime, QStringLiteral("2026-03-04 13:06:00"));
  EXPECT_EQ(std::get<PublicFormatCall>(ev[3]).number, NumberUnavailableText());
}

TEST(EthUnitEntries, TargetMustBeAnAddress) {
  QTemporaryDir dir;
  QString error;
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("ethunit-ok"), QStringLiteral("10.0.0.7:4000"), &error));
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("ethunit-name"), QStringLiteral("unit.example"), &error));
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("ethunit-path"), QStringLiteral("/dev/null"), &error));
  QStringList refusals;
  const auto entries = ScanDeviceDirectories({dir.path()}, &refusals);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].family, DeviceFamily::PublicFormatUdp);
  EXPECT_EQ(entries[0].target, QStringLiteral("10.0.0.7:4000"));
  EXPECT_EQ(refusals.size(), 2);
}

}  // namespace
}  // namespace device
