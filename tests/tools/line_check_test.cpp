// cid-line-check on recordings made with the simulator's line faults: the
// events and verdicts it reports, as text and as one JSON object per line.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "support/recording_writer.h"
#include "tools/simulator/line_faults.h"

namespace {

struct CheckRun {
  int exitCode = -1;
  QList<QJsonObject> events;
  QString text, errors;
};

CheckRun LineCheck(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(CID_LINE_CHECK), args);
  CheckRun r;
  if (!p.waitForFinished(60000)) return r;
  r.exitCode = p.exitCode();
  r.text = QString::fromUtf8(p.readAllStandardOutput());
  r.errors = QString::fromUtf8(p.readAllStandardError());
  for (const QString& line : r.text.split(u'\n', Qt::SkipEmptyParts))
    r.events << QJsonDocument::fromJson(line.toUtf8()).object();
  return r;
}

// One call with `fault` on line 1 and a good call on line 2, as IMA ADPCM.
QString Recording(const QTemporaryDir& dir, const QString& fault) {
  audiogen::CallBurst call;
  call.number = QStringLiteral("05321234567");
  std::vector<audiogen::Samples> lines;
  for (const QString& f : {fault, QStringLiteral("none")}) {
    sim::LineFaults faults;
    QString error;
    EXPECT_TRUE(faults.Add({f}, &error)) << error.toStdString();
    audiogen::Samples s = audiogen::Silence(0.5);
    audiogen::Append(s, sim::CallAudio(call, -20, 45, faults));
    audiogen::Append(s, audiogen::Silence(2));
    audiogen::AddNoise(s, sim::NoiseDbm0(-20, 45, faults), 5);
    lines.push_back(s);
  }
  const QString path = dir.filePath(fault + QStringLiteral(".wav"));
  EXPECT_TRUE(testsupport::WriteRecording(path, lines, 8000, SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM));
  return path;
}

QList<QJsonObject> Of(const QList<QJsonObject>& events, int line, const char* kind) {
  QList<QJsonObject> out;
  for (const QJsonObject& e : events)
    if (e[QStringLiteral("line")].toInt() == line && e[QStringLiteral("event")].toString() == QLatin1String(kind))
      out << e;
  return out;
}

TEST(LineCheck, EachFaultGivesItsEventsAndVerdict) {
  const struct {
    const char* fault;
    int bursts;
    bool good;
    const char* verdictSays;  // in the verdict's text
    double bitRate;           // 0: not checked
  } cases[] = {
      {"none", 1, true, "", 1200},
      {"fast-clock", 1, false, "hız kaymış (1260 bit/sn", 1260},
      {"no-cid", 0, false, "arayan bilgisi gelmedi", 0},
      {"early", 1, true, "", 1200},
  };
  QTemporaryDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    const CheckRun r = LineCheck({QStringLiteral("--json"), Recording(dir, QString::fromLatin1(c.fault))});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(Of(r.events, 1, "ring").size(), 2);
    const QList<QJsonObject> bursts = Of(r.events, 1, "burst");
    ASSERT_EQ(bursts.size(), c.bursts);
    const QList<QJsonObject> verdicts = Of(r.events, 1, "verdict");
    ASSERT_EQ(verdicts.size(), 1);
    EXPECT_EQ(verdicts[0][QStringLiteral("good")].toBool(), c.good);
    EXPECT_TRUE(verdicts[0][QStringLiteral("text")].toString().contains(QString::fromUtf8(c.verdictSays)));
    if (c.bursts > 0) {
      if (c.good) EXPECT_EQ(bursts[0][QStringLiteral("number")].toString(), QStringLiteral("05321234567"));
      EXPECT_NEAR(bursts[0][QStringLiteral("level_dbm0")].toDouble(), -20, 1.5);
      EXPECT_NEAR(bursts[0][QStringLiteral("bit_rate")].toDouble(), c.bitRate, 6);
      const double firstRing = Of(r.events, 1, "ring")[0][QStringLiteral("start")].toDouble();
      EXPECT_EQ(bursts[0][QStringLiteral("start")].toDouble() < firstRing, QLatin1String(c.fault) == "early");
    }
    // The good line beside it.
    ASSERT_EQ(Of(r.events, 2, "verdict").size(), 1);
    EXPECT_TRUE(Of(r.events, 2, "verdict")[0][QStringLiteral("good")].toBool());
  }
}

