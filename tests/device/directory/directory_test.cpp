// Which entries of the device directories count as declared devices, and
// which directories are trusted at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "device/directory/device_directory.h"
#include "device/directory/device_target.h"
#include "device/pty.h"

namespace device {
namespace {

using test::Pty;

void Link(const QString& target, const QString& path) {
  ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()), 0)
      << path.toStdString();
}

qint64 ChangedAtNs(const QString& path) {
  struct stat st {};
  if (::lstat(QFile::encodeName(path).constData(), &st) != 0) return -1;
  return qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
}

// Entries are ordered by when their link was made, a time the file system
// keeps in coarse steps. Waits until a link made now in `dir` would be
// later than `entry`.
bool WaitPastLinkTime(const QString& dir, const QString& entry) {
  const qint64 made = ChangedAtNs(entry);
  const QString probe = dir + QStringLiteral("/probe");
  const bool past = QTest::qWaitFor(
      [&] {
        QFile::remove(probe);
        return ::symlink("probe-target", QFile::encodeName(probe).constData()) == 0 && ChangedAtNs(probe) > made;
      },
      5000);
  QFile::remove(probe);
  return made >= 0 && past;
}

TEST(DeviceDirectory, OnlyNamedLinksToSerialPortsInTheOrderTheyWereMade) {
  QTemporaryDir dir, other;
  Pty pty;
  ASSERT_FALSE(pty.Slave().isEmpty());
  QString error;
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("modem-b"), pty.Slave(), &error)) << error.toStdString();
  ASSERT_TRUE(WaitPastLinkTime(other.path(), dir.path() + "/modem-b"));
  ASSERT_TRUE(CreateDeviceEntry(other.path(), QStringLiteral("unit-a"), pty.Slave(), &error));
  Link(pty.Slave(), dir.path() + "/ttyUSB0");
  Link(pty.Slave(), dir.path() + "/unit-x.new");

  const auto entries = ScanDeviceDirectories({dir.path(), other.path(), dir.path() + "/absent"});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, QStringLiteral("modem-b"));  // made first, although listed later
  EXPECT_EQ(entries[0].family, DeviceFamily::Modem);
  EXPECT_EQ(entries[0].target, QFileInfo(pty.Slave()).canonicalFilePath());
  EXPECT_EQ(entries[1].name, QStringLiteral("unit-a"));
  EXPECT_EQ(entries[1].family, DeviceFamily::NativeUnit);

  // Re-linking makes a new entry: a replugged device counts as linked last.
  ASSERT_TRUE(WaitPastLinkTime(dir.path(), other.path() + "/unit-a"));
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("modem-b"), pty.Slave(), &error));
  const auto again = ScanDeviceDirectories({dir.path(), other.path()});
  EXPECT_EQ(again[1].name, QStringLiteral("modem-b"));
  EXPECT_FALSE(again[1] == entries[0]);

  ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("modem-b"), &error));
  ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("modem-b"), &error));  // already gone is fine
  EXPECT_EQ(ScanDeviceDirectories({dir.path()}).size(), 0u);
}

TEST(DeviceDirectory, GoneAndLoopingTargetsAreSilentOtherNonSerialTargetsRefused) {
  QTemporaryDir dir;
  QFile file(dir.path() + "/plain-file");
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  Link(dir.path() + "/missing", dir.path() + "/unit-gone");
  Link(dir.path() + "/unit-loop", dir.path() + "/unit-loop");
  Link("modem-loop2", dir.path() + "/modem-loop1");
  Link("modem-loop1", dir.path() + "/modem-loop2");
  QStringList refusals;
  EXPECT_TRUE(ScanDeviceDirectories({dir.path()}, &refusals).empty());
  EXPECT_TRUE(refusals.isEmpty()) << refusals.join('\n').toStdString();

  // Anything but a serial port or pseudo-terminal is refused, and said so.
  Link(file.fileName(), dir.path() + "/unit-file");
  Link("/dev/zero", dir.path() + "/unit-zero");
  Link("/dev/tty", dir.path() + "/modem-tty");
  Link("/dev/ptmx", dir.path() + "/unit-ptmx");
  Link("/dev/tty1", dir.path() + "/unit-console");
  EXPECT_TRUE(ScanDeviceDirectories({dir.path()}, &refusals).empty());
  ASSERT_EQ(refusals.size(), 5) << refusals.join('\n').toStdString();
  for (const QString& r : refusals) {
    EXPECT_TRUE(r.contains(QStringLiteral("bir seri aygıt değil"))) << r.toStdString();
  }

  // A real entry next to them still counts; a relative link resolves from the directory.
  Pty pty;
  Link(QStringLiteral("../..") + pty.Slave(), dir.path() + "/unit-pty");
  const auto entries = ScanDeviceDirectories({dir.path()});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].target, pty.Slave());
}

