#include "tools/line-check/console.h"

#include <unistd.h>

#include <cstdio>

namespace linecheck {

Console::Console() : terminal_(isatty(STDERR_FILENO) == 1) {}

void Console::ClearProgress() {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  shown_ = false;
  last_.clear();
}

void Console::Out(const QString& line) {
  ClearProgress();
  std::fputs(line.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Console::Err(const QString& line) {
  ClearProgress();
  std::fputs(line.toUtf8().constData(), stderr);
  std::fputc('\n', stderr);
}

void Console::Progress(const QString& text) {
  if (!terminal_ || text == last_) return;
  std::fputs(("\r\033[K" + text).toUtf8().constData(), stderr);
  std::fflush(stderr);
  shown_ = true;
  last_ = text;
}

}  // namespace linecheck
