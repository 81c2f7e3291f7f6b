#include "device/control/directory_watch.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>

namespace device {

namespace {

// Enough for the levels of a path made in one go while a round watches
// them; any left over are caught by the next event or the rescan.
constexpr int kMaxRounds = 8;

bool DirectoryAt(const QString& path, dev_t* dev, ino_t* ino) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  *dev = st.st_dev;
  *ino = st.st_ino;
  return true;
}

QString Above(const QString& path) {
  const int slash = path.lastIndexOf(QLatin1Char('/'));
  return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

}  // namespace

DirectoryWatch::DirectoryWatch(const QStringList& directories, std::function<void()> changed)
    : changed_(std::move(changed)) {
  for (const QString& d : directories) directories_ << QDir::cleanPath(QDir(d).absolutePath());
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &DirectoryWatch::Changed);
}

std::map<QString, DirectoryWatch::Identity> DirectoryWatch::Wanted() const {
  std::map<QString, Identity> wanted;
  for (const QString& d : directories_) {
    Identity id;
    if (DirectoryAt(d, &id.dev, &id.ino)) wanted[d] = id;
    // The nearest existing directory above sees this one made, removed or
    // renamed, which its own watch does not tell.
    QString up = d;
    while (up != QLatin1String("/")) {
      up = Above(up);
      if (DirectoryAt(up, &id.dev, &id.ino)) {
        wanted[up] = id;
        break;
      }
    }
  }
  return wanted;
}

bool DirectoryWatch::Refresh() {
  bool changed = false;
  for (int round = 0; round < kMaxRounds; ++round) {
    const std::map<QString, Identity> wanted = Wanted();
    if (wanted == watched_) break;
    QStringList drop, add;
    for (const auto& [path, id] : watched_) {
      const auto it = wanted.find(path);
      if (it == wanted.end() || !(it->second == id)) drop << path;
    }
    for (const auto& [path, id] : wanted) {
      const auto it = watched_.find(path);
      if (it == watched_.end() || !(it->second == id)) add << path;
    }
    // Drop only what is still watched: a removed directory's watch ended
    // with it.
    const QStringList live = watcher_.directories();
    QStringList stillWatched;
    for (const QString& path : drop)
      if (live.contains(path)) stillWatched << path;
    if (!stillWatched.isEmpty()) watcher_.removePaths(stillWatched);
    if (!add.isEmpty()) watcher_.addPaths(add);
    for (const QString& path : drop + add)
      if (directories_.contains(path)) changed = true;
    watched_ = wanted;
  }
  return changed;
}

void DirectoryWatch::Changed(const QString& path) {
  // A directory that went away took its watch with it; forget having asked,
  // so one made again under the name is watched even if it reuses the inode.
  if (!watcher_.directories().contains(path)) watched_.erase(path);
  if (directories_.contains(path)) entriesChanged_ = true;
  if (posted_) return;
  posted_ = true;
  QMetaObject::invokeMethod(this, &DirectoryWatch::Deliver, Qt::QueuedConnection);
}

void DirectoryWatch::Deliver() {
  posted_ = false;
  const bool directoriesChanged = Refresh();
  if (!entriesChanged_ && !directoriesChanged) return;
  entriesChanged_ = false;
  changed_();
}

}  // namespace device
