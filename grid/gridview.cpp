#include "grid/gridview.h"

namespace grid {

TGridView::TGridView(QWidget* parent) : TCustomScrollView(parent) {}

}  // namespace grid
