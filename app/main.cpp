// Program entry: takes no arguments and reads no configuration.
#include "app/startup.h"
#include "device/builtin_control.h"
#include "platform/application.h"

int main(int argc, char** argv) {
  platform::TApplication application(argc, argv);
  device::RegisterBuiltinControl();
  return app::Run(application);
}
