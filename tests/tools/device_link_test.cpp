// The hand-made link command: only serial ports are declared, and only into
// a directory that is the user's alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

#include "device/directory/device_directory.h"
#include "device/directory/ethunit_address.h"

namespace {

struct Result {
  int code = -1;
  QString err;
};

Result LinkCommand(const QString& runtimeDir, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(CID_DEVICE_LINK), args);
  if (!p.waitForFinished(20000)) return {};
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

TEST(DeviceLinkCommand, DeclaresSerialPortsOnly) {
  QTemporaryDir runtime;
  const QString dir = runtime.path() + "/callerid-devices";
  for (const char* notSerial : {"/dev/zero", "/dev/null", "/dev/tty", "/dev/ptmx"}) {
    const Result r = LinkCommand(runtime.path(), {"add", notSerial});
    EXPECT_EQ(r.code, 1) << notSerial;
    EXPECT_TRUE(r.err.contains(QStringLiteral("bir seri aygıt değil"))) << r.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(dir));

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  const QString slave = QString::fromLocal8Bit(ptsname(master));
  const Result ok = LinkCommand(runtime.path(), {"add", slave, "--modem", "--name", "sim"});
  EXPECT_EQ(ok.code, 0) << ok.err.toStdString();
  EXPECT_EQ(QFileInfo(dir + "/modem-sim").symLinkTarget(), slave);
  EXPECT_EQ(QFileInfo(dir).permissions() & (QFile::WriteGroup | QFile::WriteOther | QFile::ReadOther),
            QFile::Permissions());

  // A directory others can write to, or a link in its place, is not used.
  ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0777), 0);
  Result r = LinkCommand(runtime.path(), {"add", slave, "--name", "two"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains(QStringLiteral("başkaları da yazabiliyor"))) << r.err.toStdString();
  ASSERT_EQ(::chmod(QFile::encodeName(dir).constData(), 0700), 0);
  if (getuid() == 0) {
    ASSERT_EQ(::chown(QFile::encodeName(dir).constData(), 65534, 65534), 0);
    r = LinkCommand(runtime.path(), {"add", slave, "--name", "three"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("başka bir kullanıcıya ait"))) << r.err.toStdString();
  }
  QTemporaryDir elsewhere, linkedRuntime;
  ASSERT_TRUE(QFile::link(elsewhere.path(), linkedRuntime.path() + "/callerid-devices"));
  r = LinkCommand(linkedRuntime.path(), {"add", slave, "--name", "four"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
  ::close(master);
}

TEST(DeviceLinkCommand, DeclaresSoundCardsFifosAndWavFilesAsAudioOnly) {
  QTemporaryDir runtime, files;
  const QString dir = runtime.path() + "/callerid-devices";
  const Result notAudio = LinkCommand(runtime.path(), {"add", "/dev/zero", "--audio"});
  EXPECT_EQ(notAudio.code, 1);
  EXPECT_TRUE(notAudio.err.contains(QStringLiteral("ses kartı kayıt aygıtı"))) << notAudio.err.toStdString();
  const QString fifo = files.filePath("line");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const Result ok = LinkCommand(runtime.path(), {"add", fifo, "--audio", "--standard", "bell", "--name", "hat"});
  EXPECT_EQ(ok.code, 0) << ok.err.toStdString();
  EXPECT_EQ(QFileInfo(dir + "/audio-hat.bell").symLinkTarget(), fifo);
  EXPECT_EQ(LinkCommand(runtime.path(), {"add", fifo, "--audio", "--standard", "v21"}).code, 1);
}

// A FIFO or file someone else could write into or replace is refused, saying why.
TEST(DeviceLinkCommand, RefusesStreamsInAnotherUsersReach) {
  QTemporaryDir runtime, files;
  struct Case {
    const char* dir;
    mode_t mode;
    uid_t owner;
    const char* says;
  };
  std::vector<Case> cases = {{"open", 0777, getuid(), "başkalarının da yazabildiği bir dizinde"}};
  if (getuid() == 0) cases.push_back({"theirs", 0755, 65534, "başka bir kullanıcının dizininde"});
  for (const Case& c : cases) {
    const QString d = files.filePath(QString::fromLatin1(c.dir));
    const QString fifo = d + "/line.fifo";
    ASSERT_EQ(::mkdir(QFile::encodeName(d).constData(), 0700), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    if (c.owner != getuid()) {
      ASSERT_EQ(::chown(QFile::encodeName(d).constData(), c.owner, c.owner), 0);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(d).constData(), c.mode), 0);
    const Result r = LinkCommand(runtime.path(), {"add", fifo, "--audio"});
    EXPECT_EQ(r.code, 1) << c.dir;
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("kayıt yapılmadı"))) << r.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(runtime.path() + "/callerid-devices/audio-line.fifo"));
}

}  // namespace

