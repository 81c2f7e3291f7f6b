#pragma once
// The program's own caller-ID control, registered under the control's class
// identifier.
#include <memory>

#include "device/contract.h"

namespace device {

// Registers the built-in control's factory under CLSID_Tevra.
void RegisterBuiltinControl();

std::unique_ptr<ITevra> CreateBuiltinControl(const QByteArray& propertyStream);

}  // namespace device
