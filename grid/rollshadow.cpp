#include "grid/rollshadow.h"

#include <QPainter>
#include <QPolygon>

#include "grid/syscolors.h"

namespace grid {

TRollShadow::TRollShadow(QWidget* parent) : TFlyoutControl(parent) {
  setFixedSize(kSize, kSize);
  UpdateShape();
}

QRegion TRollShadow::Shape() {
  const QPolygon up({QPoint(-1, 7), QPoint(7, -1), QPoint(8, 0), QPoint(14, 7), QPoint(0, 6)});
  const QPolygon down({QPoint(-1, 15), QPoint(14, 15), QPoint(6, 22), QPoint(6, 22), QPoint(-1, 14)});
  const QRegion dot(TRect{5, 9, 10, 14}.ToQRect(), QRegion::Ellipse);
  return QRegion(up).united(QRegion(down)).united(dot);
}

void TRollShadow::UpdateShape() { setMask(Shape()); }

void TRollShadow::ShowAt(const QPoint& screenPoint) {
  move(screenPoint - Centre());
  show();
  raise();
}

void TRollShadow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ColorToQColor(color_));
}

}  // namespace grid
