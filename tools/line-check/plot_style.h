#pragma once
// What the line-check pictures share: fonts, inks, margins and the step of
// an axis's ticks.
#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>
#include <cmath>

namespace linecheck::style {

inline constexpr int kLeft = 70, kRight = 20, kTitle = 34;
inline const QColor kInk(40, 40, 40), kGrid(225, 225, 225), kFailedInk(180, 20, 20), kGoodInk(20, 110, 40),
    kAdviceInk(90, 90, 90), kPaper(250, 250, 250), kClipped(235, 0, 235);

inline QFont Font(int pixels, bool bold = false) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

// A picture's title line over a plot `width` wide, the painter then set
// for text in ink.
inline void PaintTitle(QPainter& g, int width, const QString& title) {
  g.setRenderHint(QPainter::TextAntialiasing);
  g.setPen(kInk);
  g.setFont(Font(15, true));
  g.drawText(QRect(kLeft, 6, width, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Hat denetimi: ") + title);
}

// A tick step of 1, 2 or 5 times a power of ten giving about `wanted` ticks.
inline double TickStep(double span, int wanted) {
  const double raw = span / (wanted > 0 ? wanted : 1);
  const double p = std::pow(10.0, std::floor(std::log10(raw > 0 ? raw : 1)));
  for (double m : {1.0, 2.0, 5.0, 10.0})
    if (m * p >= raw) return m * p;
  return 10 * p;
}

}  // namespace linecheck::style
