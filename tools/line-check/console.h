#pragma once
// The command's terminal: report lines on standard output, notes and errors
// on standard error, and, only when standard error is a terminal, a
// progress line of its own that is cleared before any other line is
// written, so no report line ever starts with a percentage.
#include <QString>

namespace linecheck {

class Console {
 public:
  Console();
  // A report line, flushed at once so a script reading a night's run sees
  // each event as it is reported.
  void Out(const QString& line);
  void Err(const QString& line);
  // Rewrites the progress line; nothing when standard error is no terminal.
  void Progress(const QString& text);
  void ClearProgress();
  bool Terminal() const { return terminal_; }

 private:
  bool terminal_;
  bool shown_ = false;
  QString last_;
};

}  // namespace linecheck