// Directories another user could have filled: owned by someone else, writable
// by group or others, or a link in place of the directory.
TEST(DeviceDirectory, DirectoriesOthersCanWriteAreNotRead) {
  QTemporaryDir base;
  Pty pty;
  struct Case {
    const char* name;
    mode_t mode;
    uid_t owner;
  };
  std::vector<Case> cases = {{"world-writable", 0777, getuid()}, {"group-writable", 0770, getuid()}};
  // Only root can give a directory away; CI runs as root.
  if (getuid() == 0) cases.push_back({"other-owner", 0755, 65534});
  for (const Case& c : cases) {
    const QString d = base.path() + "/" + c.name;
    ASSERT_EQ(::mkdir(QFile::encodeName(d).constData(), 0700), 0);
    Link(pty.Slave(), d + "/unit-evil");
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), c.mode), 0);
    if (c.owner != getuid()) {
      ASSERT_EQ(::lchown(QFile::encodeName(d).constData(), c.owner, c.owner), 0);
    }
    QStringList refusals;
    EXPECT_TRUE(ScanDeviceDirectories({d}, &refusals).empty()) << c.name;
    ASSERT_EQ(refusals.size(), 1) << c.name;
    EXPECT_TRUE(refusals[0].contains(QStringLiteral("içindeki kayıtlar kullanılmadı"))) << refusals[0].toStdString();
    QString error;
    EXPECT_FALSE(CreateDeviceEntry(d, QStringLiteral("unit-mine"), pty.Slave(), &error)) << c.name;
    EXPECT_FALSE(QFileInfo::exists(d + "/unit-mine"));
  }

  // A link where the directory should be is not followed, for reading or writing.
  const QString real = base.path() + "/real";
  ASSERT_EQ(::mkdir(QFile::encodeName(real).constData(), 0700), 0);
  Link(pty.Slave(), real + "/unit-planted");
  Link(real, base.path() + "/link");
  QStringList refusals;
  EXPECT_TRUE(ScanDeviceDirectories({base.path() + "/link"}, &refusals).empty());
  ASSERT_EQ(refusals.size(), 1);
  EXPECT_TRUE(refusals[0].contains(QStringLiteral("gerçek bir dizin değil")));
  QString error;
  EXPECT_FALSE(CreateDeviceEntry(base.path() + "/link", QStringLiteral("unit-mine"), pty.Slave(), &error));
  EXPECT_FALSE(QFileInfo::exists(real + "/unit-mine"));

  // Its own private directory is fine, made afresh with nothing for others.
  EXPECT_TRUE(CreateDeviceEntry(base.path() + "/made/on/demand", QStringLiteral("unit-1"), pty.Slave(), &error))
      << error.toStdString();
  EXPECT_EQ(QFile::permissions(base.path() + "/made/on/demand") & (QFile::ReadOther | QFile::WriteGroup),
            QFile::Permissions());
  EXPECT_EQ(ScanDeviceDirectories({base.path() + "/made/on/demand"}).size(), 1u);
}

