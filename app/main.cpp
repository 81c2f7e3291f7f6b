// Program entry: takes no arguments and reads no configuration.
#include "app/startup.h"
#include "device/builtin_control.h"
#include "platform/application.h"
#include "tools/inspect/widget_dump.h"

int main(int argc, char** argv) {
  platform::TApplication application(argc, argv);
  device::RegisterBuiltinControl();
  inspect::StartWidgetDumpFromEnvironment();  // test-only; inert without its variable
  return app::Run(application);
}