// A tone is learnt only once it has ended, 40 s after it began here: what
// the other line heard meanwhile waits for it, so the report stays in time
// order.
TEST(LineCheck, ALongToneKeepsTheReportInTimeOrder) {
  audiogen::CallBurst call;
  call.number = QStringLiteral("05321234567");
  audiogen::Samples tone = audiogen::Tone(350, 40, -25), other = audiogen::Tone(450, 40, -25);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = int16_t(tone[i] + other[i]);
  audiogen::Append(tone, audiogen::Silence(8));
  audiogen::Samples calls = audiogen::Silence(1);
  audiogen::Append(calls, audiogen::CallOnLine(call, -20, 40, 3));
  calls.resize(tone.size());
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("iki.wav"));
  ASSERT_TRUE(testsupport::WriteRecording(path, {tone, calls}, 8000, SF_FORMAT_WAV | SF_FORMAT_PCM_16));
  const CheckRun r = LineCheck({QStringLiteral("--json"), path});
  ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
  ASSERT_EQ(Of(r.events, 1, "call_progress_tone").size(), 1);
  EXPECT_EQ(Of(r.events, 2, "verdict").size(), 1);
  double last = -1;
  for (const QJsonObject& e : r.events) {
    if (e[QStringLiteral("event")].toString() == QLatin1String("summary")) continue;
    const double at =
        e.contains(QStringLiteral("at")) ? e[QStringLiteral("at")].toDouble() : e[QStringLiteral("start")].toDouble();
    EXPECT_GE(at, last) << QJsonDocument(e).toJson().toStdString();
    last = at;
  }
}

TEST(LineCheck, TextReportNamesTheRecordingAndAnUnreadableOneFails) {
  QTemporaryDir dir;
  const CheckRun r = LineCheck({Recording(dir, QStringLiteral("no-cid"))});
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_TRUE(r.text.contains(QStringLiteral("IMA ADPCM, 8000 Hz, 2 kanal"))) << r.text.toStdString();
  EXPECT_TRUE(r.text.contains(QStringLiteral("Hat 1, "))) << r.text.toStdString();
  EXPECT_TRUE(r.text.contains(QStringLiteral("santral numara göndermiyor"))) << r.text.toStdString();

  const QString junk = dir.filePath(QStringLiteral("junk.amr"));
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray("#!AMR\n") + QByteArray(300, '\x3c'));
  f.close();
  const CheckRun bad = LineCheck({junk});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_TRUE(bad.errors.contains(QStringLiteral("biçimi okunamıyor: AMR"))) << bad.errors.toStdString();
}

TEST(LineCheck, WrongCommandLinesAndFailingSourcesSayWhatWasGiven) {
  QTemporaryDir dir;
  const QString good = Recording(dir, QStringLiteral("none"));
  // The same recording with half its data gone, as a recorder stopped mid-write leaves it.
  const QString cut = dir.filePath(QStringLiteral("yarim.wav"));
  QFile::copy(good, cut);
  QFile(cut).resize(QFileInfo(cut).size() / 2);
  const QString empty = dir.filePath(QStringLiteral("bos.wav"));
  QFile(empty).open(QIODevice::WriteOnly);
  const QString fifo = dir.filePath(QStringLiteral("akis.wav"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const struct {
    const char* name;
    QStringList args;
    int exitCode;
    QString says;  // the one line on stderr holds it
  } cases[] = {
      {"unknown option", {"--bogus", good}, 2, "bilinmeyen seçenek --bogus"},
      {"a value missing", {good, "--seconds"}, 2, "--seconds seçeneğinin değeri eksik"},
      {"two sources", {good, good}, 2, "tek bir kaynak"},
      {"a recording cut short is judged all the same", {"--json", cut}, 0, cut + ": Ses dosyası yarıda kesildi"},
      {"an empty file is named", {empty}, 1, empty},
      {"a FIFO no one writes, bounded by --seconds", {"--seconds", "1", fifo}, 1, "hiç ses gelmedi"},
      {"a card that is not there", {"/dev/snd/pcmC97D0c"}, 1, "ses kartı /dev/snd/pcmC97D0c yok"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CheckRun r = LineCheck(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(r.errors.count(u'\n'), 1) << r.errors.toStdString();
    EXPECT_TRUE(r.errors.contains(c.says)) << r.errors.toStdString();
    if (c.exitCode == 0) EXPECT_FALSE(Of(r.events, 2, "verdict").isEmpty());
  }
}

// A FLAC frame overwritten between two calls: the part skipped is said once,
// the later call is judged all the same, and the end, a whole one, is not said.
TEST(LineCheck, ADamagedFrameIsSkippedAndTheLaterCallIsJudged) {
  QTemporaryDir dir;
  audiogen::CallBurst call;
  call.number = QStringLiteral("05321234567");
  const sim::LineFaults none;
  audiogen::Samples s = audiogen::Silence(0.5);
  for (double after : {10.0, 2.0}) {  // the middle of the file between the calls
    audiogen::Append(s, sim::CallAudio(call, -20, 45, none));
    audiogen::Append(s, audiogen::Silence(after));
  }
  audiogen::AddNoise(s, sim::NoiseDbm0(-20, 45, none), 5);
  const QString path = dir.filePath(QStringLiteral("iki.flac"));
  ASSERT_TRUE(testsupport::WriteRecording(path, {s}, 8000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.seek(f.size() / 2) && f.write(QByteArray(64, '\0')) == 64);
  f.close();
  const CheckRun r = LineCheck({QStringLiteral("--json"), path});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(Of(r.events, 1, "verdict").size(), 2);
  const QString note = QStringLiteral("cid-line-check: %1: Ses dosyasında bozuk bir bölüm atlandı: ").arg(path);
  EXPECT_TRUE(r.errors.startsWith(note) && r.errors.count(u'\n') == 1) << r.errors.toStdString();
}

}  // namespace
