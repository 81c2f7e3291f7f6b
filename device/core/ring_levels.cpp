#include "device/core/ring_levels.h"

namespace device {

LevelRecord RingLevels::Ring(int line, qint64 nowMs) {
  until_[size_t(line - 1)] = nowMs + kShownMs;
  return Levels();
}

bool RingLevels::Tick(qint64 nowMs, LevelRecord* levels) {
  bool ended = false;
  for (qint64& until : until_) {
    if (until >= 0 && nowMs >= until) {
      until = -1;
      ended = true;
    }
  }
  if (ended) *levels = Levels();
  return ended;
}

LevelRecord RingLevels::Levels() const {
  LevelRecord rec;
  for (size_t i = 0; i < until_.size(); ++i) rec.levels[i] = until_[i] >= 0 ? kLevel : 0;
  return rec;
}

}  // namespace device
