#include "device/host/registry.h"

#include <QHash>

namespace device {

namespace {
QHash<QUuid, ControlFactory>& Factories() {
  static QHash<QUuid, ControlFactory> f;
  return f;
}
}  // namespace

ControlFactory ControlRegistry::Register(const QUuid& clsid, ControlFactory factory) {
  ControlFactory previous = Factories().take(clsid);
  if (factory) Factories().insert(clsid, std::move(factory));
  return previous;
}

HRESULT ControlRegistry::Create(const QUuid& clsid, const QByteArray& propertyStream,
                                std::unique_ptr<ITevra>* control) {
  control->reset();
  const auto it = Factories().constFind(clsid);
  if (it == Factories().constEnd()) return REGDB_E_CLASSNOTREG;
  *control = (*it)(propertyStream);
  return *control ? S_OK : E_FAIL;
}

}  // namespace device
