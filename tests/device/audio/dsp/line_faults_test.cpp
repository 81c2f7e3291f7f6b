// What real lines and sound cards do to a caller-ID burst within the
// standards' envelope, each through a LineDecoder in automatic mode: the call
// must come out with the standard that was sent, and what is no call (a
// string with a lost digit, fields that are no number or name) must not.
#include <gtest/gtest.h>

#include <complex>

#include "decode_helpers.h"
#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/line_front_end.h"
#include "device/audio/dsp/message_parser.h"
#include "device/audio/dsp/reading_doubt.h"
#include "device/audio/dsp/twist_equalizer.h"

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

// What USB adapters, transformer-coupled lines and real exchanges do, each
// once: an automatic gain pumping at 10 Hz or stepping 6 dB inside the
// burst, hum 18 dB over it with its 3rd and 5th harmonics 10 dB under it, a
// rate 3 % off with 10 dB of twist, real lines' 1217 bit/s with 6 dB of
// twist, DTMF at 10 dB of twist. The call comes out whole with its standard.
struct HardLine {
  const char* label;
  Standard standard;
  BurstShape shape;
  double humHz = 0;
  double pumpDb = 0, stepDb = 0;
};

class HardLines : public ::testing::TestWithParam<HardLine> {};

TEST_P(HardLines, DecodeWithTheirStandard) {
  const HardLine& k = GetParam();
  const CallBurst c = Call(k.standard);
  Samples burst = audiogen::CallerIdBurst(c, -20, k.shape);
  if (k.stepDb != 0) audiogen::StepGain(burst, burst.size() * 3 / 5, burst.size(), k.stepDb);
  Samples line = audiogen::Silence(1.0);  // hum is there long before a burst
  audiogen::Append(line, burst);
  audiogen::Append(line, audiogen::Silence(0.5));
  audiogen::AddBandNoise(line, -40, 12);
  if (k.humHz > 0) audiogen::AddHum(line, {.hz = k.humHz, .levelDbm0 = -2, .thirdDb = -10, .fifthDb = -10});
  if (k.pumpDb != 0) audiogen::PumpGain(line, k.pumpDb, 10);
  ExpectOneCall(line, c);
}

BurstShape RateTwist(double rate, double twistDb) { return BurstShape{.bitRateFactor = rate, .twistDb = twistDb}; }

INSTANTIATE_TEST_SUITE_P(Lines, HardLines,
                         ::testing::Values(HardLine{"V23Pumping", Standard::ClipV23, {}, 0, 3},
                                           HardLine{"BellPumping", Standard::Bell202, {}, 0, 3},
                                           HardLine{"V23StepDown", Standard::ClipV23, {}, 0, 0, -6},
                                           HardLine{"BellStepUp", Standard::Bell202, {}, 0, 0, 6},
                                           HardLine{"V23Hum60", Standard::ClipV23, {}, 60},
                                           HardLine{"BellHum60", Standard::Bell202, {}, 60},
                                           HardLine{"JapanHum50", Standard::JapanV23, {}, 50},
                                           HardLine{"DtmfHum50", Standard::ClipDtmf, {}, 50},
                                           HardLine{"DtmfHum60", Standard::ClipDtmf, {}, 60},
                                           HardLine{"V23SlowSpaceDown10", Standard::ClipV23, RateTwist(0.97, -10)},
                                           HardLine{"BellSlowSpaceDown10", Standard::Bell202, RateTwist(0.97, -10)},
                                           HardLine{"V23FastSpaceUp10", Standard::ClipV23, RateTwist(1.03, 10)},
                                           HardLine{"BellFastSpaceDown10", Standard::Bell202, RateTwist(1.03, -10)},
                                           HardLine{"BellLikeRealLines", Standard::Bell202, RateTwist(1.014, -6)},
                                           HardLine{"DtmfHighDown10", Standard::ClipDtmf, Twist(-10)},
                                           HardLine{"DtmfHighUp10", Standard::ClipDtmf, Twist(10)}),
                         [](const ::testing::TestParamInfo<HardLine>& i) { return std::string(i.param.label); });

