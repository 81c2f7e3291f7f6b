// How the linker treats the declared entries: untrusted directories are never
// opened, a failed port is held back but a re-plugged device is tried at
// once, and entries that went away are forgotten.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "device/control/device_linker.h"
#include "device/pty.h"
#include "support/manual_clock.h"

namespace device {
namespace {

using test::Pty;

class StubSession : public DeviceSession {
 public:
  StubSession(const DeviceEntry& e, const MonotonicClock& clock, bool opens)
      : DeviceSession(e, nullptr, clock), opens_(opens) {}
  bool Open(QString* error) override {
    *error = QStringLiteral("%1 açılamadı").arg(entry_.name);
    return opens_;
  }
  void Close() override {}
  void Tick(qint64) override {}
  bool RunSelfTest(QString*) override { return false; }
  bool HasPartialRecord() const override { return false; }
  void Fail() { MarkFailed(); }

 private:
  bool opens_;
};

class LinkerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  DeviceLinker& Linker() {
    if (!linker)
      linker = std::make_unique<DeviceLinker>(
          QStringList{dir.path()},
          [this](const DeviceEntry& e) {
            opened << e.name + "->" + e.target;
            return std::make_unique<StubSession>(e, clock, opens);
          },
          [this](const QString&, const QString&, const QString& text) { reports << text; }, [](DeviceSession*) {});
    return *linker;
  }
  void Scan(qint64 advanceMs = 200) {
    clock.Advance(advanceMs);
    Linker().Scan(clock.NowMs());
  }
  void Declare(const QString& name, const QString& target) {
    QString error;
    ASSERT_TRUE(CreateDeviceEntry(dir.path(), name, target, &error)) << error.toStdString();
  }

  QTemporaryDir dir;
  test::ManualClock clock{5000};
  bool opens = true;
  QStringList opened;
  QStringList reports;
  std::unique_ptr<DeviceLinker> linker;
};

TEST_F(LinkerTest, NothingInAnUntrustedDirectoryIsOpenedAndTheRefusalIsSaidOnce) {
  Pty pty;
  Declare(QStringLiteral("unit-evil"), pty.Slave());
  const QByteArray path = QFile::encodeName(dir.path());
  ASSERT_EQ(::chmod(path.constData(), 0777), 0);
  for (int i = 0; i < 5; ++i) Scan();
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_TRUE(Linker().Sessions().empty());
  ASSERT_EQ(reports.size(), 1);
  EXPECT_TRUE(reports[0].startsWith(QStringLiteral("Cihaz dizinine %1 başkaları da yazabiliyor").arg(dir.path())))
      << reports[0].toStdString();

  if (getuid() == 0) {  // only root can give the directory away
    ASSERT_EQ(::chmod(path.constData(), 0700), 0);
    ASSERT_EQ(::chown(path.constData(), 65534, 65534), 0);
    Scan();
    Scan();
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(reports.size(), 2);
    EXPECT_TRUE(reports[1].contains(QStringLiteral("başka bir kullanıcıya ait")));
    ASSERT_EQ(::chown(path.constData(), getuid(), getgid()), 0);
  }
  // Once the user owns it alone, its entries count.
  ASSERT_EQ(::chmod(path.constData(), 0700), 0);
  Scan();
  EXPECT_EQ(opened.size(), 1);
  EXPECT_EQ(Linker().Sessions().size(), 1u);
}

TEST_F(LinkerTest, AFailedPortIsHeldBackButARepluggedDeviceIsTriedAtOnce) {
  Pty first, second;
  Declare(QStringLiteral("modem-usb"), first.Slave());
  Scan();
  ASSERT_EQ(Linker().Sessions().size(), 1u);
  static_cast<StubSession&>(*Linker().Sessions()[0]).Fail();  // unplugged
  Scan();
  EXPECT_TRUE(Linker().Sessions().empty());
  Scan();
  EXPECT_EQ(opened.size(), 1);  // the same entry waits before it is tried again

  // udev makes the entry anew when the device comes back, maybe on another port.
  Declare(QStringLiteral("modem-usb"), second.Slave());
  Scan();
  ASSERT_EQ(opened.size(), 2);
  EXPECT_TRUE(opened[1].endsWith(second.Slave()));
  EXPECT_EQ(Linker().Sessions().size(), 1u);
}

TEST_F(LinkerTest, PortsThatDoNotOpenAreRetriedReportedOnceAndForgottenWhenTheirEntryGoes) {
  Pty pty;
  opens = false;
  Declare(QStringLiteral("unit-busy"), pty.Slave());
  Scan();
  Scan(DeviceLinker::kOpenRetryMs - 200);
  EXPECT_EQ(opened.size(), 1);
  Scan(200);
  EXPECT_EQ(opened.size(), 2);
  EXPECT_EQ(reports, QStringList{QStringLiteral("unit-busy açılamadı")});

  QString error;
  ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("unit-busy"), &error));
  Scan();
  Declare(QStringLiteral("unit-busy"), pty.Slave());
  Scan();
  EXPECT_EQ(opened.size(), 3);  // a new entry, not held back by the old one
  EXPECT_EQ(reports.size(), 2);
}

