// The public multi-line call-record format: the format's own examples, the
// variations units send, what becomes a caller-ID report, and every kind of
// malformed record and packet.
#include <gtest/gtest.h>

#include "device/directory/ethunit_address.h"
#include "device/public_format/public_format_parser.h"

namespace device {
namespace {

using Event = PublicFormatParser::Event;

class LineUnitParserTest : public ::testing::Test {
 protected:
  std::vector<Event> Parse(const QByteArray& bytes) {
    PublicFormatParser parser([this] { return now; });
    std::vector<Event> out;
    parser.Feed(bytes, out);
    return out;
  }
  PublicFormatCall Call(const QByteArray& record) {
    const auto ev = Parse(record + "\r\n");
    EXPECT_EQ(ev.size(), 1u) << record.constData();
    if (ev.size() != 1 || !std::holds_alternative<PublicFormatCall>(ev[0])) {
      ADD_FAILURE() << "no call record from " << record.constData();
      return {};
    }
    return std::get<PublicFormatCall>(ev[0]);
  }

  QDateTime now{QDate(2026, 10, 1), QTime(9, 0, 0)};
};

TEST_F(LineUnitParserTest, ComprehensiveRecordsOfBothFieldLayouts) {
  // As printed in the makers' manuals, and with the fixed 14- and
  // 15-character number and name fields padded with blanks.
  PublicFormatCall c = Call("01 I S 0000 G A2 09/26 11:28 AM 770-263-7111 SOME NAME");
  EXPECT_EQ(c.line, 1);
  EXPECT_TRUE(c.inbound && c.start && c.goodChecksum && !c.limited);
  EXPECT_EQ(c.number, QStringLiteral("770-263-7111"));
  EXPECT_EQ(c.name, QStringLiteral("SOME NAME"));
  EXPECT_EQ(c.dateTime, QStringLiteral("2026-09-26 11:28:00"));

  c = Call("06 I S 0000 G A1 09/30 02:05 PM 05321234567    AYSE YILMAZ    ");
  EXPECT_EQ(c.line, 6);
  EXPECT_EQ(c.number, QStringLiteral("05321234567"));
  EXPECT_EQ(c.name, QStringLiteral("AYSE YILMAZ"));
  EXPECT_EQ(c.dateTime, QStringLiteral("2026-09-30 14:05:00"));

  // Right-justified number, blank-led month and day, midnight and noon.
  c = Call("02 I S 0000 G A1  9/ 6 12:07 AM     7702637111 X");
  EXPECT_EQ(c.number, QStringLiteral("7702637111"));
  EXPECT_EQ(c.dateTime, QStringLiteral("2026-09-06 00:07:00"));
  EXPECT_EQ(Call("02 I S 0000 G A1 09/06 12:07 PM 123 ").dateTime, QStringLiteral("2026-09-06 12:07:00"));

  // An empty number field with a name, and a record with neither.
  c = Call("03 I S 0000 G A1 09/26 11:28 AM                MUSTERI");
  EXPECT_EQ(c.number, NumberUnavailableText());
  EXPECT_EQ(c.name, QStringLiteral("MUSTERI"));
  c = Call("03 I S 0000 G A1 09/26 11:28 AM");
  EXPECT_EQ(c.number, NumberUnavailableText());
  EXPECT_TRUE(c.name.isEmpty());
}

TEST_F(LineUnitParserTest, AbsentNumbersAndNamesInEitherEncoding) {
  EXPECT_EQ(Call("01 I S 0000 G A1 09/26 11:28 AM Private        ").number, NumberWithheldText());
  EXPECT_EQ(Call("01 I S 0000 G A1 09/26 11:28 AM Out-of-Area    ").number, NumberUnavailableText());
  EXPECT_EQ(Call("$01 09/26 11:28 AM Private I").number, NumberWithheldText());
  EXPECT_EQ(Call("01 I S 0000 G A1 09/26 11:28 AM 123 \xde\x45N\xdd\x5a").name, QStringLiteral("ŞENİZ"));
  EXPECT_EQ(Call("01 I S 0000 G A1 09/26 11:28 AM 123 ŞÜKRÜ ÇAĞ   ").name, QStringLiteral("ŞÜKRÜ ÇAĞ"));
}

TEST_F(LineUnitParserTest, OnlyAnInboundStartWithAGoodChecksumIsReported) {
  const PublicFormatCall start = Call("04 I S 0000 G A2 09/26 11:28 AM 770-263-7111 SOME NAME      ");
  const auto call = ReportedCall(start);
  ASSERT_TRUE(call.has_value());
  EXPECT_EQ(call->line, 4);
  EXPECT_EQ(call->number, QStringLiteral("770-263-7111"));
  EXPECT_EQ(call->dateTime, QStringLiteral("2026-09-26 11:28:00"));
  EXPECT_EQ(call->text, QStringLiteral("SOME NAME"));

  const PublicFormatCall end = Call("04 I E 0125 G A2 09/26 11:30 AM 770-263-7111 SOME NAME");
  EXPECT_FALSE(end.start);
  EXPECT_EQ(end.durationS, 125);
  EXPECT_FALSE(ReportedCall(end));
  const PublicFormatCall bad = Call("04 I S 0000 B A2 09/26 11:28 AM 770-263-7111 SOME NAME");
  EXPECT_FALSE(bad.goodChecksum);
  EXPECT_FALSE(ReportedCall(bad));
  EXPECT_FALSE(ReportedCall(Call("04 O S 0000 G A0 09/26 11:28 AM 5551234")));
}

TEST_F(LineUnitParserTest, LimitedForm) {
  PublicFormatCall c = Call("$01 09/26 11:28 AM 770-263-7111 I SOME NAME");
  EXPECT_TRUE(c.limited && c.inbound && c.start && c.goodChecksum);
  EXPECT_EQ(c.number, QStringLiteral("770-263-7111"));
  EXPECT_EQ(c.name, QStringLiteral("SOME NAME"));
  EXPECT_TRUE(ReportedCall(c));

  c = Call("12   9/26   11:28 PM     7702637111   I   AHMET      ");
  EXPECT_EQ(c.line, 12);
  EXPECT_EQ(c.dateTime, QStringLiteral("2026-09-26 23:28:00"));
  EXPECT_EQ(c.name, QStringLiteral("AHMET"));

  EXPECT_FALSE(ReportedCall(Call("$02 09/26 11:28 AM 5551234 O")));
  c = Call("$02 09/26 11:28 AM I NO NUMBER");  // no number: the direction comes first
  EXPECT_EQ(c.number, NumberUnavailableText());
  EXPECT_EQ(c.name, QStringLiteral("NO NUMBER"));
}

TEST_F(LineUnitParserTest, DetailRecords) {
  const auto ev =
      Parse("01 R        09/26 11:28:03\r\n03 F 09/26 11:28:09\n$08 N  9/ 6 23:59:59\r07 H 12/31 00:00:00\r\n");
  ASSERT_EQ(ev.size(), 4u);
  const char kinds[] = {'R', 'F', 'N', 'H'};
  const int lines[] = {1, 3, 8, 7};
  for (int i = 0; i < 4; ++i) {
    const auto& d = std::get<PublicFormatDetail>(ev[i]);
    EXPECT_EQ(d.kind, kinds[i]);
    EXPECT_EQ(d.line, lines[i]);
  }
  EXPECT_EQ(std::get<PublicFormatDetail>(ev[0]).dateTime, QStringLiteral("2026-09-26 11:28:03"));
  EXPECT_EQ(std::get<PublicFormatDetail>(ev[3]).dateTime, QStringLiteral("2025-12-31 00:00:00"));
}

TEST_F(LineUnitParserTest, YearFromThePcClockWithTheNewYearRule) {
  now = QDateTime(QDate(2027, 1, 1), QTime(0, 0, 10));
  EXPECT_EQ(Call("01 I S 0000 G A1 12/31 11:59 PM 123").dateTime, QStringLiteral("2026-12-31 23:59:00"));
  EXPECT_EQ(Call("01 I S 0000 G A1 01/01 12:00 AM 123").dateTime, QStringLiteral("2027-01-01 00:00:00"));
  EXPECT_EQ(Call("01 I S 0000 G A1 01/02 12:00 AM 123").dateTime, QStringLiteral("2027-01-02 00:00:00"));
}

TEST_F(LineUnitParserTest, OutOfRangeDateStillGivesTheCallWithThePcClock) {
  // A unit whose clock was never set must not lose its calls.
  for (const char* rec : {"01 I S 0000 G A1 00/00 12:00 AM 123", "01 I S 0000 G A1 13/45 11:61 PM 123",
                          "01 I S 0000 G A1 02/30 13:00 PM 123"}) {
    const auto ev = Parse(QByteArray(rec) + "\r\n");
    ASSERT_EQ(ev.size(), 2u) << rec;
    EXPECT_EQ(std::get<PublicFormatCall>(ev[0]).dateTime, QStringLiteral("2026-10-01 09:00:00"));
    EXPECT_TRUE(std::get<ParseError>(ev[1]).message.contains(QStringLiteral("bilgisayar saati")));
  }
}

TEST_F(LineUnitParserTest, EveryMalformedRecordIsOneErrorAndTheNextRecordCounts) {
  const char* bad[] = {
      "1 I S 0000 G A2 09/26 11:28 AM 123",                         // one-digit line
      "00 I S 0000 G A2 09/26 11:28 AM 123",                        // line 0
      "001 I S 0000 G A2 09/26 11:28 AM 123",                       // three digits
      "01I S 0000 G A2 09/26 11:28 AM 123",                         // no blank after the line
      "01 X S 0000 G A2 09/26 11:28 AM 123",                        // unknown record
      "01 IS 0000 G A2 09/26 11:28 AM 123",                         // fields run together
      "01 I X 0000 G A2 09/26 11:28 AM 123",                        // neither start nor end
      "01 I S 00 G A2 09/26 11:28 AM 123",                          // short duration
      "01 I S 0000 Q A2 09/26 11:28 AM 123",                        // checksum neither G nor B
      "01 I S 0000 G 2A 09/26 11:28 AM 123",                        // ring field
      "01 I S 0000 G A2 0926 11:28 AM 123",                         // date without '/'
      "01 I S 0000 G A2 09/26 1128 AM 123",                         // time without ':'
      "01 I S 0000 G A2 09/26 11:28 XM 123",                        // neither AM nor PM
      "01 I S 0000 G A2 09/26 11:28AM 123",                         // no blank before AM
      "01 I S 0000 G A2 09/26 11:28 AM 77O-ABC NAME",               // letters in the number
      "01 I S 0000 G A2 09/26 11:28 AM ---",                        // no digit at all
      "01 I S 0000 G A2 09/26 11:28 AM 1234567890123456789012345",  // over-long number
      "01 R 09/26 11:28",                                           // detail without seconds
      "01 R 09/26 11:28:03 extra",                                  // detail with more after it
      "01 Z 09/26 11:28:03",                                        // unknown detail
      "$01 09/26 11:28 AM 123 X NAME",                              // limited, no direction
      "$01 09/26 11:28 AM",                                         // limited, cut short
      "01 I S 0000 G A2 09/26 11:28 AM 123 \x01NAME",               // control byte
      "01 I S 0000 G A2 09/26 11:28 AM 123\tNAME",                  // tab
      "garbage",
      "$",
      "01",
      "01 ",
      "$$01 R 09/26 11:28:03",
  };
  for (const char* rec : bad) {
    const auto ev = Parse(QByteArray(rec) + "\r\n01 R 09/26 11:28:03\r\n");
    ASSERT_EQ(ev.size(), 2u) << rec;
    ASSERT_TRUE(std::holds_alternative<ParseError>(ev[0])) << rec;
    EXPECT_FALSE(std::get<ParseError>(ev[0]).message.isEmpty());
    EXPECT_TRUE(std::holds_alternative<PublicFormatDetail>(ev[1])) << rec;
  }
}

TEST_F(LineUnitParserTest, StreamCutAnywhereAndOverlongLines) {
  const QByteArray stream = "\r\n01 R 09/26 11:28:03\r\n01 I S 0000 G A2 09/26 11:28 AM 770-263-7111 SOME NAME\r\n";
  PublicFormatParser parser([this] { return now; });
  std::vector<Event> out;
  for (char c : stream) parser.Feed(&c, 1, out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(std::get<PublicFormatCall>(out[1]).name, QStringLiteral("SOME NAME"));
  EXPECT_EQ(parser.PendingBytes(), 0);

  out.clear();
  parser.Feed(QByteArray(1000, '7'), out);  // no terminator ever
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(std::holds_alternative<ParseError>(out[0]));
  EXPECT_LE(parser.PendingBytes(), LineSplitter::kMaxLine);
  parser.Feed("\r\n01 R 09/26 11:28:03\r\n", out);
  ASSERT_EQ(out.size(), 2u);
  EXPECT_TRUE(std::holds_alternative<PublicFormatDetail>(out[1]));
}

TEST(RecordPackets, HeaderNumbersAreBigEndianAndTheRecordFollows) {
  const QByteArray record = "01 I S 0000 G A2 09/26 11:28 AM 770-263-7111 SOME NAME";
  QByteArray datagram =
      QByteArray("^^<U>\x00\x00\x00\x00\x01\x02<S>\x01\x02\x03\x04\x05\x06", 20) + "$" + record + "\r\n";
  RecordPacket p;
  QString error;
  ASSERT_TRUE(ParseRecordPacket(datagram, &p, &error)) << error.toStdString();
  EXPECT_EQ(p.unit, 0x0102u);
  EXPECT_EQ(p.serial, 0x010203040506u);
  EXPECT_EQ(p.record, record);
  EXPECT_EQ(MakeRecordPacket(0x0102, 0x010203040506, "$" + record + "\r\n"), datagram);
  ASSERT_TRUE(ParseRecordPacket(MakeRecordPacket(0xFFFFFFFFFFFF, 7, record), &p, &error));
  EXPECT_EQ(p.unit, 0xFFFFFFFFFFFFu);
  EXPECT_EQ(p.record, record);
}

TEST(RecordPackets, MalformedPacketsAreRefused) {
  const QByteArray good = MakeRecordPacket(1, 2, "01 R 09/26 11:28:03");
  const QByteArray bad[] = {
      QByteArray(),
      good.left(19),                                             // header cut short
      "^^<X>" + good.mid(5),                                     // wrong unit tag
      good.left(11) + "<T>" + good.mid(14),                      // wrong serial tag
      good.left(20),                                             // no record
      good.left(20) + "$\r\n",                                   // only the marker
      good + "\r\n01 R 09/26 11:28:04",                          // two records
      good + QByteArray(RecordPacket::kMaxSize, ' '),            // oversized
      "01 I S 0000 G A2 09/26 11:28 AM 770-263-7111 SOME NAME",  // a bare record
  };
  for (const QByteArray& b : bad) {
    RecordPacket p;
    QString error;
    EXPECT_FALSE(ParseRecordPacket(b, &p, &error)) << b.toHex().constData();
    EXPECT_FALSE(error.isEmpty());
  }
}

TEST(UnitAddresses, LiteralAddressesWithOptionalPortOnly) {
  QString host;
  quint16 port = 0;
  ASSERT_TRUE(ParseUnitAddress(QStringLiteral("192.168.1.20"), &host, &port));
  EXPECT_EQ(host, QStringLiteral("192.168.1.20"));
  EXPECT_EQ(port, kDefaultRecordPort);
  ASSERT_TRUE(ParseUnitAddress(QStringLiteral("127.0.0.1:40000"), &host, &port));
  EXPECT_EQ(port, 40000);
  ASSERT_TRUE(ParseUnitAddress(QStringLiteral("[fe80::1]:3521"), &host, &port));
  EXPECT_EQ(host, QStringLiteral("fe80::1"));
  EXPECT_EQ(port, 3521);
  for (const char* bad :
       {"", "unit.example", "192.168.1", "192.168.1.256", "1.2.3.4:", "1.2.3.4:0", "1.2.3.4:65536", "1.2.3.4:35x",
        "[fe80::1", "[fe80::1]3520", "fe80::1", "/dev/ttyS0", "1.2.3.4:3520:1", "１.2.3.4"}) {
    EXPECT_FALSE(ParseUnitAddress(QString::fromUtf8(bad), &host, &port)) << bad;
  }
}

}  // namespace
}  // namespace device
