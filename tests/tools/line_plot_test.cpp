// The line-check plot: the level track and spectrogram it is drawn from,
// what it marks where on lines with known events, and the picture
// cid-line-check writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

#include "device/audio/dsp/line_watch.h"
#include "tools/audio/signal_generator.h"
#include "tools/line-check/plot_painter.h"

namespace {

using device::audio::kSampleRate;
using linecheck::MarkKind;

int64_t At(double seconds) { return int64_t(std::llround(seconds * kSampleRate)); }

TEST(LineLevelTrack, ReadsLevelsAndStaysBoundedOnLongAudio) {
  const struct {
    const char* name;
    double seconds;           // of quiet line at -60 dBm0
    double loudAt, loudDbm0;  // a 0.5 s tone
    int64_t blockSamples;     // after merging
  } cases[] = {
      {"short", 10, 4, -20, 400},
      {"one hour", 3600, 1800, -10, 400 << 5},
      {"just past the cap", 4096 * 0.05 + 1, 100, -30, 800},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    linecheck::LevelTrack track;
    const audiogen::Samples quiet = audiogen::Tone(500, 1, -60);
    const audiogen::Samples loud = audiogen::Tone(1000, 0.5, c.loudDbm0);
    for (double t = 0; t < c.seconds; t += 1) {
      if (t <= c.loudAt && c.loudAt < t + 1) {
        // The second holding the tone: quiet, the tone, quiet.
        const size_t before = size_t(At(c.loudAt - t));
        track.Feed(quiet.data(), before);
        track.Feed(loud.data(), loud.size());
        track.Feed(quiet.data(), quiet.size() - before - std::min(quiet.size() - before, loud.size()));
      } else {
        track.Feed(quiet.data(), quiet.size());
      }
    }
    const auto blocks = track.Blocks();
    EXPECT_LE(blocks.size(), linecheck::LevelTrack::kMaxBlocks);
    EXPECT_EQ(track.BlockSamples(), c.blockSamples);
    ASSERT_FALSE(blocks.empty());
    EXPECT_NEAR(blocks.front().meanDbm0, -60, 0.5);
    const size_t loudBlock = size_t(At(c.loudAt + 0.25) / track.BlockSamples());
    ASSERT_LT(loudBlock, blocks.size());
    // However wide the block, its loudest 50 ms is the tone.
    EXPECT_NEAR(blocks[loudBlock].peakDbm0, c.loudDbm0, 0.5);
    if (c.blockSamples == 400) {
      EXPECT_NEAR(blocks[loudBlock].meanDbm0, c.loudDbm0, 0.5);
    }
  }
}

TEST(LineSpectrogram, ShowsATonesLevelAtItsBandOnly) {
  const struct {
    double hz, dbm0;
  } cases[] = {{1300, -20}, {2100, -20}, {697, -30}, {1633, -30}, {3000, -10}, {450, -40}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hz);
    const audiogen::Samples tone = audiogen::Tone(c.hz, 0.5, c.dbm0);
    const auto s = linecheck::Spectrogram::Of(tone.data(), tone.size(), 8000);
    ASSERT_GT(s.columns, 10);
    EXPECT_LE(s.columns, linecheck::Spectrogram::kMaxColumns);
    EXPECT_NEAR(s.Near(8000 + 2000, c.hz), c.dbm0, 1.0);
    for (double off : {-300.0, 300.0}) {
      if (c.hz + off >= 300 && c.hz + off <= 3400) {
        EXPECT_LT(s.Near(8000 + 2000, c.hz + off), c.dbm0 - 30);
      }
    }
  }
  // A long stretch gets wider steps, not more columns.
  const audiogen::Samples long_ = audiogen::Tone(1000, 10, -20);
  EXPECT_EQ(linecheck::Spectrogram::Of(long_.data(), long_.size(), 0).columns, linecheck::Spectrogram::kMaxColumns);
}

