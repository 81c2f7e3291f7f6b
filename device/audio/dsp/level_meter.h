#pragma once
// Signal level of one channel: RMS over the last 100 ms.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace device::audio {

class LevelMeter {
 public:
  LevelMeter();
  void Feed(const int16_t* samples, size_t count);
  // RMS level in dBm0, where a full-scale square wave is +6.16 dBm0 and a
  // full-scale sine +3.14 dBm0 (the telephony library's reference). Silence
  // reads -100.
  double Dbm0() const;
  // The level on the 0..64 scale of the window's level bars, one step per
  // dB from a quiet line to full scale, so the bar tells lines apart:
  //   Level = clamp(round(Dbm0 + 61), 0, 64)
  // -60 dBm0 and below (a quiet line) reads 0 or 1, -34 dBm0 (a weak burst)
  // 27, -13 dBm0 (a normal burst) 48, 0 dBm0 (ringing through a coupler) 61
  // and a full-scale sine or clipping 64.
  int Level() const;
  static constexpr int kMaxLevel = 64;
  static int LevelFromDbm0(double dbm0);
  // The dBm0 a level stands for (the middle of its step).
  static double Dbm0FromLevel(int level) { return level - 61.0; }

 private:
  std::vector<int64_t> squares_;  // per-sample squares of the last 100 ms
  size_t next_ = 0;
  int64_t sum_ = 0;
  size_t filled_ = 0;
};

}  // namespace device::audio
