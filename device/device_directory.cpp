#include "device/device_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace device {

QString UserDeviceDirectory() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) return QString::fromLocal8Bit(runtime) + QStringLiteral("/callerid-devices");
  return QStringLiteral("/tmp/callerid-devices-%1").arg(getuid());
}

QString UdevDeviceDirectory() { return QStringLiteral("/dev/callerid"); }

QStringList DefaultDeviceDirectories() { return {UserDeviceDirectory(), UdevDeviceDirectory()}; }

bool FamilyFromName(const QString& name, DeviceFamily* family) {
  if (name.startsWith(QLatin1String("unit-")) && name.size() > 5) {
    *family = DeviceFamily::Unit;
    return true;
  }
  if (name.startsWith(QLatin1String("modem-")) && name.size() > 6) {
    *family = DeviceFamily::Modem;
    return true;
  }
  if (name.startsWith(QLatin1String("audio-")) && name.size() > 6) {
    *family = DeviceFamily::Audio;
    return true;
  }
  return false;
}

std::vector<DeviceEntry> ScanDeviceDirectories(const QStringList& directories) {
  std::vector<DeviceEntry> entries;
  for (const QString& dirPath : directories) {
    const QDir dir(dirPath);
    if (!dir.exists()) continue;
    for (const QString& name : dir.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
      DeviceEntry e;
      if (!FamilyFromName(name, &e.family) || name.endsWith(QLatin1String(".new"))) continue;
      e.name = name;
      e.path = dir.filePath(name);
      struct stat st {};
      if (lstat(QFile::encodeName(e.path).constData(), &st) != 0) continue;
      e.linkedAtNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
      const QFileInfo info(e.path);
      e.target = info.canonicalFilePath();  // empty when the target is gone
      if (e.target.isEmpty()) continue;
      entries.push_back(e);
    }
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const DeviceEntry& a, const DeviceEntry& b) { return a.linkedAtNs < b.linkedAtNs; });
  return entries;
}

bool CreateDeviceEntry(const QString& directory, const QString& name, const QString& target, QString* error) {
  DeviceFamily family;
  if (!FamilyFromName(name, &family) || name.contains(QLatin1Char('/'))) {
    *error = QStringLiteral("Geçersiz kayıt adı \"%1\" (unit-... ya da modem-... olmalı)").arg(name);
    return false;
  }
  if (!QDir().mkpath(directory)) {
    *error = QStringLiteral("Dizin oluşturulamadı: %1").arg(directory);
    return false;
  }
  QFile::setPermissions(directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const QString path = QDir(directory).filePath(name);
  // Link under a temporary name and rename over the entry, so a watcher never
  // sees a half-made entry.
  const QString temp = path + QStringLiteral(".new");
  unlink(QFile::encodeName(temp).constData());
  if (symlink(QFile::encodeName(target).constData(), QFile::encodeName(temp).constData()) != 0 ||
      rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
    *error = QStringLiteral("Kayıt oluşturulamadı: %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
    unlink(QFile::encodeName(temp).constData());
    return false;
  }
  return true;
}

bool RemoveDeviceEntry(const QString& directory, const QString& name, QString* error) {
  const QString path = QDir(directory).filePath(name);
  if (unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
    *error = QStringLiteral("Kayıt silinemedi: %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
    return false;
  }
  return true;
}

}  // namespace device
