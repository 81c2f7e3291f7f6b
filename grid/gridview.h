#pragma once
// The report grid control. (Minimal for now: the column model, cell store,
// drawing and input arrive in their own files.)
#include "grid/scrollview.h"

namespace grid {

class TGridView : public TCustomScrollView {
  Q_OBJECT
 public:
  explicit TGridView(QWidget* parent = nullptr);
};

}  // namespace grid
