#pragma once
// What a device entry may point at. A declared entry is only as good as its
// target: a link to /dev/zero, to someone's terminal window or to the console
// must never be treated as a caller-ID device.
#include <QString>

namespace device {

// True for a serial port or one of the user's own pseudo-terminals: a
// character device of the tty class with a device behind it in sysfs. False,
// with the reason in *why, for anything else, and for the terminals people
// use: a session's controlling terminal (a terminal window, a login: any
// process visible here has it as its own), the system console (the kernel's,
// named in /sys/class/tty/console/active or on the boot line, such as a
// ttyS0 that is a serial port besides), the pseudo-terminal multiplexer and
// the virtual consoles. Does not open it (opening a real serial port toggles
// its modem lines).
bool IsSerialDeviceNode(const QString& path, QString* why);

}  // namespace device