// The front end takes mains hum and its harmonics out of the band, and
// leaves a tone in it as it was.
TEST(LineFaults, HumCancelledToneKept) {
  for (double hz : {50.0, 60.6}) {
    SCOPED_TRACE(hz);
    Samples hum = audiogen::Silence(3.0);
    audiogen::AddHum(hum, {.hz = hz, .levelDbm0 = -2, .thirdDb = -10, .fifthDb = -10});
    Samples withTone = hum;
    const Samples tone = audiogen::Tone(1000, 3.0, -30);
    for (size_t i = 0; i < withTone.size(); ++i) withTone[i] = int16_t(withTone[i] + tone[i]);
    for (const Samples* s : {&hum, &withTone}) {
      LineFrontEnd frontEnd;
      std::vector<float> band(s->size());
      frontEnd.Filter(s->data(), s->size(), band.data());
      double power = 0;  // the last second, long after the canceller locked
      for (size_t i = band.size() - 8000; i < band.size(); ++i) power += double(band[i]) * band[i] / 8000;
      const double db = 10 * std::log10(std::max(power, 1e-9) / (32768.0 * 32768.0)) + 6.16;
      if (s == &hum)
        EXPECT_LT(db, -60);  // the 5th harmonic arrives at -12 dBm0
      else
        EXPECT_NEAR(db, -30, 0.3);
    }
  }
}

// A call-progress tone near a multiple of 500 Hz is no hum: before its
// decimation low-passed, the canceller took 450 Hz for the 9th harmonic of
// 50 Hz and cut it out of the band, and a busy tone then read as rings.
TEST(LineFaults, ToneNearAMultipleOf500HzIsNoHum) {
  for (double hz : {440.0, 450.0, 550.0}) {
    SCOPED_TRACE(hz);
    const Samples tone = audiogen::Tone(hz, 3.0, -10);
    LineFrontEnd frontEnd;
    std::vector<float> band(tone.size());
    frontEnd.Filter(tone.data(), tone.size(), band.data());
    double power = 0;
    for (size_t i = band.size() - 8000; i < band.size(); ++i) power += double(band[i]) * band[i] / 8000;
    EXPECT_NEAR(10 * std::log10(power / (32768.0 * 32768.0)) + 6.16, -10, 0.3);
  }
}

// The level of the front end's band over [from, to) seconds of `line`
// (`from` negative: that far before its end; `to` left out: to its end).
double BandDbm0(const Samples& line, double from, double to = 1e9) {
  LineFrontEnd frontEnd;
  std::vector<float> band(line.size());
  frontEnd.Filter(line.data(), line.size(), band.data());
  const size_t a = size_t(from < 0 ? double(line.size()) + from * 8000 : from * 8000);
  const size_t b = size_t(std::min(to * 8000, double(line.size())));
  double power = 0;
  for (size_t i = a; i < b; ++i) power += double(band[i]) * band[i] / double(b - a);
  return Dbm0FromMeanSquare(power);
}

// What the canceller learned stays out of a quiet band after it: a ring's
// tail in the loops was taken for hum (the canceller then learned the next
// sound as harmonics), and the harmonics of hum that stopped were held and
// sounded on as a tone.
TEST(LineFaults, NothingSoundsOnInTheBand) {
  Samples ring = audiogen::Ring(1.0, 3), hum = audiogen::Silence(5.0);
  audiogen::AddHum(hum, 50, 4.5);
  for (const Samples* before : {&ring, &hum}) {
    SCOPED_TRACE(before == &ring ? "ring" : "hum");
    Samples line = *before, noise = audiogen::Silence(0.6);
    audiogen::AddBandNoise(noise, -16, 5);
    audiogen::Append(line, audiogen::Silence(0.6));
    audiogen::Append(line, noise);
    audiogen::Append(line, audiogen::Silence(1.0));
    audiogen::AddNoise(line, -50, 6);
    EXPECT_NEAR(BandDbm0(line, -0.5), audiogen::LevelDbm0(line.data() + line.size() - 4000, 4000), 1.0);
  }
}

// A ring at the mains frequency, clipped by the card, is louder than any
// hum and its odd harmonics fill the band: the canceller follows it while it
// rings, and after it the band is what it would be without the ring, with
// a sound card's DC offset far above the hum or without hum at all (either
// held the harmonics of the ring, which then sounded on).
TEST(LineFaults, ARingAtTheMainsFrequencyLeavesNothingBehind) {
  const auto tail = [](bool ring, bool hum) {
    Samples line = audiogen::Silence(1.0);
    Samples r = audiogen::Silence(1.6);
    if (ring) {
      audiogen::AddHum(r, audiogen::Hum{.hz = 50, .levelDbm0 = 0, .thirdDb = -100, .fifthDb = -100});
      audiogen::Amplify(r, 3.0);
    }
    audiogen::Append(line, r);
    audiogen::Append(line, audiogen::Silence(4.0));
    if (hum) audiogen::AddHum(line, 50, -58);
    audiogen::AddNoise(line, -40, 7);
    audiogen::AddOffset(line, 100);
    return BandDbm0(line, -2);
  };
  for (bool hum : {true, false}) {
    SCOPED_TRACE(hum ? "hum" : "no hum");
    EXPECT_NEAR(tail(true, hum), tail(false, hum), 1.0);
  }
}

