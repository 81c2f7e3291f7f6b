#pragma once
// Devices that tell of a ring but measure no level (voice modems, units of
// the public call-record format) show a ringing line at this level for a
// second, so the level bars still say which line rang.
#include <array>

#include "device/core/records.h"

namespace device {

class RingLevels {
 public:
  static constexpr int kLevel = 48;
  static constexpr qint64 kShownMs = 1000;

  RingLevels() { until_.fill(-1); }

  // Line 1 to 8 rang now; returns the levels to send.
  LevelRecord Ring(int line, qint64 nowMs);
  // True, with the levels to send, when a ring's second has just ended.
  bool Tick(qint64 nowMs, LevelRecord* levels);

 private:
  LevelRecord Levels() const;

  std::array<qint64, 8> until_;
};

}  // namespace device
