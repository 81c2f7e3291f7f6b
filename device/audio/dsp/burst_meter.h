#pragma once
// The figures of a caller-ID burst the decoder framed, taken from the band
// audio it heard: level, the noise just before the burst and the SNR, the
// FSK tones, bit rate, twist and preamble lengths, each DTMF digit's tones.
// Works only when a burst was settled, on a few seconds of history, so it
// costs nothing between calls.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/audio/dsp/burst_report.h"

namespace device::audio {

class BurstMeter {
 public:
  static constexpr int kHistory = 1 << 16;  // 8 s: a burst with its preamble and the line before it

  BurstMeter();
  // `raw`: the line audio as it came; `band`: the same in the telephone
  // band, as the receivers heard it.
  void Feed(const int16_t* raw, const float* band, size_t count);
  // Adds to a burst the receivers settled every figure the meter measures
  // (burst_report.h). The noise is measured on the line before the burst,
  // from `quietFrom` on at the earliest (after whatever signal preceded it).
  void Measure(BurstReport& burst, int64_t quietFrom = 0) const;
  // The report of a signal in the band over [start, end) that no receiver
  // framed: fate NotFramed, its level with the noise taken off, the noise
  // before it, the SNR, and what lies below the band.
  BurstReport MeasureUnframed(int64_t start, int64_t end, int64_t quietFrom = 0) const;

 private:
  float X(int64_t i) const { return i < 0 || i + kHistory <= n_ || i >= n_ ? 0.f : x_[size_t(i & (kHistory - 1))]; }
  double MeanSquare(int64_t from, int64_t to) const;
  // What lies below the band over a burst (mains hum, the ring's tail), and
  // how much of the burst the sound card cut at full scale.
  void MeasureBelowBand(BurstReport& r) const;
  double NoiseMeanSquare(int64_t burstStart, int64_t quietFrom) const;
  struct Baseband;
  void MeasureFsk(BurstReport& r, int64_t quietFrom) const;
  void MeasurePreamble(Baseband& z, BurstReport& r) const;
  void MeasureSeizure(const Baseband& z, BurstReport& r) const;
  void MeasureTwist(const Baseband& z, int64_t quietFrom, BurstReport& r) const;
  void MeasureDtmf(BurstReport& r) const;

  std::vector<float> x_;
  std::vector<int16_t> raw_;
  int64_t n_ = 0;
};

}  // namespace device::audio
