#include "device/device_linker.h"

namespace device {

DeviceLinker::DeviceLinker(QStringList directories, Factory factory, Report report, Dropping dropping)
    : directories_(std::move(directories)),
      factory_(std::move(factory)),
      report_(std::move(report)),
      dropping_(std::move(dropping)) {}

DeviceLinker::~DeviceLinker() = default;

DeviceSession* DeviceLinker::Primary() const {
  for (const auto& s : linked_)
    if (s->Identified()) return s.get();
  return nullptr;
}

void DeviceLinker::Scan(qint64 nowMs) {
  const std::vector<DeviceEntry> entries = ScanDeviceDirectories(directories_);
  // Drop links whose entry went away, changed, or whose port failed.
  for (size_t i = linked_.size(); i-- > 0;) {
    const DeviceSession& s = *linked_[i];
    bool present = false;
    for (const DeviceEntry& e : entries)
      if (e == s.Entry()) present = true;
    if (!present || s.PortFailed()) Unlink(i, nowMs);
  }
  for (const DeviceEntry& e : entries) {
    bool known = false;
    for (const auto& s : linked_)
      if (s->Entry() == e) known = true;
    if (known) continue;
    auto retry = retryAfter_.find(e.path);
    if (retry != retryAfter_.end() && nowMs < retry->second) continue;
    std::unique_ptr<DeviceSession> session = factory_(e);
    if (!session) continue;
    QString why;
    if (!session->Open(&why)) {
      retryAfter_[e.path] = nowMs + kOpenRetryMs;
      if (!openReported_[e.path]) report_(why);
      openReported_[e.path] = true;
      continue;
    }
    retryAfter_.erase(e.path);
    openReported_.erase(e.path);
    linked_.push_back(std::move(session));
  }
}

void DeviceLinker::Unlink(size_t index, qint64 nowMs) {
  DeviceSession& s = *linked_[index];
  if (s.PortFailed()) retryAfter_[s.Entry().path] = nowMs + kOpenRetryMs;
  if (s.HasPartialRecord())
    report_(QStringLiteral("Cihaz %1 kayıt ortasında ayrıldı; yarım kalan kayıt atıldı").arg(s.Label()));
  dropping_(&s);
  linked_.erase(linked_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace device