// A line with known events and where each is.
// A verdict reached when the line has been quiet for a cycle's gap after
// the burst (noticed within a read of audio).
constexpr double kAfterTheGap = -1;
struct Expected {
  MarkKind kind;
  double start, end;  // seconds
};
struct TestLine {
  audiogen::Samples audio;
  std::vector<Expected> marks;
  double burstStart = -1, burstEnd = -1;
  double markHz = 0, spaceHz = 0;  // the burst's tones
};

audiogen::CallBurst Call() {
  audiogen::CallBurst call;
  call.number = QStringLiteral("05321234567");
  return call;
}

double Length(const audiogen::Samples& s) { return double(s.size()) / kSampleRate; }

// Ring, burst (good or failing its checksum), ring.
TestLine RingedCall(bool corrupt) {
  TestLine l;
  l.audio = audiogen::Silence(0.5);
  audiogen::Append(l.audio, audiogen::Ring(1.5));
  l.marks.push_back({MarkKind::Ring, 0.5, 2.0});
  audiogen::Append(l.audio, audiogen::Silence(0.6));
  l.burstStart = Length(l.audio);
  audiogen::Append(l.audio, audiogen::CallerIdBurst(Call(), -20, corrupt));
  l.burstEnd = Length(l.audio);
  l.marks.push_back({corrupt ? MarkKind::FailedBurst : MarkKind::Burst, l.burstStart, l.burstEnd});
  audiogen::Append(l.audio, audiogen::Silence(1.0));
  const double ring2 = Length(l.audio);
  audiogen::Append(l.audio, audiogen::Ring(1.5));
  l.marks.push_back({MarkKind::Ring, ring2, ring2 + 1.5});
  l.marks.push_back({corrupt ? MarkKind::FailedVerdict : MarkKind::Verdict, ring2 + 1.5, ring2 + 1.5});
  audiogen::Append(l.audio, audiogen::Silence(2));
  l.markHz = 1300;
  l.spaceHz = 2100;
  return l;
}

// Two rings and nothing between them.
TestLine RingsOnly() {
  TestLine l;
  l.audio = audiogen::Silence(0.5);
  audiogen::Append(l.audio, audiogen::Ring(1.5));
  audiogen::Append(l.audio, audiogen::Silence(3));
  audiogen::Append(l.audio, audiogen::Ring(1.5));
  audiogen::Append(l.audio, audiogen::Silence(2));
  l.marks = {{MarkKind::Ring, 0.5, 2}, {MarkKind::Ring, 5, 6.5}, {MarkKind::FailedVerdict, 6.5, 6.5}};
  return l;
}

// On-hook caller ID: a line reversal, the alert tone, then the burst; no
// ring, so the cycle is judged when the audio is over.
TestLine Alerted() {
  TestLine l;
  l.audio = audiogen::Silence(1.3);
  const double alert = Length(l.audio);
  audiogen::Append(l.audio, audiogen::AlertTone(0.09, -20));
  audiogen::Append(l.audio, audiogen::Silence(0.1));
  l.burstStart = Length(l.audio);
  audiogen::Append(l.audio, audiogen::CallerIdBurst(Call(), -20));
  l.burstEnd = Length(l.audio);
  audiogen::Append(l.audio, audiogen::Silence(10));
  audiogen::AddReversal(l.audio, size_t(At(0.5)), 0.1, 300);
  l.marks = {{MarkKind::Reversal, 0.5, 0.5},
             {MarkKind::AlertTone, alert, alert + 0.09},
             {MarkKind::Burst, l.burstStart, l.burstEnd},
             {MarkKind::Verdict, kAfterTheGap, kAfterTheGap}};
  l.markHz = 1300;
  l.spaceHz = 2100;
  return l;
}

const struct LineCase {
  const char* name;
  TestLine (*make)();
} kLines[] = {
    {"good call", [] { return RingedCall(false); }},
    {"checksum fails", [] { return RingedCall(true); }},
    {"no caller id", RingsOnly},
    {"alert tone", Alerted},
};

