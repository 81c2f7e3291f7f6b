// What cid-line-check writes, and where it will not, run as root (as on a
// test bench) in a sticky directory of the test's own that another user
// could plant things in: a link to a file of ours, a dangling link into a
// root-only directory, a file another user made first, the recording itself
// under another name, two outputs into one file. Each is refused with one
// line before anything is read, and nothing it points at changes.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tools/audio/signal_generator.h"

namespace {

struct Result {
  int exitCode = -1;
  QString out, errors;
};

Result LineCheck(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(CID_LINE_CHECK), args);
  Result r;
  if (!p.waitForFinished(30000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitCode();
  r.out = QString::fromUtf8(p.readAllStandardOutput());
  r.errors = QString::fromUtf8(p.readAllStandardError());
  return r;
}

QByteArray Contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray Name(const QString& path) { return QFile::encodeName(path); }

// Someone else's: the entry at `path` (a link itself, not what it points at).
void GiveAway(const QString& path, uid_t uid) { ASSERT_EQ(::lchown(Name(path).constData(), uid, uid), 0); }

struct Bench {
  QTemporaryDir dir;
  QString place, recording, rootOnly, victim;
  uid_t stranger = 0;

  Bench() {
    // /tmp's shape, but the test's own.
    place = dir.filePath(QStringLiteral("tmp"));
    QDir().mkdir(place);
    ::chmod(Name(place).constData(), 01777);
    recording = place + QStringLiteral("/kayit.wav");
    audiogen::Samples s = audiogen::Silence(2);
    audiogen::AddNoise(s, -60, 1);
    audiogen::WriteWav(recording, s);
    rootOnly = dir.filePath(QStringLiteral("root"));
    QDir().mkdir(rootOnly);
    ::chmod(Name(rootOnly).constData(), 0700);
    victim = rootOnly + QStringLiteral("/shadow");
    Write(victim, "root's own");
    const passwd* nobody = ::getpwnam("nobody");
    stranger = nobody ? nobody->pw_uid : 65534;
  }
  QString At(const char* name) const { return place + QLatin1Char('/') + QLatin1String(name); }
};

TEST(LineCheckOutput, RefusesEveryTargetItMayNotWriteBeforeReading) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root, as the planted cases are about a root run";
  Bench b;
  const QString theirs = b.At("theirs.png"), dangling = b.At("dangling.png"), linked = b.At("linked.png");
  const QString ourLink = b.At("ourlink.wav"), hard = b.At("hard.wav"), fifo = b.At("fifo.png");
  const QString open = b.dir.filePath(QStringLiteral("open")), strangerDir = b.At("yabanci");
  Write(theirs, "theirs");
  GiveAway(theirs, b.stranger);
  ASSERT_EQ(::symlink(Name(b.victim).constData(), Name(linked).constData()), 0);
  GiveAway(linked, b.stranger);
  ASSERT_EQ(::symlink(Name(b.rootOnly + "/new.png").constData(), Name(dangling).constData()), 0);
  GiveAway(dangling, b.stranger);
  ASSERT_EQ(::symlink(Name(b.victim).constData(), Name(ourLink).constData()), 0);
  ASSERT_EQ(::link(Name(b.recording).constData(), Name(hard).constData()), 0);
  ASSERT_EQ(::mkfifo(Name(fifo).constData(), 0600), 0);
  QDir().mkdir(open);
  ::chmod(Name(open).constData(), 0777);
  ASSERT_EQ(::symlink(Name(b.rootOnly).constData(), Name(strangerDir).constData()), 0);
  GiveAway(strangerDir, b.stranger);

  const struct {
    const char* name;
    QStringList args;
    const char* says;
  } cases[] = {
      {"planted link to a file of ours", {"--plot", linked}, "bir sembolik bağ"},
      {"our own link", {"--save", ourLink}, "bir sembolik bağ"},
      {"dangling link into a root-only directory", {"--plot", dangling}, "bir sembolik bağ"},
      {"a file another user made first", {"--save", theirs}, "başka bir kullanıcının dosyası"},
      {"the recording itself", {"--plot", b.recording}, "okunan kaydın kendisi"},
      {"the recording under another name", {"--save", hard}, "okunan kaydın kendisi"},
      {"two outputs into one new file", {"--save", b.At("x.wav"), "--plot", b.At("x.wav")}, "başka bir çıktıyla"},
      {"two outputs through two names",
       {"--save", b.At("y.wav"), "--plot", b.place + "/./y.wav"},
       "başka bir çıktıyla"},
      {"a FIFO", {"--plot", fifo}, "normal bir dosya değil"},
      {"a directory others can swap files in", {"--plot", open + "/hat.png"}, "başkaları da yazabiliyor"},
      {"keeping through another user's link",
       {"--keep", strangerDir + "/gece"},
       "başka bir kullanıcının sembolik bağı"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = LineCheck(QStringList{QStringLiteral("--json")} + c.args + QStringList{b.recording});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errors.count(u'\n'), 1) << r.errors.toStdString();
    EXPECT_TRUE(r.errors.contains(QString::fromUtf8(c.says))) << r.errors.toStdString();
    EXPECT_TRUE(r.out.isEmpty()) << "read before refusing: " << r.out.toStdString();
  }
  EXPECT_EQ(Contents(b.victim), "root's own");
  EXPECT_EQ(Contents(theirs), "theirs");
  EXPECT_FALSE(QFile::exists(b.rootOnly + "/new.png"));
  EXPECT_FALSE(QFile::exists(b.rootOnly + "/gece"));
  EXPECT_FALSE(QFile::exists(b.At("x.wav")));
  struct stat st {};
  ASSERT_EQ(::lstat(Name(theirs).constData(), &st), 0);
  EXPECT_EQ(st.st_uid, b.stranger);
  // Nothing left behind: no temporary file beside any target.
  for (const QString& f : QDir(b.place).entryList(QDir::Hidden | QDir::Files))
    EXPECT_FALSE(f.endsWith(QLatin1String(".tmp"))) << f.toStdString();
}

TEST(LineCheckOutput, WritesNewFilesAndReplacesOnlyItsOwnByRenaming) {
  Bench b;
  const QString fresh = b.At("yeni.png"), old = b.At("eski.png"), heard = b.At("duyulan.wav");
  Write(old, "an earlier picture");
  struct stat before {};
  ASSERT_EQ(::stat(Name(old).constData(), &before), 0);
  for (const QString& plot : {fresh, old}) {
    SCOPED_TRACE(plot.toStdString());
    const Result r = LineCheck({QStringLiteral("--plot"), plot, QStringLiteral("--save"), heard, b.recording});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_TRUE(Contents(plot).startsWith("\x89PNG"));
    QFile::remove(heard);
  }
  // The old picture was replaced by a new file, not written into.
  struct stat after {};
  ASSERT_EQ(::stat(Name(old).constData(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_TRUE(QDir(b.place).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".tmp")).isEmpty());
}

}  // namespace