namespace {

// Units of the public call-record format: a serial port for lineunit-, a
// literal address (kept as written, nothing resolved) for ethunit-.
TEST(DeviceLinkCommand, PublicFormatUnitsOnASerialPortOrAnAddress) {
  QTemporaryDir runtime;
  const QString dir = runtime.path() + "/callerid-devices";
  Result r = LinkCommand(runtime.path(), {"add", "/dev/zero", "--lineunit"});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains(QStringLiteral("bir seri aygıt değil"))) << r.err.toStdString();
  for (const char* bad : {"unit.example", "192.168.1.256", "192.168.1.20:0", "192.168.1.20:70000", "/dev/ttyS0"}) {
    r = LinkCommand(runtime.path(), {"add", bad, "--ethunit", "--name", "x"});
    EXPECT_EQ(r.code, 1) << bad;
    EXPECT_TRUE(r.err.contains(QStringLiteral("bir IP adresi değil"))) << r.err.toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(dir + "/ethunit-x"));
  r = LinkCommand(runtime.path(), {"add", "192.168.1.20:3521", "--ethunit", "--name", "shop"});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  char link[64] = {};
  ASSERT_GT(::readlink(QFile::encodeName(dir + "/ethunit-shop").constData(), link, sizeof link - 1), 0);
  EXPECT_STREQ(link, "192.168.1.20:3521");
}

// Every way of writing an address is read alike by the command and by the
// program (its directory scan, and the unit's session, which reads the entry
// with the same parser): what the command declares the program uses.
TEST(DeviceLinkCommand, AddressFormsAreReadAlikeByTheCommandAndTheProgram) {
  const struct {
    const char* text;
    bool accepted;
  } cases[] = {
      {"192.168.1.20", true},   {"192.168.1.20:3521", true}, {"[fe80::1]:3520", true},  {"[::ffff:10.0.0.7]", true},
      {"127.0.0.01", false},    {"0127.0.0.1", false},       {"127.1", false},          {"0x7f.0.0.1", false},
      {"192.168.1.256", false}, {"1.2.3.4:0", false},        {"1.2.3.4:65536", false},  {"1.2.3.4:35x", false},
      {"fe80::1", false},       {"[fe80::1]3520", false},    {"[unit.example]", false}, {"unit.example", false},
      {"１.2.3.4", false},      {"1.2.3.4 ", false},
  };
  for (const auto& c : cases) {
    QTemporaryDir runtime;
    const QString text = QString::fromUtf8(c.text);
    const Result r = LinkCommand(runtime.path(), {"add", text, "--ethunit", "--name", "u"});
    EXPECT_EQ(r.code == 0, c.accepted) << c.text << ": " << r.err.toStdString();
    if (!c.accepted) {
      EXPECT_TRUE(r.err.contains(QStringLiteral("bir IP adresi değil"))) << r.err.toStdString();
    }
    QString host;
    quint16 port = 0;
    EXPECT_EQ(device::ParseUnitAddress(text, &host, &port), c.accepted) << c.text;
    // Written into an entry by hand, the program reads it the same way.
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(text, dir.path() + "/ethunit-hand"));
    EXPECT_EQ(device::ScanDeviceDirectories({dir.path()}).size(), c.accepted ? 1u : 0u) << c.text;
  }
}