// Between directory events the linker reads the directories only when
// something waits for it; each row is a state and whether a round is due.
TEST_F(LinkerTest, ARoundIsDueOnlyWhenSomethingWaitsForIt) {
  struct Case {
    const char* name;
    std::function<void()> setUp;
    qint64 laterMs;  // after the last round
    bool due;
  };
  Pty pty;
  const Case cases[] = {
      {"nothing read yet", [] {}, 0, true},
      {"just read", [&] { Scan(); }, 0, false},
      {"read a moment ago", [&] { Scan(); }, DeviceLinker::kRescanMs - 1, false},
      {"the slow rescan", [&] { Scan(); }, DeviceLinker::kRescanMs, true},
      {"a linked port failed",
       [&] {
         Declare(QStringLiteral("unit-a"), pty.Slave());
         Scan();
         static_cast<StubSession&>(*Linker().Sessions()[0]).Fail();
       },
       0, true},
      {"a port held back, not yet to be retried",
       [&] {
         opens = false;
         Declare(QStringLiteral("unit-a"), pty.Slave());
         Scan();
       },
       DeviceLinker::kOpenRetryMs - 1, false},
      {"a port held back, to be retried",
       [&] {
         opens = false;
         Declare(QStringLiteral("unit-a"), pty.Slave());
         Scan();
         clock.Advance(DeviceLinker::kOpenRetryMs / 2);
         Scan(0);  // a directory event in between does not put the retry off
       },
       DeviceLinker::kOpenRetryMs / 2, true},
  };
  for (const Case& c : cases) {
    linker.reset();
    opens = true;
    QString error;
    ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("unit-a"), &error));
    c.setUp();
    EXPECT_EQ(Linker().ScanDue(clock.NowMs() + c.laterMs), c.due) << c.name;
  }
}

// One device under two entries is linked once, whatever the kind and however
// the second entry names it; the second is refused, naming the first, once,
// and linked once the first has gone.
TEST_F(LinkerTest, OneDeviceUnderTwoEntriesIsLinkedOnce) {
  Pty pty;
  const QString fifo = dir.path() + "/line.fifo", wav = dir.path() + "/line.wav";
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  ASSERT_TRUE(QFile(wav).open(QIODevice::WriteOnly));
  ASSERT_EQ(::link(QFile::encodeName(wav).constData(), QFile::encodeName(wav + ".hard").constData()), 0);
  const struct {
    const char *first, *second;
    QString firstTarget, secondTarget;
    const char* refusal;
  } cases[] = {
      {"unit-a", "unit-b", pty.Slave(), pty.Slave(), "unit-a kaydıyla aynı seri port"},
      {"modem-a", "unit-b", pty.Slave(), pty.Slave(), "modem-a kaydıyla aynı seri port"},
      {"audio-a", "audio-b.clip", fifo, fifo, "audio-a kaydıyla aynı ses kaynağı"},
      {"audio-a", "audio-b", wav, wav + ".hard", "audio-a kaydıyla aynı ses kaynağı"},
      {"ethunit-a", "ethunit-b", "127.0.0.1:40000", "[::ffff:127.0.0.1]:40000", "ethunit-a kaydıyla aynı birim"},
  };
  for (const auto& c : cases) {
    linker.reset();
    opened.clear();
    reports.clear();
    Declare(QString::fromLatin1(c.first), c.firstTarget);
    Declare(QString::fromLatin1(c.second), c.secondTarget);
    Scan();
    Scan(DeviceLinker::kRescanMs);
    EXPECT_EQ(opened.size(), 1) << c.second;
    ASSERT_EQ(reports.size(), 1) << c.second;
    EXPECT_TRUE(reports[0].contains(QString::fromUtf8(c.refusal))) << reports[0].toStdString();
    EXPECT_TRUE(reports[0].startsWith(dir.path() + "/" + c.second)) << reports[0].toStdString();
    QString error;
    ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QString::fromLatin1(c.first), &error));
    Scan();
    ASSERT_EQ(opened.size(), 2) << c.second;
    EXPECT_TRUE(opened[1].startsWith(QString::fromLatin1(c.second)));
    ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QString::fromLatin1(c.second), &error));
  }
}

}  // namespace
}  // namespace device
