// cid-line-check --save: what it heard from a live stream or a recording,
// kept as a WAV file that reads back to the same events; a file it may not
// write is refused before anything is read, and nothing heard leaves nothing.
#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "support/recording_writer.h"
#include "tools/simulator/line_faults.h"

namespace {

struct CheckRun {
  int exitCode = -1;
  QList<QJsonObject> events;
  QString errors;
};

// Runs cid-line-check; with `stream`, writes it into the FIFO at args' last
// path once the tool has opened it, then closes the FIFO.
CheckRun LineCheck(const QStringList& args, const QByteArray* stream = nullptr) {
  QProcess p;
  p.start(QStringLiteral(CID_LINE_CHECK), args);
  CheckRun r;
  if (stream) {
    const QByteArray fifo = QFile::encodeName(args.last());
    int fd = -1;
    // The FIFO opens for writing once the tool has it open for reading.
    while (fd < 0 && p.state() != QProcess::NotRunning) {
      fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) p.waitForFinished(10);
    }
    if (fd >= 0) {
      ::fcntl(fd, F_SETFL, 0);
      for (qsizetype at = 0; at < stream->size();) {
        const ssize_t n = ::write(fd, stream->constData() + at, size_t(stream->size() - at));
        if (n <= 0) break;
        at += n;
      }
      ::close(fd);
    }
  }
  if (!p.waitForFinished(60000)) return r;
  r.exitCode = p.exitCode();
  r.errors = QString::fromUtf8(p.readAllStandardError());
  // The events themselves: when they were heard on the clock, and the
  // summary of the run, differ between a live stream and its replay.
  for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
    QJsonObject o = QJsonDocument::fromJson(line).object();
    o.remove(QStringLiteral("clock"));
    if (!line.isEmpty() && o[QStringLiteral("event")] != QStringLiteral("summary")) r.events << o;
  }
  return r;
}

// Two lines as a sound card would have recorded them (float, 11025 Hz, so
// the reader resamples): a good call on line 1, rings without caller ID on 2.
QString Recording(const QTemporaryDir& dir) {
  audiogen::CallBurst call;
  call.number = QStringLiteral("05321234567");
  std::vector<audiogen::Samples> lines;
  for (const char* fault : {"none", "no-cid"}) {
    sim::LineFaults faults;
    QString error;
    EXPECT_TRUE(faults.Add({QString::fromLatin1(fault)}, &error)) << error.toStdString();
    audiogen::Samples s = audiogen::Silence(0.5);
    audiogen::Append(s, sim::CallAudio(call, -20, 45, faults));
    audiogen::Append(s, audiogen::Silence(2));
    audiogen::AddNoise(s, sim::NoiseDbm0(-20, 40, faults), 7);
    lines.push_back(s);
  }
  const QString path = dir.filePath(QStringLiteral("line.wav"));
  EXPECT_TRUE(testsupport::WriteRecording(path, lines, 11025, SF_FORMAT_WAV | SF_FORMAT_FLOAT));
  return path;
}

QByteArray Contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(LineCheckSave, WhatWasHeardReadsBackToTheSameEvents) {
  QTemporaryDir dir;
  const QString recording = Recording(dir);
  const QString fifo = dir.filePath(QStringLiteral("stream.wav"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QByteArray stream = Contents(recording);

  const struct {
    const char* name;
    bool live;
  } sources[] = {{"FIFO", true}, {"recording", false}};
  for (const auto& s : sources) {
    SCOPED_TRACE(s.name);
    const QString saved = dir.filePath(QStringLiteral("heard-%1.wav").arg(QLatin1String(s.name)));
    const CheckRun heard = s.live
                               ? LineCheck({QStringLiteral("--json"), QStringLiteral("--save"), saved, fifo}, &stream)
                               : LineCheck({QStringLiteral("--json"), QStringLiteral("--save"), saved, recording});
    ASSERT_EQ(heard.exitCode, 0) << heard.errors.toStdString();

    SF_INFO info{};
    SNDFILE* f = sf_open(QFile::encodeName(saved).constData(), SFM_READ, &info);
    ASSERT_TRUE(f) << sf_strerror(nullptr);
    sf_close(f);
    EXPECT_EQ(info.samplerate, 8000);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);

    // The events are worth comparing: a number on line 1, a verdict against line 2.
    bool number = false, noCallerId = false;
    for (const QJsonObject& e : heard.events) {
      number |= e[QStringLiteral("number")].toString() == QStringLiteral("05321234567");
      noCallerId |= e[QStringLiteral("event")].toString() == QStringLiteral("verdict") &&
                    e[QStringLiteral("line")].toInt() == 2 && !e[QStringLiteral("good")].toBool();
    }
    EXPECT_TRUE(number);
    EXPECT_TRUE(noCallerId);

    const CheckRun again = LineCheck({QStringLiteral("--json"), saved});
    ASSERT_EQ(again.exitCode, 0) << again.errors.toStdString();
    EXPECT_EQ(again.events, heard.events);
  }
}

TEST(LineCheckSave, AFileItMayNotWriteIsRefusedAndNothingHeardLeavesNothing) {
  QTemporaryDir dir;
  const QString recording = Recording(dir);
  const QByteArray original = Contents(recording);
  const QString fifo = dir.filePath(QStringLiteral("stream.wav"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString earlier = dir.filePath(QStringLiteral("earlier.wav"));
  const QByteArray earlierBytes("an earlier take");
  const QString fresh = dir.filePath(QStringLiteral("fresh.wav"));

  const QByteArray empty;
  const struct {
    const char* name;
    QString save, source;
    const QByteArray* stream;  // fed into the FIFO source
    std::string says;          // on stderr
    bool saveLeftThere;        // afterwards
  } cases[] = {
      {"no such directory", dir.filePath(QStringLiteral("none/heard.wav")), recording, nullptr,
       "yazılmaz: " + dir.filePath(QStringLiteral("none")).toStdString() + ": böyle bir dosya ya da dizin yok", false},
      {"a directory", dir.path(), recording, nullptr, "bir dizin", true},
      {"the recording read", recording, recording, nullptr, "okunan kaydın kendisi", true},
      {"the FIFO read", fifo, fifo, nullptr, "normal bir dosya değil", true},
      {"nothing heard, new file", fresh, fifo, &empty, "WAV başlığı gelmedi", false},
      {"nothing heard, file there", earlier, fifo, &empty, "WAV başlığı gelmedi", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QFile e(earlier);
    ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    e.write(earlierBytes);
    e.close();
    const CheckRun r = LineCheck({QStringLiteral("--save"), c.save, c.source}, c.stream);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.errors.contains(QString::fromStdString(c.says))) << r.errors.toStdString();
    EXPECT_EQ(QFile::exists(c.save), c.saveLeftThere);
  }
  EXPECT_EQ(Contents(recording), original);
  EXPECT_EQ(Contents(earlier), earlierBytes);
}

}  // namespace
