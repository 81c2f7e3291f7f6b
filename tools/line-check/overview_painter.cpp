#include "tools/line-check/overview_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <map>

#include "tools/line-check/plot_painter.h"
#include "tools/line-check/plot_style.h"

namespace linecheck {

using namespace style;
using device::audio::Diagnosis;
using device::audio::kSampleRate;

namespace {

constexpr int kWidth = PlotLayout::kWidth, kPlotWidth = kWidth - kLeft - kRight;
constexpr int kHeader = 40, kAxis = 18, kGap = 24, kLegendRow = 18;
constexpr int64_t kHour = int64_t(3600) * kSampleRate;

std::map<Diagnosis, int> Counts(const ChannelPlot& plot) {
  std::map<Diagnosis, int> n;
  for (const CycleLogEntry& e : plot.log) ++n[e.diagnosis];
  return n;
}

QString LineSummary(const ChannelPlot& plot) {
  const std::map<Diagnosis, int> n = Counts(plot);
  QString s = QStringLiteral("%1: %2 döngü, %3 sağlam")
                  .arg(plot.name)
                  .arg(plot.cycles)
                  .arg(n.count(Diagnosis::Good) ? n.at(Diagnosis::Good) : 0);
  QStringList causes;
  for (const auto& [d, count] : n)
    if (d != Diagnosis::Good)
      causes << QStringLiteral("%1 (%2) %3").arg(CauseName(d), device::audio::DiagnosisKey(d)).arg(count);
  if (!causes.isEmpty()) s += QStringLiteral("; ") + causes.join(QStringLiteral(", "));
  return s;
}

QString BucketLabel(const PlotData& data, int64_t at, int64_t bucket) {
  if (data.Clock().Known()) return data.Clock().At(at).toString(QStringLiteral("HH:mm"));
  return bucket >= kHour ? QStringLiteral("%1. sa").arg(at / kHour + 1)
                         : QStringLiteral("%1 dk").arg(at / (60 * kSampleRate));
}

void PaintChart(QPainter& g, const OverviewLayout& l, const PlotData& data, int c) {
  const ChannelPlot& plot = data.Section(c);
  const QRect r = l.Chart(c);
  std::vector<std::map<Diagnosis, int>> bars(size_t(l.buckets));
  for (const CycleLogEntry& e : plot.log)
    ++bars[size_t(std::clamp<int64_t>((e.at - plot.origin) / l.bucket, 0, l.buckets - 1))][e.diagnosis];
  int most = 1;
  for (const auto& b : bars) {
    int n = 0;
    for (const auto& [d, count] : b) n += count;
    most = std::max(most, n);
  }
  g.fillRect(r, Qt::white);
  g.setFont(Font(10));
  const double step = std::max(1.0, TickStep(most, 4));
  for (double v = 0; v <= most; v += step) {
    const int y = r.bottom() - int(v * (r.height() - 1) / most);
    g.setPen(kGrid);
    g.drawLine(r.left(), y, r.right(), y);
    g.setPen(kInk);
    g.drawText(QRect(0, y - 7, kLeft - 6, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(int(v)));
  }
  const int slot = std::max(1, r.width() / std::max(1, l.buckets));
  for (int i = 0; i < l.buckets; ++i) {
    // Good at the bottom, the causes stacked on it.
    int y = r.bottom() + 1;
    for (const auto& [d, count] : bars[size_t(i)]) {
      const int h = count * (r.height() - 1) / most;
      g.fillRect(QRect(r.left() + i * slot + 2, y - h, std::max(1, slot - 4), h), CauseColour(d));
      y -= h;
    }
    if (slot >= 34 || i % std::max(1, 34 / slot) == 0) {
      g.setPen(kInk);
      g.drawText(QRect(r.left() + i * slot, r.bottom() + 3, std::max(slot, 40), 14), Qt::AlignLeft,
                 BucketLabel(data, i * l.bucket, l.bucket));
    }
  }
  g.setPen(kInk);
  g.drawRect(r.adjusted(0, 0, -1, -1));
  g.save();
  g.translate(14, r.center().y());
  g.rotate(-90);
  g.drawText(QRect(-60, -8, 120, 16), Qt::AlignCenter, QStringLiteral("döngü"));
  g.restore();
}

void PaintTimeline(QPainter& g, const OverviewLayout& l, const ChannelPlot& plot, int c) {
  const QRect r = l.Timeline(c);
  g.fillRect(r, QColor(245, 245, 245));
  // The line's loudest moments faintly, so quiet hours and busy ones show.
  const std::vector<LevelTrack::Block> blocks = plot.level.Blocks();
  g.setPen(QColor(205, 205, 205));
  for (size_t i = 0; i < blocks.size(); ++i) {
    const int x = l.X(plot.origin + int64_t(i) * plot.level.BlockSamples());
    const double share = std::clamp((blocks[i].peakDbm0 + 70) / 80, 0.0, 1.0);
    g.drawLine(x, r.bottom(), x, r.bottom() - int(share * (r.height() - 1)));
  }
  for (const CycleLogEntry& e : plot.log) {
    const int x = l.X(e.at);
    g.fillRect(QRect(x - 1, r.top(), 3, r.height()), CauseColour(e.diagnosis));
  }
  g.setPen(kInk);
  g.drawRect(r.adjusted(0, 0, -1, -1));
  // The bars' time steps under the strip, so a cycle is found in its bar.
  for (int i = 0; i <= l.buckets; ++i) {
    const int x = l.X(plot.origin + i * l.bucket);
    g.drawLine(x, r.bottom(), x, r.bottom() + 4);
  }
}

int PaintLegend(QPainter& g, const PlotData& data, int y) {
  std::map<Diagnosis, int> all;
  for (int c = 0; c < data.Sections(); ++c)
    for (const auto& [d, n] : Counts(data.Section(c))) all[d] += n;
  g.setFont(Font(11));
  const QFontMetrics metrics(g.font());
  int x = kLeft;
  for (const auto& [d, n] : all) {
    const QString text = QStringLiteral("%1 (%2) %3").arg(CauseName(d), device::audio::DiagnosisKey(d)).arg(n);
    const int w = 18 + metrics.horizontalAdvance(text) + 22;
    if (x + w > kWidth - kRight) {
      x = kLeft;
      y += kLegendRow;
    }
    g.fillRect(QRect(x, y + 4, 14, 10), CauseColour(d));
    g.setPen(kInk);
    g.drawText(QRect(x + 18, y, w, kLegendRow), Qt::AlignLeft | Qt::AlignVCenter, text);
    x += w;
  }
  return y + kLegendRow;
}

}  // namespace

OverviewLayout::OverviewLayout(const PlotData& data) : length_(std::max<int64_t>(1, data.Length())) {
  // Hours for a night; ten minutes for a recording of an afternoon.
  bucket = length_ >= 3 * kHour ? kHour : kHour / 6;
  buckets = int(std::max<int64_t>(1, (length_ + bucket - 1) / bucket));
  int y = kTitle + 22;
  for (int c = 0; c < data.Sections(); ++c) {
    tops_.push_back(y + kHeader);
    y += kHeader + kChart + kAxis + kTimeline + kAxis + kGap;
  }
  height = y + 3 * kLegendRow + 40;
}

QRect OverviewLayout::Chart(int c) const {
  return {kLeft, tops_[size_t(c)], buckets * std::max(1, kPlotWidth / buckets), kChart};
}
QRect OverviewLayout::Timeline(int c) const {
  return {kLeft, tops_[size_t(c)] + kChart + kAxis, kPlotWidth, kTimeline};
}
int OverviewLayout::X(int64_t sample) const {
  return kLeft + int(std::clamp<int64_t>(sample, 0, length_) * (kPlotWidth - 1) / length_);
}

QImage PaintOverview(const PlotData& data, const QStringList& pages, int perPage, int undrawn) {
  const OverviewLayout l(data);
  QImage image(kWidth, l.height, QImage::Format_RGB32);
  image.fill(kPaper);
  QPainter g(&image);
  PaintTitle(g, kPlotWidth, data.Title());
  g.setFont(Font(12));
  QString heard = QStringLiteral("%1 dinlendi").arg(Duration(data.Length()));
  if (data.Clock().Known())
    heard += QStringLiteral(" (%1 – %2)")
                 .arg(data.Clock().At(0).toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                      data.Clock().At(data.Length()).toString(QStringLiteral("dd.MM.yyyy HH:mm")));
  heard += l.bucket >= kHour ? QStringLiteral("; çubuklar: her saatin kararları")
                             : QStringLiteral("; çubuklar: her 10 dakikanın kararları");
  heard += QStringLiteral(", şerit: her zil döngüsü kararının renginde");
  g.drawText(QRect(kLeft, kTitle - 4, kPlotWidth, 20), Qt::AlignLeft | Qt::AlignVCenter, heard);
  for (int c = 0; c < data.Sections(); ++c) {
    const ChannelPlot& plot = data.Section(c);
    g.setPen(kInk);
    g.setFont(Font(13, true));
    g.drawText(QRect(kLeft, l.Chart(c).top() - kHeader + 4, kPlotWidth, kHeader - 6),
               Qt::TextWordWrap | Qt::AlignBottom, LineSummary(plot));
    PaintChart(g, l, data, c);
    PaintTimeline(g, l, plot, c);
  }
  int y = PaintLegend(g, data, data.Sections() > 0 ? l.Timeline(data.Sections() - 1).bottom() + kGap : kTitle + 30);
  g.setPen(kInk);
  g.setFont(Font(12));
  const QString details =
      pages.isEmpty()
          ? QStringLiteral("Sorunlu döngü yok.")
          : QStringLiteral("Sorunlu döngülerin her biri ayrıntısıyla: %1 (sayfada %2 döngü)")
                    .arg(pages.size() == 1 ? pages.first() : pages.first() + QStringLiteral(" … ") + pages.last())
                    .arg(perPage) +
                (undrawn > 0
                     ? QStringLiteral("; sınıra gelindi, %1 döngü daha yalnızca sayıldı (--keep-max)").arg(undrawn)
                     : QString());
  g.drawText(QRect(kLeft, y + 6, kPlotWidth, 20), Qt::AlignLeft | Qt::AlignVCenter, details);
  g.end();
  return image;
}

}  // namespace linecheck
