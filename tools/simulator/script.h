#pragma once
// The simulator's script language, one command a line ('#' starts a comment):
//   call LINE NUMBER [TEXT...]   a call (NUMBER "P" withheld, "O" unavailable)
//   ring LINE                    a ringing burst on a line
//   levels L1 L2 L3 L4 [L5..L8]  a level report
//   unplug | plug                remove / bring back the device
//   garbage                      a burst of junk bytes (NUL, invalid UTF-8, ...)
//   raw BYTES                    bytes as written, with \r \n \0 \\ \xNN escapes
//   stall [SECONDS]              stop answering (until "resume" when no time given)
//   resume                       answer again
//   fault NAME[=VALUE]...        the line's faults from now on (line_faults.h)
//   wait MILLISECONDS            pause the script
//   quit                         unplug and end the simulator
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>

#include "tools/simulator/emulation.h"

namespace sim {

struct Command {
  enum Kind { Nothing, CallCmd, Ring, LevelsCmd, Unplug, Plug, Garbage, Raw, Stall, Resume, Wait, Fault, Quit };
  Kind kind = Nothing;
  Call call;
  std::array<int, 8> levels{};
  QByteArray bytes;
  QStringList words;  // fault names
  int ms = 0;
};

// False with a description for a line that is not a command.
bool ParseCommand(const QString& line, int lines, Command* cmd, QString* error);

// Resolves \r \n \t \0 \\ and \xNN; other characters as UTF-8.
QByteArray Unescape(const QString& text);

// The junk bytes of "garbage": what a noisy line or a confused device sends.
QByteArray GarbageBytes();

}  // namespace sim
