#pragma once
// Watches one line's raw audio for what makes decoding pointless or
// unreliable: clipping, a DC offset, and a line that has been completely
// silent for a long time (coupler unplugged, capture muted). Each condition
// is said once when it starts and again only after it has been gone for a
// while, so a bad line gives a few clear lines, not a flood. Time is counted
// in samples, so the result does not depend on how fast audio is read.
#include <QStringList>
#include <cstddef>
#include <cstdint>

namespace device {

class AudioSignalCheck {
 public:
  static constexpr int kSecond = 8000;          // samples
  static constexpr int kClippedPerSecond = 80;  // 1 % of the samples at full scale
  static constexpr int kDcOffset = 1638;        // 5 % of full scale
  static constexpr int kSilentPeak = 2;         // digital silence, give or take a bit
  static constexpr int kSilentSeconds = 10;
  static constexpr int kRearmSeconds = 10;  // clean seconds (for silence: with sound) before a condition is said again

  explicit AudioSignalCheck(int line) : line_(line) {}
  void Feed(const int16_t* samples, size_t count, QStringList& notices);

 private:
  struct Episode {
    bool said = false;
    int clean = 0;  // clean seconds since it was said
  };
  // True when the condition should be said now.
  static bool Update(Episode& e, bool present);
  void EndOfSecond(QStringList& notices);

  int line_;
  int filled_ = 0;
  int clipped_ = 0;
  int peak_ = 0;
  int64_t sum_ = 0;
  int silentSeconds_ = 0;
  int soundSeconds_ = 0;  // in a row, since a silence was said
  Episode clipping_, offset_;
  bool silenceSaid_ = false;
};

}  // namespace device
