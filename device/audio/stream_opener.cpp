#include "device/audio/stream_opener.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "device/core/system_words.h"
#include "device/directory/audio_target.h"

namespace device {

int OpenPrivateStream(const QString& path, struct stat* st, QString* why) {
  // The target may have changed since the directory was read. Its
  // directories first, so that no one else can swap it between the check
  // and the opening; then the stream itself.
  const QByteArray name = QFile::encodeName(path);
  if (::lstat(name.constData(), st) == 0 && !S_ISLNK(st->st_mode) && !IsPrivateStream(path, *st, why)) return -1;
  const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
  if (fd < 0) {
    *why = errno == ELOOP ? QStringLiteral("yerine bir sembolik bağ konmuş") : ErrnoText(errno);
    return -1;
  }
  const auto refuse = [&](const QString& reason) {
    *why = reason;
    ::close(fd);
    return -1;
  };
  if (fstat(fd, st) != 0) return refuse(ErrnoText(errno));
  if (!S_ISFIFO(st->st_mode) && !S_ISREG(st->st_mode))
    return refuse(QStringLiteral("bir FIFO ya da WAV dosyası değil"));
  if (!IsPrivateStream(path, *st, why)) return refuse(*why);
  return fd;
}

}  // namespace device