std::vector<TestLine> MakeLines() {
  std::vector<TestLine> lines;
  int seed = 1;
  for (const LineCase& c : kLines) {
    lines.push_back(c.make());
    audiogen::AddNoise(lines.back().audio, -65, seed++);
  }
  return lines;
}

// What cid-line-check does: each channel's audio to the plot, then to the
// watch, whose events go to the plot.
linecheck::PlotData Collect(const std::vector<TestLine>& lines) {
  linecheck::PlotData data(int(lines.size()));
  for (size_t c = 0; c < lines.size(); ++c) {
    device::audio::LineWatch watch(int(c) + 1);
    std::vector<device::audio::WatchEvent> events;
    const audiogen::Samples& a = lines[c].audio;
    for (size_t at = 0; at < a.size(); at += 2000) {
      const size_t n = std::min<size_t>(2000, a.size() - at);
      data.Feed(int(c), a.data() + at, n);
      watch.Feed(a.data() + at, n, events);
      for (const auto& e : events) data.Take(int(c), e);
      events.clear();
    }
    watch.Finish(events);
    for (const auto& e : events) data.Take(int(c), e);
  }
  return data;
}

TEST(LinePlot, MarksEachEventWhereItWas) {
  const std::vector<TestLine> lines = MakeLines();
  const linecheck::PlotData data = Collect(lines);
  for (size_t c = 0; c < lines.size(); ++c) {
    SCOPED_TRACE(kLines[c].name);
    const auto& marks = data.Channel(int(c)).marks;
    ASSERT_EQ(marks.size(), lines[c].marks.size());
    for (size_t i = 0; i < marks.size(); ++i) {
      const Expected& e = lines[c].marks[i];
      SCOPED_TRACE(marks[i].label.toStdString());
      EXPECT_EQ(marks[i].kind, e.kind);
      // The detectors time a signal to within tens of milliseconds; a
      // verdict comes when the ring that settles it has ended.
      if (e.start == kAfterTheGap) {
        const double after = double(marks[i].start) / kSampleRate - lines[c].burstEnd;
        EXPECT_GE(after, double(device::audio::LineWatch::kCycleGap) / kSampleRate);
        EXPECT_LT(after, double(device::audio::LineWatch::kCycleGap) / kSampleRate + 0.5);
        continue;
      }
      EXPECT_NEAR(double(marks[i].start) / kSampleRate, e.start, 0.1);
      EXPECT_NEAR(double(marks[i].end) / kSampleRate, e.end, 0.1);
    }
    // Each burst has its spectrogram, covering the burst.
    const auto& panels = data.Channel(int(c)).panels;
    ASSERT_EQ(panels.size(), lines[c].burstStart >= 0 ? 1u : 0u);
    if (panels.empty()) continue;
    const auto& s = panels[0].spectrum;
    EXPECT_LE(s.start, At(lines[c].burstStart));
    EXPECT_GE(s.start + int64_t(s.columns) * s.step, At(lines[c].burstEnd) - 2 * s.step);
  }
  // Labels carry the figures: the burst's number, standard, level, SNR; a
  // failed one its fate.
  EXPECT_TRUE(data.Channel(0).marks[1].label.startsWith(QStringLiteral("#1 clip MDMF")))
      << data.Channel(0).marks[1].label.toStdString();
  EXPECT_TRUE(data.Channel(0).marks[1].label.contains(QStringLiteral("-20.0 dBm0, SNR")));
  EXPECT_TRUE(data.Channel(1).marks[1].label.endsWith(QStringLiteral("sağlama toplamı tutmadı")))
      << data.Channel(1).marks[1].label.toStdString();
  EXPECT_TRUE(data.Channel(2).verdicts.at(0).text.contains(QStringLiteral("santral numara göndermiyor")))
      << data.Channel(2).verdicts.at(0).text.toStdString();
}

