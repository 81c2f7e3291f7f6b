#pragma once
// The spectrum of a stretch of line audio over time, in the telephone band,
// for the line-check plot: one column per step, one row per band, each cell
// the band's level in dBm0. The bands are Goertzel filters (spandsp) over a
// Hann-windowed 20 ms frame, 25 Hz apart: enough to tell the two FSK tones or
// a DTMF pair apart.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace linecheck {

struct Spectrogram {
  static constexpr double kLowHz = 300, kHighHz = 3400, kBandHz = 25;
  static constexpr int kFrame = 160;  // 20 ms
  static constexpr int kMaxColumns = 320;

  int64_t start = 0;  // sample position of the first column's frame
  int64_t step = 0;   // samples between columns
  int rows = 0, columns = 0;
  std::vector<float> cells;  // column-major: cells[column * rows + row]; row 0 is kLowHz

  static int Rows() { return int((kHighHz - kLowHz) / kBandHz) + 1; }
  static double RowHz(int row) { return kLowHz + row * kBandHz; }
  float At(int column, int row) const { return cells[size_t(column) * size_t(rows) + size_t(row)]; }
  // The level at the band nearest `hz` in the column nearest sample `at`.
  float Near(int64_t at, double hz) const;

  // `samples` start at sample position `start`; at most kMaxColumns columns,
  // spread over the stretch (every 10 ms for bursts up to 3.2 s).
  static Spectrogram Of(const int16_t* samples, size_t count, int64_t start);
};

}  // namespace linecheck