// A pseudo-terminal left behind by a dead bridge can be handed out again to
// another user, who would then play a unit of their own: only the user's own
// pseudo-terminals count.
TEST(DeviceDirectory, PseudoTerminalsOfAnotherUserAreRefused) {
  if (getuid() != 0) GTEST_SKIP() << "only root can give a pseudo-terminal to another user";
  QTemporaryDir dir;
  Pty mine, theirs;
  ASSERT_EQ(::chown(QFile::encodeName(theirs.Slave()).constData(), 65534, 65534), 0);
  for (const char* family : {"unit", "modem", "lineunit"}) {
    Link(theirs.Slave(), dir.path() + "/" + family + "-theirs");
  }
  Link(mine.Slave(), dir.path() + "/unit-mine");
  QStringList refusals;
  const auto entries = ScanDeviceDirectories({dir.path()}, &refusals);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, QStringLiteral("unit-mine"));
  ASSERT_EQ(refusals.size(), 3) << refusals.join('\n').toStdString();
  for (const QString& r : refusals) {
    EXPECT_TRUE(r.contains(QStringLiteral("başka bir kullanıcının sözde uçbirimi"))) << r.toStdString();
    EXPECT_TRUE(r.endsWith(QStringLiteral("kayıt kullanılmadı"))) << r.toStdString();
  }
}

