// A night on the line, fast: three hours of two lines with a ring cycle
// every ten minutes, fed through a FIFO as quickly as the line check reads
// it, with --keep, --plot and a SIGTERM once all is judged. The summaries
// count the cycles fed, the kept cycles read back to their verdicts, and
// the events come in time order.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "night_recording.h"

namespace {

QList<QJsonObject> Objects(const QByteArray& out) {
  QList<QJsonObject> objects;
  for (const QByteArray& line : out.split('\n'))
    if (!line.isEmpty()) objects << QJsonDocument::fromJson(line).object();
  return objects;
}

QString Kind(const QJsonObject& o) { return o[QStringLiteral("event")].toString(); }

// Where an event stands in time: its start, a verdict's or reversal's moment.
double When(const QJsonObject& o) {
  return o.contains(QStringLiteral("start")) && Kind(o) != QLatin1String("verdict") ? o["start"].toDouble()
                                                                                    : o["at"].toDouble();
}

// Writes the night into the FIFO, then holds it open as a live line would.
class Feeder {
 public:
  Feeder(const QString& fifo, const nightaudio::Night& night) {
    thread_ = std::thread([this, path = QFile::encodeName(fifo), night] {
      // The FIFO opens for writing once the tool has it open for reading.
      while (fd_ < 0 && !stop_) {
        fd_ = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      if (fd_ >= 0) ::fcntl(fd_, F_SETFL, 0);
      const auto put = [this](const char* data, size_t n) {
        for (size_t at = 0; at < n;) {
          const ssize_t w = ::write(fd_, data + at, n - at);
          if (w <= 0) return false;
          at += size_t(w);
        }
        return true;
      };
      const QByteArray header = nightaudio::WavHeader(night.lines);
      if (fd_ >= 0 && put(header.constData(), size_t(header.size())))
        nightaudio::Generate(night, [&](const audiogen::Samples& frames) {
          return put(reinterpret_cast<const char*>(frames.data()), frames.size() * sizeof(int16_t));
        });
      done_ = true;
    });
  }
  ~Feeder() {
    stop_ = true;
    thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  bool Done() const { return done_; }

 private:
  std::thread thread_;
  int fd_ = -1;
  std::atomic<bool> done_{false}, stop_{false};
};

TEST(LineCheckNight, SummariesCountEveryCycleAndKeptOnesReadBackToTheirVerdicts) {
  ::signal(SIGPIPE, SIG_IGN);  // the tool may stop reading first
  QTemporaryDir dir;
  const QString fifo = dir.filePath(QStringLiteral("hat.wav")), kept = dir.filePath(QStringLiteral("gece"));
  const QString plot = dir.filePath(QStringLiteral("gece.png"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  // Faults whose verdict does not depend on the line's random noise.
  const nightaudio::Night night =
      nightaudio::Plan(2, 3 * 3600, 600, {"none", "no-cid", "none", "fast-clock", "none", "none", "hum", "none"});
  int good = 0;
  for (const auto& c : night.cycles) good += c.fault == QLatin1String("none");
  const int fed = int(night.cycles.size()), failed = fed - good, keepMax = 6;

  QProcess p;
  p.start(QStringLiteral(CID_LINE_CHECK), {"--json", "--seconds", "43200", "--keep", kept, "--keep-max",
                                           QString::number(keepMax), "--plot", plot, fifo});
  ASSERT_TRUE(p.waitForStarted());
  QByteArray out;
  {
    Feeder feeder(fifo, night);
    // Stopped partway through its twelve hours, once all that was fed is judged.
    for (int verdicts = 0; p.state() == QProcess::Running && !(feeder.Done() && verdicts >= fed);) {
      p.waitForReadyRead(1000);
      out += p.readAllStandardOutput();
      verdicts = int(out.count("\"event\":\"verdict\""));
    }
    EXPECT_EQ(p.state(), QProcess::Running) << p.readAllStandardError().toStdString();
    p.terminate();
    ASSERT_TRUE(p.waitForFinished(120000));
  }
  out += p.readAllStandardOutput();
  const QString errors = QString::fromUtf8(p.readAllStandardError());
  ASSERT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << errors.toStdString();

  const QList<QJsonObject> events = Objects(out);
  std::map<std::pair<int, QString>, int> causes;  // by line and cause, from the verdicts
  QList<QJsonObject> summaries;
  double last = -1;
  for (const QJsonObject& e : events) {
    if (Kind(e) == QLatin1String("summary")) {
      summaries << e;
      continue;
    }
    EXPECT_GE(When(e), last) << QJsonDocument(e).toJson().toStdString();
    last = When(e);
    EXPECT_FALSE(e["clock"].toString().isEmpty());
    if (Kind(e) == QLatin1String("verdict") && !e["good"].toBool())
      ++causes[{e["line"].toInt(), e["cause"].toString()}];
  }
  ASSERT_GE(summaries.size(), 3);  // every hour, and the last
  for (qsizetype i = 0; i + 1 < summaries.size(); ++i) EXPECT_FALSE(summaries[i]["final"].toBool());
  const QJsonObject final = summaries.last();
  EXPECT_TRUE(final["final"].toBool());
  EXPECT_EQ(final["ended"].toString(), QStringLiteral("stopped"));
  EXPECT_EQ(final["cycles"].toInt(), fed);
  EXPECT_EQ(final["good"].toInt(), good);
  int counted = 0;
  for (const QJsonValue& l : final["lines"].toArray()) {
    const QJsonObject line = l.toObject();
    EXPECT_EQ(line["cycles"].toInt(), fed / 2);
    const QJsonObject byCause = line["causes"].toObject();
    for (auto it = byCause.begin(); it != byCause.end(); ++it) {
      EXPECT_EQ(it.value().toInt(), (causes[{line["line"].toInt(), it.key()}])) << it.key().toStdString();
      counted += it.value().toInt();
    }
  }
  EXPECT_EQ(counted, failed);

  // As many kept as the limit allows, said once, each reading back to the
  // verdict it was kept for, with its picture beside it.
  EXPECT_EQ(final["kept"].toInt(), keepMax);
  EXPECT_EQ(errors.count(QStringLiteral("saklama sınırına gelindi")), 1) << errors.toStdString();
  const QStringList wavs = QDir(kept).entryList({QStringLiteral("*.wav")});
  ASSERT_EQ(wavs.size(), keepMax);
  for (const QString& wav : wavs) {
    SCOPED_TRACE(wav.toStdString());
    EXPECT_TRUE(QFile::exists(kept + "/" + QString(wav).replace(".wav", ".png")));
    QProcess again;
    again.start(QStringLiteral(CID_LINE_CHECK), {"--json", kept + "/" + wav});
    ASSERT_TRUE(again.waitForFinished(60000));
    QStringList verdicts;
    for (const QJsonObject& e : Objects(again.readAllStandardOutput()))
      if (Kind(e) == QLatin1String("verdict")) verdicts << e["cause"].toString();
    ASSERT_EQ(verdicts.size(), 1);
    EXPECT_TRUE(wav.endsWith("-" + verdicts[0] + ".wav"));
  }
  // The overview, and the failed cycles the limit allows on the pages beside it.
  EXPECT_TRUE(QFile::exists(plot));
  EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("gece-*.png")}).size(), (std::min(failed, keepMax) + 3) / 4);
}

}  // namespace
