// The line watch on generated line audio: rings, reversals and the alert
// tone are heard as such, every burst carries its figures, and each ring
// cycle gets the verdict its fault calls for.
#include <gtest/gtest.h>

#include <functional>

#include "device/audio/dsp/line_diagnosis.h"
#include "watch_helpers.h"

extern "C" {
#include <spandsp.h>
}

namespace device::audio {
namespace {

using namespace testing;
using audiogen::BurstShape;
using audiogen::CallBurst;

CallBurst Call(Standard standard) {
  return audiogen::MakeCallBurst(standard, QStringLiteral("02125550123"), QStringLiteral("Ayşe Yılmaz"),
                                 QDateTime(QDate(2026, 12, 9), QTime(7, 5)));
}

// A ring cycle as an exchange sends it: ring, the burst 0.6 s after it,
// the second ring, all under band noise at `noiseDbm0`.
Samples Cycle(const Samples& burst, double noiseDbm0 = -55, int seed = 1) {
  Samples s = audiogen::Silence(0.5);
  audiogen::Append(s, audiogen::Ring(1.0));
  audiogen::Append(s, audiogen::Silence(0.6));
  audiogen::Append(s, burst);
  audiogen::Append(s, audiogen::Silence(1.5));
  audiogen::Append(s, audiogen::Ring(1.0));
  audiogen::Append(s, audiogen::Silence(1.0));
  audiogen::AddBandNoise(s, noiseDbm0, seed);
  return s;
}

Samples Burst(Standard st, double levelDbm0 = -13, const BurstShape& shape = {}) {
  return audiogen::CallerIdBurst(Call(st), levelDbm0, shape);
}

// DTMF digits 70 ms on, 70 off, with the sixth digit's tones left out.
Samples DtmfWithADigitLost() {
  Samples b = Burst(Standard::ClipDtmf, -13, BurstShape{.dtmfToneMs = 70, .dtmfGapMs = 71});
  const size_t from = 400 + 5 * 141 * 8;
  std::fill(b.begin() + long(from), b.begin() + long(from + 70 * 8), int16_t(0));
  return b;
}

Samples Cut(Samples s, double share) {
  s.resize(size_t(double(s.size()) * share));
  return s;
}

struct VerdictCase {
  const char* label;
  std::function<Samples()> line;
  Standard fixed;
  Diagnosis diagnosis;
  const char* says;                                     // a part of the message line; empty for none
  std::optional<LimitedFigure> outside = std::nullopt;  // out of standard: the figure named
};

// A message of raw bytes (the transmitter adds the checksum): one that is no call.
Samples MessageWaiting(bool on) {
  adsi_tx_state_t* tx = adsi_tx_init(nullptr, ADSI_STANDARD_CLIP);
  uint8_t msg[16];
  const uint8_t indicator = on ? 0xFF : 0x00;
  int len = adsi_add_field(tx, msg, 0, 0x82, nullptr, 0);
  len = adsi_add_field(tx, msg, len, 0x0B, &indicator, 1);
  adsi_tx_put_message(tx, msg, len);
  Samples out = audiogen::DrainAdsi(tx);
  audiogen::Amplify(out, 0.3);
  return out;
}

// An exchange's busy tone for a while before the rings, and no caller ID;
// its dial tone after it, and mains hum with a sound card's offset, if asked.
Samples BusyThenRings(double hz = 425, bool dialTone = false, double humHz = 0) {
  Samples s = audiogen::Silence(0.3);
  for (int i = 0; i < 6; ++i) {
    audiogen::Append(s, audiogen::Tone(hz, 0.5, -20));
    audiogen::Append(s, audiogen::Silence(0.5));
  }
  if (dialTone) {
    Samples dial = audiogen::Tone(350, 3, -23);
    const Samples high = audiogen::Tone(440, 3, -23);
    for (size_t k = 0; k < dial.size(); ++k) dial[k] = int16_t(dial[k] + high[k]);
    audiogen::Append(s, dial);
  }
  audiogen::Append(s, Cycle(audiogen::Silence(0.5)));
  if (humHz > 0) {
    audiogen::AddHum(s, humHz, -50);
    audiogen::AddOffset(s, 150);
  }
  return s;
}

// Another modem's carrier between the rings: V.21 at 300 baud.
Samples OtherModem() {
  Samples s;
  for (int bit = 0; bit < 240; ++bit) {
    const Samples b = audiogen::Tone(bit % 3 ? 1180 : 980, 1.0 / 300, -20);
    audiogen::Append(s, b);
  }
  return s;
}

class CycleVerdicts : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(CycleVerdicts, OneVerdictNamingTheCause) {
  const VerdictCase& c = GetParam();
  const Samples line = c.line();
  // The verdict does not depend on how the audio is cut into reads.
  for (size_t chunk : {size_t(4000), size_t(333)}) {
    SCOPED_TRACE(chunk);
    const Watched w = Watch(line, c.fixed, chunk);
    ASSERT_EQ(w.rings.size(), 2u);
    ASSERT_EQ(w.verdicts.size(), 1u);
    const CycleVerdict& v = w.verdicts[0];
    EXPECT_EQ(DiagnosisKey(v.diagnosis), DiagnosisKey(c.diagnosis)) << v.text.toStdString();
    EXPECT_EQ(v.rings, 2);
    if (*c.says)
      EXPECT_TRUE(v.text.contains(QString::fromUtf8(c.says))) << v.text.toStdString();
    else
      EXPECT_TRUE(v.text.isEmpty()) << v.text.toStdString();
    // One line, read whole in the window's two-line message area.
    EXPECT_FALSE(v.text.contains(QLatin1Char('\n')));
    EXPECT_LE(v.text.size(), 120) << v.text.toStdString();
    if (c.outside)
      EXPECT_TRUE(std::any_of(v.outside.begin(), v.outside.end(), [&](const LimitBreach& x) {
        return x.figure == *c.outside;
      })) << v.text.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Line, CycleVerdicts,
    ::testing::Values(
        VerdictCase{"GoodV23", [] { return Cycle(Burst(Standard::ClipV23)); }, Standard::Auto, Diagnosis::Good, ""},
        VerdictCase{"GoodBell", [] { return Cycle(Burst(Standard::Bell202)); }, Standard::Bell202, Diagnosis::Good, ""},
        VerdictCase{"GoodDtmf", [] { return Cycle(Burst(Standard::ClipDtmf)); }, Standard::ClipDtmf, Diagnosis::Good,
                    ""},
        VerdictCase{"GoodJapan", [] { return Cycle(Burst(Standard::JapanV23)); }, Standard::Auto, Diagnosis::Good, ""},
        VerdictCase{"NoCallerId", [] { return Cycle(audiogen::Silence(0.5)); }, Standard::Auto, Diagnosis::NoCallerId,
                    "Hat 1 çaldı ama arayan bilgisi gelmedi"},
        VerdictCase{"WeakButRead", [] { return Cycle(Burst(Standard::ClipV23, -46), -80); }, Standard::Auto,
                    Diagnosis::OutOfStandard, "standart dışı: seviye -4", LimitedFigure::Level},
        VerdictCase{"TonesOffButRead", [] { return Cycle(Burst(Standard::ClipV23, -13, {.toneFactor = 1.05})); },
                    Standard::Auto, Diagnosis::OutOfStandard, "standart dışı: işaret tonu yüzde +5,",
                    LimitedFigure::MarkOffset},
        // A V.23 space 8 % high has Bell 202's ratio of tones; its mark on
        // time says it is V.23 with one tone off, not Bell 202 with both.
        VerdictCase{"SpaceAloneOff", [] { return Cycle(Burst(Standard::ClipV23, -13, {.spaceFactor = 1.08})); },
                    Standard::Auto, Diagnosis::OutOfStandard, "standart dışı: boşluk tonu yüzde +8,",
                    LimitedFigure::SpaceOffset},
        VerdictCase{"DtmfOffFrequency", [] { return Cycle(Burst(Standard::ClipDtmf, -13, {.toneFactor = 1.05})); },
                    Standard::Auto, Diagnosis::OffFrequency, "frekans kaymış (tonlar, yüzde +5,"},
        VerdictCase{"DtmfTwist", [] { return Cycle(Burst(Standard::ClipDtmf, -10, {.twistDb = 14})); }, Standard::Auto,
                    Diagnosis::Twist, "iki tonun seviyeleri çok farklı (eğim +1"},
        VerdictCase{"Unframed", [] { return Cycle(OtherModem()); }, Standard::Auto, Diagnosis::Unframed,
                    "arayan bilgisine benzer bir sinyal var ama çözülemedi"},
        VerdictCase{"BusyTone", [] { return BusyThenRings(); }, Standard::Auto, Diagnosis::CallProgressTone,
                    "yalnız santralin sesi duyuldu (meşgul sesi, 425 Hz)"},
        // Turkey's busy tone is a multiple of 50 Hz, yet louder than any
        // hum's harmonic; a tone that gives way to another is still heard.
        VerdictCase{"TurkishBusyOnAHummingLine", [] { return BusyThenRings(450, false, 50); }, Standard::Auto,
                    Diagnosis::CallProgressTone, "(meşgul sesi, 450 Hz)"},
        VerdictCase{"BusyThenDialTone", [] { return BusyThenRings(425, true); }, Standard::Auto,
                    Diagnosis::CallProgressTone, "(meşgul sesi, 425 Hz)"},
        VerdictCase{"MessageWaiting", [] { return Cycle(MessageWaiting(true)); }, Standard::Auto, Diagnosis::NotACall,
                    "arama değil: mesaj bekliyor bildirimi (açık)"},
        VerdictCase{"Checksum", [] { return Cycle(audiogen::CallerIdBurst(Call(Standard::ClipV23), -13, true)); },
                    Standard::Auto, Diagnosis::ChecksumFailure, "sağlama toplamı tutmadı (clip, -13,0 dBm0"},
        VerdictCase{"TooNoisy", [] { return Cycle(Burst(Standard::ClipV23, -20), -26.5); }, Standard::Auto,
                    Diagnosis::TooNoisy, "gürültü çok (SNR 6,"},
        VerdictCase{"TooWeak", [] { return Cycle(Burst(Standard::ClipV23, -50), -56.5); }, Standard::Auto,
                    Diagnosis::TooWeak, "sinyal çok zayıf (-"},
        VerdictCase{"OffSpeed", [] { return Cycle(Burst(Standard::ClipV23, -13, {.bitRateFactor = 1.05})); },
                    Standard::Auto, Diagnosis::OffSpeed, "hız kaymış (1260 bit/sn, yüzde +5,0"},
        // A clock 6 to 8 % slow blurs the tones into what looks like a long
        // channel seizure (it does for this draw): still the speed.
        VerdictCase{"BellFarTooSlow",
                    [] {
                      QRandomGenerator rng{3};
                      const CallBurst call = audiogen::RandomCall(Standard::Bell202, rng);
                      const double pct = 6 + 2 * rng.generateDouble();
                      return Cycle(audiogen::CallerIdBurst(call, -13,
                                                           {.bitRateFactor = 1 - pct / 100,
                                                            .carrierPhase = rng.generateDouble(),
                                                            .bitPhase = rng.generateDouble()}));
                    },
                    Standard::Auto, Diagnosis::OffSpeed, "hız kaymış (11"},
        VerdictCase{"CutOff", [] { return Cycle(Cut(Burst(Standard::ClipV23), 0.6)); }, Standard::Auto,
                    Diagnosis::CutOff, "yarıda kesildi (clip, 9/39 karakter"},
        VerdictCase{"DtmfCutOff", [] { return Cycle(Cut(Burst(Standard::ClipDtmf), 0.7)); }, Standard::Auto,
                    Diagnosis::CutOff, "8 DTMF hanesi geldi"},
        VerdictCase{"DtmfDigitLost", [] { return Cycle(DtmfWithADigitLost()); }, Standard::Auto, Diagnosis::DigitsLost,
                    "hane kayboldu (10 hane"},
        VerdictCase{"DtmfOnV23Line", [] { return Cycle(Burst(Standard::ClipDtmf)); }, Standard::ClipV23,
                    Diagnosis::DtmfOnFskLine, "DTMF arayan bilgisi var ama aygıt FSK'ya ayarlı"},
        VerdictCase{"V23OnDtmfLine", [] { return Cycle(Burst(Standard::ClipV23)); }, Standard::ClipDtmf,
                    Diagnosis::FskOnDtmfLine, "FSK arayan bilgisi var (clip) ama aygıt DTMF'e ayarlı"}),
    [](const ::testing::TestParamInfo<VerdictCase>& i) { return std::string(i.param.label); });

// Mains hum: harmless while the band filter takes it away, named when it
// drives the sound card into clipping so far that the burst is lost (it
// hides the rings too, so the cycle is judged when it is over).
TEST(HumVerdicts, HumIsNamedOnlyWhenItClips) {
  const struct {
    double humDbm0;
    Diagnosis diagnosis;
    bool clipped;
  } cases[] = {
      {-6, Diagnosis::Good, false},
      // The card clips outside the burst, yet the rings and the burst were
      // heard: one verdict, not a second one saying neither could be.
      {2, Diagnosis::Good, false},
      {4.5, Diagnosis::Hum, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.humDbm0);
    Samples line = Cycle(Burst(Standard::ClipV23, -20));
    audiogen::AddHum(line, 50, c.humDbm0);
    const Watched w = Watch(line, Standard::ClipV23);
    ASSERT_EQ(w.verdicts.size(), 1u);
    EXPECT_EQ(w.verdicts[0].diagnosis, c.diagnosis) << w.verdicts[0].text.toStdString();
    ASSERT_FALSE(w.bursts.empty());
    EXPECT_NEAR(w.bursts[0].humDbm0, c.humDbm0, 1.5);
    EXPECT_EQ(w.bursts[0].clippedPct >= LineLimits::kClippedPct, c.clipped) << w.bursts[0].clippedPct;
    if (c.diagnosis == Diagnosis::Hum)
      EXPECT_TRUE(w.verdicts[0].text.contains(QStringLiteral("şebeke uğultusu ses kartını kırpıyor (uğultu 4,")))
          << w.verdicts[0].text.toStdString();
  }
}

// A burst's figures, against what the generator sent.
struct FigureCase {
  const char* label;
  Standard standard;
  double levelDbm0, noiseDbm0;
  BurstShape shape;
  double markPct, spacePct, ratePct;  // expected offsets
  double seizureBits, markBits;
};

class BurstFigures : public ::testing::TestWithParam<FigureCase> {};

TEST_P(BurstFigures, AsSent) {
  const FigureCase& c = GetParam();
  const Watched w = Watch(Cycle(Burst(c.standard, c.levelDbm0, c.shape), c.noiseDbm0));
  ASSERT_EQ(w.bursts.size(), 1u);
  const BurstReport& b = w.bursts[0];
  EXPECT_EQ(b.fate, BurstFate::Decoded);
  EXPECT_EQ(b.standard, c.standard);
  EXPECT_EQ(b.layout, c.standard == Standard::JapanV23 ? QStringLiteral("DLE") : QStringLiteral("MDMF"));
  EXPECT_NEAR(b.levelDbm0, c.levelDbm0, 0.5);
  EXPECT_NEAR(b.noiseDbm0.value_or(NAN), c.noiseDbm0, 1.0);
  EXPECT_NEAR(b.snrDb.value_or(NAN), c.levelDbm0 - c.noiseDbm0, 1.0);
  EXPECT_NEAR(b.markOffsetPct.value_or(NAN), c.markPct, 0.15);
  if (c.seizureBits > 0) {
    EXPECT_NEAR(b.spaceOffsetPct.value_or(NAN), c.spacePct, 0.25);
    EXPECT_NEAR(b.bitRateOffsetPct.value_or(NAN), c.ratePct, 0.1);
  }
  EXPECT_NEAR(b.seizureBits.value_or(NAN), c.seizureBits, 3);
  EXPECT_NEAR(b.markBits.value_or(NAN), c.markBits, 3);
  EXPECT_EQ(b.bytesRead, b.bytesExpected);
  EXPECT_EQ(b.before, Precursor::Ring);
}

INSTANTIATE_TEST_SUITE_P(
    Line, BurstFigures,
    ::testing::Values(
        FigureCase{"V23Nominal", Standard::ClipV23, -13, -50, {}, 0, 0, 0, 300, 80},
        FigureCase{"V23Weak", Standard::ClipV23, -36, -60, {}, 0, 0, 0, 300, 80},
        FigureCase{"V23TonesHigh", Standard::ClipV23, -20, -50, {.toneFactor = 1.015}, 1.5, 1.5, 0, 300, 80},
        FigureCase{"V23Fast", Standard::ClipV23, -20, -50, {.bitRateFactor = 1.01}, 0, 0, 1, 300, 80},
        FigureCase{"V23UkPreamble", Standard::ClipV23, -20, -50, {.seizureBits = 96, .markBits = 55}, 0, 0, 0, 96, 55},
        FigureCase{"BellSlowLow",
                   Standard::Bell202,
                   -20,
                   -50,
                   {.bitRateFactor = 0.99, .toneFactor = 0.99},
                   -1,
                   -1,
                   -1,
                   300,
                   80},
        FigureCase{"Japan", Standard::JapanV23, -20, -50, {}, 0, 0, 0, 0, 75}),
    [](const ::testing::TestParamInfo<FigureCase>& i) { return std::string(i.param.label); });

// DTMF digits: each tone's level and the twist between them.
TEST(BurstFigures, DtmfDigitsTonesAndTwist) {
  for (double twist : {-6.0, 0.0, 6.0}) {
    SCOPED_TRACE(twist);
    const Watched w = Watch(Cycle(Burst(Standard::ClipDtmf, -20, {.twistDb = twist, .dtmfToneMs = 60})));
    ASSERT_EQ(w.bursts.size(), 1u);
    const BurstReport& b = w.bursts[0];
    EXPECT_EQ(b.layout, QStringLiteral("A…C"));
    ASSERT_EQ(b.digits.size(), 13u);
    EXPECT_EQ(b.digits.front().code, 'A');
    EXPECT_EQ(b.digits.back().code, 'C');
    for (const DtmfDigit& d : b.digits) {
      EXPECT_NEAR(d.twistDb.value_or(NAN), twist, 0.5) << d.code;
      EXPECT_NEAR(d.highDbm0.value_or(NAN) - d.lowDbm0.value_or(NAN), twist, 0.5) << d.code;
      EXPECT_GT(d.lowHz.value_or(NAN), 690);
      EXPECT_LT(d.highHz.value_or(NAN), 1640);
      EXPECT_NEAR(double(d.off - d.on) / kSampleRate, 0.060, 0.016) << d.code;
    }
    EXPECT_NEAR(b.twistDb.value_or(NAN), twist, 0.5);
  }
}

// What came before a burst, and that each such signal is heard as itself.
TEST(LineSignals, WhatCameBeforeTheBurst) {
  struct Case {
    const char* label;
    bool reversal, alert, ring;
    Precursor before;
    // How fast the coupling drains the reversal's step, and mains hum.
    double decayMs = 300, humDbm0 = -100;
  };
  const Case cases[] = {
      {"nothing", false, false, false, Precursor::Nothing},
      {"reversal", true, false, false, Precursor::Reversal},
      {"reversal and alert", true, true, false, Precursor::AlertTone},
      {"ring pulse", false, false, true, Precursor::Ring},
      {"reversal drained at once", true, false, false, Precursor::Reversal, 12},
      {"reversal drained, under hum", true, false, false, Precursor::Reversal, 30, -12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    Samples s = audiogen::Silence(1.0);
    if (c.ring) audiogen::Append(s, audiogen::Ring(0.3));
    // Data comes at least 0.5 s after a ring pulse.
    audiogen::Append(s, audiogen::Silence(0.45));
    if (c.alert) audiogen::Append(s, audiogen::AlertTone(0.09, -20));
    audiogen::Append(s, audiogen::Silence(0.1));
    audiogen::Append(s, Burst(Standard::ClipV23));
    audiogen::Append(s, audiogen::Silence(1.0));
    if (c.reversal) audiogen::AddReversal(s, 4000, 0.1, c.decayMs);
    if (c.humDbm0 > -100) audiogen::AddHum(s, 50, c.humDbm0);
    audiogen::AddBandNoise(s, -55, 2);
    const Watched w = Watch(s);
    ASSERT_EQ(w.bursts.size(), 1u);
    EXPECT_EQ(w.bursts[0].before, c.before);
    EXPECT_EQ(w.reversals.size(), c.reversal ? 1u : 0u);
    EXPECT_EQ(w.alerts.size(), c.alert ? 1u : 0u);
    EXPECT_EQ(w.rings.size(), c.ring ? 1u : 0u);
    // The noise is the line's, not the signal before the burst.
    EXPECT_NEAR(w.bursts[0].noiseDbm0.value_or(NAN), -55, 1.5);
    if (c.reversal) EXPECT_NEAR(double(w.reversals[0].at) / kSampleRate, 0.5, 0.01);
    if (c.alert) {
      EXPECT_NEAR(w.alerts[0].levelDbm0, -20, 1);
      EXPECT_NEAR(w.alerts[0].twistDb, 0, 1);
    }
    // A cycle of one burst and no second ring is judged when it is over.
    ASSERT_EQ(w.verdicts.size(), 1u);
    EXPECT_EQ(w.verdicts[0].diagnosis, Diagnosis::Good);
  }
}

// Rings and their cadence, and the loud low signals that are no ring.
TEST(LineSignals, RingsAndWhatIsNoRing) {
  struct Case {
    const char* label;
    std::function<Samples()> line;
    size_t rings;
  };
  auto cadence = [](double on, double off, int count, double level) {
    Samples s = audiogen::Silence(0.5);
    for (int i = 0; i < count; ++i) {
      audiogen::Append(s, audiogen::Ring(on, level));
      audiogen::Append(s, audiogen::Silence(off));
    }
    return s;
  };
  const Case cases[] = {
      {"Turkish cadence", [&] { return cadence(1.0, 4.0, 3, 0); }, 3},
      {"short ring pulse", [&] { return cadence(0.25, 2.0, 1, 0); }, 1},
      {"long rings, weaker", [&] { return cadence(2.0, 4.0, 2, -20); }, 2},
      {"under hum",
       [&] {
         Samples s = cadence(1.0, 4.0, 2, 0);
         audiogen::AddHum(s, 50, -20);
         return s;
       },
       2},
      {"steady hum",
       [] {
         Samples s = audiogen::Silence(6);
         audiogen::AddHum(s, 50, -10);
         return s;
       },
       0},
      {"a 5 s low tone", [] { return audiogen::Tone(25, 5, 0); }, 0},
      {"speech-loud band noise",
       [] {
         Samples s = audiogen::Silence(3);
         Samples loud = audiogen::Silence(1);
         audiogen::AddBandNoise(loud, -10, 3);
         std::copy(loud.begin(), loud.end(), s.begin() + 8000);
         return s;
       },
       0},
      {"too quiet to be ringing", [&] { return cadence(1.0, 4.0, 2, -45); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Watched w = Watch(c.line());
    ASSERT_EQ(w.rings.size(), c.rings);
    for (size_t i = 0; i < w.rings.size(); ++i) {
      EXPECT_EQ(w.rings[i].ringInCycle, int(i) + 1);
      if (i > 0)
        EXPECT_NEAR(double(w.rings[i].period) / kSampleRate, double(w.rings[1].start - w.rings[0].start) / kSampleRate,
                    0.05);
    }
    EXPECT_TRUE(w.reversals.empty());
    EXPECT_TRUE(w.bursts.empty());
  }
  const Watched turkish = Watch(cadence(1.0, 4.0, 2, 0));
  ASSERT_EQ(turkish.rings.size(), 2u);
  EXPECT_NEAR(double(turkish.rings[0].end - turkish.rings[0].start) / kSampleRate, 1.0, 0.1);
  EXPECT_NEAR(double(turkish.rings[1].period) / kSampleRate, 5.0, 0.05);
  EXPECT_NEAR(turkish.rings[0].levelDbm0, 0, 1);
  Samples clipped = cadence(1.0, 4.0, 1, 0);
  audiogen::Amplify(clipped, 8);
  const Watched c = Watch(clipped);
  ASSERT_EQ(c.rings.size(), 1u);
  EXPECT_TRUE(c.rings[0].clipped);
  EXPECT_FALSE(turkish.rings[0].clipped);
}

// Ring cycles: a gap longer than a cycle's starts a new one, each judged
// once; a cycle of one ring and nothing gets no verdict.
TEST(LineSignals, EachCycleJudgedOnce) {
  Samples s = audiogen::Silence(0.5);
  for (int call = 0; call < 2; ++call) {
    for (int ring = 0; ring < 3; ++ring) {
      audiogen::Append(s, audiogen::Ring(1.0));
      audiogen::Append(s, audiogen::Silence(4.0));
    }
    audiogen::Append(s, audiogen::Silence(10.0));
  }
  audiogen::Append(s, audiogen::Ring(1.0));
  audiogen::Append(s, audiogen::Silence(10.0));
  const Watched w = Watch(s, Standard::Auto, 4000, 3);
  ASSERT_EQ(w.rings.size(), 7u);
  ASSERT_EQ(w.verdicts.size(), 2u);
  for (const CycleVerdict& v : w.verdicts) {
    EXPECT_EQ(v.diagnosis, Diagnosis::NoCallerId);
    EXPECT_TRUE(v.text.startsWith(QStringLiteral("Hat 3 çaldı"))) << v.text.toStdString();
  }
  EXPECT_EQ(w.rings[3].ringInCycle, 1);
  EXPECT_EQ(w.rings[6].ringInCycle, 1);
}

}  // namespace
}  // namespace device::audio

namespace device::audio {
namespace {

using namespace testing;

// Rings with what lies between them, and what the cycle's verdict rests on:
// a burst below the receivers' reach is named for its cause, never for an
// exchange that sends nothing; rings with nothing between stay that.
struct UnframedCase {
  const char* label;
  std::function<Samples()> line;
  Diagnosis diagnosis;
  bool unframed;                        // a NotFramed report is expected
  double levelDbm0 = 0, noiseDbm0 = 0;  // its figures, as sent
};

Samples RingsAround(const Samples& between, double noiseDbm0, double ringDbm0 = 0, int seed = 4) {
  Samples s = audiogen::Silence(0.5);
  audiogen::Append(s, audiogen::Ring(1.0, ringDbm0));
  audiogen::Append(s, audiogen::Silence(0.6));
  audiogen::Append(s, between);
  audiogen::Append(s, audiogen::Silence(1.5));
  audiogen::Append(s, audiogen::Ring(1.0, ringDbm0));
  audiogen::Append(s, audiogen::Silence(1.0));
  if (noiseDbm0 > -100) audiogen::AddBandNoise(s, noiseDbm0, seed);
  return s;
}

Samples V23(double levelDbm0, const audiogen::BurstShape& shape = {}) {
  return audiogen::CallerIdBurst(
      audiogen::MakeCallBurst(Standard::ClipV23, QStringLiteral("02125550123"), QStringLiteral("Ayşe Yılmaz"),
                              QDateTime(QDate(2026, 12, 9), QTime(7, 5))),
      levelDbm0, shape);
}

class UnframedBursts : public ::testing::TestWithParam<UnframedCase> {};

TEST_P(UnframedBursts, VerdictRestsOnWhatWasOnTheLine) {
  const UnframedCase& c = GetParam();
  const Samples line = c.line();
  for (size_t chunk : {size_t(4000), size_t(333)}) {
    SCOPED_TRACE(chunk);
    const Watched w = Watch(line, Standard::Auto, chunk);
    ASSERT_EQ(w.rings.size(), 2u);
    ASSERT_EQ(w.verdicts.size(), 1u);
    const CycleVerdict& v = w.verdicts[0];
    EXPECT_EQ(v.diagnosis, c.diagnosis) << v.text.toStdString();
    const auto unframed = std::count_if(w.bursts.begin(), w.bursts.end(),
                                        [](const BurstReport& b) { return b.fate == BurstFate::NotFramed; });
    EXPECT_EQ(unframed, c.unframed ? 1 : 0);
    if (c.unframed) {
      ASSERT_TRUE(v.burst.has_value());
      EXPECT_EQ(v.burst->fate, BurstFate::NotFramed);
      EXPECT_EQ(v.burst->before, Precursor::Ring);
      // Between the rings, where the burst was sent.
      EXPECT_GT(v.burst->start, w.rings[0].end);
      EXPECT_LT(v.burst->end, w.rings[1].start);
      EXPECT_NEAR(v.burst->levelDbm0, c.levelDbm0, 1.5);
      EXPECT_NEAR(v.burst->noiseDbm0.value_or(NAN), c.noiseDbm0, 1.0);
      EXPECT_NEAR(v.burst->snrDb.value_or(NAN), c.levelDbm0 - c.noiseDbm0, 1.5);
      EXPECT_FALSE(v.text.contains(QStringLiteral("santral numara"))) << v.text.toStdString();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Line, UnframedBursts,
    ::testing::Values(UnframedCase{"WeakOverTheQuietLine", [] { return RingsAround(V23(-57), -60); },
                                   Diagnosis::TooWeak, true, -57, -60},
                      UnframedCase{"LowSnr", [] { return RingsAround(V23(-30), -31); }, Diagnosis::TooNoisy, true, -30,
                                   -31},
                      UnframedCase{"NothingBetween", [] { return RingsAround(audiogen::Silence(0.5), -55); },
                                   Diagnosis::NoCallerId, false},
                      UnframedCase{"NothingOnANoisyLine", [] { return RingsAround(audiogen::Silence(0.5), -25); },
                                   Diagnosis::NoCallerId, false},
                      UnframedCase{"NothingOnASilentLine", [] { return RingsAround(audiogen::Silence(0.5), -200); },
                                   Diagnosis::NoCallerId, false},
                      UnframedCase{"ClippedRingsOnAQuietLine",
                                   [] {
                                     Samples s = RingsAround(audiogen::Silence(0.5), -200);
                                     audiogen::Amplify(s, 8);
                                     audiogen::AddBandNoise(s, -65, 5);
                                     return s;
                                   },
                                   Diagnosis::NoCallerId, false}),
    [](const ::testing::TestParamInfo<UnframedCase>& i) { return std::string(i.param.label); });

// Where an unframed signal counts: before the first ring within the cycle's
// gap, yes; in-band sound after a single ring (the call answered, speech)
// has no ring after it and is no burst.
TEST(UnframedBursts, OnlyWithinARingCycle) {
  struct Case {
    const char* label;
    std::function<Samples()> line;
    size_t unframed, verdicts;
  };
  const Case cases[] = {
      {"before the first ring",
       [] {
         Samples s = audiogen::Silence(0.5);
         // In-band sound of a burst's length no receiver can frame.
         Samples burst = audiogen::Silence(0.5);
         audiogen::AddBandNoise(burst, -57, 8);
         audiogen::Append(s, burst);
         audiogen::Append(s, audiogen::Silence(0.3));
         audiogen::Append(s, audiogen::Ring(1.0));
         audiogen::Append(s, audiogen::Silence(3.0));
         audiogen::Append(s, audiogen::Ring(1.0));
         audiogen::Append(s, audiogen::Silence(1.0));
         audiogen::AddBandNoise(s, -60, 6);
         return s;
       },
       1, 1},
      {"speech after one ring",
       [] {
         Samples s = audiogen::Silence(0.5);
         audiogen::Append(s, audiogen::Ring(1.0));
         audiogen::Append(s, audiogen::Silence(0.8));
         for (int word = 0; word < 4; ++word) {
           Samples w = audiogen::Silence(0.4);
           audiogen::AddBandNoise(w, -20, 10 + word);
           audiogen::Append(s, w);
           audiogen::Append(s, audiogen::Silence(0.3));
         }
         audiogen::Append(s, audiogen::Silence(10.0));
         audiogen::AddBandNoise(s, -60, 7);
         return s;
       },
       0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Watched w = Watch(c.line());
    const auto unframed = std::count_if(w.bursts.begin(), w.bursts.end(),
                                        [](const BurstReport& b) { return b.fate == BurstFate::NotFramed; });
    EXPECT_EQ(size_t(unframed), c.unframed);
    ASSERT_EQ(w.verdicts.size(), c.verdicts);
    if (c.verdicts) {
      EXPECT_EQ(w.verdicts[0].diagnosis, Diagnosis::TooWeak) << w.verdicts[0].text.toStdString();
      ASSERT_TRUE(w.verdicts[0].burst.has_value());
      EXPECT_EQ(w.verdicts[0].burst->fate, BurstFate::NotFramed);
      EXPECT_LT(w.verdicts[0].burst->end, w.rings[0].start);
    }
  }
}

}  // namespace
}  // namespace device::audio
