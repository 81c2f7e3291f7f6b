// A sound card, a FIFO and a file deliver the same line audio in different
// blocks; the line watch must tell the same story whatever the blocks: the
// same events, at the same positions, with the same figures.
#include <gtest/gtest.h>

#include <QStringList>

#include "decode_helpers.h"
#include "watch_helpers.h"

namespace device::audio {
namespace {

using namespace testing;

QString Figure(const std::optional<double>& v) { return v ? QString::number(*v, 'g', 12) : QStringLiteral("-"); }
QString Figure(double v) { return QString::number(v, 'g', 12); }

// Everything an event says, as one line.
QString Describe(const WatchEvent& e) {
  return std::visit(
      [](const auto& v) -> QString {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, RingEvent>)
          return QStringLiteral("ring %1-%2 %3 %4 %5")
              .arg(v.start)
              .arg(v.end)
              .arg(Figure(v.levelDbm0))
              .arg(v.clipped)
              .arg(v.period);
        else if constexpr (std::is_same_v<T, ReversalEvent>)
          return QStringLiteral("reversal %1 %2").arg(v.at).arg(Figure(v.step));
        else if constexpr (std::is_same_v<T, AlertToneEvent>)
          return QStringLiteral("alert %1-%2 %3").arg(v.start).arg(v.end).arg(Figure(v.levelDbm0));
        else if constexpr (std::is_same_v<T, CallProgressToneEvent>)
          return QStringLiteral("tone %1-%2 %3").arg(v.start).arg(v.end).arg(int(v.tone));
        else if constexpr (std::is_same_v<T, BurstReport>)
          return QStringLiteral("burst %1 %2 %3-%4 %5 %6 %7 %8 %9 %10 %11 %12 %13 [%14] %15")
              .arg(BurstFateKey(v.fate), StandardName(v.standard))
              .arg(v.start)
              .arg(v.end)
              .arg(Figure(v.levelDbm0), Figure(v.snrDb), Figure(v.markHz), Figure(v.spaceHz), Figure(v.bitRate),
                   Figure(v.twistDb), Figure(v.seizureBits), Figure(v.markBits))
              .arg(v.bytesRead)
              .arg(int(v.digits.size()))
              .arg(v.message ? v.message->number + QLatin1Char('/') + v.message->name : QString());
        else
          return QStringLiteral("verdict %1 %2 %3 %4")
              .arg(v.at)
              .arg(DiagnosisKey(v.diagnosis), Figure(v.figure), v.text);
      },
      e);
}

QStringList Story(const Samples& s, size_t block) {
  LineWatch w(1);
  std::vector<WatchEvent> events;
  for (size_t i = 0; i < s.size(); i += block) w.Feed(s.data() + i, std::min(block, s.size() - i), events);
  w.Finish(events);
  QStringList story;
  for (const WatchEvent& e : events) story << Describe(e);
  return story;
}

// A ring cycle with the burst at an odd place, so it falls differently
// into every block size.
Samples CycleWith(const Samples& burst, double gapSeconds) {
  Samples s = audiogen::Silence(0.31);
  audiogen::Append(s, audiogen::Ring(1.0));
  audiogen::Append(s, audiogen::Silence(gapSeconds));
  audiogen::Append(s, burst);
  audiogen::Append(s, audiogen::Silence(1.3));
  audiogen::Append(s, audiogen::Ring(1.0));
  audiogen::AddBandNoise(s, -50, 7);
  return s;
}

// Seconds of steady quiet line (which the receivers skip) before hum starts
// (which the front end locks onto and cancels) and a burst under it.
Samples QuietThenHum(const Samples& burst) {
  Samples s = audiogen::Silence(4.17);
  Samples hummed = audiogen::Silence(0.83);
  audiogen::Append(hummed, burst);
  audiogen::Append(hummed, audiogen::Silence(3.6));
  audiogen::AddHum(hummed, {.hz = 50.2, .levelDbm0 = -15, .thirdDb = -10, .fifthDb = -10});
  audiogen::Append(s, hummed);
  audiogen::AddBandNoise(s, -55, 8);
  return s;
}

TEST(BlockSizes, EveryBlockSizeTellsTheSameStory) {
  const QDateTime sent(QDate(2026, 12, 9), QTime(9, 41));
  auto call = [&](Standard st) {
    return audiogen::MakeCallBurst(st, QStringLiteral("05321234567"), QStringLiteral("Çiğdem Öz"), sent);
  };
  struct Line {
    const char* label;
    Samples samples;
  };
  std::vector<Line> lines = {
      {"V.23 between rings", CycleWith(audiogen::CallerIdBurst(call(Standard::ClipV23), -25), 0.6137)},
      {"Bell 202, bad checksum", CycleWith(audiogen::CallerIdBurst(call(Standard::Bell202), -18, true), 0.5291)},
      {"DTMF", CycleWith(audiogen::CallerIdBurst(call(Standard::ClipDtmf), -20), 0.7003)},
      {"no caller ID", CycleWith(audiogen::Silence(0.1), 0.5)},
      {"quiet line, then hum and a burst", QuietThenHum(audiogen::CallerIdBurst(call(Standard::ClipV23), -25))},
  };
  for (const char* name : {"clip-mdmf.wav", "bell-mdmf.wav", "clip-cut.wav", "dtmf.wav", "jclip.wav", "two-lines.wav"})
    lines.push_back({name, ReadWavChannel(QStringLiteral(CID_AUDIO_TEST_DATA "/") + QLatin1String(name))});
  for (const Line& l : lines) {
    SCOPED_TRACE(l.label);
    ASSERT_FALSE(l.samples.empty());
    const QStringList whole = Story(l.samples, l.samples.size());
    EXPECT_FALSE(whole.isEmpty());
    for (size_t block : {size_t(1), size_t(37), size_t(160), size_t(800), size_t(4096)}) {
      SCOPED_TRACE(block);
      EXPECT_EQ(Story(l.samples, block), whole);
    }
  }
}

}  // namespace
}  // namespace device::audio
