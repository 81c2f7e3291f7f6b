#pragma once
// What a device entry may point at. A declared entry is only as good as its
// target: a link to /dev/zero or to the controlling terminal must never be
// treated as a caller-ID device.
#include <QString>

namespace device {

// True for a serial port or one of the user's own pseudo-terminals: a
// character device of the tty class with a device behind it in sysfs, other
// than the controlling terminal, the console, the pseudo-terminal
// multiplexer and the virtual consoles. Does not open it (opening a real
// serial port toggles its modem lines).
bool IsSerialDeviceNode(const QString& path, QString* why);

}  // namespace device
