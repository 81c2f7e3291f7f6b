#include "device/directory/device_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "device/core/printable.h"
#include "device/core/system_words.h"
#include "device/directory/audio_target.h"
#include "device/directory/device_target.h"
#include "device/directory/ethunit_address.h"

namespace device {

QString UserDeviceDirectory() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) return QString::fromLocal8Bit(runtime) + QStringLiteral("/callerid-devices");
  return QStringLiteral("/tmp/callerid-devices-%1").arg(getuid());
}

QString UdevDeviceDirectory() { return QStringLiteral("/dev/callerid"); }

QStringList DefaultDeviceDirectories() { return {UserDeviceDirectory(), UdevDeviceDirectory()}; }

QString FamilyPrefix(DeviceFamily family) {
  switch (family) {
    case DeviceFamily::NativeUnit: return QStringLiteral("unit-");
    case DeviceFamily::Modem: return QStringLiteral("modem-");
    case DeviceFamily::PublicFormatSerial: return QStringLiteral("lineunit-");
    case DeviceFamily::PublicFormatUdp: return QStringLiteral("ethunit-");
    case DeviceFamily::Audio: return QStringLiteral("audio-");
  }
  return {};
}

bool FamilyFromName(const QString& name, DeviceFamily* family) {
  for (DeviceFamily f : {DeviceFamily::NativeUnit, DeviceFamily::PublicFormatSerial, DeviceFamily::PublicFormatUdp,
                         DeviceFamily::Modem, DeviceFamily::Audio}) {
    const QString prefix = FamilyPrefix(f);
    if (name.startsWith(prefix) && name.size() > prefix.size()) {
      *family = f;
      return true;
    }
  }
  return false;
}

namespace {

// The last system error in Turkish.
QString ErrnoText() { return device::ErrnoText(errno); }

// The link text resolved against the directory; empty when the target is
// gone or the links loop (both just mean "no device there").
QString ResolvedPath(const QString& directory, const QByteArray& linkText) {
  const QByteArray path = linkText.startsWith('/') ? linkText : QFile::encodeName(directory) + '/' + linkText;
  char resolved[PATH_MAX];
  if (!realpath(path.constData(), resolved)) return {};
  return QFile::decodeName(resolved);
}

// Left as it is, a refused user directory (in /tmp anyone may make it
// first) would be refused for good: the line says the way out.
void AddWayOut(const QString& directory, QString* why) {
  if (directory == UdevDeviceDirectory()) return;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
    *why += QStringLiteral("; XDG_RUNTIME_DIR ortam değişkenini ayarlayın ya da %1 dizinini kaldırın").arg(directory);
  else
    *why += QStringLiteral("; %1 dizinini kaldırın").arg(directory);
}

}  // namespace

bool ResolveEntryTarget(DeviceFamily family, const QString& directory, const QByteArray& linkText, QString* target,
                        QString* why) {
  why->clear();
  switch (family) {
    case DeviceFamily::NativeUnit:
    case DeviceFamily::Modem:
    case DeviceFamily::PublicFormatSerial:
      *target = ResolvedPath(directory, linkText);
      return !target->isEmpty() && IsSerialDeviceNode(*target, why);
    case DeviceFamily::PublicFormatUdp: {
      QString host;
      quint16 port = 0;
      *target = QString::fromLatin1(linkText);
      if (ParseUnitAddress(*target, &host, &port)) return true;
      *why = QStringLiteral("\"%1\" bir IP adresi (isteğe bağlı :kapı ile) değil").arg(PrintableExcerpt(linkText));
      return false;
    }
    case DeviceFamily::Audio:
      *target = ResolvedPath(directory, linkText);
      return !target->isEmpty() && IsAudioTarget(*target, why);
  }
  return false;
}

uid_t DeviceDirectoryOwner(const QString& directory) { return directory == UdevDeviceDirectory() ? 0 : getuid(); }

int OpenDeviceDirectory(const QString& directory, QString* why) {
  why->clear();
  const int fd = open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return -1;
    if (errno == ELOOP || errno == ENOTDIR)
      *why = QStringLiteral("Cihaz dizini %1 gerçek bir dizin değil (sembolik bağ ya da dosya); kullanılmadı")
                 .arg(directory);
    else
      *why = QStringLiteral("Cihaz dizini %1 açılamadı: %2").arg(directory, ErrnoText());
    AddWayOut(directory, why);
    return -1;
  }
  struct stat st {};
  const uid_t owner = DeviceDirectoryOwner(directory);
  if (fstat(fd, &st) != 0)
    *why = QStringLiteral("Cihaz dizini %1 okunamadı: %2").arg(directory, ErrnoText());
  else if (st.st_uid != owner)
    *why =
        QStringLiteral(
            "Cihaz dizini %1 başka bir kullanıcıya ait (sahibi %2, olması gereken %3); içindeki kayıtlar kullanılmadı")
            .arg(directory)
            .arg(st.st_uid)
            .arg(owner);
  else if (st.st_mode & (S_IWGRP | S_IWOTH))
    *why = QStringLiteral("Cihaz dizinine %1 başkaları da yazabiliyor (izinler %2); içindeki kayıtlar kullanılmadı")
               .arg(directory)
               .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0'));
  if (!why->isEmpty()) {
    close(fd);
    AddWayOut(directory, why);
    return -1;
  }
  return fd;
}

