#pragma once
// What cid-line-check was asked: the source, and what to report how.
#include <QCoreApplication>
#include <QString>

#include "device/audio/standard.h"

namespace linecheck {

struct CheckOptions {
  QString source;                                                 // a recording, a FIFO or a capture node
  bool json = false;                                              // one JSON object per event
  double seconds = 60;                                            // how long a card or stream is listened to
  bool secondsGiven = false;                                      // --seconds on the command line
  device::audio::Standard fixed = device::audio::Standard::Auto;  // the standard the device is set to
  QString savePath;                                               // keep what was heard; empty: not asked
  QString plotPath;                                               // draw the picture; empty: not asked
  QString keepPath;                                               // keep each failed cycle here; empty: not asked
  int keepMax = 100;                                              // at most this many cycles kept
};

// Reads the command line into `options`. Returns -1 to go on, else the exit
// code to end with: 2 for a wrong command line (the parser's own errors
// among them), after one Turkish line on standard error; 0 after --help.
int ParseCheckOptions(QCoreApplication& app, CheckOptions* options);

}  // namespace linecheck
