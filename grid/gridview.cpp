#include "grid/gridview.h"

namespace grid {

TGridView::TGridView(QWidget* parent) : QAbstractScrollArea(parent) {}

}  // namespace grid
