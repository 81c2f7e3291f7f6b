#include "platform/applicationevents.h"

namespace platform {

TApplicationEvents::TApplicationEvents(QObject* owner) : QObject(owner) {
  if (auto* app = TApplication::Instance()) app->Attach(this);
}

TApplicationEvents::~TApplicationEvents() {
  if (auto* app = TApplication::Instance()) app->Detach(this);
}

}  // namespace platform
