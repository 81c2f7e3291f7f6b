#pragma once
// Watches one line's raw audio for what makes decoding pointless or
// unreliable: clipping, a DC offset, and a line that has been completely
// silent for a long time (coupler unplugged, capture muted). Each condition
// is said once when it starts and again only after it has been gone for a
// while, so a bad line gives a few clear lines, not a flood. Time is counted
// in samples, so the result does not depend on how fast audio is read.
//
// Ringing through a coupler clips as a matter of course, so clipping is
// said only outside the rings: a second is judged once the rings that might
// cover it have been told (Rang), a few seconds after it.
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"

namespace device {

class AudioSignalCheck {
 public:
  static constexpr int kClippedPerSecond = audio::kSampleRate / 100;  // 1 % of the samples at full scale
  static constexpr int kDcOffset = 1638;                              // 5 % of full scale
  static constexpr int kSilentPeak = 2;                               // digital silence, give or take a bit
  static constexpr int kSilentSeconds = 10;
  static constexpr int kRearmSeconds = 10;  // clean seconds (for silence: with sound) before a condition is said again
  // A ring is known this long after it started at most (the longest ring
  // and the blocks that tell its end).
  static constexpr int kRingKnownSeconds = 4;

  explicit AudioSignalCheck(int line) : line_(line) {}
  void Feed(const int16_t* samples, size_t count, QStringList& notices);
  // A ring sounded over [start, end) (sample positions of this line).
  void Rang(int64_t start, int64_t end);
  // The audio ended and every ring is known: the seconds still waiting are judged.
  void Flush(QStringList& notices);

 private:
  struct Episode {
    bool said = false;
    int clean = 0;  // clean seconds since it was said
  };
  struct Second {
    int64_t start = 0;
    bool clipped = false;
  };
  // True when the condition should be said now.
  static bool Update(Episode& e, bool present);
  void EndOfSecond(QStringList& notices);
  bool InRing(const Second& s) const;
  void JudgeClipping(int64_t before, QStringList& notices);

  int line_;
  int64_t n_ = 0;
  int filled_ = 0;
  int clipped_ = 0;
  int peak_ = 0;
  int64_t sum_ = 0;
  int silentSeconds_ = 0;
  int soundSeconds_ = 0;  // in a row, since a silence was said
  Episode clipping_, offset_;
  bool silenceSaid_ = false;
  std::deque<Second> waiting_;  // seconds whose clipping is judged once their rings are known
  std::vector<std::pair<int64_t, int64_t>> rings_;
};

}  // namespace device
