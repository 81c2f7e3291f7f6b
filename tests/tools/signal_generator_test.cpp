// The generator's burst shaping measured on the audio it gives: the
// conformance figures rest on a twist being the twist asked for, hum's
// harmonics and an automatic gain being what they say, and a random call
// being a message that carries exactly that call.
#include <gtest/gtest.h>

#include <QDateTime>
#include <cmath>

#include "device/audio/dsp/message_parser.h"
#include "tools/audio/signal_generator.h"

namespace audiogen {
namespace {

// Power at `hz` over the whole of `s` (Goertzel).
double PowerAt(const Samples& s, double hz) {
  const double c = 2 * std::cos(2 * M_PI * hz / 8000.0);
  double s1 = 0, s2 = 0;
  for (int16_t v : s) {
    const double s0 = v + c * s1 - s2;
    s2 = s1, s1 = s0;
  }
  return s1 * s1 + s2 * s2 - c * s1 * s2;
}

struct TwistCase {
  Standard standard;
  double twistDb;
  double toneFactor;
};

class GeneratedTwist : public ::testing::TestWithParam<TwistCase> {};

// The same message with and without twist: whatever share of each tone the
// bits give, the change between the two bursts is the twist alone.
TEST_P(GeneratedTwist, IsTheRequestAtTheTonesSent) {
  const TwistCase& k = GetParam();
  const CallBurst call = MakeCallBurst(k.standard, QStringLiteral("05321234567"), QStringLiteral("Ayşe Yılmaz"),
                                       QDateTime(QDate(2026, 12, 9), QTime(7, 5)));
  const bool bell = k.standard == Standard::Bell202;
  const double mark = (bell ? 1200 : 1300) * k.toneFactor, space = (bell ? 2200 : 2100) * k.toneFactor;
  const Samples flat = CallerIdBurst(call, -20, BurstShape{.toneFactor = k.toneFactor});
  const Samples tilted = CallerIdBurst(call, -20, BurstShape{.toneFactor = k.toneFactor, .twistDb = k.twistDb});
  const double measured =
      10 * std::log10((PowerAt(tilted, space) / PowerAt(tilted, mark)) / (PowerAt(flat, space) / PowerAt(flat, mark)));
  EXPECT_NEAR(measured, k.twistDb, 0.3);
  // The level asked for still holds.
  EXPECT_NEAR(LevelDbm0(tilted.data(), tilted.size()), LevelDbm0(flat.data(), flat.size()), 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Standards, GeneratedTwist,
    ::testing::Values(TwistCase{Standard::ClipV23, -6, 1.0}, TwistCase{Standard::ClipV23, -3, 1.0},
                      TwistCase{Standard::ClipV23, 3, 1.0}, TwistCase{Standard::ClipV23, 6, 1.0},
                      TwistCase{Standard::ClipV23, 6, 1.015}, TwistCase{Standard::Bell202, -6, 1.0},
                      TwistCase{Standard::Bell202, 4, 1.0}, TwistCase{Standard::Bell202, 10, 1.0},
                      TwistCase{Standard::Bell202, 10, 0.99}, TwistCase{Standard::JapanV23, -6, 1.0},
                      TwistCase{Standard::JapanV23, 6, 1.0}, TwistCase{Standard::JapanV23, -6, 0.985}),
    [](const ::testing::TestParamInfo<TwistCase>& i) {
      const TwistCase& k = i.param;
      return (device::audio::StandardName(k.standard) + (k.twistDb < 0 ? "Down" : "Up") +
              QString::number(std::fabs(k.twistDb)) + (k.toneFactor == 1.0 ? QString() : QStringLiteral("TonesOff")))
          .toStdString();
    });

// A line's filters: what they take off a tone at each FSK frequency, against
// what they take off at 1200 Hz.
struct FilterCase {
  const char* label;
  void (*filter)(Samples&);
  double hz, lossDb;  // loss at `hz` beyond the loss at 1200 Hz
};

class LineFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(LineFilter, TiltsTheBandAsItSays) {
  const FilterCase& k = GetParam();
  auto loss = [&](double hz) {
    Samples s = Tone(hz, 1.0, -20);
    k.filter(s);
    const size_t settled = 800;  // the filters' start
    return -20 - LevelDbm0(s.data() + settled, s.size() - settled);
  };
  EXPECT_NEAR(loss(k.hz) - loss(1200), k.lossDb, 0.3);
}

INSTANTIATE_TEST_SUITE_P(Filters, LineFilter,
                         ::testing::Values(FilterCase{"Band", TelephoneBand, 2200, 0},
                                           FilterCase{"Band", TelephoneBand, 1300, 0},
                                           FilterCase{"LongLoop", LongLoop, 2200, 6},
                                           FilterCase{"LongLoop", LongLoop, 2100, 5.4}),
                         [](const ::testing::TestParamInfo<FilterCase>& i) {
                           return std::string(i.param.label) + "At" + std::to_string(int(i.param.hz));
                         });

// Hum's harmonics at the levels asked for against its fundamental.
TEST(GeneratedHum, HarmonicsAtTheirLevels) {
  for (const Hum& hum :
       {Hum{.hz = 50, .thirdDb = -10, .fifthDb = -10}, Hum{.hz = 60, .thirdDb = -12, .fifthDb = -18}}) {
    Samples s = Silence(1.0);
    AddHum(s, hum);
    const double fundamental = PowerAt(s, hum.hz);
    EXPECT_NEAR(10 * std::log10(PowerAt(s, 3 * hum.hz) / fundamental), hum.thirdDb, 0.2);
    EXPECT_NEAR(10 * std::log10(PowerAt(s, 5 * hum.hz) / fundamental), hum.fifthDb, 0.2);
  }
}

// An automatic gain swings a steady tone's level by the depth asked, either way.
TEST(GeneratedGain, PumpsByItsDepth) {
  Samples s = Tone(1000, 1.0, -20);
  PumpGain(s, 3, 4);
  double lowest = 100, highest = -100;
  for (size_t i = 0; i + 80 <= s.size(); i += 80) {
    const double db = LevelDbm0(s.data() + i, 80);
    lowest = std::min(lowest, db), highest = std::max(highest, db);
  }
  EXPECT_NEAR(highest - lowest, 6, 0.5);
}

// Every random call is a message of its layout that parses back to that
// call: number, absence, name and date.
TEST(GeneratedCalls, RandomCallsParseBackWhole) {
  QRandomGenerator rng(5);
  for (Standard st : {Standard::ClipV23, Standard::Bell202, Standard::ClipDtmf}) {
    for (int i = 0; i < 300; ++i) {
      const CallBurst c = RandomCall(st, rng);
      QByteArray m = MessageBytes(c);
      if (st != Standard::ClipDtmf) m[1] = char(m.size() - 2);  // the transmitter fills in the length
      SCOPED_TRACE(m.toHex().toStdString());
      const auto* bytes = reinterpret_cast<const uint8_t*>(m.constData());
      const std::optional<device::audio::CallerIdMessage> p =
          st == Standard::ClipDtmf ? device::audio::ParseDtmfMessage(m.constData(), int(m.size()))
                                   : device::audio::ParseFskMessage(st, bytes, int(m.size()));
      ASSERT_TRUE(p);
      EXPECT_EQ(p->number, c.number);
      EXPECT_EQ(p->absence, c.absence);
      EXPECT_EQ(p->name, st == Standard::ClipDtmf ? QString() : c.name);
      EXPECT_EQ(p->month, st == Standard::ClipDtmf ? -1 : c.month);
    }
  }
}

}  // namespace
}  // namespace audiogen
