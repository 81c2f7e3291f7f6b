#pragma once
// Where caller-ID devices are declared. The control opens only ports that
// have an entry here, so it never sends bytes to an unrelated serial port.
//
// An entry is a symbolic link named "unit-<name>" (multi-line unit) or
// "modem-<name>" (voice modem) pointing at a serial device node or a
// pseudo-terminal. Two directories are read: the per-user one under the
// runtime directory (simulator, hand-made links) and the one udev fills for
// real USB units (see tools/udev/).
#include <QString>
#include <QStringList>
#include <vector>

namespace device {

// Audio: "audio-<name>[.clip|.dtmf|.bell|.jclip]", a sound card's capture
// node, a FIFO or a WAV file, one telephone line per channel.
enum class DeviceFamily { Unit, Modem, Audio };

struct DeviceEntry {
  QString name;         // entry file name, e.g. "unit-sim4"
  QString path;         // full path of the entry
  QString target;       // what it points at, resolved
  DeviceFamily family = DeviceFamily::Unit;
  qint64 linkedAtNs = 0;  // change time of the entry itself (when it was made)

  bool operator==(const DeviceEntry& o) const { return path == o.path && target == o.target && linkedAtNs == o.linkedAtNs; }
};

// $XDG_RUNTIME_DIR/callerid-devices, or /tmp/callerid-devices-<uid> when the
// runtime directory is not set.
QString UserDeviceDirectory();
// The directory udev's rule fills: /dev/callerid.
QString UdevDeviceDirectory();
QStringList DefaultDeviceDirectories();

// Family from an entry name; false for names of neither family.
bool FamilyFromName(const QString& name, DeviceFamily* family);

// Entries whose target exists, ordered by when they were made (oldest first).
std::vector<DeviceEntry> ScanDeviceDirectories(const QStringList& directories);

// Creates or replaces the entry <directory>/<name> -> target (creating the
// directory, private to the user). For the simulator and the link command.
bool CreateDeviceEntry(const QString& directory, const QString& name, const QString& target, QString* error);
bool RemoveDeviceEntry(const QString& directory, const QString& name, QString* error);

}  // namespace device
