#pragma once
// Says when an entry may have come to or gone from the device directories,
// so the linker reads them the moment a device is plugged or unplugged
// instead of on a timer. Each directory is watched together with the one
// above it (the nearest that exists), so a directory made, removed or
// replaced after start is seen too and watched anew. Everything that
// arrives in one turn of the event loop (making an entry is a link and a
// rename) is told once, from the next turn.
//
// The events only say when to look: what is found is checked by the scan
// as before, so a watch on a directory that is not trusted links nothing.
#include <sys/types.h>

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <functional>
#include <map>

namespace device {

class DirectoryWatch : public QObject {
  Q_OBJECT
 public:
  DirectoryWatch(const QStringList& directories, std::function<void()> changed);

  // Watches what exists now. True when a device directory came, went or
  // was replaced since the last call: its entries are to be read again.
  bool Refresh();

 private:
  struct Identity {
    dev_t dev = 0;
    ino_t ino = 0;
    bool operator==(const Identity& o) const { return dev == o.dev && ino == o.ino; }
  };
  std::map<QString, Identity> Wanted() const;
  void Changed(const QString& path);
  void Deliver();

  QStringList directories_;
  std::function<void()> changed_;
  QFileSystemWatcher watcher_;
  // What was asked to be watched, by path, with the directory it was then.
  // A path the system refused to watch stays here, so it is not asked again
  // on every event; the linker's slow rescan covers it.
  std::map<QString, Identity> watched_;
  bool posted_ = false;
  bool entriesChanged_ = false;
};

}  // namespace device
