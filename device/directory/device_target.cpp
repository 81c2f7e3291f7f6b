#include "device/directory/device_target.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>

namespace device {

namespace {

// Pseudo-terminal slaves are not in sysfs; their majors are fixed.
constexpr unsigned kPtsFirstMajor = 136;
constexpr unsigned kPtsLastMajor = 143;
constexpr unsigned kTtyAuxMajor = 5;  // /dev/tty, /dev/console, /dev/ptmx
constexpr unsigned kTtyMajor = 4;     // virtual consoles below minor 64, 8250 ports above
constexpr unsigned kFirstSerialMinorOfTtyMajor = 64;

// The kernel's class of a character device, from sysfs; empty when unknown.
QByteArray DeviceClass(unsigned maj, unsigned min) {
  const QByteArray link = "/sys/dev/char/" + QByteArray::number(maj) + ':' + QByteArray::number(min) + "/subsystem";
  char buf[256];
  const ssize_t n = readlink(link.constData(), buf, sizeof buf - 1);
  if (n <= 0) return {};
  const QByteArray target(buf, n);
  return target.mid(target.lastIndexOf('/') + 1);
}

bool HasDevice(unsigned maj, unsigned min) {
  const QByteArray link = "/sys/dev/char/" + QByteArray::number(maj) + ':' + QByteArray::number(min) + "/device";
  return access(link.constData(), F_OK) == 0;
}

}  // namespace

bool IsSerialDeviceNode(const QString& path, QString* why) {
  struct stat st {};
  if (stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode)) {
    *why = QStringLiteral("%1 bir seri aygıt değil").arg(path);
    return false;
  }
  const unsigned maj = major(st.st_rdev);
  const unsigned min = minor(st.st_rdev);
  if (maj >= kPtsFirstMajor && maj <= kPtsLastMajor) {
    // A pseudo-terminal a dead bridge left behind can be handed out again to
    // anyone who opens /dev/ptmx: only the user's own is the user's device.
    if (st.st_uid == getuid()) return true;
    *why = QStringLiteral("%1 başka bir kullanıcının sözde uçbirimi (sahibi %2, olması gereken %3)")
               .arg(path)
               .arg(st.st_uid)
               .arg(getuid());
    return false;
  }
  const bool consoleLike = maj == kTtyAuxMajor || (maj == kTtyMajor && min < kFirstSerialMinorOfTtyMajor);
  // A real port has hardware (or a USB interface) behind it in sysfs; a
  // terminal of the tty class without one is some virtual terminal. Without
  // sysfs (some containers) only the known non-serial nodes are refused.
  const QByteArray cls = DeviceClass(maj, min);
  if (!consoleLike && cls == "tty" && HasDevice(maj, min)) return true;
  if (!consoleLike && cls.isEmpty() && access("/sys/dev/char", F_OK) != 0 && maj != 1) return true;
  *why = QStringLiteral("%1 bir seri aygıt değil").arg(path);
  return false;
}

}  // namespace device
