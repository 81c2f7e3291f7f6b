#pragma once
// Paints the line-check plot (plot_data.h) into an image: per section its
// header, the labels above its marks, the marks in their lane, the level
// over time with clipping marked, its verdicts and advice, and its
// spectrograms sized to the room there is, with the standard's tones and a
// colour scale. The layout is its own class so a test can find where a mark,
// a label or a tone must appear.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

#include "tools/line-check/label_layout.h"
#include "tools/line-check/plot_data.h"
#include "tools/line-check/safe_output.h"

namespace linecheck {

class PlotLayout {
 public:
  static constexpr int kWidth = 1600;
  static constexpr double kTopDbm0 = 10, kBottomDbm0 = -70;
  static constexpr double kHeatLowDbm0 = -80, kHeatHighDbm0 = -10;
  static constexpr int kMaxLabelRows = 4, kLabelRow = 15;
  static constexpr int kPanelsPerRow = 4;

  explicit PlotLayout(const PlotData& data);
  QSize Size() const { return {kWidth, height_}; }
  // The strip above a section's level plot where each mark is a solid bar.
  QRect Lane(int section) const;
  // The level plot itself (dBm0 over time).
  QRect Track(int section) const;
  // The labels written above the lane; `wish` indexes MarkOrder().
  const std::vector<PlacedLabel>& Labels(int section) const { return rows_[size_t(section)].labels; }
  // The section's marks in time order, as the labels were laid out.
  const std::vector<size_t>& MarkOrder(int section) const { return rows_[size_t(section)].order; }
  // Where the section's i-th spectrogram is drawn (time across, Hz up), and
  // its title and caption above it.
  QRect Panel(int section, int index) const;
  QRect Caption(int section, int index) const;
  QRect ColourBar(int section) const;
  int X(int section, int64_t sample) const;
  // The first sample a pixel column of the level plot stands for.
  int64_t SampleAt(int section, int x) const;
  int Y(int section, double dbm0) const;
  int PanelY(int section, int index, double hz) const;
  int PanelX(int section, int index, int64_t sample) const;
  int HeaderTop(int section) const { return rows_[size_t(section)].header; }
  // Each verdict's text block, in order.
  const std::vector<QRect>& Verdicts(int section) const { return rows_[size_t(section)].verdicts; }
  int LegendTop() const { return legend_; }

 private:
  struct Rows {
    int header = 0, lane = 0, track = 0;
    std::vector<QRect> verdicts, panels, captions;
    QRect colourBar;
    std::vector<PlacedLabel> labels;
    std::vector<size_t> order;
    int64_t length = 1;
  };
  int LayOutSection(int section, int y);
  int LayOutPanels(int section, int y);

  const PlotData& data_;
  std::vector<Rows> rows_;
  int legend_ = 0;
  int height_ = 0;
};

// The colour a mark's bar has in its lane, and a cause's in the overview.
QColor MarkColour(MarkKind kind);
QColor CauseColour(device::audio::Diagnosis diagnosis);
// The spectrogram's colour for a level, and the colour scale it is read by.
QRgb Heat(double dbm0);

QImage PaintPlot(const PlotData& data);
// Writes `image` as a PNG into `target`; false with a Turkish line.
bool SaveImage(const QImage& image, OutputFile& target, QString* error);

}  // namespace linecheck
