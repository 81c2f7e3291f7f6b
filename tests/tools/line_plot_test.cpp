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

TEST(LineLevelTrack, MarksTheBlocksWhereTheCardClipped) {
  // Hum loud enough to hit full scale for half a second, between quiet line.
  audiogen::Samples s = audiogen::Tone(1000, 1, -20);
  audiogen::Samples hum = audiogen::Tone(50, 0.5, 0);
  audiogen::Amplify(hum, 4);
  audiogen::Append(s, hum);
  audiogen::Append(s, audiogen::Tone(1000, 1, -20));
  linecheck::LevelTrack track;
  track.Feed(s.data(), s.size());
  const auto blocks = track.Blocks();
  ASSERT_EQ(blocks.size(), 50u);
  for (size_t i = 0; i < blocks.size(); ++i) EXPECT_EQ(blocks[i].clipped, i >= 20 && i < 30) << i;
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
  size_t longest = 0;
  for (const LineCase& c : kLines) {
    lines.push_back(c.make());
    longest = std::max(longest, lines.back().audio.size());
  }
  // As one recording holds them: all as long as the longest.
  for (TestLine& l : lines) {
    l.audio.resize(longest, 0);
    audiogen::AddNoise(l.audio, -65, seed++);
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
    const auto& marks = data.Section(int(c)).marks;
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
    // Each burst has its spectrogram, covering the burst, before any tone's.
    const auto& panels = data.Section(int(c)).panels;
    const auto bursts = std::count_if(panels.begin(), panels.end(), [](const linecheck::BurstPanel& p) {
      return p.kind == linecheck::PanelKind::Burst;
    });
    ASSERT_EQ(bursts, lines[c].burstStart >= 0 ? 1 : 0);
    if (bursts == 0) continue;
    EXPECT_EQ(panels[0].kind, linecheck::PanelKind::Burst);
    const auto& s = panels[0].spectrum;
    EXPECT_LE(s.start, At(lines[c].burstStart));
    EXPECT_GE(s.start + int64_t(s.columns) * s.step, At(lines[c].burstEnd) - 2 * s.step);
  }
  // Labels carry the figures: the burst's number, standard, level, SNR; a
  // failed one its fate.
  EXPECT_TRUE(data.Section(0).marks[1].label.startsWith(QStringLiteral("#1 clip MDMF")))
      << data.Section(0).marks[1].label.toStdString();
  EXPECT_TRUE(data.Section(0).marks[1].label.contains(QStringLiteral("-20,0 dBm0, SNR")));
  EXPECT_TRUE(data.Section(1).marks[1].label.endsWith(QStringLiteral("sağlama toplamı tutmadı")))
      << data.Section(1).marks[1].label.toStdString();
  EXPECT_TRUE(data.Section(2).verdicts.at(0).text.contains(QStringLiteral("santral numara göndermiyor")))
      << data.Section(2).verdicts.at(0).text.toStdString();
}

// A line with call-progress tones and caller-ID bursts at known places, as
// the plot is given them: the audio, then each event.
struct Stretch {
  char kind;  // F a failed burst, G a good one, T a tone
  int64_t start, end;
};

linecheck::PlotData TonesAndBursts(const char* sequence, std::vector<Stretch>* stretches) {
  linecheck::PlotData data(1);
  audiogen::Samples audio = audiogen::Silence(0.5);
  for (const char* k = sequence; *k; ++k) {
    const int64_t start = int64_t(audio.size());
    audiogen::Append(audio, *k == 'T' ? audiogen::Tone(425, 0.5, -20) : audiogen::CallerIdBurst(Call(), -20));
    stretches->push_back({*k, start, int64_t(audio.size())});
    audiogen::Append(audio, audiogen::Silence(0.5));
  }
  audiogen::AddNoise(audio, -65, 3);
  size_t fed = 0;
  for (const Stretch& st : *stretches) {
    // Audio up to just past the signal, then its event, as the watch reports it.
    const size_t to = size_t(st.end + kSampleRate / 4);
    data.Feed(0, audio.data() + fed, to - fed);
    fed = to;
    if (st.kind == 'T') {
      device::audio::CallProgressToneEvent t;
      t.tone = device::audio::CallProgressTone::Busy;
      t.start = st.start;
      t.end = st.end;
      t.lowHz = 425;
      data.Take(0, t);
    } else {
      device::audio::BurstReport b;
      b.standard = device::audio::Standard::ClipV23;
      b.fate = st.kind == 'F' ? device::audio::BurstFate::ChecksumFailed : device::audio::BurstFate::Decoded;
      b.start = st.start;
      b.end = st.end;
      data.Take(0, b);
    }
  }
  data.Feed(0, audio.data() + fed, audio.size() - fed);
  return data;
}

