#pragma once
// Where caller-ID devices are declared. The control opens only ports that
// have an entry here, so it never sends bytes to an unrelated serial port.
//
// An entry is a symbolic link whose name's prefix says the device family
// ("unit-", "modem-", "lineunit-", "ethunit-", "audio-", below) and whose
// target suits that family. Two directories are read: the per-user one under the
// runtime directory (simulator, hand-made links) and the one udev fills for
// real USB units (see tools/udev/).
//
// Whoever can add an entry can make the program open a terminal and show
// what it says, so a directory is read only when its owner alone can write
// to it: the user for the per-user directory, root for udev's. It is opened
// without following a link in its place, and every entry's target is checked
// for its family (a serial device for the serial families).
#include <sys/types.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "device/core/device_entry.h"

namespace device {

// $XDG_RUNTIME_DIR/callerid-devices, or /tmp/callerid-devices-<uid> when the
// runtime directory is not set.
QString UserDeviceDirectory();
// The directory udev's rule fills: /dev/callerid.
QString UdevDeviceDirectory();
QStringList DefaultDeviceDirectories();

// Family from an entry name; false for names of no family.
bool FamilyFromName(const QString& name, DeviceFamily* family);
// The prefix entries of the family are named with, e.g. "unit-".
QString FamilyPrefix(DeviceFamily family);

// Who must own a device directory: root for udev's, else the user.
uid_t DeviceDirectoryOwner(const QString& directory);

// Opens the directory for reading entries when it is to be trusted (a real
// directory, owned by DeviceDirectoryOwner(), not writable by group or
// others); else -1 with why set (why stays empty when it does not exist).
int OpenDeviceDirectory(const QString& directory, QString* why);

// The target an entry of the family stands for, from its link text; false
// when there is nothing to open. why is empty when the target is merely gone
// (or the links loop), else says why the target is refused.
bool ResolveEntryTarget(DeviceFamily family, const QString& directory, const QByteArray& linkText, QString* target,
                        QString* why);

// A directory or entry that was not trusted: its path, its name as shown,
// and one Turkish line saying why.
struct Refusal {
  QString path;
  QString label;
  QString text;
};

// Entries whose target exists and suits their family, ordered by when they
// were made (oldest first). refusals (if given) gets one line per directory
// or entry that was not trusted.
std::vector<DeviceEntry> ScanDeviceDirectories(const QStringList& directories, std::vector<Refusal>* refusals);
std::vector<DeviceEntry> ScanDeviceDirectories(const QStringList& directories, QStringList* refusals = nullptr);

// Creates or replaces the entry <directory>/<name> -> target (creating the
// directory, private to the user; an existing one must pass the checks
// above). For the simulator and the link command.
bool CreateDeviceEntry(const QString& directory, const QString& name, const QString& target, QString* error);
// Removing an entry that is not there (or from a directory that is not a real
// one, which holds no entries the program reads) succeeds.
bool RemoveDeviceEntry(const QString& directory, const QString& name, QString* error);

}  // namespace device
