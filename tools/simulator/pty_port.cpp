#include "tools/simulator/pty_port.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "device/directory/device_directory.h"

namespace sim {

PtyPort::PtyPort(QString directory, QString entryName)
    : directory_(std::move(directory)), entryName_(std::move(entryName)) {}

PtyPort::~PtyPort() { Unplug(); }

QString PtyPort::EntryPath() const { return QDir(directory_).filePath(entryName_); }

bool PtyPort::Plug(QString* error) {
  if (Plugged()) return true;
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    *error = QStringLiteral("pseudo-terminal: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    if (master >= 0) ::close(master);
    return false;
  }
  const char* name = ptsname(master);
  const int slave = name ? ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK) : -1;
  if (slave < 0) {
    *error = QStringLiteral("pseudo-terminal slave: %1").arg(QString::fromLocal8Bit(strerror(errno)));
    ::close(master);
    return false;
  }
  // Raw from the start, so bytes written before the host opens it are not
  // echoed or cooked by the line discipline.
  termios tio{};
  tcgetattr(slave, &tio);
  cfmakeraw(&tio);
  tcsetattr(slave, TCSANOW, &tio);
  master_ = master;
  slave_ = slave;
  slavePath_ = QString::fromLocal8Bit(name);
  notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &PtyPort::ReadMaster);
  if (!device::CreateDeviceEntry(directory_, entryName_, slavePath_, error)) {
    Unplug();
    return false;
  }
  return true;
}

void PtyPort::Unplug() {
  if (!Plugged()) return;
  QString ignored;
  device::RemoveDeviceEntry(directory_, entryName_, &ignored);
  notifier_.reset();
  ::close(slave_);
  ::close(master_);
  master_ = slave_ = -1;
  slavePath_.clear();
}

void PtyPort::Write(const QByteArray& bytes) {
  qsizetype done = 0;
  int waits = 0;
  while (Plugged() && done < bytes.size()) {
    const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
    if (n > 0) {
      done += n;
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR) && ++waits <= 20) {
      // The host is slow to read; wait for room, but not for ever (a host
      // that never reads loses the rest, as a real device's would).
      pollfd p{master_, POLLOUT, 0};
      ::poll(&p, 1, 100);  // the host is slow to read; wait for room
    } else {
      break;
    }
  }
}

void PtyPort::ReadMaster() {
  char buf[4096];
  const ssize_t n = ::read(master_, buf, sizeof buf);
  if (n > 0) emit received(QByteArray(buf, n));
}

}  // namespace sim
