#pragma once
// The small window that shows a cell's text when it does not fit, or a cell's
// hint, next to the pointer.
#include <QFont>
#include <QRect>
#include <QString>

#include "grid/flyout.h"
#include "grid/types.h"

namespace grid {

class TGridHintWindow : public TFlyoutControl {
  Q_OBJECT
 public:
  explicit TGridHintWindow(QWidget* parent = nullptr);

  TColor Color() const { return color_; }
  void SetColor(TColor color);

  // Size the window needs for the text, wrapped at maxWidth pixels (the
  // frame included); the rectangle starts at (0, 0).
  QRect CalcHintRect(int maxWidth, const QString& text) const;
  // Shows the text in the given screen rectangle.
  void ActivateHint(const QRect& screenRect, const QString& text);
  // Hides the window.
  void ReleaseHint();

  const QString& Text() const { return text_; }
  bool IsShowing() const { return isVisible(); }

  // Pixels between the frame and the text.
  static constexpr int kMargin = 2;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TColor color_ = clInfoBk;
  QString text_;
};

}  // namespace grid
