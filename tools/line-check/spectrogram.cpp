#include "tools/line-check/spectrogram.h"

#include <spandsp.h>

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/dbm0.h"

namespace linecheck {

float Spectrogram::Near(int64_t at, double hz) const {
  if (columns == 0) return -100;
  const int column = int(std::clamp<int64_t>((at - start) / std::max<int64_t>(1, step), 0, columns - 1));
  const int row = std::clamp(int(std::lround((hz - kLowHz) / kBandHz)), 0, rows - 1);
  return At(column, row);
}

Spectrogram Spectrogram::Of(const int16_t* samples, size_t count, int64_t start) {
  Spectrogram s;
  s.start = start;
  s.rows = Rows();
  if (count < size_t(kFrame)) return s;
  const int64_t span = int64_t(count) - kFrame;
  s.step = std::max<int64_t>(kFrame / 2, (span + kMaxColumns - 1) / kMaxColumns);
  s.columns = int(span / s.step) + 1;
  s.cells.resize(size_t(s.columns) * size_t(s.rows));

  std::vector<goertzel_descriptor_t> bands(size_t(s.rows));
  for (int r = 0; r < s.rows; ++r) make_goertzel_descriptor(&bands[size_t(r)], float(RowHz(r)), kFrame);
  double window[kFrame];
  double windowSum = 0;
  for (int i = 0; i < kFrame; ++i) {
    window[i] = 0.5 - 0.5 * std::cos(2 * M_PI * (i + 0.5) / kFrame);
    windowSum += window[i];
  }
  // spandsp's result for a sine of amplitude A at a band's centre over N
  // unwindowed samples is (N·A)²/2; windowed, N becomes Σw. The sine's mean
  // square is A²/2, so mean square = result / (Σw)².
  int16_t frame[kFrame];
  goertzel_state_t state;
  for (int c = 0; c < s.columns; ++c) {
    const int16_t* in = samples + size_t(c) * size_t(s.step);
    for (int i = 0; i < kFrame; ++i) frame[i] = int16_t(std::lround(in[i] * window[i]));
    for (int r = 0; r < s.rows; ++r) {
      goertzel_init(&state, &bands[size_t(r)]);
      goertzel_update(&state, frame, kFrame);
      const double result = goertzel_result(&state);
      s.cells[size_t(c) * size_t(s.rows) + size_t(r)] =
          float(device::audio::Dbm0FromMeanSquare(result / (windowSum * windowSum)));
    }
  }
  return s;
}

}  // namespace linecheck
