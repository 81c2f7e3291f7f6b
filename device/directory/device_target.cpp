#include "device/directory/device_target.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QFile>
#include <cstdlib>

namespace device {

namespace {

// Pseudo-terminal slaves are not in sysfs; their majors are fixed.
constexpr unsigned kPtsFirstMajor = 136;
constexpr unsigned kPtsLastMajor = 143;
constexpr unsigned kTtyAuxMajor = 5;  // /dev/tty, /dev/console, /dev/ptmx
constexpr unsigned kCurrentTtyMinor = 0;
constexpr unsigned kConsoleMinor = 1;
constexpr unsigned kTtyMajor = 4;  // virtual consoles below minor 64, 8250 ports above
constexpr unsigned kFirstSerialMinorOfTtyMajor = 64;

// A small pseudo-file (sysfs, procfs) in full; empty when it cannot be read.
QByteArray ReadSmallFile(const char* path) {
  QByteArray out;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return out;
  char buf[4096];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0 && out.size() < 65536;) out.append(buf, n);
  ::close(fd);
  return out;
}

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

// The terminal the kernel writes its messages to and offers a login on:
// what it says is active now, and what the boot line asked for (console=
// ttyS0,115200n8), which is the console even before the system says so.
// Returns the name of the console the device is, empty when it is none.
QString KernelConsoleName(dev_t rdev) {
  QList<QByteArray> names = ReadSmallFile("/sys/class/tty/console/active").simplified().split(' ');
  for (const QByteArray& word : ReadSmallFile("/proc/cmdline").simplified().split(' ')) {
    if (word == "--") break;  // what follows goes to the first program, not to the kernel
    if (word.startsWith("console=")) names << word.mid(8).split(',').first();
  }
  for (QByteArray name : names) {
    if (name.startsWith("/dev/")) name = name.mid(5);
    if (name.isEmpty() || name.contains('/')) continue;
    const QByteArray dev = ReadSmallFile("/sys/class/tty/" + name + "/dev").trimmed();
    const qsizetype colon = dev.indexOf(':');
    if (colon > 0 && dev.left(colon).toUInt() == major(rdev) && dev.mid(colon + 1).toUInt() == minor(rdev))
      return QString::fromLatin1(name);
  }
  return {};
}

// A process (of those this one can see) whose controlling terminal the
// device is: a terminal window's shell, a login, a program started from
// either. Such a terminal is a session's, whoever owns the node: what the
// program wrote there would land among what a person types and reads.
bool ControllingProcess(dev_t rdev, long* pid, QString* command) {
  DIR* proc = opendir("/proc");
  if (!proc) return false;
  bool found = false;
  while (const dirent* d = readdir(proc)) {
    char* end = nullptr;
    const long id = std::strtol(d->d_name, &end, 10);
    if (id <= 0 || *end) continue;
    const QByteArray stat = ReadSmallFile(("/proc/" + QByteArray(d->d_name) + "/stat").constData());
    // pid (comm) state ppid pgrp session tty_nr ...: comm may hold anything
    // but ends at the last parenthesis.
    const qsizetype open = stat.indexOf('('), close = stat.lastIndexOf(')');
    if (open < 0 || close < open) continue;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 5) continue;
    const unsigned ttyNr = fields[4].toUInt();
    const unsigned maj = (ttyNr >> 8) & 0xfff, min = (ttyNr & 0xff) | ((ttyNr >> 12) & 0xfff00);
    if (ttyNr == 0 || maj != major(rdev) || min != minor(rdev)) continue;
    *pid = id;
    *command = QString::fromLocal8Bit(stat.mid(open + 1, close - open - 1));
    found = true;
    break;
  }
  closedir(proc);
  return found;
}

QString NotSerial(const QString& path) { return QStringLiteral("%1 bir seri aygıt değil").arg(path); }

}  // namespace

bool IsSerialDeviceNode(const QString& path, QString* why) {
  struct stat st {};
  if (stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISCHR(st.st_mode)) {
    *why = NotSerial(path);
    return false;
  }
  const unsigned maj = major(st.st_rdev);
  const unsigned min = minor(st.st_rdev);
  long pid = 0;
  QString command;
  if (ControllingProcess(st.st_rdev, &pid, &command)) {
    *why = QStringLiteral(
               "%1 bir oturumun denetim uçbirimi (bir uçbirim penceresi ya da oturum açılışı; süreç %2, %3), "
               "bir seri aygıt değil")
               .arg(path)
               .arg(pid)
               .arg(command);
    return false;
  }
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
  if (const QString console = KernelConsoleName(st.st_rdev);
      !console.isEmpty() || (maj == kTtyAuxMajor && min == kConsoleMinor) || (maj == kTtyMajor && min == 0)) {
    const QString which = console.isEmpty() ? QString() : QStringLiteral("çekirdeğin konsolu %1; ").arg(console);
    *why = QStringLiteral(
               "%1 sistemin konsolu (%2çekirdek iletileri ve oturum açma isteği buraya yazılır); "
               "cihaz olarak açılmaz")
               .arg(path, which);
    return false;
  }
  if (maj == kTtyAuxMajor && min == kCurrentTtyMinor) {
    *why = QStringLiteral("%1 her sürecin kendi denetim uçbirimi, bir seri aygıt değil").arg(path);
    return false;
  }
  if (maj == kTtyMajor && min < kFirstSerialMinorOfTtyMajor) {
    *why = QStringLiteral("%1 bir sanal konsol, bir seri aygıt değil").arg(path);
    return false;
  }
  // A real port has hardware (or a USB interface) behind it in sysfs; a
  // terminal of the tty class without one is some virtual terminal. Without
  // sysfs (some containers) only the known non-serial nodes are refused.
  const QByteArray cls = DeviceClass(maj, min);
  if (maj != kTtyAuxMajor && cls == "tty" && HasDevice(maj, min)) return true;
  if (maj != kTtyAuxMajor && cls.isEmpty() && access("/sys/dev/char", F_OK) != 0 && maj != 1) return true;
  *why = NotSerial(path);
  return false;
}

}  // namespace device
