#pragma once
// The marker shown at the point where the middle button started the roll
// mode: a grey shape of an arrow up, a dot and an arrow down.
#include <QPoint>
#include <QRegion>

#include "grid/flyout.h"
#include "grid/types.h"

namespace grid {

class TRollShadow : public TFlyoutControl {
  Q_OBJECT
 public:
  static constexpr int kSize = 32;

  explicit TRollShadow(QWidget* parent = nullptr);

  // The dot's centre within the marker; the marker is placed so that this
  // point lies under the press point.
  static QPoint Centre() { return QPoint(7, 11); }
  // The window region: both arrows and the dot.
  static QRegion Shape();
  // Places the marker with its centre at a screen point and shows it.
  void ShowAt(const QPoint& screenPoint);
  // Re-applies the window region (virtual so a subclass can shape itself).
  virtual void UpdateShape();

  TColor Color() const { return color_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TColor color_ = clGrayText;
};

}  // namespace grid
