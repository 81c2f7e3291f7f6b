// What real lines and sound cards do to a caller-ID burst within the
// standards' envelope, each through a LineDecoder in automatic mode: the call
// must come out with the standard that was sent, and what is no call (a
// string with a lost digit, fields that are no number or name) must not.
#include <gtest/gtest.h>

#include "decode_helpers.h"

namespace device::audio {
namespace {

using namespace testing;
using audiogen::BurstShape;
using audiogen::CallBurst;

CallBurst Call(Standard standard, const QString& number = QStringLiteral("02125550123"),
               const QString& name = QStringLiteral("Ayşe Yılmaz")) {
  return audiogen::MakeCallBurst(standard, number, name, QDateTime(QDate(2026, 12, 9), QTime(7, 5)));
}

// The burst after half a second of line, then quiet line, all under
// band-limited noise 20 dB below the burst.
Samples OnLine(const Samples& burst, int seed, double levelDbm0 = -20) {
  Samples s = audiogen::Silence(0.5);
  audiogen::Append(s, burst);
  audiogen::Append(s, audiogen::Silence(0.5));
  audiogen::AddBandNoise(s, levelDbm0 - 20, seed);
  return s;
}

void ExpectOneCall(const Samples& line, const CallBurst& sent) {
  const Decoded d = Decode(line);
  ASSERT_EQ(d.calls.size(), 1u);
  EXPECT_TRUE(d.failures.empty());
  EXPECT_EQ(d.calls[0].number, sent.number);
  EXPECT_EQ(d.calls[0].standard, sent.standard);
}

struct Shaped {
  const char* label;
  Standard standard;
  BurstShape shape;
};

class ShapedBurst : public ::testing::TestWithParam<Shaped> {};

TEST_P(ShapedBurst, DecodesWithItsStandard) {
  const CallBurst c = Call(GetParam().standard);
  for (int seed : {1, 2, 3}) {
    SCOPED_TRACE(seed);
    ExpectOneCall(OnLine(audiogen::CallerIdBurst(c, -20, GetParam().shape), seed), c);
  }
}

BurstShape Rate(double f) { return BurstShape{.bitRateFactor = f}; }
BurstShape Tones(double f) { return BurstShape{.toneFactor = f}; }
BurstShape Twist(double db) { return BurstShape{.twistDb = db}; }
BurstShape Digits(int toneMs, int gapMs) { return BurstShape{.dtmfToneMs = toneMs, .dtmfGapMs = gapMs}; }

INSTANTIATE_TEST_SUITE_P(
    Envelope, ShapedBurst,
    ::testing::Values(
        Shaped{"V23Rate98", Standard::ClipV23, Rate(0.98)}, Shaped{"V23Rate99", Standard::ClipV23, Rate(0.99)},
        Shaped{"V23Rate101", Standard::ClipV23, Rate(1.01)}, Shaped{"V23Rate102", Standard::ClipV23, Rate(1.02)},
        Shaped{"BellRate98", Standard::Bell202, Rate(0.98)}, Shaped{"BellRate102", Standard::Bell202, Rate(1.02)},
        Shaped{"JapanRate98", Standard::JapanV23, Rate(0.98)}, Shaped{"JapanRate102", Standard::JapanV23, Rate(1.02)},
        Shaped{"V23TonesLow", Standard::ClipV23, Tones(0.985)}, Shaped{"V23TonesHigh", Standard::ClipV23, Tones(1.015)},
        Shaped{"BellTonesLow", Standard::Bell202, Tones(0.99)}, Shaped{"BellTonesHigh", Standard::Bell202, Tones(1.01)},
        // Twist at each standard's edges, exact at the two tones.
        Shaped{"V23SpaceDown6", Standard::ClipV23, Twist(-6)}, Shaped{"V23SpaceUp6", Standard::ClipV23, Twist(6)},
        Shaped{"BellSpaceDown6", Standard::Bell202, Twist(-6)}, Shaped{"BellSpaceUp10", Standard::Bell202, Twist(10)},
        Shaped{"JapanSpaceDown6", Standard::JapanV23, Twist(-6)}, Shaped{"JapanSpaceUp6", Standard::JapanV23, Twist(6)},
        Shaped{"DtmfHighUp8", Standard::ClipDtmf, Twist(8)}, Shaped{"DtmfHighDown8", Standard::ClipDtmf, Twist(-8)},
        Shaped{"DtmfShortest", Standard::ClipDtmf, Digits(40, 40)}),
    [](const ::testing::TestParamInfo<Shaped>& i) { return std::string(i.param.label); });

// A sound card whose clock is off shifts tones and bit rate together.
TEST(LineFaults, SoundCardClockOff) {
  for (Standard st : {Standard::ClipV23, Standard::Bell202, Standard::JapanV23}) {
    for (double factor : {0.99, 0.995, 1.005, 1.01}) {
      SCOPED_TRACE(qPrintable(StandardName(st) + QString::number(factor)));
      const CallBurst c = Call(st);
      ExpectOneCall(audiogen::Resample(OnLine(audiogen::CallerIdBurst(c, -20), 4), factor), c);
    }
  }
}

// Mains hum with its harmonics 18 dB above the burst, and a DC offset.
TEST(LineFaults, HumAndOffset) {
  for (Standard st : {Standard::ClipV23, Standard::Bell202, Standard::JapanV23, Standard::ClipDtmf}) {
    for (double hz : {50.0, 60.0}) {
      SCOPED_TRACE(qPrintable(StandardName(st) + QString::number(hz)));
      const CallBurst c = Call(st);
      Samples line = OnLine(audiogen::CallerIdBurst(c, -24), 5, -24);
      audiogen::AddHum(line, hz, -24 + 18);
      audiogen::AddOffset(line, 3000);
      ExpectOneCall(line, c);
    }
  }
}

// A ring through the coupler, its decaying step, then the data 0.5 s later.
TEST(LineFaults, RingingRightBeforeTheData) {
  for (Standard st : {Standard::ClipV23, Standard::Bell202, Standard::ClipDtmf}) {
    SCOPED_TRACE(qPrintable(StandardName(st)));
    const CallBurst c = Call(st);
    Samples line = audiogen::Ring(1.0, 0.0);
    Samples step(4000);
    for (size_t i = 0; i < step.size(); ++i) step[i] = int16_t(9000 * std::exp(-double(i) / 800));
    audiogen::Append(line, step);
    audiogen::Append(line, audiogen::CallerIdBurst(c, -20));
    audiogen::Append(line, audiogen::Silence(0.5));
    audiogen::AddBandNoise(line, -40, 6);
    ExpectOneCall(line, c);
  }
}

// The labelling follows the tones: both FSK receivers frame either burst,
// beyond 1.7 times the tones' tolerance, where the other receiver's mark lies
// more than 133 Hz from the burst's.
TEST(LineFaults, StandardIsTheOneSent) {
  for (Standard st : {Standard::ClipV23, Standard::Bell202}) {
    for (double tones : {0.972, 0.985, 1.0, 1.015, 1.027}) {
      SCOPED_TRACE(qPrintable(StandardName(st) + QString::number(tones)));
      const CallBurst c = Call(st);
      for (int seed = 10; seed < 14; ++seed)
        ExpectOneCall(OnLine(audiogen::CallerIdBurst(c, -20, Tones(tones)), seed), c);
    }
  }
  LineDecoder decoder;
  std::vector<LineEvent> events;
  Samples line = OnLine(audiogen::CallerIdBurst(Call(Standard::Bell202), -20, Rate(1.01)), 20);
  audiogen::Append(line, audiogen::Silence(1.0));
  std::vector<BurstReport> bursts;
  decoder.Feed(line.data(), line.size(), events, &bursts);
  const BurstReport last = LastFskBurst(bursts);
  EXPECT_EQ(last.standard, Standard::Bell202);
  EXPECT_NEAR(last.readingMarkHz.value_or(0), 1200, 15);
  EXPECT_NEAR(last.readingBitRate.value_or(0), 1212, 6);
}

// A digit lost between the start and end codes leaves a gap no exchange
// sends; the string is no call, though its shape would parse.
TEST(LineFaults, DtmfWithADigitMissingIsNoCall) {
  const CallBurst c = Call(Standard::ClipDtmf);
  const BurstShape shape = Digits(60, 60);
  Samples burst = audiogen::CallerIdBurst(c, -20, shape);
  const size_t lead = 400, period = 960;  // 50 ms of quiet, then 120 ms a digit
  for (int digit : {4, 8}) {
    SCOPED_TRACE(digit);
    Samples cut = burst;
    std::fill(cut.begin() + long(lead + digit * period), cut.begin() + long(lead + digit * period + 480), 0);
    const Decoded d = Decode(OnLine(cut, 7));
    EXPECT_TRUE(d.calls.empty());
  }
}

// Fields the layout does not allow are no call, checksum or not.
TEST(LineFaults, FieldsThatAreNoNumberOrNameAreNoCall) {
  const struct {
    QString number, name;
  } cases[] = {{QStringLiteral("+-*#"), QStringLiteral("Ali")},
               {QStringLiteral("0212"), QString::fromLatin1("\x01\x02\x03")},
               {QStringLiteral("02 12-55#5"), QStringLiteral("Ali")}};
  for (const auto& k : cases) {
    for (Standard st : {Standard::ClipV23, Standard::Bell202}) {
      SCOPED_TRACE(qPrintable(StandardName(st) + k.number));
      EXPECT_TRUE(Decode(OnLine(audiogen::CallerIdBurst(Call(st, k.number, k.name), -20), 8)).calls.empty());
    }
  }
}

// DTMF fields after the number out of the layout's order, empty or twice:
// one garbled string, no call (nor a call from its tail).
TEST(LineFaults, DtmfFieldsOutOfOrderAreNoCall) {
  for (const char* digits : {"05321234567B10D02125550123", "05321234567DB10", "05321234567D0212D0213",
                             "05321234567B10B00", "05321234567D"}) {
    SCOPED_TRACE(digits);
    const Decoded d = Decode(OnLine(audiogen::CallerIdBurst(Call(Standard::ClipDtmf, digits), -20), 9));
    EXPECT_TRUE(d.calls.empty());
  }
}

}  // namespace
}  // namespace device::audio
