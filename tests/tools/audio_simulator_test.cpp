// The simulator's audio mode without the program: its live stream read back
// through the program's own WAV reader and decoder.
#include <signal.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "device/audio/dsp/line_decoder.h"
#include "device/audio/wav_stream_reader.h"
#include "tools/simulator/audio_simulator.h"

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
