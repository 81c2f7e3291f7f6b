#include "tools/line-check/safe_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "device/core/system_words.h"

namespace linecheck {

namespace {

QByteArray Name(const QString& path) { return QFile::encodeName(path); }

QString Refuse(const QString& what, const QString& path, const QString& why) {
  return QStringLiteral("cid-line-check: %1 %2 yazılmaz: %3").arg(what, path, why);
}

// The user's own and root's links may lead the way; a link another user
// made could lead a root run anywhere.
bool LinksOnTheWayAreOurs(const QString& path, QString* why) {
  QString prefix;
  for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    prefix += QLatin1Char('/') + part;
    struct stat st {};
    if (::lstat(Name(prefix).constData(), &st) != 0) {
      *why = QStringLiteral("%1: %2").arg(prefix, device::ErrnoText(errno));
      return false;
    }
    if (S_ISLNK(st.st_mode) && st.st_uid != ::geteuid() && st.st_uid != 0) {
      *why = QStringLiteral("yoldaki %1 başka bir kullanıcının sembolik bağı").arg(prefix);
      return false;
    }
  }
  return true;
}

// The directory at `path`, reached through its real path one directory at a
// time without following a link, so none swapped in after the check is
// taken: an O_PATH descriptor, or -1 with the reason.
int OpenDirectory(const QString& path, QString* why) {
  char real[PATH_MAX];
  if (!::realpath(Name(path).constData(), real)) {
    *why = QStringLiteral("%1: %2").arg(path, device::ErrnoText(errno));
    return -1;
  }
  int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
  for (const QByteArray& part : QByteArray(real).split('/')) {
    if (part.isEmpty() || fd < 0) continue;
    const int next = ::openat(fd, part.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    ::close(fd);
    fd = next;
  }
  if (fd < 0) *why = QStringLiteral("%1: %2").arg(path, device::ErrnoText(errno));
  return fd;
}

// A directory no one but the user (or root) can rename or remove entries
// in: the user's or root's, writable by others only with the sticky bit.
bool NoOneElseCanSwap(int directory, const QString& path, QString* why) {
  struct stat st {};
  if (::fstat(directory, &st) != 0) {
    *why = device::ErrnoText(errno);
    return false;
  }
  if (st.st_uid != ::geteuid() && st.st_uid != 0) {
    *why = QStringLiteral("%1 başka bir kullanıcının dizini").arg(path);
    return false;
  }
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX)) {
    *why = QStringLiteral("%1 dizinine başkaları da yazabiliyor (yapışkan biti de yok)").arg(path);
    return false;
  }
  return true;
}

}  // namespace

OutputGuard::OutputGuard(const QString& input) {
  struct stat st {};
  inputKnown_ = ::stat(Name(input).constData(), &st) == 0;
  if (inputKnown_) input_ = {st.st_dev, st.st_ino, {}};
}

bool OutputGuard::Taken(const FileIdentity& id) const {
  for (const FileIdentity& c : claimed_)
    if (c == id) return true;
  return false;
}

std::unique_ptr<OutputFile> OutputGuard::Claim(const QString& path, const QString& what, QString* error) {
  const QFileInfo info(path);
  const QString name = info.fileName();
  QString why;
  if (path.isEmpty() || name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) {
    *error = Refuse(what, path, QStringLiteral("bir dosya adı değil"));
    return nullptr;
  }
  const QString parent = info.absolutePath();
  const int directory = LinksOnTheWayAreOurs(parent, &why) ? OpenDirectory(parent, &why) : -1;
  if (directory < 0 || !NoOneElseCanSwap(directory, parent, &why)) {
    if (directory >= 0) ::close(directory);
    *error = Refuse(what, path, why);
    return nullptr;
  }
  struct stat dir {
  }, st{};
  ::fstat(directory, &dir);
  FileIdentity id{dir.st_dev, dir.st_ino, name};
  bool replaces = false;
  if (::fstatat(directory, Name(name).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISLNK(st.st_mode))
      why = QStringLiteral("bir sembolik bağ; bağın gösterdiği yere yazılmaz, hedefi doğrudan verin");
    else if (S_ISDIR(st.st_mode))
      why = QStringLiteral("bir dizin");
    else if (!S_ISREG(st.st_mode))
      why = QStringLiteral("normal bir dosya değil (bir FIFO ya da aygıt)");
    else if (st.st_uid != ::geteuid())
      why = QStringLiteral("başka bir kullanıcının dosyası");
    id = {st.st_dev, st.st_ino, {}};
    replaces = true;
  } else if (errno != ENOENT) {
    why = device::ErrnoText(errno);
  }
  if (why.isEmpty() && inputKnown_ && id == input_) why = QStringLiteral("okunan kaydın kendisi");
  if (why.isEmpty() && Taken(id)) why = QStringLiteral("başka bir çıktıyla aynı dosya");
  if (!why.isEmpty()) {
    ::close(directory);
    *error = Refuse(what, path, why);
    return nullptr;
  }
  claimed_.push_back(id);
  return std::unique_ptr<OutputFile>(
      new OutputFile(path, what, directory, name, replaces, st.st_dev, st.st_ino, replaces ? st.st_mode : 0));
}

