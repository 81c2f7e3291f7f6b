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
  // Registers (or replaces) the factory of a class; an empty factory removes
  // it. Returns the factory it replaced, if any.
  static ControlFactory Register(const QUuid& clsid, ControlFactory factory);
  // Creates a control; REGDB_E_CLASSNOTREG when no factory is registered,
  // E_FAIL when the factory gives nothing.
  static HRESULT Create(const QUuid& clsid, const QByteArray& propertyStream, std::unique_ptr<ITevra>* control);
};

}  // namespace device
