#pragma once
// The first page of a long recording's plot, or of a night on the line:
// per line the verdicts counted by cause in each hour (ten minutes on a
// recording under three hours) as stacked bars, and a timeline of every
// cycle coloured by its verdict over the line's level; the causes' colours
// with their keys, and where the failed cycles are shown in detail.
#include <QImage>
#include <QStringList>

#include "tools/line-check/plot_data.h"

namespace linecheck {

struct OverviewLayout {
  static constexpr int kChart = 120, kTimeline = 26;
  explicit OverviewLayout(const PlotData& data);
  int64_t bucket = 0;  // samples per bar
  int buckets = 0;
  QRect Chart(int section) const;
  QRect Timeline(int section) const;
  int X(int64_t sample) const;
  int height = 0;

 private:
  int64_t length_ = 1;
  std::vector<int> tops_;
};

// `pages` names the files the failed cycles are drawn in, in order;
// `undrawn` failed cycles were past the limit.
QImage PaintOverview(const PlotData& data, const QStringList& pages, int perPage, int undrawn = 0);

}  // namespace linecheck