// One device, however its target is written, is declared once; another
// entry for it is refused naming the first. The entry itself may be made
// again.
TEST(DeviceLinkCommand, OneDeviceIsDeclaredOnce) {
  QTemporaryDir runtime, files;
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
  const QString slave = QString::fromLocal8Bit(ptsname(master));
  const QString fifo = files.filePath("line");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link(fifo, files.filePath("line-link")));
  const struct {
    QStringList first, again, other;  // `other` is another device of the kind
    const char* refusal;
  } cases[] = {
      {{slave, "--name", "a"}, {slave, "--modem", "--name", "b"}, {}, "unit-a kaydıyla aynı seri port"},
      {{fifo, "--audio", "--name", "a"},
       {files.filePath("line-link"), "--audio", "--standard", "dtmf", "--name", "b"},
       {},
       "audio-a kaydıyla aynı ses kaynağı"},
      {{"192.168.1.20", "--ethunit", "--name", "a"},
       {"[::ffff:192.168.1.20]:3520", "--ethunit", "--name", "b"},
       {"192.168.1.20:3521", "--ethunit", "--name", "b"},
       "ethunit-a kaydıyla aynı birim"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(LinkCommand(runtime.path(), QStringList{"add"} + c.first).code, 0);
    const Result r = LinkCommand(runtime.path(), QStringList{"add"} + c.again);
    EXPECT_EQ(r.code, 1) << c.refusal;
    EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.refusal))) << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith(QStringLiteral("ikinci kayıt yapılmadı\n"))) << r.err.toStdString();
    EXPECT_EQ(LinkCommand(runtime.path(), QStringList{"add"} + c.first).code, 0) << "the entry itself again";
    if (!c.other.isEmpty()) {
      EXPECT_EQ(LinkCommand(runtime.path(), QStringList{"add"} + c.other).code, 0);
    }
    QDir(runtime.path() + "/callerid-devices").removeRecursively();
  }
  ::close(master);
}

// list shows what the program would use; remove takes an entry by name only.
TEST(DeviceLinkCommand, ListsUsableEntriesAndRemovesByName) {
  QTemporaryDir runtime;
  const QString dir = runtime.path() + "/callerid-devices";
  ASSERT_EQ(LinkCommand(runtime.path(), {"add", "10.0.0.7", "--ethunit"}).code, 0);
  ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir + "/unit-zero"));
  ASSERT_TRUE(QFile::link(QStringLiteral("10.0.0.7:3520"), dir + "/ethunit-twin"));  // made by hand
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(CID_DEVICE_LINK), {"list"});
  ASSERT_TRUE(p.waitForFinished(20000));
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_TRUE(out.contains(dir + "/ethunit-10.0.0.7 -> 10.0.0.7")) << out.toStdString();
  EXPECT_FALSE(out.contains(QStringLiteral("unit-zero"))) << out.toStdString();
  EXPECT_FALSE(out.contains(QStringLiteral("ethunit-twin"))) << out.toStdString();
  const QString err = QString::fromUtf8(p.readAllStandardError());
  EXPECT_TRUE(err.contains(QStringLiteral("unit-zero"))) << err.toStdString();
  EXPECT_TRUE(err.contains(QStringLiteral("ethunit-twin: ethunit-10.0.0.7 kaydıyla aynı birim"))) << err.toStdString();

  EXPECT_EQ(LinkCommand(runtime.path(), {"remove", "/anywhere/ethunit-10.0.0.7"}).code, 0);
  EXPECT_FALSE(QFileInfo(dir + "/ethunit-10.0.0.7").isSymLink());
  EXPECT_EQ(LinkCommand(runtime.path(), {"remove", "ethunit-10.0.0.7"}).code, 0);  // already gone
  EXPECT_EQ(LinkCommand(runtime.path(), {"remove"}).code, 2);
}

// Every rule that declares a serial port (the commented template too) also
// keeps ModemManager from probing it with AT commands.
TEST(UdevRule, DeclaredPortsAreLeftAloneByModemManager) {
  QFile rules(QStringLiteral(CID_UDEV_RULES));
  ASSERT_TRUE(rules.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(rules.readAll())
                           .replace(QStringLiteral("\\\n#"), QString())
                           .replace(QStringLiteral("\\\n"), QString());
  int declaring = 0;
  for (const QString& line : text.split('\n')) {
    if (!line.contains(QStringLiteral("SUBSYSTEM==\"tty\"")) || !line.contains(QStringLiteral("SYMLINK+=\"callerid/")))
      continue;
    ++declaring;
    EXPECT_TRUE(line.contains(QStringLiteral("ENV{ID_MM_DEVICE_IGNORE}=\"1\""))) << line.toStdString();
  }
  EXPECT_EQ(declaring, 2);
}

}  // namespace
