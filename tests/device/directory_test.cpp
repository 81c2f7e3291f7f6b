// Which entries of the device directories count as declared devices.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "device/device_directory.h"

namespace device {
namespace {

TEST(DeviceDirectory, OnlyNamedLinksToExistingTargetsInTheOrderTheyWereMade) {
  QTemporaryDir dir, other;
  QFile target(dir.path() + "/tty-target");
  ASSERT_TRUE(target.open(QIODevice::WriteOnly));
  QString error;
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("modem-b"), target.fileName(), &error)) << error.toStdString();
  QThread::msleep(20);
  ASSERT_TRUE(CreateDeviceEntry(other.path(), QStringLiteral("unit-a"), target.fileName(), &error));
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("unit-gone"), dir.path() + "/missing", &error));
  ASSERT_EQ(::symlink(target.fileName().toLocal8Bit().constData(), (dir.path() + "/ttyUSB0").toLocal8Bit().constData()), 0);
  ASSERT_EQ(::symlink(target.fileName().toLocal8Bit().constData(), (dir.path() + "/unit-x.new").toLocal8Bit().constData()), 0);

  const auto entries = ScanDeviceDirectories({dir.path(), other.path(), dir.path() + "/absent"});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, QStringLiteral("modem-b"));  // made first, although listed later
  EXPECT_EQ(entries[0].family, DeviceFamily::Modem);
  EXPECT_EQ(entries[0].target, QFileInfo(target.fileName()).canonicalFilePath());
  EXPECT_EQ(entries[1].name, QStringLiteral("unit-a"));
  EXPECT_EQ(entries[1].family, DeviceFamily::Unit);

  // Re-linking makes a new entry: a replugged device counts as linked last.
  QThread::msleep(20);
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("modem-b"), target.fileName(), &error));
  const auto again = ScanDeviceDirectories({dir.path(), other.path()});
  EXPECT_EQ(again[1].name, QStringLiteral("modem-b"));
  EXPECT_FALSE(again[1] == entries[0]);

  ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("modem-b"), &error));
  ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("modem-b"), &error));  // already gone is fine
  EXPECT_EQ(ScanDeviceDirectories({dir.path()}).size(), 0u);
}

TEST(DeviceDirectory, EntryNamesMustNameAFamily) {
  QTemporaryDir dir;
  QString error;
  for (const char* bad : {"ttyUSB0", "unit-", "modem-", "unit-a/b", "Unit-a"}) {
    EXPECT_FALSE(CreateDeviceEntry(dir.path(), QString::fromLatin1(bad), QStringLiteral("/dev/null"), &error)) << bad;
    EXPECT_TRUE(error.contains(QStringLiteral("Geçersiz kayıt adı")));
  }
  EXPECT_TRUE(CreateDeviceEntry(dir.path() + "/made/on/demand", QStringLiteral("unit-1"), QStringLiteral("/dev/null"), &error));
  EXPECT_EQ(QFile::permissions(dir.path() + "/made/on/demand") & QFile::ReadOther, QFile::Permissions());
}

TEST(DeviceDirectory, UserDirectoryFollowsTheRuntimeDirectory) {
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", "/run/user/4242");
  EXPECT_EQ(UserDeviceDirectory(), QStringLiteral("/run/user/4242/callerid-devices"));
  qunsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(UserDeviceDirectory(), QStringLiteral("/tmp/callerid-devices-%1").arg(getuid()));
  if (!saved.isEmpty()) qputenv("XDG_RUNTIME_DIR", saved);
  EXPECT_EQ(DefaultDeviceDirectories().last(), QStringLiteral("/dev/callerid"));
}

}  // namespace
}  // namespace device
