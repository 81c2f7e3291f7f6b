#include "grid/flyout.h"

#include <QApplication>
#include <QPalette>

namespace grid {

TFlyoutControl::TFlyoutControl(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  // The subclasses paint every pixel themselves; no background erase.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  hide();
}

}  // namespace grid

namespace grid {

QColor FlyoutColor(TColor color) {
  if (!IsSystemColor(color)) return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
  const QPalette palette = QApplication::palette();
  switch (color) {
    case clGrayText: return palette.color(QPalette::Disabled, QPalette::WindowText);
    case clInfoBk: return palette.color(QPalette::ToolTipBase);
    case clInfoText: return palette.color(QPalette::ToolTipText);
    case clWindowFrame: return palette.color(QPalette::WindowText);
    case clWindow: return palette.color(QPalette::Base);
    case clWindowText: return palette.color(QPalette::Text);
    default: return palette.color(QPalette::Window);
  }
}

}  // namespace grid