TEST(LinePlot, KeepsFailedBurstsAndVerdictsOverGoodOnesWhenFull) {
  // Bursts reported one after the other; F fails its checksum.
  const struct {
    const char* sequence;
    const char* kept;  // the numbers of the panels kept, in order
  } cases[] = {
      {"GGG", "1,2,3"},
      {"GGGGGGGG", "1,2,3,4,5,6"},
      {"GGGGGGFF", "3,4,5,6,7,8"},
      {"FFFFFFFG", "1,2,3,4,5,6"},
      {"GFGFGFGFGF", "2,4,5,6,8,10"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sequence);
    linecheck::PlotData data(1);
    int64_t at = 0;
    for (const char* p = c.sequence; *p; ++p, at += 8000) {
      device::audio::BurstReport b;
      b.standard = device::audio::Standard::ClipV23;
      b.fate = *p == 'F' ? device::audio::BurstFate::ChecksumFailed : device::audio::BurstFate::Decoded;
      b.start = at;
      b.end = at + 4000;
      data.Take(0, b);
      device::audio::CycleVerdict v;
      v.at = at + 6000;
      v.diagnosis = *p == 'F' ? device::audio::Diagnosis::ChecksumFailure : device::audio::Diagnosis::Good;
      data.Take(0, v);
    }
    QStringList panels, verdicts;
    for (const auto& panel : data.Channel(0).panels) panels << QString::number(panel.number);
    for (const auto& verdict : data.Channel(0).verdicts) verdicts << QString::number(verdict.number);
    EXPECT_EQ(panels.join(u','), QLatin1String(c.kept));
    EXPECT_EQ(verdicts.join(u','), QLatin1String(c.kept));
    EXPECT_EQ(data.Channel(0).bursts, int(strlen(c.sequence)));
  }
}

using Marks = std::vector<std::vector<linecheck::PlotMark>>;

Marks MarksOf(const linecheck::PlotData& data) {
  Marks marks;
  for (int c = 0; c < data.Channels(); ++c) marks.push_back(data.Channel(c).marks);
  return marks;
}

// The marks cid-line-check's JSON reports.
Marks MarksOf(const QString& json, int channels) {
  Marks marks;
  marks.resize(size_t(channels));
  for (const QString& line : json.split(u'\n', Qt::SkipEmptyParts)) {
    const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
    const QString event = o[QStringLiteral("event")].toString();
    const auto at = [&](const char* key) { return At(o[QLatin1String(key)].toDouble()); };
    linecheck::PlotMark m;
    if (event == QLatin1String("ring")) {
      m = {MarkKind::Ring, at("start"), at("end"), {}};
    } else if (event == QLatin1String("reversal")) {
      m = {MarkKind::Reversal, at("at"), at("at"), {}};
    } else if (event == QLatin1String("alert_tone")) {
      m = {MarkKind::AlertTone, at("start"), at("end"), {}};
    } else if (event == QLatin1String("burst")) {
      m = {o[QStringLiteral("decoded")].toBool() ? MarkKind::Burst : MarkKind::FailedBurst, at("start"), at("end"),
           event};
    } else if (event == QLatin1String("verdict")) {
      m = {o[QStringLiteral("good")].toBool() ? MarkKind::Verdict : MarkKind::FailedVerdict, at("at"), at("at"), {}};
    } else {
      continue;
    }
    m.label = event;
    marks[size_t(o[QStringLiteral("line")].toInt() - 1)].push_back(m);
  }
  return marks;
}

