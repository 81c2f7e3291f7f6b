#include "device/host/registry.h"

#include <QHash>

namespace device {

namespace {
QHash<QUuid, ControlFactory>& Factories() {
  static QHash<QUuid, ControlFactory> f;
  return f;
}
}  // namespace

void ControlRegistry::Register(const QUuid& clsid, ControlFactory factory) {
  if (factory)
    Factories().insert(clsid, std::move(factory));
  else
    Factories().remove(clsid);
}

HRESULT ControlRegistry::Create(const QUuid& clsid, const QByteArray& propertyStream,
                                std::unique_ptr<ITevra>* control) {
  control->reset();
  const auto it = Factories().constFind(clsid);
  if (it == Factories().constEnd()) return REGDB_E_CLASSNOTREG;
  *control = (*it)(propertyStream);
  return *control ? S_OK : E_FAIL;
}

ScopedControlRegistration::ScopedControlRegistration(const QUuid& clsid, ControlFactory factory) : clsid_(clsid) {
  previous_ = Factories().value(clsid);
  ControlRegistry::Register(clsid, std::move(factory));
}

ScopedControlRegistration::~ScopedControlRegistration() { ControlRegistry::Register(clsid_, std::move(previous_)); }

}  // namespace device
