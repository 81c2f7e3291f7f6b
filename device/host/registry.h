#pragma once
// Creating controls by class identifier: a registry of class factories.
#include <QByteArray>
#include <QUuid>
#include <functional>
#include <memory>

#include "device/host/contract.h"

namespace device {

// A factory receives the control's stored property stream.
using ControlFactory = std::function<std::unique_ptr<ITevra>(const QByteArray& propertyStream)>;

class ControlRegistry {
 public:
  // Registers (or replaces) the factory of a class; an empty factory removes it.
  static void Register(const QUuid& clsid, ControlFactory factory);
  // Creates a control; REGDB_E_CLASSNOTREG when no factory is registered,
  // E_FAIL when the factory gives nothing.
  static HRESULT Create(const QUuid& clsid, const QByteArray& propertyStream, std::unique_ptr<ITevra>* control);
};

// Registers a factory for the lifetime of the object; restores the previous
// one when it ends. For tests.
class ScopedControlRegistration {
 public:
  ScopedControlRegistration(const QUuid& clsid, ControlFactory factory);
  ~ScopedControlRegistration();
  ScopedControlRegistration(const ScopedControlRegistration&) = delete;
  ScopedControlRegistration& operator=(const ScopedControlRegistration&) = delete;

 private:
  QUuid clsid_;
  ControlFactory previous_;
};

}  // namespace device
