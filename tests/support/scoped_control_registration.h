#pragma once
// Registers a control factory for the lifetime of the object and restores
// the one it replaced when it ends.
#include "device/host/registry.h"

namespace testsupport {

class ScopedControlRegistration {
 public:
  ScopedControlRegistration(const QUuid& clsid, device::ControlFactory factory)
      : clsid_(clsid), previous_(device::ControlRegistry::Register(clsid, std::move(factory))) {}
  ~ScopedControlRegistration() { device::ControlRegistry::Register(clsid_, std::move(previous_)); }
  ScopedControlRegistration(const ScopedControlRegistration&) = delete;
  ScopedControlRegistration& operator=(const ScopedControlRegistration&) = delete;

 private:
  QUuid clsid_;
  device::ControlFactory previous_;
};

}  // namespace testsupport