TEST(LinePlot, CallerIdBurstsGetSpectrogramsBeforeTonesFailedFirst) {
  const struct {
    const char* sequence;
    const char* shown;  // the panels' kinds, in order
  } cases[] = {
      {"TTTTTTTTTGF", "FGTTTTTT"},
      {"GTGFT", "FGGTT"},
      {"GGGGGGGGGGF", "FGGGGGGG"},
      {"TT", "TT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sequence);
    std::vector<Stretch> stretches;
    const linecheck::PlotData data = TonesAndBursts(c.sequence, &stretches);
    QString shown;
    for (const auto& p : data.Section(0).panels)
      shown += p.kind == linecheck::PanelKind::CallProgressTone ? u'T' : p.failed ? u'F' : u'G';
    EXPECT_EQ(shown, QLatin1String(c.shown));
  }
  // In the picture: the first spectrogram shows the failed burst's two
  // tones, the last one the 425 Hz tone.
  std::vector<Stretch> stretches;
  const linecheck::PlotData data = TonesAndBursts("TTTTTTTTTGF", &stretches);
  const QImage image = linecheck::PaintPlot(data);
  const linecheck::PlotLayout layout(data);
  const auto brightest = [&](int panel, double hz) {
    const QRect r = layout.Panel(0, panel);
    int most = 0;
    for (int x = r.left() + r.width() / 4; x < r.right() - r.width() / 4; ++x)
      most = std::max(most, qGray(image.pixel(x, layout.PanelY(0, panel, hz))));
    return most;
  };
  const int last = int(data.Section(0).panels.size()) - 1;
  EXPECT_GT(brightest(0, 1300), brightest(0, 3300) + 80);
  EXPECT_GT(brightest(0, 2100), brightest(0, 3300) + 80);
  EXPECT_GT(brightest(last, 425), brightest(last, 1300) + 80);
}

// Marks crowded in time: each a ring, burst or verdict with a long label.
linecheck::PlotData Crowd(int marks, double apart) {
  linecheck::PlotData data(1);
  const audiogen::Samples quiet = audiogen::Silence(apart * marks + 2);
  data.Feed(0, quiet.data(), quiet.size());
  for (int i = 0; i < marks; ++i) {
    const int64_t at = At(1 + i * apart);
    if (i % 3 == 0) {
      device::audio::RingEvent r;
      r.start = at;
      r.end = at + At(apart / 2);
      r.ringInCycle = i % 2 + 1;
      data.Take(0, r);
    } else if (i % 3 == 1) {
      device::audio::BurstReport b;
      b.standard = device::audio::Standard::ClipV23;
      b.layout = QStringLiteral("MDMF");
      b.fate = device::audio::BurstFate::CutOff;
      b.start = at;
      b.end = at + At(apart / 3);
      data.Take(0, b);
    } else {
      device::audio::CycleVerdict v;
      v.at = at;
      v.diagnosis = device::audio::Diagnosis::TooWeak;
      data.Take(0, v);
    }
  }
  return data;
}

TEST(LinePlot, LabelsNeverOverlapAndTheirLeadersCrossNoOtherLabel) {
  const struct {
    const char* name;
    int marks;
    double apart;  // seconds
    bool allFull;  // every label fits in full
  } cases[] = {
      {"sparse", 6, 8, true},
      {"a ring cycle's events close together", 9, 0.6, false},
      {"a long recording's run of cycles", 300, 0.4, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const linecheck::PlotData data = Crowd(c.marks, c.apart);
    const QImage image = linecheck::PaintPlot(data);
    const linecheck::PlotLayout layout(data);
    const auto& labels = layout.Labels(0);
    ASSERT_FALSE(labels.empty());
    const QRect lane = layout.Lane(0);
    int shortened = 0;
    for (size_t i = 0; i < labels.size(); ++i) {
      const QRect box = labels[i].box;
      EXPECT_GE(box.left(), lane.left());
      EXPECT_LE(box.right(), lane.right() + 20);
      EXPECT_LT(box.bottom(), lane.top());
      shortened += labels[i].shortened;
      // The text is painted inside its box: some pixels there are not paper.
      int inked = 0;
      for (int x = box.left(); x <= box.right(); ++x)
        for (int y = box.top(); y <= box.bottom(); ++y) inked += QColor(image.pixel(x, y)) != QColor(250, 250, 250);
      EXPECT_GT(inked, 10) << i;
      for (size_t j = 0; j < labels.size(); ++j) {
        if (i == j) continue;
        EXPECT_FALSE(box.intersects(labels[j].box)) << i << " and " << j;
        const QRect leader(labels[j].leaderX, labels[j].box.bottom() + 1, 1, lane.top() - labels[j].box.bottom() - 1);
        EXPECT_FALSE(leader.intersects(box)) << "leader of " << j << " through " << i;
      }
    }
    if (c.allFull) {
      EXPECT_EQ(labels.size(), size_t(c.marks));
      EXPECT_EQ(shortened, 0);
    }
  }
}

using Marks = std::vector<std::vector<linecheck::PlotMark>>;

Marks MarksOf(const linecheck::PlotData& data) {
  Marks marks;
  for (int c = 0; c < data.Sections(); ++c) marks.push_back(data.Section(c).marks);
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
      const int x = layout.X(int(c), (m.start + m.end) / 2);
      EXPECT_EQ(QColor(image.pixel(x, y)), linecheck::MarkColour(m.kind));
    }
    // Quiet line between the events is no mark.
    const int quiet = layout.X(int(c), At(lines[c].marks.front().start - 0.3));
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
    EXPECT_TRUE(errors.startsWith(QStringLiteral("cid-line-check: çizim dosyası %1 yazılmaz: ").arg(u.target)))
        << errors.toStdString();
    EXPECT_EQ(errors.count(u'\n'), 1);
    // Refused before the recording is read.
    EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());
  }
}

}  // namespace
