#include "grid/hintwindow.h"

#include <QFontMetrics>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "grid/syscolors.h"

namespace grid {

namespace {
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
}

TGridHintWindow::TGridHintWindow(QWidget* parent) : TFlyoutControl(parent) {
  setFont(QToolTip::font());
  // The hint shows under the pointer: were it to take pointer input, the
  // grid would see the pointer leave and hide it again at once.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setWindowFlag(Qt::WindowTransparentForInput);
}

void TGridHintWindow::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  update();
}

QRect TGridHintWindow::CalcHintRect(int maxWidth, const QString& text) const {
  const int chrome = 2 * (1 + kMargin);
  const int textWidth = std::max(1, maxWidth - chrome);
  const QRect bounds = QFontMetrics(font()).boundingRect(QRect(0, 0, textWidth, 100000), kTextFlags, text);
  return QRect(0, 0, bounds.width() + chrome, bounds.height() + chrome);
}

void TGridHintWindow::ActivateHint(const QRect& screenRect, const QString& text) {
  if (text_ != text) {
    text_ = text;
    update();
  }
  setGeometry(screenRect);
  show();
  raise();
}

void TGridHintWindow::ReleaseHint() { hide(); }

void TGridHintWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect r = rect();
  painter.fillRect(r, ColorToQColor(color_));
  painter.setPen(ColorToQColor(clWindowFrame));
  painter.drawRect(r.adjusted(0, 0, -1, -1));
  painter.setPen(ColorToQColor(clInfoText));
  const int inset = 1 + kMargin;
  painter.drawText(r.adjusted(inset, inset, -inset, -inset), kTextFlags, text_);
}

}  // namespace grid