// A child in a session of its own with the terminal as its controlling one,
// as a terminal window's shell or a login has it; it stays until the
// object goes.
class SessionOnTerminal {
 public:
  explicit SessionOnTerminal(const QString& tty) {
    int ready[2], done[2];
    if (::pipe(ready) != 0 || ::pipe(done) != 0) return;
    const QByteArray path = QFile::encodeName(tty);
    pid_ = ::fork();
    if (pid_ == 0) {
      char c = 0;
      ::close(ready[0]);
      ::close(done[1]);
      const int fd = ::setsid() < 0 ? -1 : ::open(path.constData(), O_RDWR);
      if (fd >= 0 && ::ioctl(fd, TIOCSCTTY, 0) == 0) (void)!::write(ready[1], "r", 1);
      (void)!::read(done[0], &c, 1);
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(done[0]);
    done_ = done[1];
    char c = 0;
    started_ = pid_ > 0 && ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
  }
  ~SessionOnTerminal() {
    if (done_ >= 0) ::close(done_);  // the child's read ends, it exits
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  bool Started() const { return started_; }

 private:
  pid_t pid_ = -1;
  int done_ = -1;
  bool started_ = false;
};

// Terminals people use are never devices, whoever owns them: a session's
// controlling terminal, the system console (also a serial port that is the
// kernel's console), the virtual consoles. Each refusal says which it is.
TEST(DeviceDirectory, TerminalsInUseAndConsolesAreRefusedSayingWhy) {
  QTemporaryDir base;  // like /tmp: sticky, anyone may write
  ASSERT_EQ(::chmod(QFile::encodeName(base.path()).constData(), 01777), 0);
  const QString dir = base.path() + "/entries";
  ASSERT_EQ(::mkdir(QFile::encodeName(dir).constData(), 0700), 0);
  Pty window, spare;
  SessionOnTerminal shell(window.Slave());
  ASSERT_TRUE(shell.Started());
  struct Case {
    QString target;
    const char* refusal;  // empty: accepted
  };
  std::vector<Case> cases = {
      {spare.Slave(), ""},
      {window.Slave(), "bir oturumun denetim uçbirimi"},
      {QStringLiteral("/dev/console"), "sistemin konsolu"},
      {QStringLiteral("/dev/tty0"), "sistemin konsolu"},
      {QStringLiteral("/dev/tty"), "kendi denetim uçbirimi"},
      {QStringLiteral("/dev/tty1"), "sanal konsol"},
  };
  QFile active(QStringLiteral("/sys/class/tty/console/active"));
  if (active.open(QIODevice::ReadOnly))
    for (const QByteArray& name : active.readAll().simplified().split(' '))
      if (QFileInfo::exists("/dev/" + name) && name != "tty0")
        cases.push_back({QString::fromLatin1("/dev/" + name), "sistemin konsolu (çekirdeğin konsolu"});
  for (const Case& c : cases) {
    QFile::remove(dir + "/unit-x");
    if (!QFileInfo::exists(c.target)) continue;
    Link(c.target, dir + "/unit-x");
    QStringList refusals;
    const auto found = ScanDeviceDirectories({dir}, &refusals);
    if (!*c.refusal) {
      EXPECT_EQ(found.size(), 1u) << c.target.toStdString() << refusals.join('\n').toStdString();
      continue;
    }
    EXPECT_TRUE(found.empty()) << c.target.toStdString();
    ASSERT_EQ(refusals.size(), 1) << c.target.toStdString();
    EXPECT_TRUE(refusals[0].contains(QString::fromUtf8(c.refusal))) << refusals[0].toStdString();
  }
}

// A FIFO or a WAV file is the user's line only while no one else can write
// into it or put another file in its place: it must be the user's own, in
// directories that only the user (or root) can change, or that are sticky.
TEST(DeviceDirectory, StreamTargetsOthersCouldFeedOrSwapAreRefused) {
  QTemporaryDir base;
  const uid_t other = 65534;
  struct Case {
    const char* name;
    bool fifo;
    mode_t dirMode;
    uid_t dirOwner, fileOwner;
    const char* refusal;  // empty: accepted
  };
  std::vector<Case> cases = {
      {"private-fifo", true, 0700, getuid(), getuid(), ""},
      {"private-wav", false, 0755, getuid(), getuid(), ""},
      {"sticky-fifo", true, 01777, getuid(), getuid(), ""},
      {"world-writable-fifo", true, 0777, getuid(), getuid(), "başkalarının da yazabildiği bir dizinde"},
      {"group-writable-wav", false, 0770, getuid(), getuid(), "başkalarının da yazabildiği bir dizinde"},
  };
  if (getuid() == 0) {  // only root can give files away
    cases.push_back({"their-fifo", true, 0700, getuid(), other, "başka bir kullanıcıya ait"});
    cases.push_back({"their-wav", false, 0700, getuid(), other, "başka bir kullanıcıya ait"});
    cases.push_back({"fifo-in-their-dir", true, 0755, other, getuid(), "başka bir kullanıcının dizininde"});
  }
  for (const Case& c : cases) {
    const QString d = base.path() + "/" + c.name;
    const QString target = d + (c.fifo ? "/line.fifo" : "/line.wav");
    ASSERT_EQ(::mkdir(QFile::encodeName(d).constData(), 0700), 0);
    if (c.fifo) {
      ASSERT_EQ(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
    } else {
      ASSERT_TRUE(QFile(target).open(QIODevice::WriteOnly));
    }
    if (c.fileOwner != getuid()) {
      ASSERT_EQ(::lchown(QFile::encodeName(target).constData(), c.fileOwner, c.fileOwner), 0);
    }
    if (c.dirOwner != getuid()) {
      ASSERT_EQ(::chown(QFile::encodeName(d).constData(), c.dirOwner, c.dirOwner), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), c.dirMode), 0);
    QTemporaryDir entries;
    Link(target, entries.path() + "/audio-line");
    QStringList refusals;
    const auto found = ScanDeviceDirectories({entries.path()}, &refusals);
    if (!*c.refusal) {
      EXPECT_EQ(found.size(), 1u) << c.name;
      EXPECT_TRUE(refusals.isEmpty()) << c.name << refusals.join('\n').toStdString();
      continue;
    }
    EXPECT_TRUE(found.empty()) << c.name;
    ASSERT_EQ(refusals.size(), 1) << c.name;
    EXPECT_TRUE(refusals[0].contains(QString::fromUtf8(c.refusal))) << c.name << ": " << refusals[0].toStdString();
    EXPECT_TRUE(refusals[0].endsWith(QStringLiteral("kayıt kullanılmadı"))) << refusals[0].toStdString();
  }
}

TEST(DeviceDirectory, EntryNamesMustNameAFamily) {
  QTemporaryDir dir;
  QString error;
  for (const char* bad : {"ttyUSB0", "unit-", "modem-", "unit-a/b", "Unit-a"}) {
    EXPECT_FALSE(CreateDeviceEntry(dir.path(), QString::fromLatin1(bad), QStringLiteral("/dev/null"), &error)) << bad;
    EXPECT_TRUE(error.contains(QStringLiteral("Geçersiz kayıt adı")));
  }
  // Every family's prefix names that family (the link command builds names from it).
  for (DeviceFamily f : {DeviceFamily::NativeUnit, DeviceFamily::Modem, DeviceFamily::PublicFormatSerial,
                         DeviceFamily::PublicFormatUdp, DeviceFamily::Audio}) {
    DeviceFamily read = f == DeviceFamily::NativeUnit ? DeviceFamily::Modem : DeviceFamily::NativeUnit;
    EXPECT_TRUE(FamilyFromName(FamilyPrefix(f) + "x", &read) && read == f) << FamilyPrefix(f).toStdString();
  }
  // Removing through a link in the directory's place touches nothing behind it.
  QTemporaryDir elsewhere;
  ASSERT_TRUE(QFile(elsewhere.filePath("unit-a")).open(QIODevice::WriteOnly));
  ASSERT_TRUE(QFile::link(elsewhere.path(), dir.filePath("linked")));
  EXPECT_TRUE(RemoveDeviceEntry(dir.filePath("linked"), QStringLiteral("unit-a"), &error));
  EXPECT_TRUE(QFile::exists(elsewhere.filePath("unit-a")));
}

// A user directory someone else has taken (the fallback in /tmp can be made
// first by anyone) stays refused; the line says how to get out of it.
TEST(DeviceDirectory, ARefusedUserDirectorySaysWhatToDo) {
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  QTemporaryDir base;
  const QString d = base.path() + "/callerid-devices";
  ASSERT_EQ(::mkdir(QFile::encodeName(d).constData(), 0700), 0);
  const bool root = getuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(QFile::encodeName(d).constData(), 65534, 65534), 0);
  } else {
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), 0777), 0);
  }
  const struct {
    const char* runtime;  // empty: not set
    bool namesRuntime;
  } cases[] = {{"", true}, {"/run/user/4242", false}};
  for (const auto& c : cases) {
    if (*c.runtime)
      qputenv("XDG_RUNTIME_DIR", c.runtime);
    else
      qunsetenv("XDG_RUNTIME_DIR");
    QString why;
    EXPECT_LT(OpenDeviceDirectory(d, &why), 0);
    EXPECT_TRUE(why.contains(QStringLiteral("dizinini kaldırın"))) << why.toStdString();
    EXPECT_EQ(why.contains(QStringLiteral("XDG_RUNTIME_DIR")), c.namesRuntime) << why.toStdString();
  }
  if (!saved.isEmpty())
    qputenv("XDG_RUNTIME_DIR", saved);
  else
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(DeviceDirectory, UserDirectoryFollowsTheRuntimeDirectoryAndUdevsBelongsToRoot) {
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", "/run/user/4242");
  EXPECT_EQ(UserDeviceDirectory(), QStringLiteral("/run/user/4242/callerid-devices"));
  qunsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(UserDeviceDirectory(), QStringLiteral("/tmp/callerid-devices-%1").arg(getuid()));
  if (!saved.isEmpty()) qputenv("XDG_RUNTIME_DIR", saved);
  EXPECT_EQ(DefaultDeviceDirectories().last(), QStringLiteral("/dev/callerid"));
  EXPECT_EQ(DeviceDirectoryOwner(QStringLiteral("/dev/callerid")), 0u);
  EXPECT_EQ(DeviceDirectoryOwner(UserDeviceDirectory()), getuid());
}

}  // namespace
}  // namespace device
