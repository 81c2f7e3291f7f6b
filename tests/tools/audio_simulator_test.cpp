// The simulator's audio mode without the program: its live stream read back
// through the program's own WAV reader and decoder.
#include <signal.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "device/audio/dsp/decode_helpers.h"
#include "device/audio/dsp/line_decoder.h"
#include "device/audio/wav_stream_reader.h"
#include "tools/simulator/audio_simulator.h"
#include "tools/simulator/line_faults.h"

namespace sim {
namespace {

using Absence = device::audio::CallerIdMessage::Absence;

TEST(AudioSimulator, ScriptCallsBecomeGeneratorCallsAndJapaneseEntriesSaySo) {
  const QDateTime at(QDate(2026, 12, 7), QTime(14, 5));
  const audiogen::CallBurst withheld =
      AudioSimulator::Burst(Call{1, QStringLiteral("P"), QString()}, audiogen::Standard::ClipV23, at);
  EXPECT_EQ(withheld.absence, Absence::Withheld);
  EXPECT_EQ(AudioSimulator::Burst(Call{1, QStringLiteral("O"), QString()}, audiogen::Standard::ClipV23, at).absence,
            Absence::Unavailable);
  const audiogen::CallBurst c =
      AudioSimulator::Burst(Call{2, QStringLiteral("0532"), QStringLiteral("Ayşe")}, audiogen::Standard::Bell202, at);
  EXPECT_EQ(c.number, QStringLiteral("0532"));
  EXPECT_EQ(c.name, QStringLiteral("Ayşe"));
  EXPECT_EQ(c.standard, audiogen::Standard::Bell202);
  EXPECT_EQ((QList<int>{c.month, c.day, c.hour, c.minute}), (QList<int>{12, 7, 14, 5}));
  Options o;
  o.name = QStringLiteral("x");
  AudioOptions a;
  EXPECT_EQ(AudioSimulator::EntryName(o, a), QStringLiteral("audio-x"));
  a.standard = audiogen::Standard::JapanV23;
  EXPECT_EQ(AudioSimulator::EntryName(o, a), QStringLiteral("audio-x.jclip"));
}

TEST(LineFaults, NamesAndValuesAreReadAndBadOnesRefused) {
  const struct {
    QStringList words;
    bool ok;
    const char* described;
  } cases[] = {
      {{QStringLiteral("weak"), QStringLiteral("hum")}, true, "weak, hum=50"},
      {{QStringLiteral("hum=60"), QStringLiteral("fast-clock=1.05")}, true, "hum=60, fast-clock=1.05"},
      {{QStringLiteral("fast-clock"), QStringLiteral("early")}, true, "fast-clock=1.05, early"},
      {{QStringLiteral("noisy"), QStringLiteral("none"), QStringLiteral("no-cid")}, true, "no-cid"},
      {{QStringLiteral("other-standard")}, true, "other-standard"},
      {{QStringLiteral("hum=5")}, false, ""},
      {{QStringLiteral("fast-clock=x")}, false, ""},
      {{QStringLiteral("crackle")}, false, ""},
  };
  for (const auto& c : cases) {
    LineFaults f;
    QString error;
    EXPECT_EQ(f.Add(c.words, &error), c.ok) << c.words.join(u' ').toStdString();
    if (c.ok) EXPECT_EQ(f.Describe(), QString::fromLatin1(c.described));
  }
  Command cmd;
  QString error;
  ASSERT_TRUE(ParseCommand(QStringLiteral("fault weak hum=50 # a bad line"), 2, &cmd, &error));
  EXPECT_EQ(cmd.kind, Command::Fault);
  EXPECT_EQ(cmd.words, (QStringList{QStringLiteral("weak"), QStringLiteral("hum=50")}));
  EXPECT_FALSE(ParseCommand(QStringLiteral("fault"), 2, &cmd, &error));
}

// Each fault's call audio as the program's decoder hears it on a device
// fixed to V.23 (or automatic): what the fault makes of the call. Weak,
// noisy, hum and a fast clock are beyond what the decoder reads.
TEST(LineFaults, EachFaultShowsInTheCallsAudio) {
  using device::audio::Standard;
  struct Case {
    const char* fault;
    Standard device;
    bool decodes;
    double minLevel, maxLevel;  // over the burst's span, dBm0; 0: not checked
    double bitRate;             // 0: not checked
  };
  const Case cases[] = {
      {"none", Standard::ClipV23, true, -25, -15, 1200},   {"weak", Standard::ClipV23, false, -63, -58, 1200},
      {"fast-clock", Standard::ClipV23, false, 0, 0, 0},   {"hum", Standard::ClipV23, false, 0, 0, 0},
      {"noisy", Standard::ClipV23, false, -22, -16, 1200}, {"other-standard", Standard::ClipV23, false, 0, 0, 0},
      {"other-standard", Standard::Auto, true, 0, 0, 0},   {"early", Standard::ClipV23, true, 0, 0, 1200},
      {"no-cid", Standard::Auto, false, 0, 0, 0},
  };
  audiogen::CallBurst call;
  call.number = QStringLiteral("05321234567");
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + " " + device::audio::StandardName(c.device).toStdString());
    LineFaults faults;
    QString error;
    ASSERT_TRUE(faults.Add({QString::fromLatin1(c.fault)}, &error));
    audiogen::Samples s = CallAudio(call, -20, 45, faults);
    audiogen::AddNoise(s, NoiseDbm0(-20, 45, faults), 3);
    device::audio::LineDecoder decoder(c.device);
    std::vector<device::audio::LineEvent> heard;
    std::vector<device::audio::BurstReport> bursts;
    decoder.Feed(s.data(), s.size(), heard, &bursts);
    const audiogen::Samples tail(8000, 0);
    decoder.Feed(tail.data(), tail.size(), heard, &bursts);
    const device::audio::BurstReport last = device::audio::testing::LastFskBurst(bursts);
    const bool call = !heard.empty() && std::holds_alternative<device::audio::CallerIdMessage>(heard[0]);
    EXPECT_EQ(call, c.decodes);
    if (c.bitRate > 0) EXPECT_NEAR(last.readingBitRate.value_or(0), c.bitRate, 6);
    if (c.maxLevel < 0) {
      const auto& b = last;
      const double level = audiogen::LevelDbm0(s.data() + b.start, size_t(b.end - b.start));
      EXPECT_GE(level, c.minLevel);
      EXPECT_LE(level, c.maxLevel);
    }
  }
  // The burst of an early call lies before its first ring.
  LineFaults early;
  early.early = true;
  const audiogen::Samples e = CallAudio(call, -20, 45, early);
  EXPECT_LT(audiogen::LevelDbm0(e.data(), 8000), -10) << "the first second holds the burst, not the ring";
}

