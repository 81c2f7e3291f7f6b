#include "tools/line-check/plot_painter.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace linecheck {

namespace {

using device::audio::kSampleRate;

constexpr int kLeft = 70, kRight = 20, kTitle = 34;
constexpr int kHeader = 22, kLabelRow = 15, kLabelRows = 3, kLane = 10, kTrack = 170, kTimeAxis = 20;
constexpr int kVerdictRow = 16;
constexpr int kPanelTitle = 32, kPanelHeight = 140, kPanelAxis = 18, kPanelWidth = 236, kPanelGap = 18;
constexpr int kChannelGap = 18, kLegend = 28;
constexpr int kPlotWidth = PlotLayout::kWidth - kLeft - kRight;

const QColor kInk(40, 40, 40), kGrid(225, 225, 225), kFailedInk(180, 20, 20), kGoodInk(20, 110, 40);

QFont Font(int pixels, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

// Dark blue through red to pale yellow over -80..-10 dBm0.
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

QString Seconds(double s) { return QString::number(s, 'f', s < 10 ? 1 : 0); }

// A tick step of 1, 2 or 5 times a power of ten giving about `wanted` ticks.
double TickStep(double span, int wanted) {
  const double raw = span / std::max(1, wanted);
  const double p = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= raw) return m * p;
  return 10 * p;
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

PlotLayout::PlotLayout(const PlotData& data) : data_(data), length_(std::max<int64_t>(1, data.Length())) {
  int y = kTitle;
  for (int c = 0; c < data.Channels(); ++c) {
    const ChannelPlot& plot = data.Channel(c);
    Rows r;
    r.header = y;
    y += kHeader;
    r.labels = y;
    y += kLabelRows * kLabelRow;
    r.lane = y;
    y += kLane;
    r.track = y;
    y += kTrack + kTimeAxis;
    r.verdicts = y;
    y += std::max<int>(1, int(plot.verdicts.size())) * kVerdictRow + 6;
    r.panels = y;
    if (!plot.panels.empty()) y += kPanelTitle + kPanelHeight + kPanelAxis;
    y += kChannelGap;
    rows_.push_back(r);
  }
  legend_ = y;
  height_ = y + kLegend;
}

QRect PlotLayout::Lane(int channel) const { return {kLeft, rows_[size_t(channel)].lane, kPlotWidth, kLane}; }
QRect PlotLayout::Track(int channel) const { return {kLeft, rows_[size_t(channel)].track, kPlotWidth, kTrack}; }
QRect PlotLayout::Panel(int channel, int index) const {
  return {kLeft + index * (kPanelWidth + kPanelGap), rows_[size_t(channel)].panels + kPanelTitle, kPanelWidth,
          kPanelHeight};
}

int PlotLayout::X(int64_t sample) const {
  return kLeft + int(std::clamp<int64_t>(sample, 0, length_) * (kPlotWidth - 1) / length_);
}

int64_t PlotLayout::SampleAt(int x) const { return int64_t(std::max(0, x - kLeft)) * length_ / (kPlotWidth - 1); }

int PlotLayout::Y(int channel, double dbm0) const {
  const QRect t = Track(channel);
  const double share = (kTopDbm0 - std::clamp(dbm0, kBottomDbm0, kTopDbm0)) / (kTopDbm0 - kBottomDbm0);
  return t.top() + int(std::lround(share * (t.height() - 1)));
}

int PlotLayout::PanelY(int channel, int index, double hz) const {
  const QRect p = Panel(channel, index);
  const double share = (hz - Spectrogram::kLowHz) / (Spectrogram::kHighHz - Spectrogram::kLowHz);
  return p.bottom() - int(std::lround(std::clamp(share, 0.0, 1.0) * (p.height() - 1)));
}

int PlotLayout::PanelX(int channel, int index, int64_t sample) const {
  const QRect p = Panel(channel, index);
  const Spectrogram& s = data_.Channel(channel).panels[size_t(index)].spectrum;
  const int64_t span = std::max<int64_t>(1, int64_t(s.columns) * s.step);
  return p.left() + int(std::clamp<int64_t>(sample - s.start, 0, span - 1) * p.width() / span);
}

namespace {

void PaintTrack(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  const QRect t = l.Track(c);
  g.fillRect(t, Qt::white);
  // dBm0 grid.
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
    QColor fill = MarkColour(m.kind);
    fill.setAlpha(m.kind == MarkKind::Verdict || m.kind == MarkKind::FailedVerdict ? 0 : 45);
    const int x0 = l.X(m.start), x1 = std::max(l.X(m.end), x0 + 1);
    if (fill.alpha() > 0) g.fillRect(QRect(x0, t.top(), x1 - x0, t.height()), fill);
  }

  // The level: the loudest 50 ms under each pixel column shaded, the RMS as
  // a line.
  const std::vector<LevelTrack::Block> blocks = plot.level.Blocks();
  const int64_t per = plot.level.BlockSamples();
  QPolygon mean;
  for (int x = t.left(); x <= t.right(); ++x) {
    const size_t first = size_t(l.SampleAt(x) / per);
    const size_t last = std::max(first + 1, size_t(l.SampleAt(x + 1) / per));
    if (first >= blocks.size()) break;
    double peak = -100, power = 0;
    size_t n = 0;
    for (size_t i = first; i < last && i < blocks.size(); ++i, ++n) {
      peak = std::max(peak, blocks[i].peakDbm0);
      power += std::pow(10.0, blocks[i].meanDbm0 / 10);
    }
    g.setPen(QColor(190, 190, 190));
    g.drawLine(x, t.bottom(), x, l.Y(c, peak));
    mean << QPoint(x, l.Y(c, 10 * std::log10(power / double(n))));
  }
  g.setPen(QPen(kInk, 1.4));
  g.drawPolyline(mean);
  g.setPen(kInk);
  g.setBrush(Qt::NoBrush);
  g.drawRect(t.adjusted(0, 0, -1, -1));

  // Time axis.
  const double seconds = double(l.SampleAt(t.right() + 1)) / kSampleRate;
  const double step = TickStep(seconds, 12);
  g.setFont(Font(11));
  for (double s = 0; s <= seconds + 1e-9; s += step) {
    const int x = l.X(int64_t(std::llround(s * kSampleRate)));
    if (x > t.right() - 30) break;  // the unit's place
    g.drawLine(x, t.bottom(), x, t.bottom() + 4);
    g.drawText(QRect(x - 40, t.bottom() + 4, 80, 14), Qt::AlignCenter, Seconds(s));
  }
  g.drawText(QRect(t.right() - 60, t.bottom() + 4, 60, 14), Qt::AlignRight, QStringLiteral("s"));
}

// The solid bars in the lane, and their labels in the first label row with
// room (a label with no room is left out; its bar stays).
void PaintMarks(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  const QRect lane = l.Lane(c);
  g.fillRect(lane, QColor(245, 245, 245));
  const QFont font = Font(11);
  const QFontMetrics metrics(font);
  g.setFont(font);
  int freeFrom[kLabelRows];
  std::fill(std::begin(freeFrom), std::end(freeFrom), lane.left());
  for (const PlotMark& m : plot.marks) {
    const QColor colour = MarkColour(m.kind);
    const int x0 = l.X(m.start);
    const int x1 = std::max(l.X(m.end) + 1, x0 + (m.start == m.end ? 3 : 2));
    const bool moment = m.start == m.end;
    g.fillRect(QRect(moment ? x0 - 1 : x0, lane.top(), x1 - x0, lane.height()), colour);
    const int width = metrics.horizontalAdvance(m.label) + 6;
    // Bottom row first, so the label sits nearest its bar.
    for (int r = kLabelRows - 1; r >= 0; --r) {
      if (freeFrom[r] > x0 || x0 + width > lane.right() + kRight) continue;
      const int y = l.LabelsTop(c) + r * kLabelRow;
      g.setPen(QColor(colour.red() * 3 / 4, colour.green() * 3 / 4, colour.blue() * 3 / 4));
      g.drawLine(x0, y + kLabelRow - 3, x0, lane.top());
      g.setPen(colour.darker(130));
      g.drawText(QRect(x0 + 3, y, width, kLabelRow), Qt::AlignLeft | Qt::AlignVCenter, m.label);
      freeFrom[r] = x0 + width;
      break;
    }
  }
}

void PaintHeader(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  const int y = l.HeaderTop(c);
  g.setPen(kInk);
  g.setFont(Font(14, true));
  const QString name = QStringLiteral("Hat %1").arg(c + 1);
  g.drawText(QRect(kLeft, y, 120, kHeader), Qt::AlignLeft | Qt::AlignVCenter, name);
  QString summary = QStringLiteral("%1 zil döngüsü (%2 sorunlu), %3 arayan bilgisi patlaması (%4 çözülemedi)")
                        .arg(plot.cycles)
                        .arg(plot.failedCycles)
                        .arg(plot.bursts)
                        .arg(plot.failedBursts);
  if (plot.droppedMarks > 0) summary += QStringLiteral("; %1 olay çizilmedi").arg(plot.droppedMarks);
  g.setFont(Font(12));
  g.drawText(QRect(kLeft + QFontMetrics(Font(14, true)).horizontalAdvance(name) + 14, y, kPlotWidth, kHeader),
             Qt::AlignLeft | Qt::AlignVCenter, summary);
}

void PaintVerdicts(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  g.setFont(Font(12));
  int y = l.VerdictsTop(c);
  if (plot.verdicts.empty()) {
    g.setPen(kInk);
    g.drawText(QRect(kLeft, y, kPlotWidth, kVerdictRow), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("karar yok: bu kanalda zil döngüsü duyulmadı"));
    return;
  }
  for (const PlotVerdict& v : plot.verdicts) {
    g.setPen(v.failed ? kFailedInk : kGoodInk);
    g.drawText(QRect(kLeft, y, kPlotWidth, kVerdictRow), Qt::AlignLeft | Qt::AlignVCenter, v.text);
    y += kVerdictRow;
  }
}

void PaintPanels(QPainter& g, const PlotLayout& l, const ChannelPlot& plot, int c) {
  for (size_t i = 0; i < plot.panels.size(); ++i) {
    const BurstPanel& p = plot.panels[i];
    const QRect r = l.Panel(c, int(i));
    const QColor colour = MarkColour(p.failed ? MarkKind::FailedBurst : MarkKind::Burst);
    g.setPen(colour.darker(120));
    g.setFont(Font(12, true));
    g.drawText(QRect(r.left(), l.PanelsTop(c), r.width(), 16), Qt::AlignLeft | Qt::AlignVCenter, p.title);
    g.setFont(Font(10));
    g.drawText(QRect(r.left(), l.PanelsTop(c) + 15, r.width(), 16), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetrics(Font(10)).elidedText(p.figures, Qt::ElideRight, r.width()));
    const Spectrogram& s = p.spectrum;
    if (s.columns > 0) {
      QImage cells(s.columns, s.rows, QImage::Format_RGB32);
      for (int x = 0; x < s.columns; ++x)
        for (int y = 0; y < s.rows; ++y) cells.setPixel(x, s.rows - 1 - y, Heat(s.At(x, y)));
      g.drawImage(r, cells);
    } else {
      g.fillRect(r, Heat(-100));
    }
    g.setPen(colour);
    g.setBrush(Qt::NoBrush);
    g.drawRect(r.adjusted(0, 0, -1, -1));
    // The burst's own stretch along the bottom, and its measured tones.
    g.fillRect(
        QRect(QPoint(l.PanelX(c, int(i), p.start), r.bottom() + 2), QPoint(l.PanelX(c, int(i), p.end), r.bottom() + 4)),
        colour);
    g.setFont(Font(10));
    for (double hz : {p.markHz, p.spaceHz}) {
      if (hz <= 0) continue;
      const int y = l.PanelY(c, int(i), hz);
      g.setPen(Qt::white);
      g.drawLine(r.right() - 6, y, r.right(), y);
    }
    // Frequency axis beside the first panel; seconds under each.
    g.setPen(kInk);
    if (i == 0) {
      for (double hz : {500.0, 1000.0, 1500.0, 2000.0, 2500.0, 3000.0}) {
        const int y = l.PanelY(c, 0, hz);
        g.drawLine(r.left() - 4, y, r.left(), y);
        g.drawText(QRect(0, y - 7, r.left() - 6, 14), Qt::AlignRight | Qt::AlignVCenter, QString::number(int(hz)));
      }
      g.drawText(QRect(0, r.top() - 14, r.left() - 6, 14), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Hz"));
    }
    const double from = double(s.start) / kSampleRate;
    const double to = double(s.start + int64_t(s.columns) * s.step) / kSampleRate;
    g.drawText(QRect(r.left(), r.bottom() + 5, r.width(), 13), Qt::AlignLeft | Qt::AlignVCenter,
               QString::number(from, 'f', 2) + QStringLiteral(" s"));
    g.drawText(QRect(r.left(), r.bottom() + 5, r.width(), 13), Qt::AlignRight | Qt::AlignVCenter,
               QString::number(to, 'f', 2) + QStringLiteral(" s"));
  }
}

void PaintLegend(QPainter& g, const PlotLayout& l) {
  const std::pair<MarkKind, const char*> keys[] = {
      {MarkKind::Ring, "zil"},
      {MarkKind::Reversal, "polarite değişimi"},
      {MarkKind::AlertTone, "uyarı tonu"},
      {MarkKind::Burst, "arayan bilgisi çözüldü"},
      {MarkKind::FailedBurst, "arayan bilgisi çözülemedi"},
      {MarkKind::Verdict, "karar: sağlam"},
      {MarkKind::FailedVerdict, "karar: sorunlu"},
  };
  g.setFont(Font(11));
  const QFontMetrics metrics(g.font());
  int x = kLeft;
  const int y = l.LegendTop();
  for (const auto& [kind, name] : keys) {
    g.fillRect(QRect(x, y + 5, 14, 10), MarkColour(kind));
    const QString text = QString::fromUtf8(name);
    g.setPen(kInk);
    g.drawText(QRect(x + 18, y, 300, 20), Qt::AlignLeft | Qt::AlignVCenter, text);
    x += 18 + metrics.horizontalAdvance(text) + 22;
  }
  g.drawText(QRect(x, y, PlotLayout::kWidth - x - kRight, 20), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("tayf: 300-3400 Hz, 20 ms pencere, koyu -80 dBm0, açık -10 dBm0"));
}

}  // namespace

QImage PaintPlot(const PlotData& data) {
  const PlotLayout l(data);
  QImage image(l.Size(), QImage::Format_RGB32);
  image.fill(QColor(250, 250, 250));
  QPainter g(&image);
  g.setRenderHint(QPainter::TextAntialiasing);
  g.setPen(kInk);
  g.setFont(Font(15, true));
  g.drawText(QRect(kLeft, 6, kPlotWidth, 22), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Hat denetimi: ") + data.Title());
  for (int c = 0; c < data.Channels(); ++c) {
    const ChannelPlot& plot = data.Channel(c);
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

bool PlotWritable(const QString& path, QString* error) {
  // Opened for appending, so an existing picture is left as it is until the
  // new one replaces it; a file made here is removed again.
  QFile file(path);
  const bool existed = file.exists();
  if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
    *error = QStringLiteral("cid-line-check: çizim dosyası yazılamıyor: %1").arg(path);
    return false;
  }
  file.close();
  if (!existed) file.remove();
  return true;
}

bool SavePlot(const PlotData& data, const QString& path, QString* error) {
  if (PaintPlot(data).save(path, "PNG")) return true;
  *error = QStringLiteral("cid-line-check: çizim dosyası yazılamadı: %1").arg(path);
  return false;
}

}  // namespace linecheck
