#pragma once
// Scroll view base of the grid (to be filled with the scroll bar model and
// pixel scrolling).
#include <QAbstractScrollArea>

namespace grid {

class TCustomScrollView : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TCustomScrollView(QWidget* parent = nullptr) : QAbstractScrollArea(parent) {}
};

}  // namespace grid