std::vector<DeviceEntry> ScanDeviceDirectories(const QStringList& directories, QStringList* refusals) {
  std::vector<Refusal> found;
  std::vector<DeviceEntry> entries = ScanDeviceDirectories(directories, &found);
  if (refusals)
    for (const Refusal& r : found) refusals->append(r.text);
  return entries;
}

std::vector<DeviceEntry> ScanDeviceDirectories(const QStringList& directories, std::vector<Refusal>* refusals) {
  std::vector<DeviceEntry> entries;
  QString why;
  auto refuse = [&](const QString& path, const QString& label, const QString& text) {
    if (refusals && !text.isEmpty()) refusals->push_back({path, label, text});
  };
  for (const QString& dirPath : directories) {
    const int fd = OpenDeviceDirectory(dirPath, &why);
    if (fd < 0) {
      refuse(dirPath, dirPath, why);
      continue;
    }
    // Read through the checked descriptor, so the directory cannot be swapped
    // for another between the check and the reading.
    DIR* dir = fdopendir(fd);
    if (!dir) {
      close(fd);
      continue;
    }
    while (const dirent* d = readdir(dir)) {
      const QString name = QFile::decodeName(d->d_name);
      DeviceEntry e;
      if (!FamilyFromName(name, &e.family) || name.endsWith(QLatin1String(".new"))) continue;
      struct stat st {};
      if (fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISLNK(st.st_mode)) continue;
      char link[PATH_MAX];
      const ssize_t n = readlinkat(fd, d->d_name, link, sizeof link - 1);
      if (n <= 0) continue;
      e.name = name;
      e.path = QDir(dirPath).filePath(name);
      e.linkedAtNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
      if (!ResolveEntryTarget(e.family, dirPath, QByteArray(link, n), &e.target, &why)) {
        if (!why.isEmpty()) refuse(e.path, e.name, QStringLiteral("%1: %2; kayıt kullanılmadı").arg(e.path, why));
        continue;
      }
      entries.push_back(e);
    }
    closedir(dir);
  }
  std::stable_sort(entries.begin(), entries.end(), [](const DeviceEntry& a, const DeviceEntry& b) {
    return a.linkedAtNs != b.linkedAtNs ? a.linkedAtNs < b.linkedAtNs : a.path < b.path;
  });
  return entries;
}

bool CreateDeviceEntry(const QString& directory, const QString& name, const QString& target, QString* error) {
  DeviceFamily family;
  if (!FamilyFromName(name, &family) || name.contains(QLatin1Char('/'))) {
    *error = QStringLiteral(
                 "Geçersiz kayıt adı \"%1\" (unit-..., modem-..., lineunit-..., ethunit-... ya da audio-... olmalı)")
                 .arg(name);
    return false;
  }
  const QString parent = QFileInfo(directory).absolutePath();
  if (!QDir().mkpath(parent) || (mkdir(QFile::encodeName(directory).constData(), 0700) != 0 && errno != EEXIST)) {
    *error = QStringLiteral("Dizin oluşturulamadı: %1: %2").arg(directory, ErrnoText());
    return false;
  }
  // A directory that was already there (perhaps made by someone else, or a
  // link in its place) is used only when the program would trust it.
  const int fd = OpenDeviceDirectory(directory, error);
  if (fd < 0) {
    if (error->isEmpty()) *error = QStringLiteral("Dizin oluşturulamadı: %1").arg(directory);
    return false;
  }
  // Link under a temporary name and rename over the entry, so a watcher never
  // sees a half-made entry.
  const QByteArray entry = QFile::encodeName(name);
  const QByteArray temp = entry + ".new";
  unlinkat(fd, temp.constData(), 0);
  const bool ok = symlinkat(QFile::encodeName(target).constData(), fd, temp.constData()) == 0 &&
                  renameat(fd, temp.constData(), fd, entry.constData()) == 0;
  if (!ok) {
    *error = QStringLiteral("Kayıt oluşturulamadı: %1: %2").arg(QDir(directory).filePath(name), ErrnoText());
    unlinkat(fd, temp.constData(), 0);
  }
  close(fd);
  return ok;
}

bool RemoveDeviceEntry(const QString& directory, const QString& name, QString* error) {
  const QString path = QDir(directory).filePath(name);
  if (name.contains(QLatin1Char('/')) || name.isEmpty()) {
    *error = QStringLiteral("Geçersiz kayıt adı \"%1\"").arg(name);
    return false;
  }
  const int fd = open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0 && (errno == ENOENT || errno == ELOOP || errno == ENOTDIR)) return true;
  if (fd < 0 || (unlinkat(fd, QFile::encodeName(name).constData(), 0) != 0 && errno != ENOENT)) {
    *error = QStringLiteral("Kayıt silinemedi: %1: %2").arg(path, ErrnoText());
    if (fd >= 0) close(fd);
    return false;
  }
  close(fd);
  return true;
}

}  // namespace device
