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
  // The level on the 0..255 scale of the level bars, linear in dB:
  //   Level = clamp(round(4 * (Dbm0 + 60)), 0, 255)
  // so -60 dBm0 and below (a quiet line) reads 0, -34 dBm0 (a weak burst)
  // 104, -20 dBm0 (speech) 160, 0 dBm0 (ringing through a coupler) 240 and a
  // full-scale sine or clipping 253 to 255.
  int Level() const;
  static int LevelFromDbm0(double dbm0);

 private:
  std::vector<int64_t> squares_;  // per-sample squares of the last 100 ms
  size_t next_ = 0;
  int64_t sum_ = 0;
  size_t filled_ = 0;
};

}  // namespace device::audio
