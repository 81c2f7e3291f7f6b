#pragma once
// Finds the declared devices and keeps one session linked to each: links new
// entries, drops sessions whose entry went away or whose link failed, and
// holds back a port that could not be opened before trying it again. A new
// entry under the same name (a re-plugged device) is a new device and is
// tried at once. One device is linked once: an entry whose target is a
// device already linked under another entry is refused, naming that one.
//
// The directories are read when they change (the control's DirectoryWatch)
// and, besides, when ScanDue says so: a change no directory event tells of
// (a link's target appearing or going) is found by a slow rescan.
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "device/core/device_session.h"
#include "device/directory/device_directory.h"

namespace device {

class DeviceLinker {
 public:
  static constexpr qint64 kOpenRetryMs = 2000;
  // The rescan that finds what no directory event told of.
  static constexpr qint64 kRescanMs = 2000;
  // A line about the entry or directory at `path`, shown as `label`.
  using Report = std::function<void(const QString& path, const QString& label, const QString& text)>;
  using Factory = std::function<std::unique_ptr<DeviceSession>(const DeviceEntry&)>;
  // Told before a session is dropped, while it still exists (and can say
  // whether it was cut in the middle of a record).
  using Dropping = std::function<void(DeviceSession*)>;

  DeviceLinker(QStringList directories, Factory factory, Report report, Dropping dropping);
  ~DeviceLinker();

  // One round: reads the directories and links or drops sessions. Returns
  // how many sessions it linked (the last ones of Sessions()).
  size_t Scan(qint64 nowMs);
  // Whether a round is due without a directory event: the first one, the
  // slow rescan, a session whose port failed, a held-back port to retry.
  bool ScanDue(qint64 nowMs) const;
  // In the order they were linked.
  const std::vector<std::unique_ptr<DeviceSession>>& Sessions() const { return linked_; }
  // The device the control reports: the first linked one that identified.
  DeviceSession* Primary() const;

 private:
  void Unlink(size_t index, qint64 nowMs);

  QStringList directories_;
  Factory factory_;
  Report report_;
  Dropping dropping_;
  qint64 lastScanMs_ = 0;
  bool scanned_ = false;
  std::vector<std::unique_ptr<DeviceSession>> linked_;
  std::vector<QString> identities_;  // of linked_'s targets, in step (TargetIdentity)
  struct HeldBack {
    DeviceEntry entry;  // the entry that failed; a different one is not held back
    qint64 retryAfterMs = 0;
    bool reported = false;
  };
  std::map<QString, HeldBack> heldBack_;            // entry path -> its failed port
  std::set<std::pair<QString, QString>> refusals_;  // (path, line) of refusals already reported
  std::set<std::pair<QString, QString>> twins_;     // (path, line) of second entries already reported
};

}  // namespace device
