#pragma once
// Stand-in for the call-list grid in the plain-Qt baseline: an empty scroll
// area of the grid's size.
#include <QAbstractScrollArea>

namespace grid {
class TGridView : public QAbstractScrollArea {
 public:
  using QAbstractScrollArea::QAbstractScrollArea;
};
}  // namespace grid
