#include "tools/line-check/plot_painter.h"

#include <unistd.h>

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>

#include "device/core/system_words.h"
#include "tools/line-check/plot_style.h"

namespace linecheck {

using namespace style;
using device::audio::Diagnosis;
using device::audio::kSampleRate;

namespace {

constexpr int kHeader = 22, kLane = 10, kTrack = 170, kCycleTrack = 150, kTimeAxis = 20;
constexpr int kPanelTitle = 16, kPanelAxis = 18, kPanelGap = 18, kPanelRowGap = 10, kColourBarWidth = 60;
constexpr int kSectionGap = 18, kLegend = 28;
constexpr int kPlotWidth = PlotLayout::kWidth - kLeft - kRight;
constexpr int kCaptionPixels = 11, kVerdictPixels = 12, kAdvicePixels = 11;

int WrappedHeight(const QFont& font, int width, const QString& text) {
  if (text.isEmpty()) return 0;
  return QFontMetrics(font).boundingRect(QRect(0, 0, width, INT_MAX), Qt::TextWordWrap, text).height();
}

}  // namespace

QColor MarkColour(MarkKind kind) {
  switch (kind) {
    case MarkKind::Ring: return {230, 140, 20};
    case MarkKind::Reversal: return {130, 60, 170};
    case MarkKind::AlertTone: return {20, 150, 140};
    case MarkKind::Burst: return {30, 100, 220};
    case MarkKind::FailedBurst: return {215, 30, 30};
    case MarkKind::Verdict: return {20, 110, 40};
    case MarkKind::FailedVerdict: return {120, 0, 0};
  }
  return kInk;
}

QColor CauseColour(Diagnosis d) {
  switch (d) {
    case Diagnosis::Good: return {40, 160, 70};
    case Diagnosis::OutOfStandard: return {235, 185, 20};
    case Diagnosis::NoCallerId: return {120, 120, 120};
    case Diagnosis::Unframed: return {150, 90, 200};
    case Diagnosis::TooWeak: return {40, 90, 210};
    case Diagnosis::TooNoisy: return {150, 100, 50};
    case Diagnosis::OffFrequency: return {210, 60, 170};
    case Diagnosis::OffSpeed: return {245, 120, 20};
    case Diagnosis::Twist: return {20, 160, 160};
    case Diagnosis::Hum: return {130, 20, 20};
    case Diagnosis::CutOff: return {230, 40, 40};
    case Diagnosis::ChecksumFailure: return {190, 0, 80};
    case Diagnosis::Distorted: return {130, 130, 20};
    case Diagnosis::DigitsLost: return {250, 130, 170};
    case Diagnosis::DtmfOnFskLine: return {20, 40, 120};
    case Diagnosis::FskOnDtmfLine: return {70, 190, 230};
    case Diagnosis::CallProgressTone: return {170, 180, 200};
    case Diagnosis::NotACall: return {170, 220, 150};
  }
  return kInk;
}

// Dark blue through red to pale yellow over kHeatLowDbm0..kHeatHighDbm0.
QRgb Heat(double dbm0) {
  struct Stop {
    double at;
    int r, g, b;
  };
  static constexpr Stop stops[] = {
      {-80, 10, 10, 40}, {-60, 40, 30, 120}, {-45, 150, 40, 120}, {-30, 230, 110, 30}, {-10, 255, 250, 180}};
  if (dbm0 <= stops[0].at) return qRgb(stops[0].r, stops[0].g, stops[0].b);
  for (size_t i = 1; i < std::size(stops); ++i) {
    if (dbm0 <= stops[i].at) {
      const Stop &a = stops[i - 1], &b = stops[i];
      const double t = (dbm0 - a.at) / (b.at - a.at);
      return qRgb(int(a.r + t * (b.r - a.r)), int(a.g + t * (b.g - a.g)), int(a.b + t * (b.b - a.b)));
    }
  }
  const Stop& last = stops[std::size(stops) - 1];
  return qRgb(last.r, last.g, last.b);
}

PlotLayout::PlotLayout(const PlotData& data) : data_(data) {
  int y = kTitle;
  rows_.resize(size_t(data.Sections()));
  for (int c = 0; c < data.Sections(); ++c) y = LayOutSection(c, y) + kSectionGap;
  legend_ = y;
  height_ = y + kLegend;
}

int PlotLayout::LayOutSection(int c, int y) {
  const ChannelPlot& plot = data_.Section(c);
  Rows& r = rows_[size_t(c)];
  r.length = std::max<int64_t>(1, plot.level.Position());
  r.header = y;
  y += kHeader;
  // Labels first: how many rows they take decides where the lane goes.
  r.order.resize(plot.marks.size());
  for (size_t i = 0; i < r.order.size(); ++i) r.order[i] = i;
  std::stable_sort(r.order.begin(), r.order.end(),
                   [&](size_t a, size_t b) { return plot.marks[a].start < plot.marks[b].start; });
  const QFontMetrics metrics(Font(11));
  std::vector<LabelWish> wishes;
  for (size_t i : r.order) {
    const PlotMark& m = plot.marks[i];
    wishes.push_back({X(c, m.start), metrics.horizontalAdvance(m.label) + 6,
                      m.shortLabel.isEmpty() ? 0 : metrics.horizontalAdvance(m.shortLabel) + 6});
  }
  const int laneTop = y + kMaxLabelRows * kLabelRow;
  r.labels = LayOutLabels(wishes, kLeft, kLeft + kPlotWidth, laneTop, kLabelRow, kMaxLabelRows);
  int used = 1;
  for (const PlacedLabel& p : r.labels) used = std::max(used, (laneTop - p.box.top()) / kLabelRow);
  // Rows no label took are given back: the labels move down with the lane.
  const int unused = kMaxLabelRows - used;
  for (PlacedLabel& p : r.labels) p.box.translate(0, -unused * kLabelRow);
  r.lane = laneTop - unused * kLabelRow;
  y = r.lane + kLane;
  r.track = y;
  y += (plot.cycle ? kCycleTrack : kTrack) + kTimeAxis;
  const int verdictWidth = kPlotWidth;
  for (const PlotVerdict& v : plot.verdicts) {
    const int h = WrappedHeight(Font(kVerdictPixels), verdictWidth, v.text) +
                  WrappedHeight(Font(kAdvicePixels), verdictWidth - 20, v.advice);
    r.verdicts.push_back(QRect(kLeft, y, verdictWidth, h));
    y += h + 3;
  }
  if (plot.verdicts.empty()) y += 16;
  return LayOutPanels(c, y + 6);
}

int PlotLayout::LayOutPanels(int c, int y) {
  const ChannelPlot& plot = data_.Section(c);
  Rows& r = rows_[size_t(c)];
  const int n = int(plot.panels.size());
  if (n == 0) return y;
  const int perRow = std::min(n, kPanelsPerRow);
  const int room = kPlotWidth - kColourBarWidth;
  const int width = std::min(760, (room - (perRow - 1) * kPanelGap) / perRow);
  const int height = std::clamp(int(width * 0.45), 140, 240);
  const QFont caption = Font(kCaptionPixels);
  // The colour scale just right of the first row, where the eye already is.
  r.colourBar = QRect(kLeft + perRow * (width + kPanelGap) + 4, 0, 14, height);
  for (int first = 0; first < n; first += perRow) {
    int captionHeight = 0;
    for (int i = first; i < std::min(n, first + perRow); ++i)
      captionHeight = std::max(captionHeight, WrappedHeight(caption, width, plot.panels[size_t(i)].caption));
    const int top = y + kPanelTitle + captionHeight + 4;
    for (int i = first; i < std::min(n, first + perRow); ++i) {
      const int x = kLeft + (i - first) * (width + kPanelGap);
      r.captions.push_back(QRect(x, y, width, kPanelTitle + captionHeight));
      r.panels.push_back(QRect(x, top, width, height));
    }
    if (first == 0) r.colourBar.moveTop(top);
    y = top + height + kPanelAxis + kPanelRowGap;
  }
  return y;
}

QRect PlotLayout::Lane(int c) const { return {kLeft, rows_[size_t(c)].lane, kPlotWidth, kLane}; }
QRect PlotLayout::Track(int c) const {
  return {kLeft, rows_[size_t(c)].track, kPlotWidth, data_.Section(c).cycle ? kCycleTrack : kTrack};
}
QRect PlotLayout::Panel(int c, int index) const { return rows_[size_t(c)].panels[size_t(index)]; }
QRect PlotLayout::Caption(int c, int index) const { return rows_[size_t(c)].captions[size_t(index)]; }
QRect PlotLayout::ColourBar(int c) const { return rows_[size_t(c)].colourBar; }

int PlotLayout::X(int c, int64_t sample) const {
  const int64_t length = rows_[size_t(c)].length;
  const int64_t at = std::clamp<int64_t>(sample - data_.Section(c).origin, 0, length);
  return kLeft + int(at * (kPlotWidth - 1) / length);
}

int64_t PlotLayout::SampleAt(int c, int x) const {
  return data_.Section(c).origin + int64_t(std::max(0, x - kLeft)) * rows_[size_t(c)].length / (kPlotWidth - 1);
}

int PlotLayout::Y(int c, double dbm0) const {
  const QRect t = Track(c);
  const double share = (kTopDbm0 - std::clamp(dbm0, kBottomDbm0, kTopDbm0)) / (kTopDbm0 - kBottomDbm0);
  return t.top() + int(std::lround(share * (t.height() - 1)));
}

int PlotLayout::PanelY(int c, int index, double hz) const {
  const QRect p = Panel(c, index);
  const double share = (hz - Spectrogram::kLowHz) / (Spectrogram::kHighHz - Spectrogram::kLowHz);
  return p.bottom() - int(std::lround(std::clamp(share, 0.0, 1.0) * (p.height() - 1)));
}

int PlotLayout::PanelX(int c, int index, int64_t sample) const {
  const QRect p = Panel(c, index);
  const Spectrogram& s = data_.Section(c).panels[size_t(index)].spectrum;
  const int64_t span = std::max<int64_t>(1, int64_t(s.columns) * s.step);
  return p.left() + int(std::clamp<int64_t>(sample - s.start, 0, span - 1) * p.width() / span);
}

namespace {

void PaintLevel(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  const QRect t = l.Track(c);
  // The level: the loudest 50 ms under each pixel column shaded, the RMS as
  // a line, and a red tick on top where the sound card clipped.
  const std::vector<LevelTrack::Block> blocks = plot.level.Blocks();
  const int64_t per = plot.level.BlockSamples();
  QPolygon mean;
  for (int x = t.left(); x <= t.right(); ++x) {
    const size_t first = size_t((l.SampleAt(c, x) - plot.origin) / per);
    const size_t last = std::max(first + 1, size_t((l.SampleAt(c, x + 1) - plot.origin) / per));
    if (first >= blocks.size()) break;
    double peak = -100, power = 0;
    bool clipped = false;
    size_t n = 0;
    for (size_t i = first; i < last && i < blocks.size(); ++i, ++n) {
      peak = std::max(peak, blocks[i].peakDbm0);
      power += std::pow(10.0, blocks[i].meanDbm0 / 10);
      clipped |= blocks[i].clipped;
    }
    g.setPen(QColor(190, 190, 190));
    g.drawLine(x, t.bottom(), x, l.Y(c, peak));
    if (clipped) g.fillRect(QRect(x, t.top(), 1, 6), kClipped);
    mean << QPoint(x, l.Y(c, 10 * std::log10(power / double(n))));
  }
  g.setPen(QPen(kInk, 1.4));
  g.drawPolyline(mean);
}

void PaintTrack(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  const QRect t = l.Track(c);
  g.fillRect(t, Qt::white);
  g.setFont(Font(11));
  for (double d = PlotLayout::kBottomDbm0; d <= PlotLayout::kTopDbm0; d += 10) {
    const int y = l.Y(c, d);
    g.setPen(kGrid);
    g.drawLine(t.left(), y, t.right(), y);
    g.setPen(kInk);
    g.drawText(QRect(0, y - 8, kLeft - 6, 16), Qt::AlignRight | Qt::AlignVCenter, QString::number(int(d)));
  }
  g.save();
  g.translate(14, t.center().y());
  g.rotate(-90);
  g.drawText(QRect(-60, -8, 120, 16), Qt::AlignCenter, QStringLiteral("seviye, dBm0"));
  g.restore();
  // Where each event was, faintly behind the level.
  for (const PlotMark& m : plot.marks) {
    if (m.kind == MarkKind::Verdict || m.kind == MarkKind::FailedVerdict) continue;
    QColor fill = MarkColour(m.kind);
    fill.setAlpha(45);
    const int x0 = l.X(c, m.start), x1 = std::max(l.X(c, m.end), x0 + 1);
    g.fillRect(QRect(x0, t.top(), x1 - x0, t.height()), fill);
  }
  PaintLevel(g, l, plot, c);
  g.setPen(kInk);
  g.setBrush(Qt::NoBrush);
  g.drawRect(t.adjusted(0, 0, -1, -1));
  // Time axis, from the section's start.
  const double seconds = double(l.SampleAt(c, t.right() + 1) - plot.origin) / kSampleRate;
  const double step = TickStep(seconds, 12);
  for (double s = 0; s <= seconds + 1e-9; s += step) {
    const int x = l.X(c, plot.origin + int64_t(std::llround(s * kSampleRate)));
    if (x > t.right() - 30) break;  // the unit's place
    g.drawLine(x, t.bottom(), x, t.bottom() + 4);
    g.drawText(QRect(x - 40, t.bottom() + 4, 80, 14), Qt::AlignCenter, Decimal(s, step < 1 ? 1 : 0));
  }
  g.drawText(QRect(t.right() - 60, t.bottom() + 4, 60, 14), Qt::AlignRight, QStringLiteral("s"));
}

// The solid bars in the lane, and the labels where the layout put them.
void PaintMarks(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  const QRect lane = l.Lane(c);
  g.fillRect(lane, QColor(245, 245, 245));
  for (const PlotMark& m : plot.marks) {
    const int x0 = l.X(c, m.start);
    const bool moment = m.start == m.end;
    const int x1 = std::max(l.X(c, m.end) + 1, x0 + (moment ? 3 : 2));
    g.fillRect(QRect(moment ? x0 - 1 : x0, lane.top(), x1 - x0, lane.height()), MarkColour(m.kind));
  }
  g.setFont(Font(11));
  for (const PlacedLabel& p : l.Labels(c)) {
    const PlotMark& m = plot.marks[l.MarkOrder(c)[p.wish]];
    const QColor colour = MarkColour(m.kind);
    g.setPen(QColor(colour.red() * 3 / 4, colour.green() * 3 / 4, colour.blue() * 3 / 4));
    g.drawLine(p.leaderX, p.box.bottom(), p.leaderX, lane.top());
    g.setPen(colour.darker(130));
    g.drawText(p.box.adjusted(3, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, p.shortened ? m.shortLabel : m.label);
  }
}

void PaintHeader(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  const int y = l.HeaderTop(c);
  g.setPen(kInk);
  g.setFont(Font(14, true));
  g.drawText(QRect(kLeft, y, kPlotWidth, kHeader), Qt::AlignLeft | Qt::AlignVCenter, plot.name);
  if (plot.cycle) return;
  QString summary = QStringLiteral("%1 zil döngüsü (%2 sorunlu), %3 arayan bilgisi patlaması (%4 çözülemedi)")
                        .arg(plot.cycles)
                        .arg(plot.failedCycles)
                        .arg(plot.bursts)
                        .arg(plot.failedBursts);
  const int dropped = int(l.MarkOrder(c).size() - l.Labels(c).size());
  if (dropped > 0) summary += QStringLiteral("; %1 etikete yer kalmadı").arg(dropped);
  if (plot.droppedMarks > 0) summary += QStringLiteral("; %1 olay çizilmedi").arg(plot.droppedMarks);
  g.setFont(Font(12));
  const int x = kLeft + QFontMetrics(Font(14, true)).horizontalAdvance(plot.name) + 14;
  g.drawText(QRect(x, y, kPlotWidth, kHeader), Qt::AlignLeft | Qt::AlignVCenter, summary);
}

void PaintVerdicts(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  if (plot.verdicts.empty()) {
    g.setFont(Font(kVerdictPixels));
    g.setPen(kInk);
    g.drawText(QRect(kLeft, l.Track(c).bottom() + kTimeAxis, kPlotWidth, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("karar yok: bu kanalda zil döngüsü duyulmadı"));
    return;
  }
  for (size_t i = 0; i < plot.verdicts.size(); ++i) {
    const PlotVerdict& v = plot.verdicts[i];
    const QRect r = l.Verdicts(c)[i];
    g.setFont(Font(kVerdictPixels));
    g.setPen(v.Failed() ? kFailedInk : kGoodInk);
    const int h = WrappedHeight(g.font(), r.width(), v.text);
    g.drawText(QRect(r.left(), r.top(), r.width(), h), Qt::TextWordWrap, v.text);
    if (v.advice.isEmpty()) continue;
    g.setFont(Font(kAdvicePixels));
    g.setPen(kAdviceInk);
    g.drawText(QRect(r.left() + 20, r.top() + h, r.width() - 20, r.height() - h), Qt::TextWordWrap, v.advice);
  }
  if (plot.droppedVerdicts > 0) {
    g.setFont(Font(kAdvicePixels));
    g.setPen(kAdviceInk);
    const QRect last = l.Verdicts(c).back();
    g.drawText(QRect(last.right() - 400, last.top(), 400, 16), Qt::AlignRight,
               QStringLiteral("ve %1 karar daha").arg(plot.droppedVerdicts));
  }
}

void PaintColourBar(QPainter& g, const QRect& bar) {
  for (int y = bar.top(); y <= bar.bottom(); ++y) {
    const double share = double(bar.bottom() - y) / std::max(1, bar.height() - 1);
    g.setPen(QColor(Heat(PlotLayout::kHeatLowDbm0 + share * (PlotLayout::kHeatHighDbm0 - PlotLayout::kHeatLowDbm0))));
    g.drawLine(bar.left(), y, bar.right(), y);
  }
  g.setPen(kInk);
  g.drawRect(bar.adjusted(0, 0, -1, -1));
  g.setFont(Font(10));
  for (double d = PlotLayout::kHeatLowDbm0; d <= PlotLayout::kHeatHighDbm0; d += 10) {
    const double share = (d - PlotLayout::kHeatLowDbm0) / (PlotLayout::kHeatHighDbm0 - PlotLayout::kHeatLowDbm0);
    const int y = bar.bottom() - int(share * (bar.height() - 1));
    g.drawLine(bar.right(), y, bar.right() + 3, y);
    g.drawText(QRect(bar.right() + 5, y - 7, 40, 14), Qt::AlignLeft | Qt::AlignVCenter, QString::number(int(d)));
  }
  g.drawText(QRect(bar.left() - 14, bar.top() - 16, 60, 14), Qt::AlignLeft, QStringLiteral("dBm0"));
}

void PaintSpectrum(QPainter& g, const PlotLayout& l, const BurstPanel& p, int c, int i) {
  const QRect r = l.Panel(c, i);
  const Spectrogram& s = p.spectrum;
  if (s.columns > 0) {
    QImage cells(s.columns, s.rows, QImage::Format_RGB32);
    for (int x = 0; x < s.columns; ++x)
      for (int y = 0; y < s.rows; ++y) cells.setPixel(x, s.rows - 1 - y, Heat(s.At(x, y)));
    g.drawImage(r, cells);
  } else {
    g.fillRect(r, Heat(-100));
  }
  // The standard's tones as dashes across, with their frequency; the tones
  // measured as white ticks at the right edge.
  g.setFont(Font(9));
  for (double hz : p.nominal) {
    const int y = l.PanelY(c, i, hz);
    g.setPen(QPen(QColor(255, 255, 255, 150), 1, Qt::DashLine));
    g.drawLine(r.left(), y, r.right(), y);
    g.setPen(QColor(255, 255, 255, 210));
    if (p.nominal.size() <= 2) g.drawText(QRect(r.left() + 3, y - 12, 60, 11), Qt::AlignLeft, QString::number(int(hz)));
  }
  for (double hz : p.heard) {
    const int y = l.PanelY(c, i, hz);
    g.setPen(QPen(Qt::white, 2));
    g.drawLine(r.right() - 8, y, r.right(), y);
  }
}

void PaintPanels(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  for (size_t i = 0; i < plot.panels.size(); ++i) {
    const BurstPanel& p = plot.panels[i];
    const QRect r = l.Panel(c, int(i)), caption = l.Caption(c, int(i));
    const bool burst = p.kind == PanelKind::Burst || p.kind == PanelKind::Unframed;
    const QColor colour =
        !burst ? MarkColour(MarkKind::AlertTone) : MarkColour(p.failed ? MarkKind::FailedBurst : MarkKind::Burst);
    g.setPen(colour.darker(120));
    g.setFont(Font(12, true));
    g.drawText(QRect(caption.left(), caption.top(), caption.width(), kPanelTitle), Qt::AlignLeft | Qt::AlignVCenter,
               p.title);
    g.setFont(Font(kCaptionPixels));
    g.drawText(caption.adjusted(0, kPanelTitle, 0, 0), Qt::TextWordWrap, p.caption);
    PaintSpectrum(g, l, p, c, int(i));
    g.setPen(colour);
    g.setBrush(Qt::NoBrush);
    g.drawRect(r.adjusted(0, 0, -1, -1));
    // The signal's own stretch along the bottom.
    g.fillRect(
        QRect(QPoint(l.PanelX(c, int(i), p.start), r.bottom() + 2), QPoint(l.PanelX(c, int(i), p.end), r.bottom() + 4)),
        colour);
    // A frequency axis beside each row's first panel; seconds under each.
    g.setPen(kInk);
    g.setFont(Font(10));
    if (r.left() == kLeft) {
      for (double hz : {500.0, 1000.0, 1500.0, 2000.0, 2500.0, 3000.0}) {
        const int y = l.PanelY(c, int(i), hz);
        g.drawLine(r.left() - 4, y, r.left(), y);
        g.drawText(QRect(0, y - 7, r.left() - 6, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(int(hz)));
      }
      g.drawText(QRect(0, r.top() - 14, r.left() - 6, 14), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Hz"));
    }
    const Spectrogram& s = p.spectrum;
    const double from = double(s.start - plot.origin) / kSampleRate;
    const double to = double(s.start - plot.origin + int64_t(s.columns) * s.step) / kSampleRate;
    g.drawText(QRect(r.left(), r.bottom() + 5, r.width(), 13), Qt::AlignLeft | Qt::AlignVCenter,
               Decimal(from, 2) + QStringLiteral(" s"));
    g.drawText(QRect(r.left(), r.bottom() + 5, r.width(), 13), Qt::AlignRight | Qt::AlignVCenter,
               Decimal(to, 2) + QStringLiteral(" s"));
  }
  if (!plot.panels.empty()) PaintColourBar(g, l.ColourBar(c));
}

void PaintLegend(QPainter& g, const PlotLayout& l) {
  const std::pair<QColor, const char*> keys[] = {
      {MarkColour(MarkKind::Ring), "zil"},
      {MarkColour(MarkKind::Reversal), "polarite değişimi"},
      {MarkColour(MarkKind::AlertTone), "uyarı tonu, çağrı ilerleme tonu"},
      {MarkColour(MarkKind::Burst), "arayan bilgisi çözüldü"},
      {MarkColour(MarkKind::FailedBurst), "arayan bilgisi çözülemedi"},
      {MarkColour(MarkKind::Verdict), "karar: sağlam"},
      {MarkColour(MarkKind::FailedVerdict), "karar: sorunlu"},
      {kClipped, "ses kartı kırptı"},
  };
  g.setFont(Font(11));
  const QFontMetrics metrics(g.font());
  int x = kLeft;
  const int y = l.LegendTop();
  for (const auto& [colour, name] : keys) {
    g.fillRect(QRect(x, y + 5, 14, 10), colour);
    const QString text = QString::fromUtf8(name);
    g.setPen(kInk);
    g.drawText(QRect(x + 18, y, 400, 20), Qt::AlignLeft | Qt::AlignVCenter, text);
    x += 18 + metrics.horizontalAdvance(text) + 22;
  }
  g.drawText(QRect(x, y, PlotLayout::kWidth - x - kRight, 20), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("tayf: 300-3400 Hz, 20 ms pencere; kesik çizgi: standardın tonları"));
}

}  // namespace

QImage PaintPlot(const PlotData& data) {
  const PlotLayout l(data);
  QImage image(l.Size(), QImage::Format_RGB32);
  image.fill(kPaper);
  QPainter g(&image);
  PaintTitle(g, kPlotWidth, data.Title());
  for (int c = 0; c < data.Sections(); ++c) {
    const ChannelPlot& plot = data.Section(c);
    PaintHeader(g, l, plot, c);
    PaintTrack(g, l, plot, c);
    PaintMarks(g, l, plot, c);
    PaintVerdicts(g, l, plot, c);
    PaintPanels(g, l, plot, c);
  }
  PaintLegend(g, l);
  g.end();
  return image;
}

bool SaveImage(const QImage& image, OutputFile& target, QString* error) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    *error = QStringLiteral("cid-line-check: çizim %1 için resim oluşturulamadı").arg(target.Path());
    return false;
  }
  const int fd = target.Begin(error);
  if (fd < 0) return false;
  QString why;
  for (qsizetype at = 0; at < png.size() && why.isEmpty();) {
    const ssize_t n = ::write(fd, png.constData() + at, size_t(png.size() - at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      why = device::ErrnoText(errno);
    else
      at += n;
  }
  if (why.isEmpty() && ::fsync(fd) != 0) why = device::ErrnoText(errno);
  ::close(fd);
  if (!why.isEmpty()) {
    target.Abandon();
    *error = QStringLiteral("cid-line-check: çizim dosyası %1 yazılamadı: %2").arg(target.Path(), why);
    return false;
  }
  return target.Commit(error);
}

}  // namespace linecheck
