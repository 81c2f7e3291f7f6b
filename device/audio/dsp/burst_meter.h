#pragma once
// The figures of a caller-ID burst, taken from the audio the receivers
// heard, limited to the telephone band (300-3400 Hz): its level, the noise
// on the quiet line before it and the SNR, the FSK tones, bit rate, twist
// and preamble lengths, each DTMF digit's tones. A signal no receiver
// framed gets the same figures where its spectrum says what it is (an FSK
// pair or DTMF), so a burst too far off frequency or speed to frame is
// still named for it. Works only when a burst was settled, on a few seconds
// of history, so it costs nothing between calls.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/audio/dsp/band_activity.h"
#include "device/audio/dsp/burst_report.h"
#include "device/audio/dsp/butterworth.h"
#include "device/audio/dsp/fsk_tone_meter.h"

namespace device::audio {

class BurstMeter {
 public:
  static constexpr int kHistory = 1 << 16;  // 8 s: a burst with its preamble and the line before it
  using Span = BandActivity::Span;

  BurstMeter();
  // `raw`: the line audio as it came; `band`: the same without what lies
  // below the telephone band, as the receivers heard it.
  void Feed(const int16_t* raw, const float* band, size_t count);
  // Adds to a burst the receivers settled every figure the meter measures
  // (burst_report.h). `busy` are the spans of the other signals the line
  // carried lately (rings, tones, reversals, other bursts): the noise is
  // measured on the quiet line between them.
  // `standardFixed`: the device is set to the burst's standard; else a V.23
  // or Bell 202 burst's family is the one its two tones say.
  void Measure(BurstReport& burst, const std::vector<Span>& busy, bool standardFixed = false) const;
  // The report of a signal in the band over [start, end) that no receiver
  // framed: fate NotFramed, its level with the noise taken off, the noise
  // and SNR, what lies below the band, and where its spectrum shows an FSK
  // pair or DTMF, the standard's figures as for a framed burst.
  BurstReport MeasureUnframed(int64_t start, int64_t end, const std::vector<Span>& busy) const;

 private:
  struct Baseband;
  struct Noise {
    double meanSquare = 0;
    std::vector<int64_t> blocks;  // where the quiet blocks it was measured on start
  };

  float X(int64_t i) const { return i < 0 || i + kHistory <= n_ || i >= n_ ? 0.f : x_[size_t(i & (kHistory - 1))]; }
  double MeanSquare(int64_t from, int64_t to) const;
  double SoundingMeanSquare(int64_t from, int64_t to) const;
  std::optional<Noise> QuietLine(int64_t before, const std::vector<Span>& busy) const;
  void MeasureLevel(BurstReport& r, const std::vector<Span>& busy) const;
  // What lies below the band over a burst (mains hum, the ring's tail), and
  // how much of the burst the sound card cut at full scale.
  void MeasureBelowBand(BurstReport& r) const;
  Baseband MixDown(int64_t from, int64_t to, double centre) const;
  void MeasureFsk(BurstReport& r, const std::vector<Span>& busy, bool standardFixed) const;
  void MeasurePreamble(Baseband& z, BurstReport& r) const;
  // The band audio over [from, to), and the quiet line's blocks before `before`.
  std::vector<float> Band(int64_t from, int64_t to) const;
  std::vector<std::vector<float>> QuietBand(int64_t before, const std::vector<Span>& busy) const;
  void TakeTones(const FskToneFigures& f, BurstReport& r) const;
  void MeasureDtmf(BurstReport& r) const;
  // A signal no receiver framed: an FSK pair, DTMF, or neither.
  void RecogniseUnframed(BurstReport& r, const std::vector<Span>& busy) const;
  // An unframed FSK burst's standard and the figures its tones gave.
  void TakeFskFigures(Standard standard, const FskToneFigures& f, BurstReport& r) const;

  std::vector<float> x_;  // the band, low-passed at 3400 Hz
  std::vector<int16_t> raw_;
  int64_t n_ = 0;
  Butterworth<2> lowPass_;  // fourth order at 3400 Hz: the band's top
};

}  // namespace device::audio