// Reads what the line has written so far (the simulator runs on this thread's event loop).
void Pump(device::WavStreamReader& reader, std::vector<int16_t>& out) {
  QCoreApplication::processEvents();
  QString message;
  ASSERT_NE(reader.Read(-1, 20, out, &message), device::AudioSource::Status::Failed) << message.toStdString();
}

TEST(AudioLine, StreamCarriesTheCallOnItsChannelOnly) {
  QTemporaryDir dir;
  signal(SIGPIPE, SIG_IGN);  // as the simulator does: a reader leaving is an error, not a signal
  AudioOptions options;
  options.lines = 2;
  AudioLine line(dir.path(), QStringLiteral("audio-t"), options);
  QString error;
  ASSERT_TRUE(line.Plug(&error)) << error.toStdString();
  EXPECT_EQ(QFileInfo(line.EntryPath()).symLinkTarget(), line.FifoPath());

  auto reader = std::make_unique<device::WavStreamReader>(line.FifoPath());
  ASSERT_TRUE(reader->Open(&error));
  std::vector<int16_t> frames;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        Pump(*reader, frames);
        return reader->Channels() == 2;
      },
      5000));

  audiogen::CallBurst call;
  call.number = QStringLiteral("05321234567");
  line.Call(2, call);
  device::audio::LineDecoder decoders[2];
  std::vector<device::audio::LineEvent> heard[2];
  size_t fed = 0;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        Pump(*reader, frames);
        std::vector<int16_t> channel[2];
        for (; fed + 2 <= frames.size(); fed += 2)
          for (int c = 0; c < 2; ++c) channel[c].push_back(frames[fed + size_t(c)]);
        for (int c = 0; c < 2; ++c) decoders[c].Feed(channel[c].data(), channel[c].size(), heard[c]);
        return !heard[1].empty();
      },
      15000));
  EXPECT_TRUE(heard[0].empty()) << "the other line stays quiet";
  const auto* m = std::get_if<device::audio::CallerIdMessage>(&heard[1][0]);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->number, QStringLiteral("05321234567"));

  line.Unplug();
  EXPECT_FALSE(QFileInfo::exists(line.EntryPath()));
}

}  // namespace
}  // namespace sim
