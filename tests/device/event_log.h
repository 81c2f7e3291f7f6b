#pragma once
// The control's events as a test sees them: each call's and each level
// report's arguments as text, in the order they came (last argument first).
#include <QStringList>
#include <vector>

#include "device/host/contract.h"

namespace device::test {

class EventLog : public IEventSink {
 public:
  HRESULT Invoke(int dispId, const QVariantList& a) override {
    QStringList args;
    for (const QVariant& v : a) args << v.toString();
    (dispId == DISPID_OnCallerID ? calls : levels).push_back(args);
    return S_OK;
  }
  // Level n (1 to 8) of the last report.
  QString Level(int n) const { return levels.empty() ? QString() : levels.back()[8 - n]; }

  std::vector<QStringList> calls;
  std::vector<QStringList> levels;
};

}  // namespace device::test
