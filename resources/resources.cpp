#include "resources/resources.h"

#include <QtGlobal>

// The registration function is generated at global scope, so it is named here.
static void RegisterResourceData() { Q_INIT_RESOURCE(resources); }

namespace resources {

void InitResources() {
  static const bool once = (RegisterResourceData(), true);
  (void)once;
}

}  // namespace resources
