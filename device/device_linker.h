#pragma once
// Finds the declared devices and keeps one session linked to each: links new
// entries, drops sessions whose entry went away or whose link failed, and
// holds back a port that could not be opened before trying it again.
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "device/device_session.h"

namespace device {

class DeviceLinker {
 public:
  static constexpr qint64 kOpenRetryMs = 2000;
  using Report = std::function<void(const QString&)>;
  using Factory = std::function<std::unique_ptr<DeviceSession>(const DeviceEntry&)>;
  // Told before a session is dropped, while it still exists.
  using Dropping = std::function<void(DeviceSession*)>;

  DeviceLinker(QStringList directories, Factory factory, Report report, Dropping dropping);
  ~DeviceLinker();

  // One round: reads the directories and links or drops sessions.
  void Scan(qint64 nowMs);
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
  std::vector<std::unique_ptr<DeviceSession>> linked_;
  std::map<QString, qint64> retryAfter_;  // entry path -> when to try opening again
  std::map<QString, bool> openReported_;  // entry path -> open failure reported
};

}  // namespace device
