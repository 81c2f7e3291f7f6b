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

TEST(AudioLevel, QuietMiddleAndTop) {
  Samples quiet = audiogen::Silence(0.5);
  audiogen::AddNoise(quiet, -65, 1);
  EXPECT_LE(LevelOf(quiet), 2);
  EXPECT_EQ(LevelOf(audiogen::Silence(0.5)), 0);

  const Samples burst = audiogen::CallerIdBurst(audiogen::CallBurst{.number = "123"}, -20);
  LevelMeter m;
  m.Feed(burst.data(), burst.size());
  EXPECT_NEAR(m.Dbm0(), -20, 0.3);
  EXPECT_NEAR(m.Level(), 160, 2);

  EXPECT_GE(LevelOf(audiogen::Ring(0.5)), 235);
  Samples clipped = audiogen::Tone(1000, 0.5, 3.14);
  audiogen::Amplify(clipped, 4.0);
  EXPECT_EQ(LevelOf(clipped), 255);
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
