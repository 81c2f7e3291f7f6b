#include "device/control/device_linker.h"

#include "device/directory/target_identity.h"

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

bool DeviceLinker::ScanDue(qint64 nowMs) const {
  if (!scanned_ || nowMs - lastScanMs_ >= kRescanMs) return true;
  for (const auto& s : linked_)
    if (s->PortFailed()) return true;
  for (const auto& [path, held] : heldBack_)
    if (nowMs >= held.retryAfterMs) return true;
  return false;
}

size_t DeviceLinker::Scan(qint64 nowMs) {
  scanned_ = true;
  lastScanMs_ = nowMs;
  std::vector<Refusal> refusals;
  const std::vector<DeviceEntry> entries = ScanDeviceDirectories(directories_, &refusals);
  // Each refusal once while it lasts; again if it comes back later.
  std::set<std::pair<QString, QString>> current;
  for (const Refusal& r : refusals) {
    if (!refusals_.count({r.path, r.text})) report_(r.path, r.label, r.text);
    current.insert({r.path, r.text});
  }
  refusals_ = std::move(current);
  // Drop links whose entry went away, changed, or whose port failed.
  for (size_t i = linked_.size(); i-- > 0;) {
    const DeviceSession& s = *linked_[i];
    bool present = false;
    for (const DeviceEntry& e : entries)
      if (e == s.Entry()) present = true;
    if (!present || s.PortFailed()) Unlink(i, nowMs);
  }
  const size_t kept = linked_.size();
  // Forget failed ports whose entry is gone or was made anew.
  for (auto it = heldBack_.begin(); it != heldBack_.end();) {
    bool same = false;
    for (const DeviceEntry& e : entries)
      if (e == it->second.entry) same = true;
    it = same ? std::next(it) : heldBack_.erase(it);
  }
  std::set<std::pair<QString, QString>> twins;
  for (const DeviceEntry& e : entries) {
    bool known = false;
    for (const auto& s : linked_)
      if (s->Entry() == e) known = true;
    if (known) continue;
    // One device under two entries would count each of its calls twice (and
    // a second opening of a serial port fails on the first one's lock).
    const QString identity = TargetIdentity(e.family, e.target);
    const DeviceSession* first = nullptr;
    for (size_t i = 0; i < linked_.size() && !identity.isEmpty(); ++i)
      if (identities_[i] == identity) first = linked_[i].get();
    if (first) {
      const QString text = QStringLiteral("%1: %2; ikinci kayıt kullanılmadı")
                               .arg(e.path, SameDeviceText(e.family, e.target, first->Entry().name));
      if (!twins_.count({e.path, text})) report_(e.path, e.name, text);
      twins.insert({e.path, text});
      continue;
    }
    auto held = heldBack_.find(e.path);
    if (held != heldBack_.end() && nowMs < held->second.retryAfterMs) continue;
    std::unique_ptr<DeviceSession> session = factory_(e);
    if (!session) continue;
    QString why;
    if (!session->Open(&why)) {
      HeldBack& h = heldBack_[e.path];
      h.entry = e;
      h.retryAfterMs = nowMs + kOpenRetryMs;
      if (!h.reported) report_(e.path, e.name, why);
      h.reported = true;
      continue;
    }
    heldBack_.erase(e.path);
    linked_.push_back(std::move(session));
    identities_.push_back(identity);
  }
  twins_ = std::move(twins);
  return linked_.size() - kept;
}

void DeviceLinker::Unlink(size_t index, qint64 nowMs) {
  DeviceSession& s = *linked_[index];
  if (s.PortFailed()) {
    HeldBack& h = heldBack_[s.Entry().path];
    h.entry = s.Entry();
    h.retryAfterMs = nowMs + kOpenRetryMs;
  }
  dropping_(&s);
  linked_.erase(linked_.begin() + static_cast<std::ptrdiff_t>(index));
  identities_.erase(identities_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace device
