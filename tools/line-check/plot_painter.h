#pragma once
// Paints the line-check plot (plot_data.h) into an image: per channel the
// level over time with the marks and their labels, the verdicts, and a row of
// burst spectrograms. The layout is its own class so a test can find where a
// mark or a tone must appear.
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

#include "tools/line-check/plot_data.h"

namespace linecheck {

class PlotLayout {
 public:
  static constexpr int kWidth = 1600;
  static constexpr double kTopDbm0 = 10, kBottomDbm0 = -70;

  explicit PlotLayout(const PlotData& data);
  QSize Size() const { return {kWidth, height_}; }
  // The strip above a channel's level plot where each mark is a solid bar.
  QRect Lane(int channel) const;
  // The level plot itself (dBm0 over time).
  QRect Track(int channel) const;
  // Where the channel's i-th kept spectrogram is drawn (time across, Hz up).
  QRect Panel(int channel, int index) const;
  int X(int64_t sample) const;
  // The first sample a pixel column of the level plot stands for.
  int64_t SampleAt(int x) const;
  int Y(int channel, double dbm0) const;
  int PanelY(int channel, int index, double hz) const;
  int PanelX(int channel, int index, int64_t sample) const;
  // Tops of a channel's header line, its label rows, its verdict lines and
  // its spectrogram titles.
  int HeaderTop(int channel) const { return rows_[size_t(channel)].header; }
  int LabelsTop(int channel) const { return rows_[size_t(channel)].labels; }
  int VerdictsTop(int channel) const { return rows_[size_t(channel)].verdicts; }
  int PanelsTop(int channel) const { return rows_[size_t(channel)].panels; }
  int LegendTop() const { return legend_; }

 private:
  struct Rows {
    int header = 0, labels = 0, lane = 0, track = 0, verdicts = 0, panels = 0;
  };
  const PlotData& data_;
  std::vector<Rows> rows_;
  int64_t length_ = 1;
  int legend_ = 0;
  int height_ = 0;
};

// The colour a mark's bar has in its lane.
QColor MarkColour(MarkKind kind);

QImage PaintPlot(const PlotData& data);
// Paints and writes a PNG; false with a Turkish line when it cannot be written.
bool SavePlot(const PlotData& data, const QString& path, QString* error);
// Whether `path` can take the picture, asked before the audio is read so a
// long recording is not read for nothing; false with a Turkish line.
bool PlotWritable(const QString& path, QString* error);

}  // namespace linecheck
