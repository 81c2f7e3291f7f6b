#pragma once
// A declared device as the directory scan found it: its entry's name, where
// the entry is, what it points at and the family its name says. What every
// family's session is made from; where entries are read and checked is
// device/directory/.
#include <QString>

namespace device {

// NativeUnit: "unit-<name>", our multi-line unit; Modem: "modem-<name>", a
// voice modem; both on a serial port or pseudo-terminal.
// PublicFormatSerial and PublicFormatUdp: units of the public multi-line call-record format,
// "lineunit-<name>" on a serial port, "ethunit-<name>" whose link text is the
// unit's IP address with an optional ":port" (nothing to resolve).
// Audio: "audio-<name>[.clip|.dtmf|.bell|.jclip]", a sound card's capture
// node, a FIFO or a WAV file, one telephone line per channel.
enum class DeviceFamily { NativeUnit, Modem, PublicFormatSerial, PublicFormatUdp, Audio };

struct DeviceEntry {
  QString name;    // entry file name, e.g. "unit-sim4"
  QString path;    // full path of the entry
  QString target;  // what it points at, resolved
  DeviceFamily family = DeviceFamily::NativeUnit;
  qint64 linkedAtNs = 0;  // change time of the entry itself (when it was made)

  bool operator==(const DeviceEntry& o) const {
    return path == o.path && target == o.target && linkedAtNs == o.linkedAtNs;
  }
};

}  // namespace device
