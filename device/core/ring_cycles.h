#pragma once
// Whether a ringing line got its caller ID: an exchange that sends none on a
// line rings it twice (or more) with nothing before the first ring or
// between the rings. Devices that report rings feed their rings and calls
// here and say so once per ring cycle, which is what a technician needs to
// hear when the line rings and no number comes.
#include <QString>
#include <QtGlobal>
#include <map>

namespace device {

class RingCycles {
 public:
  // Rings further apart than this belong to different calls; a caller ID
  // this long before a first ring belongs to its call (sent before ringing).
  static constexpr qint64 kCycleGapMs = 8000;

  // A ring on `line`; true once per ring cycle, on its second ring, when no
  // caller ID came before.
  bool Ring(int line, qint64 nowMs);
  // A caller ID (decoded or not) on `line`.
  void CallerId(int line, qint64 nowMs);

 private:
  struct Line {
    qint64 lastRingMs = -1;
    qint64 lastCallerIdMs = -1;
    int rings = 0;
    bool callerId = false;
    bool reported = false;
  };
  std::map<int, Line> lines_;
};

// The message line for a ring cycle without caller ID; line 0 for a device
// of one line.
QString NoCallerIdText(int line);

}  // namespace device