bool OutputGuard::ClaimDirectory(const QString& path, QString* error) {
  const QString absolute = QFileInfo(path).absoluteFilePath();
  QString why;
  struct stat st {};
  if (::stat(Name(absolute).constData(), &st) != 0 && errno == ENOENT) {
    // Made here, for the user alone: what it will hold names the callers.
    const QFileInfo info(absolute);
    const int parent = LinksOnTheWayAreOurs(info.absolutePath(), &why) ? OpenDirectory(info.absolutePath(), &why) : -1;
    if (parent >= 0 && NoOneElseCanSwap(parent, info.absolutePath(), &why) &&
        ::mkdirat(parent, Name(info.fileName()).constData(), 0700) != 0)
      why = device::ErrnoText(errno);
    if (parent >= 0) ::close(parent);
  }
  if (why.isEmpty() && LinksOnTheWayAreOurs(absolute, &why)) {
    directory_ = OpenDirectory(absolute, &why);
    if (directory_ >= 0 && !NoOneElseCanSwap(directory_, absolute, &why)) {
      ::close(directory_);
      directory_ = -1;
    }
  }
  if (directory_ < 0) {
    *error = QStringLiteral("cid-line-check: saklama dizini %1 kullanılamıyor: %2").arg(path, why);
    return false;
  }
  directoryPath_ = absolute;
  return true;
}

std::unique_ptr<OutputFile> OutputGuard::ClaimInDirectory(const QString& name, const QString& what, QString* error) {
  struct stat dir {};
  ::fstat(directory_, &dir);
  const QString stem = QFileInfo(name).completeBaseName(), suffix = QFileInfo(name).suffix();
  for (int n = 1; n < 1000; ++n) {
    const QString candidate = n == 1 ? name : QStringLiteral("%1-%2.%3").arg(stem).arg(n).arg(suffix);
    struct stat st {};
    const FileIdentity id{dir.st_dev, dir.st_ino, candidate};
    if (::fstatat(directory_, Name(candidate).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 || Taken(id)) continue;
    claimed_.push_back(id);
    return std::unique_ptr<OutputFile>(new OutputFile(directoryPath_ + QLatin1Char('/') + candidate, what,
                                                      ::fcntl(directory_, F_DUPFD_CLOEXEC, 0), candidate, false, 0, 0,
                                                      0));
  }
  *error = Refuse(what, directoryPath_ + QLatin1Char('/') + name, QStringLiteral("bu adla çok dosya var"));
  return nullptr;
}

OutputFile::OutputFile(QString path, QString what, int directory, QString name, bool replaces, dev_t device,
                       ino_t inode, mode_t mode)
    : path_(std::move(path)),
      what_(std::move(what)),
      directory_(directory),
      name_(std::move(name)),
      replaces_(replaces),
      device_(device),
      inode_(inode),
      mode_(mode) {}

OutputFile::~OutputFile() {
  Abandon();
  if (directory_ >= 0) ::close(directory_);
}

QString OutputFile::Refusal(const QString& why) const { return Refuse(what_, path_, why); }

int OutputFile::Begin(QString* error) {
  Abandon();
  for (int attempt = 0; attempt < 16; ++attempt) {
    const QString candidate =
        QStringLiteral(".%1.%2.tmp").arg(name_).arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    const int fd = ::openat(directory_, Name(candidate).constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      temporary_ = candidate;
      // A file replaced keeps its rights; a new one gets the user's usual ones.
      if (replaces_) ::fchmod(fd, mode_ & 0777);
      return fd;
    }
    if (errno != EEXIST) {
      *error = Refusal(device::ErrnoText(errno));
      return -1;
    }
  }
  *error = Refusal(device::ErrnoText(EEXIST));
  return -1;
}

bool OutputFile::Commit(QString* error) {
  if (temporary_.isEmpty()) return false;
  const QByteArray from = Name(temporary_), to = Name(name_);
  QString why;
  if (replaces_) {
    struct stat st {};
    if (::fstatat(directory_, to.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
        st.st_dev != device_ || st.st_ino != inode_ || st.st_uid != ::geteuid())
      why = QStringLiteral("denetlendikten sonra yerine başka bir şey konmuş");
    else if (::renameat(directory_, from.constData(), directory_, to.constData()) != 0)
      why = device::ErrnoText(errno);
  } else if (::renameat2(directory_, from.constData(), directory_, to.constData(), RENAME_NOREPLACE) != 0) {
    // A file system without exclusive renames: a hard link fails alike when the name is taken.
    if ((errno == EINVAL || errno == ENOSYS) &&
        ::linkat(directory_, from.constData(), directory_, to.constData(), 0) == 0)
      ::unlinkat(directory_, from.constData(), 0);
    else
      why = errno == EEXIST ? QStringLiteral("denetlendikten sonra orada bir dosya oluşmuş") : device::ErrnoText(errno);
  }
  if (!why.isEmpty()) {
    Abandon();
    *error = Refusal(why);
    return false;
  }
  temporary_.clear();
  return true;
}

void OutputFile::Abandon() {
  if (temporary_.isEmpty()) return;
  ::unlinkat(directory_, Name(temporary_).constData(), 0);
  temporary_.clear();
}

}  // namespace linecheck
