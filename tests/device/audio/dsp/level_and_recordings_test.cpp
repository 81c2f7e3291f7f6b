// The level meter's scale, and the recordings in tests/data/audio that the
// device tests feed: each holds what its name says, and speech is no call.
#include <gtest/gtest.h>

#include "decode_helpers.h"
#include "device/audio/dsp/level_meter.h"

namespace device::audio {
namespace {

using namespace testing;

int LevelOf(const Samples& s) {
  LevelMeter m;
  m.Feed(s.data(), s.size());
  return m.Level();
}

// The bar spans a quiet line to full scale, so lines tell apart.
TEST(AudioLevel, AnchorsOfTheBar) {
  Samples quiet = audiogen::Silence(0.5);
  audiogen::AddNoise(quiet, -65, 1);
  Samples clipped = audiogen::Tone(1000, 0.5, 3.14);
  audiogen::Amplify(clipped, 4.0);
  struct Anchor {
    const char* what;
    Samples samples;
    int low, high;
  };
  const Anchor anchors[] = {
      {"silence", audiogen::Silence(0.5), 0, 0},
      {"quiet line", quiet, 0, 2},
      {"weak burst", audiogen::CallerIdBurst(audiogen::CallBurst{.number = "123"}, -34), 26, 28},
      {"normal burst", audiogen::CallerIdBurst(audiogen::CallBurst{.number = "123"}, -13), 47, 49},
      {"speech-loud burst", audiogen::CallerIdBurst(audiogen::CallBurst{.number = "123"}, -20), 40, 42},
      {"ringing", audiogen::Ring(0.5), 58, 64},
      {"full-scale sine", audiogen::Tone(1000, 0.5, 3.14), 64, 64},
      {"clipping", clipped, 64, 64},
  };
  for (const Anchor& a : anchors) {
    const int level = LevelOf(a.samples);
    EXPECT_GE(level, a.low) << a.what;
    EXPECT_LE(level, a.high) << a.what;
  }
  // What the simulator sets as a line's noise reads back as that level.
  for (int level = 1; level <= LevelMeter::kMaxLevel - 4; level += 7)
    EXPECT_EQ(LevelMeter::LevelFromDbm0(LevelMeter::Dbm0FromLevel(level)), level);
}

// Only the last 100 ms count: a burst that ended is forgotten.
TEST(AudioLevel, WindowIsTheLastTenthOfASecond) {
  Samples s = audiogen::Tone(1300, 1.0, -10);
  audiogen::Append(s, audiogen::Silence(0.1));
  EXPECT_EQ(LevelOf(s), 0);
  LevelMeter m;
  m.Feed(s.data(), s.size() - 400);
  EXPECT_NEAR(m.Dbm0(), -13, 0.2);  // half the window still holds the tone
}

QString Data(const char* name) { return QStringLiteral(CID_AUDIO_TEST_DATA "/") + QLatin1String(name); }

TEST(AudioRecordings, EachHoldsItsCall) {
  struct Expect {
    const char* file;
    QString number;
    CallerIdMessage::Absence absence;
    int failures;
  };
  using A = CallerIdMessage::Absence;
  const Expect expected[] = {
      {"clip-mdmf.wav", "02125550123", A::None, 0},
      {"clip-withheld.wav", {}, A::Withheld, 0},
      {"dtmf.wav", "05321234567", A::None, 0},
      {"dtmf-unavailable.wav", {}, A::Unavailable, 0},
      {"bell-mdmf.wav", "2125550199", A::None, 0},
      {"jclip.wav", "0312345678", A::None, 0},
      {"clip-cut.wav", {}, A::None, 0},
      {"clip-bad-checksum.wav", {}, A::None, 1},
      // The simulator's noisy line (3 dB SNR): a reading of it passes the
      // byte sum with two errors that cancel ("ROBEBT0BROWN").
      {"bell-noisy-lucky-sum.wav", {}, A::None, 1},
      {"quiet.wav", {}, A::None, 0},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.file);
    const Samples s = ReadWavChannel(Data(e.file));
    ASSERT_FALSE(s.empty());
    const Decoded d = Decode(s);
    const bool call = !e.number.isEmpty() || e.absence != A::None;
    ASSERT_EQ(d.calls.size(), call ? 1u : 0u);
    if (call) {
      EXPECT_EQ(d.calls[0].number, e.number);
      EXPECT_EQ(d.calls[0].absence, e.absence);
    }
    EXPECT_EQ(int(d.failures.size()), e.failures);
  }
  int channels = 0;
  const Samples line1 = ReadWavChannel(Data("two-lines.wav"), 0, &channels);
  EXPECT_EQ(channels, 2);
  EXPECT_EQ(Decode(line1).calls.at(0).name, QStringLiteral("Şükrü Çağlayan"));
  EXPECT_EQ(Decode(ReadWavChannel(Data("two-lines.wav"), 1)).calls.at(0).number, "05321234567");
}

// Talk-off: a minute of speech at several levels, under noise, is no call and
// no failed burst for any receiver.
TEST(AudioRecordings, SpeechIsNoCall) {
  const Samples speech = ReadWavChannel(Data("speech-tr.wav"));
  ASSERT_GT(speech.size(), 8000u);
  Samples line;
  for (double gain : {0.3, 1.0, 2.5}) {
    for (int i = 0; i < 3; ++i) {
      Samples s = speech;
      audiogen::Amplify(s, gain);
      audiogen::Append(line, s);
    }
  }
  audiogen::AddNoise(line, -45, 12);
  for (Standard st : {Standard::Auto, Standard::JapanV23}) {
    const Decoded d = Decode(line, st);
    EXPECT_TRUE(d.calls.empty());
    EXPECT_TRUE(d.failures.empty());
  }
}

}  // namespace
}  // namespace device::audio
