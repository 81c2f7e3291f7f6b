#pragma once
// --keep DIR: each failed or out-of-standard ring cycle's audio as a WAV
// file, from a few seconds before its first ring to its verdict, with its own
// picture beside it, named by line, time and cause
// ("hat1-20261209-021345-too_weak.wav", or "hat1-t012345-..." at a time into
// a recording). Both are new files made under the safe-write rules
// (safe_output.h). At most `limit` cycles are kept, so a night with a line
// failing every minute fills no disk; reaching it is said once.
#include <QString>

#include "tools/line-check/cycle_capture.h"
#include "tools/line-check/event_report.h"
#include "tools/line-check/safe_output.h"

namespace linecheck {

class CycleKeeper {
 public:
  static constexpr int kDefaultLimit = 100;

  CycleKeeper(OutputGuard* guard, int limit, QString title, AudioClock clock)
      : guard_(guard), limit_(limit), title_(std::move(title)), clock_(clock) {}

  // Keeps the cycle; a line in *message saying what was kept, or that the
  // limit is reached (once), or why it could not be written (then false).
  bool Keep(const CycleCapture& capture, QString* message);
  int Kept() const { return kept_; }
  int Limit() const { return limit_; }

 private:
  QString Name(const CycleCapture& capture) const;

  OutputGuard* guard_;
  int limit_;
  QString title_;
  AudioClock clock_;
  int kept_ = 0;
  bool saidFull_ = false;
};

}  // namespace linecheck
