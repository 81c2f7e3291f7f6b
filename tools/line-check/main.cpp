// cid-line-check: reads a line recording (or listens to a sound card or a
// live stream for a while) and reports on every channel each ring, line
// reversal, alert tone and caller-ID burst with its figures and decoded
// fields, and one verdict per ring cycle saying why caller ID did or did not
// arrive. Decoding and judging are the program's own (LineWatch).
#include <memory>

#include "tools/line-check/check_options.h"
#include "tools/line-check/check_run.h"
#include "tools/line-check/plot_application.h"

int main(int argc, char** argv) {
  const std::unique_ptr<QCoreApplication> app = linecheck::MakeApplication(argc, argv);
  linecheck::CheckOptions options;
  if (const int code = linecheck::ParseCheckOptions(*app, &options); code >= 0) return code;
  return linecheck::CheckRun(std::move(options)).Run();
}