// A line reversal's jump on a humming line: the canceller learned from the
// jump in the few samples before it held still, and then sounded what it
// learned for as long as the jump's tail lasted.
TEST(LineFaults, AReversalLeavesTheBandAsItWas) {
  Samples line = audiogen::Silence(3.0);
  audiogen::AddReversal(line, 16000, -0.18, 20);
  audiogen::AddHum(line, 50, -45);
  audiogen::AddBandNoise(line, -58, 8);
  EXPECT_NEAR(BandDbm0(line, 2.1, 2.5), BandDbm0(line, 1.4, 1.9), 1.0);
}

// The equalizer brings two tones received apart in level to one level,
// their mean where it was.
TEST(LineFaults, TwistEqualizerLevelsTheTones) {
  for (const auto& [low, high] : {std::pair{1300.0, 2100.0}, std::pair{1200.0, 2200.0}}) {
    for (double twistDb : {-10.0, -6.0, 6.0, 10.0}) {
      SCOPED_TRACE(std::to_string(low) + " " + std::to_string(twistDb));
      std::vector<float> x(8000);
      for (size_t i = 0; i < x.size(); ++i)
        x[i] = float(1000 * std::sin(2 * M_PI * low * double(i) / 8000) +
                     1000 * std::pow(10.0, twistDb / 20) * std::sin(2 * M_PI * high * double(i) / 8000));
      TwistEqualizer(low, high, twistDb).Run(x.data(), x.size(), x.data());
      auto level = [&](double hz) {  // dB of the tone's amplitude over the last half, settled
        std::complex<double> z;
        for (size_t i = 4000; i < x.size(); ++i) z += double(x[i]) * std::polar(1.0, -2 * M_PI * hz * double(i) / 8000);
        return 20 * std::log10(2 * std::abs(z) / 4000);
      };
      EXPECT_NEAR(level(high), level(low), 0.3);
      EXPECT_NEAR((level(high) + level(low)) / 2, 60 + twistDb / 2, 0.5);
    }
  }
}

// A reading whose byte sum passed is taken on the strength of its bits:
// clean bits are trusted, two doubtful bits that would cancel in the sum
// are not, wherever they are.
TEST(LineFaults, DoubtfulBitsThatCancelAreNoReading) {
  struct Pattern {
    const char* label;
    std::vector<std::pair<int, int>> weak;  // (character, bit) read near zero
    bool trusted;
  };
  const Pattern patterns[] = {{"clean", {}, true},
                              {"one weak bit", {{5, 3}}, true},
                              {"two weak, one weight", {{5, 3}, {9, 3}}, false},
                              {"two weak, top weight", {{4, 8}, {12, 8}}, false}};
  for (const Pattern& k : patterns) {
    SCOPED_TRACE(k.label);
    std::vector<ReadingDoubt::Soft> soft(20);
    for (size_t c = 0; c < soft.size(); ++c)
      for (int b = 0; b < 10; ++b) {
        // One read 1, the other 0, so that two errors would cancel.
        const bool one = b == 9 || (b > 0 && ((c * 7 + size_t(b)) % 3 == 0));
        soft[c][size_t(b)] = float((one ? 2.5 : -2.5) + 0.15 * std::sin(double(c * 10 + size_t(b))));
      }
    for (size_t j = 0; j < k.weak.size(); ++j)
      soft[size_t(k.weak[j].first)][size_t(k.weak[j].second)] = j ? -0.05f : 0.05f;
    EXPECT_EQ(ReadingDoubt(soft).Undetected() < 1e-4, k.trusted);
  }
}

// Bytes that passed a byte sum but are no call-setup message of the layout:
// a parameter of a type it does not have, one twice, one of the wrong
// length, or parameters that leave bytes over.
TEST(LineFaults, ParametersOutOfTheLayoutAreNoCall) {
  const QByteArray date = QByteArray("\x01\x08") + "12090705", number = QByteArray("\x02\x03") + "212";
  const QByteArray bodies[] = {date + number + QByteArray("\x47\x02") + "AB", date + number + number,
                               QByteArray("\x01\x07") + "1209070" + number, date + number + QByteArray(1, '5')};
  for (Standard st : {Standard::ClipV23, Standard::Bell202}) {
    const QByteArray good = QByteArray(1, char(0x80)) + char((date + number).size()) + date + number;
    EXPECT_TRUE(ParseFskMessage(st, reinterpret_cast<const uint8_t*>(good.constData()), int(good.size())));
    for (const QByteArray& body : bodies) {
      const QByteArray m = QByteArray(1, char(0x80)) + char(body.size()) + body;
      EXPECT_FALSE(ParseFskMessage(st, reinterpret_cast<const uint8_t*>(m.constData()), int(m.size())));
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
