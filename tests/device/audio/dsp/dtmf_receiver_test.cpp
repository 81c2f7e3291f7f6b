// DTMF caller ID as telephone DTMF receivers must take it (tones 1.5 % off,
// 8 dB twist either way, 40 ms digits and gaps, under hum) and what they must
// refuse (tones 3.5 % off, pairs that are not alone in the window).
#include <gtest/gtest.h>

#include <cmath>

#include "decode_helpers.h"
#include "device/audio/dsp/dtmf_tone_detector.h"

namespace device::audio {
namespace {

using namespace testing;
using audiogen::BurstShape;
using audiogen::CallBurst;

struct DtmfLine {
  const char* label;
  double toneFactor, twistDb;  // twist: high tones above the low ones
  int toneMs, gapMs;
  double humHz, humAboveDb;  // 0 Hz: no hum
  double levelDbm0;
  bool call;  // whether the string is a call
};

class DtmfEnvelope : public ::testing::TestWithParam<DtmfLine> {};

TEST_P(DtmfEnvelope, CallOnlyInsideTheLimits) {
  const DtmfLine& k = GetParam();
  CallBurst c = audiogen::MakeCallBurst(Standard::ClipDtmf, QStringLiteral("05321234567"), {}, {});
  const BurstShape shape{
      .toneFactor = k.toneFactor, .twistDb = k.twistDb, .dtmfToneMs = k.toneMs, .dtmfGapMs = k.gapMs};
  for (int seed : {1, 2, 3}) {
    SCOPED_TRACE(seed);
    Samples line = audiogen::Silence(0.5);
    audiogen::Append(line, audiogen::CallerIdBurst(c, k.levelDbm0, shape));
    audiogen::Append(line, audiogen::Silence(0.5));
    audiogen::AddBandNoise(line, k.levelDbm0 - 20, seed);
    if (k.humHz > 0) audiogen::AddHum(line, k.humHz, k.levelDbm0 + k.humAboveDb);
    const Decoded d = Decode(line);
    EXPECT_TRUE(d.failures.empty());
    if (!k.call) {
      EXPECT_TRUE(d.calls.empty());
      continue;
    }
    ASSERT_EQ(d.calls.size(), 1u);
    EXPECT_EQ(d.calls[0].number, c.number);
    EXPECT_EQ(d.calls[0].standard, Standard::ClipDtmf);
  }
}

INSTANTIATE_TEST_SUITE_P(Tones, DtmfEnvelope,
                         ::testing::Values(DtmfLine{"Low15", 0.985, 0, 70, 70, 0, 0, -20, true},
                                           DtmfLine{"High15", 1.015, 0, 70, 70, 0, 0, -20, true},
                                           DtmfLine{"HighUp8", 1.0, 8, 70, 70, 0, 0, -20, true},
                                           DtmfLine{"LowUp8", 1.0, -8, 70, 70, 0, 0, -20, true},
                                           DtmfLine{"High15HighUp8", 1.015, 8, 70, 70, 0, 0, -20, true},
                                           DtmfLine{"Low15LowUp8", 0.985, -8, 70, 70, 0, 0, -20, true},
                                           DtmfLine{"Shortest", 1.0, 0, 40, 40, 0, 0, -20, true},
                                           DtmfLine{"ShortestOffTwisted", 1.015, -8, 40, 40, 0, 0, -20, true},
                                           DtmfLine{"Hum50Above18", 0.985, 8, 40, 40, 50, 18, -24, true},
                                           DtmfLine{"Hum60Above18", 1.015, -8, 40, 40, 60, 18, -24, true},
                                           DtmfLine{"Weak", 1.015, 8, 40, 40, 0, 0, -40, true},
                                           DtmfLine{"Loud", 0.985, -8, 40, 40, 0, 0, -3, true},
                                           DtmfLine{"Low35", 0.965, 0, 70, 70, 0, 0, -20, false},
                                           DtmfLine{"High35", 1.035, 0, 70, 70, 0, 0, -20, false},
                                           DtmfLine{"High35UnderHum", 1.035, 0, 40, 40, 50, 12, -20, false},
                                           DtmfLine{"HighUp14", 1.0, 14, 70, 70, 0, 0, -20, false},
                                           DtmfLine{"TooShort", 1.0, 0, 20, 70, 0, 0, -20, false}),
                         [](const ::testing::TestParamInfo<DtmfLine>& i) { return std::string(i.param.label); });

// What gave wrong numbers before: a digit split in two by a dropout, a lost
// start code leaving a field code to start a string, and strings at 10 dB
// of twist in noise. The string may be lost; a number it did not carry is
// never shown.
TEST(DtmfStrings, SplitOrHeadlessStringsAreNeverAWrongNumber) {
  CallBurst c = audiogen::MakeCallBurst(Standard::ClipDtmf, QStringLiteral("7671582407"), {}, {});
  c.dtmfRedirecting = QStringLiteral("02125550123");
  const size_t lead = 400, period = 1120;  // 50 ms of quiet, then 70 ms a digit and 70 ms of gap
  struct Cut {
    const char* label;
    size_t from, length;  // samples silenced
    double twistDb;
  };
  const Cut cuts[] = {{"last digit split", lead + 10 * period + 200, 160, 0},
                      {"start code lost", lead, 560, 0},
                      {"start code and number lost", lead, 11 * period, 0},
                      {"low tones 10 dB down", 0, 0, -10},
                      {"high tones 10 dB down", 0, 0, 10}};
  for (const Cut& k : cuts) {
    for (int seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(k.label + std::to_string(seed));
      Samples burst = audiogen::CallerIdBurst(c, -20, BurstShape{.twistDb = k.twistDb});
      std::fill(burst.begin() + long(k.from), burst.begin() + long(k.from + k.length), 0);
      Samples line = audiogen::Silence(0.5);
      audiogen::Append(line, burst);
      audiogen::Append(line, audiogen::Silence(0.5));
      audiogen::AddBandNoise(line, -20 - (k.twistDb ? 12 : 20), seed);
      for (const CallerIdMessage& m : Decode(line).calls) EXPECT_EQ(m.number, c.number);
    }
  }
}

// One window's worth of sound the detector is given for 100 ms: a pair must
// be alone in it, and each of its tones must be a tone.
struct Sound {
  const char* label;
  std::vector<std::pair<double, double>> partials;  // Hz, amplitude
  char key;                                         // what it must hear, 0 for nothing
};

class DtmfTalkOff : public ::testing::TestWithParam<Sound> {};

TEST_P(DtmfTalkOff, HearsOnlyAPairAlone) {
  std::vector<float> x(800);
  for (size_t i = 0; i < x.size(); ++i)
    for (const auto& [hz, amp] : GetParam().partials)
      x[i] += float(amp * std::sin(2 * M_PI * hz * double(i) / kSampleRate + hz));
  DtmfToneDetector detector;
  std::vector<DtmfToneDetector::Step> steps;
  detector.Feed(x.data(), x.size(), steps);
  int heard = 0, other = 0;
  for (const auto& s : steps) (s.key == GetParam().key ? heard : other) += s.key != 0;
  EXPECT_EQ(other, 0);
  if (GetParam().key) EXPECT_GE(heard, int(steps.size()) - 2);
  if (!GetParam().key) EXPECT_EQ(heard, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sounds, DtmfTalkOff,
    ::testing::Values(
        Sound{"Pair5", {{770, 3000}, {1336, 3000}}, '5'}, Sound{"PairD", {{941, 3000}, {1633, 3000}}, 'D'},
        Sound{"PairHalfwayBetweenRows", {{733, 3000}, {1336, 3000}}, 0},
        Sound{"SecondHarmonics", {{770, 3000}, {1336, 3000}, {1540, 1500}, {2672, 1500}}, 0},
        Sound{"ChordOfThree", {{770, 3000}, {1336, 3000}, {1100, 2000}}, 0},
        Sound{"VowelOn110Hz", {{770, 3000}, {1320, 2500}, {660, 1500}, {880, 1500}, {1100, 1000}, {1430, 1000}}, 0},
        Sound{"LowToneAlone", {{852, 3000}}, 0}, Sound{"FaintPair", {{852, 20}, {1477, 20}}, 0}),
    [](const ::testing::TestParamInfo<Sound>& i) { return std::string(i.param.label); });

}  // namespace
}  // namespace device::audio
