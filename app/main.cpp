// Program entry: takes no arguments and reads no configuration.
#include "app/startup.h"
#include "device/control/builtin_control.h"
#include "platform/application.h"

int main(int argc, char** argv) {
  // No command line: the toolkit sees the program name only, so its own
  // options (-style, -stylesheet, -reverse, -platform and the like) can
  // neither change the program nor make it read files.
  char fallbackName[] = "Test";
  int toolkitArgc = 1;
  char* toolkitArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
  platform::TApplication application(toolkitArgc, toolkitArgv);
  device::RegisterBuiltinControl();
  return app::Run(application);
}
