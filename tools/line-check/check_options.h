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
  device::audio::Standard fixed = device::audio::Standard::Auto;  // the standard the device is set to
  bool save = false;                                              // keep what was heard, in savePath
  QString savePath;
  bool plot = false;  // draw the picture, into plotPath
  QString plotPath;
};

// Reads the command line into `options`. Returns -1 to go on, else the exit
// code to end with (2 for a wrong command line, after one Turkish line on
// standard error; 0 after --help).
int ParseCheckOptions(QCoreApplication& app, CheckOptions* options);

}  // namespace linecheck