// Lane pixels at the middle of each mark have its colour; the spectrogram is
// brighter at the burst's two tones than at an empty band. `data` gives the
// layout.
void ExpectPicture(const QImage& image, const linecheck::PlotData& data, const Marks& marks,
                   const std::vector<TestLine>& lines) {
  const linecheck::PlotLayout layout(data);
  ASSERT_EQ(image.size(), layout.Size());
  for (size_t c = 0; c < lines.size(); ++c) {
    SCOPED_TRACE(kLines[c].name);
    const int y = layout.Lane(int(c)).center().y();
    ASSERT_EQ(marks[c].size(), lines[c].marks.size());
    for (const auto& m : marks[c]) {
      SCOPED_TRACE(m.label.toStdString());
      const int x = layout.X((m.start + m.end) / 2);
      EXPECT_EQ(QColor(image.pixel(x, y)), linecheck::MarkColour(m.kind));
    }
    // Quiet line between the events is no mark.
    const int quiet = layout.X(At(lines[c].marks.front().start - 0.3));
    for (int k = int(MarkKind::Ring); k <= int(MarkKind::FailedVerdict); ++k)
      EXPECT_NE(QColor(image.pixel(quiet, y)), linecheck::MarkColour(MarkKind(k)));
    if (lines[c].burstStart < 0) continue;
    // Across the burst, the brightest cell of each tone's row against the
    // brightest of an empty row.
    const auto brightest = [&](double hz) {
      int most = 0;
      for (int x = layout.PanelX(int(c), 0, At(lines[c].burstStart));
           x <= layout.PanelX(int(c), 0, At(lines[c].burstEnd)); ++x)
        most = std::max(most, qGray(image.pixel(x, layout.PanelY(int(c), 0, hz))));
      return most;
    };
    const int empty = brightest(3300);
    EXPECT_GT(brightest(lines[c].markHz), empty + 80);
    EXPECT_GT(brightest(lines[c].spaceHz), empty + 80);
  }
}

TEST(LinePlot, PaintsTheMarksAndTonesWhereTheyAre) {
  const std::vector<TestLine> lines = MakeLines();
  const linecheck::PlotData data = Collect(lines);
  ExpectPicture(linecheck::PaintPlot(data), data, MarksOf(data), lines);
}

TEST(LinePlot, CommandWritesThePictureOrSaysWhyNot) {
  const std::vector<TestLine> lines = MakeLines();
  QTemporaryDir dir;
  std::vector<audiogen::Samples> channels;
  for (const TestLine& l : lines) channels.push_back(l.audio);
  const QString recording = dir.filePath(QStringLiteral("kayit.wav"));
  ASSERT_TRUE(audiogen::WriteWav(recording, audiogen::Interleave(channels), int(channels.size())));

  const QString png = dir.filePath(QStringLiteral("hat.png"));
  QProcess p;
  p.start(QStringLiteral(CID_LINE_CHECK), {QStringLiteral("--json"), QStringLiteral("--plot"), png, recording});
  ASSERT_TRUE(p.waitForFinished(60000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(p.readAllStandardError().isEmpty());
  const QImage image(png);
  ASSERT_FALSE(image.isNull());
  // The picture shows what the report says, where it says it.
  ExpectPicture(image, Collect(lines), MarksOf(QString::fromUtf8(p.readAllStandardOutput()), int(lines.size())), lines);

  QDir(dir.path()).mkdir(QStringLiteral("dizin"));
  const struct {
    const char* name;
    QString target;
  } unwritable[] = {
      {"missing directory", dir.filePath(QStringLiteral("yok/hat.png"))},
      {"a directory", dir.filePath(QStringLiteral("dizin"))},
  };
  for (const auto& u : unwritable) {
    SCOPED_TRACE(u.name);
    QProcess bad;
    bad.start(QStringLiteral(CID_LINE_CHECK), {QStringLiteral("--plot=") + u.target, recording});
    ASSERT_TRUE(bad.waitForFinished(60000));
    EXPECT_EQ(bad.exitCode(), 1);
    const QString errors = QString::fromUtf8(bad.readAllStandardError());
    EXPECT_EQ(errors, QStringLiteral("cid-line-check: çizim dosyası yazılamıyor: %1\n").arg(u.target));
    // Refused before the recording is read.
    EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());
  }
}

}  // namespace
