// The caller-ID decoding chain on generated line audio: every standard and
// layout, absent numbers, 8-bit names, and what must never become a call.
#include <gtest/gtest.h>

extern "C" {
#include <spandsp.h>
}

#include "decode_helpers.h"
#include "device/audio/dsp/japanese_frame.h"

namespace device::audio {
namespace {

using namespace testing;
using audiogen::CallBurst;
using Absence = CallerIdMessage::Absence;

CallBurst Call(Standard standard, const QString& number, const QString& name = {}) {
  return audiogen::MakeCallBurst(standard, number, name, QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
}

struct Case {
  const char* label;
  CallBurst call;
};

class EveryLayout : public ::testing::TestWithParam<Case> {};

// Each layout decodes with every field it carries, both when its standard is
// fixed and when all receivers listen, fed in awkward chunk sizes.
TEST_P(EveryLayout, DecodesFixedAndAuto) {
  const CallBurst& c = GetParam().call;
  const Samples line = audiogen::CallOnLine(c, -20, 25, 42);
  for (Standard st : {c.standard, Standard::Auto}) {
    SCOPED_TRACE(qPrintable(StandardName(st)));
    const Decoded d = Decode(line, st, 37);
    ASSERT_EQ(d.calls.size(), 1u);
    EXPECT_TRUE(d.failures.empty());
    const CallerIdMessage& m = d.calls[0];
    EXPECT_EQ(m.standard, c.standard);
    EXPECT_EQ(m.number, c.number);
    EXPECT_EQ(m.absence, c.absence);
    const bool carriesName = c.standard == Standard::ClipV23 || c.standard == Standard::Bell202;
    EXPECT_EQ(m.name, carriesName && !c.sdmf ? c.name : QString());
    const bool carriesDate = c.standard == Standard::ClipV23 || c.standard == Standard::Bell202;
    EXPECT_EQ(m.HasDateTime(), carriesDate);
    if (carriesDate) EXPECT_EQ((std::vector{m.month, m.day, m.hour, m.minute}), (std::vector{12, 8, 9, 30}));
  }
}

CallBurst With(CallBurst c, Absence a, bool sdmf = false, bool hash = false) {
  c.absence = a;
  if (a != Absence::None) c.number.clear();
  c.sdmf = sdmf;
  c.dtmfHashVariant = hash;
  return c;
}

// A DTMF number with its start code and the fields after it.
CallBurst Fields(CallBurst c, char start, const char* redirecting, const char* info) {
  c.dtmfStart = start;
  c.dtmfRedirecting = QString::fromLatin1(redirecting);
  c.dtmfInfo = QString::fromLatin1(info);
  return c;
}

const QString kTurkish = QStringLiteral("Şükrü Çağlayan İĞÖ");

INSTANTIATE_TEST_SUITE_P(
    Audio, EveryLayout,
    ::testing::Values(Case{"ClipMdmfTurkishName", Call(Standard::ClipV23, "02125550123", kTurkish)},
                      Case{"ClipMdmfWithheld", With(Call(Standard::ClipV23, {}), Absence::Withheld)},
                      Case{"ClipMdmfUnavailable", With(Call(Standard::ClipV23, {}), Absence::Unavailable)},
                      Case{"ClipSdmf", With(Call(Standard::ClipV23, "02125550123"), Absence::None, true)},
                      Case{"ClipSdmfWithheld", With(Call(Standard::ClipV23, {}), Absence::Withheld, true)},
                      Case{"BellMdmfName", Call(Standard::Bell202, "2125550199", "JOHN SMITH")},
                      Case{"BellMdmfTurkishName", Call(Standard::Bell202, "2125550199", kTurkish)},
                      Case{"BellSdmfUnavailable", With(Call(Standard::Bell202, {}), Absence::Unavailable, true)},
                      Case{"DtmfStartEnd", Call(Standard::ClipDtmf, "05321234567")},
                      Case{"DtmfWithheld", With(Call(Standard::ClipDtmf, {}), Absence::Withheld)},
                      Case{"DtmfUnavailable", With(Call(Standard::ClipDtmf, {}), Absence::Unavailable)},
                      Case{"DtmfHashNumber", With(Call(Standard::ClipDtmf, "05321234567"), Absence::None, false, true)},
                      Case{"DtmfHashWithheld", With(Call(Standard::ClipDtmf, {}), Absence::Withheld, false, true)},
                      Case{"DtmfRedirecting", Fields(Call(Standard::ClipDtmf, "05321234567"), 'A', "02125550123", {})},
                      Case{"DtmfInformation", Fields(Call(Standard::ClipDtmf, "05321234567"), 'A', {}, "10")},
                      Case{"DtmfRedirectingAndInformation",
                           Fields(Call(Standard::ClipDtmf, "05321234567"), 'A', "02125550123", "00")},
                      Case{"DtmfStartCodeD", Fields(Call(Standard::ClipDtmf, "05321234567"), 'D', {}, {})},
                      Case{"Japan", Call(Standard::JapanV23, "0312345678")},
                      // A message length of 16 is a DLE, sent doubled.
                      Case{"JapanLengthDoubled", Call(Standard::JapanV23, "03123456789012")},
                      Case{"JapanWithheld", With(Call(Standard::JapanV23, {}), Absence::Withheld)}),
    [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.label); });

// The weak and the loud end of the receive range, under noise 20 dB down.
TEST(AudioDecoding, WeakAndLoudBurstsUnderNoise) {
  for (Standard st : {Standard::ClipV23, Standard::Bell202, Standard::ClipDtmf}) {
    for (double level : {-34.0, -6.0}) {
      SCOPED_TRACE(qPrintable(StandardName(st) + QString::number(level)));
      const CallBurst c = Call(st, "02125550123");
      const Decoded d = Decode(audiogen::CallOnLine(c, level, 20, 7));
      ASSERT_EQ(d.calls.size(), 1u);
      EXPECT_EQ(d.calls[0].number, c.number);
    }
  }
}

// Far below the noise a line may carry, a reading that passes its byte sum
// has had bit errors that cancel: it may fail, it may decode, but it never
// shows a number or name that was not sent.
TEST(AudioDecoding, BurstsDeepInNoiseGiveNoWrongCall) {
  const QString names[] = {"ROBERT BROWN", "AYSE YILMAZ", "MEHMET OZ", "PAT LEE"};
  for (Standard st : {Standard::ClipV23, Standard::Bell202}) {
    for (double snr : {2.0, 3.0, 4.0}) {
      int wrong = 0;
      for (int seed = 1; seed <= 60; ++seed) {
        const CallBurst c = Call(st, QString::number(2000000000LL + seed * 7919), names[seed % 4]);
        for (const CallerIdMessage& m : Decode(audiogen::CallOnLine(c, -20, snr, seed)).calls)
          wrong += m.number != c.number || m.name != c.name;
      }
      EXPECT_EQ(wrong, 0) << qPrintable(StandardName(st)) << " at " << snr << " dB";
    }
  }
}

// A burst that stops part way gives nothing, whatever follows it.
TEST(AudioDecoding, BurstCutShortGivesNothing) {
  for (Standard st : {Standard::ClipV23, Standard::Bell202, Standard::ClipDtmf, Standard::JapanV23}) {
    SCOPED_TRACE(qPrintable(StandardName(st)));
    Samples burst = audiogen::CallerIdBurst(Call(st, "02125550123", "Ali"), -20);
    burst.resize(burst.size() * 3 / 4);
    Samples line = audiogen::Silence(0.3);
    audiogen::Append(line, burst);
    audiogen::Append(line, audiogen::Silence(2.0));
    audiogen::AddNoise(line, -50, 3);
    const Decoded d = Decode(line, st == Standard::JapanV23 ? st : Standard::Auto);
    EXPECT_TRUE(d.calls.empty());
    EXPECT_TRUE(d.failures.empty());
  }
}

// A burst that frames but fails its checksum is reported as such, once, and
// never as a call, also when both FSK receivers hear it. So is one sent
// with a single wrong bit on a clean line, even where only one bit of the
// weight the sum points at could be it (bit 6 of a digit): every bit was
// read sure, and correcting one would be a guess.
TEST(AudioDecoding, BadChecksumIsAFailureNeverACall) {
  const struct {
    int byte;  // from the message's end: 1 the checksum
    uint8_t bits;
  } wrong[] = {{1, 0x5A}, {1, 0x04}, {2, 0x40}, {5, 0x40}, {3, 0x01}};
  for (Standard st : {Standard::ClipV23, Standard::Bell202, Standard::JapanV23})
    for (const auto& w : wrong) {
      if (st == Standard::JapanV23 && w.bits != 0x5A) continue;  // a CRC is not one to point at a bit
      SCOPED_TRACE(::testing::Message() << StandardName(st).toStdString() << " byte " << w.byte << " ^ "
                                        << int(w.bits));
      Samples line = audiogen::Silence(0.3);
      audiogen::Append(
          line, audiogen::CallerIdBurst(Call(st, "02125550123"), -20, {.wrongByte = w.byte, .wrongBits = w.bits}));
      audiogen::AddNoise(line, -60, 4);
      for (Standard rx : {st, Standard::Auto}) {
        const Decoded d = Decode(line, rx);
        EXPECT_TRUE(d.calls.empty());
        ASSERT_EQ(d.failures.size(), 1u);
        EXPECT_EQ(d.failures[0].standard, st);
      }
    }
}

// Two bursts in a row are two calls; the V.23 and Bell 202 receivers both
// hearing each of them does not double them.
TEST(AudioDecoding, BackToBackBurstsAreTwoCalls) {
  Samples line = audiogen::CallOnLine(Call(Standard::Bell202, "111"), -20, 30, 5);
  audiogen::Append(line, audiogen::CallOnLine(Call(Standard::ClipV23, "222"), -20, 30, 6));
  const Decoded d = Decode(line);
  ASSERT_EQ(d.calls.size(), 2u);
  EXPECT_EQ(d.calls[0].number, "111");
  EXPECT_EQ(d.calls[0].standard, Standard::Bell202);
  EXPECT_EQ(d.calls[1].number, "222");
  EXPECT_EQ(d.calls[1].standard, Standard::ClipV23);
}

// A fixed standard does not report what another standard carries.
TEST(AudioDecoding, FixedStandardIgnoresOthers) {
  EXPECT_TRUE(Decode(audiogen::CallOnLine(Call(Standard::ClipV23, "1"), -20, 30, 1), Standard::ClipDtmf).calls.empty());
  EXPECT_TRUE(Decode(audiogen::CallOnLine(Call(Standard::ClipDtmf, "1"), -20, 30, 1), Standard::ClipV23).calls.empty());
  EXPECT_TRUE(Decode(audiogen::CallOnLine(Call(Standard::JapanV23, "1"), -20, 30, 1), Standard::ClipV23).calls.empty());
}

// What a coupler does to a line: an offset, clipping of loud ringing, noise.
// None of it is a call; a call on an offset line still decodes.
TEST(AudioDecoding, OffsetClippingAndNoiseAreNoCalls) {
  Samples junk = audiogen::Ring(2.0, 10.0);  // clipped hard
  audiogen::Append(junk, audiogen::Silence(3.0));
  audiogen::AddNoise(junk, -30, 9);
  audiogen::AddOffset(junk, 12000);
  Samples loudNoise = audiogen::Silence(5.0);
  audiogen::AddNoise(loudNoise, 0, 10);  // clips
  for (const Samples& s : {junk, loudNoise}) {
    const Decoded d = Decode(s);
    EXPECT_TRUE(d.calls.empty());
    EXPECT_TRUE(d.failures.empty());
  }
  Samples call = audiogen::CallOnLine(Call(Standard::ClipV23, "02125550123"), -15, 30, 11);
  audiogen::AddOffset(call, 8000);
  const Decoded d = Decode(call);
  ASSERT_EQ(d.calls.size(), 1u);
  EXPECT_EQ(d.calls[0].number, "02125550123");
}

// The Japanese frame holds together only as the layout has it: its CRC,
// every character's even parity, DLE SOH and DLE ETX, no DLE alone.
TEST(AudioDecoding, JapaneseFrameOnlyWhole) {
  // DLE SOH, header, DLE STX, type, length, the number "35", DLE ETX; even parity.
  const std::vector<uint8_t> head = {0x90, 0x81, 0x87, 0x90, 0x82, 0xC0, 0x84, 0x82, 0x82, 0x33, 0x35, 0x90, 0x03};
  auto framed = [](std::vector<uint8_t> f) {
    const uint16_t crc = crc_itu16_calc(f.data() + 2, int(f.size()) - 2, 0);
    f.push_back(uint8_t(crc & 0xFF));
    f.push_back(uint8_t(crc >> 8));
    return f;
  };
  const std::vector<uint8_t> good = framed(head);
  ASSERT_EQ(JapaneseFrameLength(good), int(good.size()));
  EXPECT_TRUE(JapaneseFrameContent(good));
  std::vector<uint8_t> parity = head, soh = head, lone = head;
  parity[9] ^= 0x80;
  soh[1] = 0x83;
  lone[10] = 0x90;  // a DLE in the data, not doubled
  for (const auto& bad : {parity, soh, lone}) EXPECT_FALSE(JapaneseFrameContent(framed(bad)));
}

TEST(AudioDecoding, SuffixesNameTheStandards) {
  Standard s = Standard::Bell202;
  EXPECT_TRUE(StandardFromSuffix("", &s));
  EXPECT_EQ(s, Standard::Auto);
  for (Standard st : {Standard::ClipV23, Standard::ClipDtmf, Standard::Bell202, Standard::JapanV23}) {
    EXPECT_TRUE(StandardFromSuffix(StandardName(st).toUpper(), &s));
    EXPECT_EQ(s, st);
  }
  EXPECT_FALSE(StandardFromSuffix("v23", &s));
  EXPECT_EQ(s, Standard::JapanV23);
}

}  // namespace
}  // namespace device::audio
