#pragma once
// Which device an entry's target is, so one device declared under two
// entries is linked once and its calls are not counted twice: a character
// device (a serial port, a pseudo-terminal, a sound card's capture node) by
// its device number, so two nodes or links for one port are one port; a
// FIFO or a recording by its file system and inode, so a second link or a
// hard link to one file is that file; an Ethernet unit by its address and
// port, however written.
#include <QString>

#include "device/core/device_entry.h"

namespace device {

// A key equal for two targets exactly when they are one device; empty when
// the target is gone (nothing to compare). The target is as the directory
// scan resolved it.
QString TargetIdentity(DeviceFamily family, const QString& target);

// Why an entry of the family for `target` is refused, the entry `firstName`
// having that device already: "unit-a kaydıyla aynı seri port (/dev/ttyUSB0)".
QString SameDeviceText(DeviceFamily family, const QString& target, const QString& firstName);

}  // namespace device
