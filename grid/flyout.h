#pragma once
// Base of the grid's small auxiliary windows (roll marker, hint windows):
// frameless, top-most, never activated and never taking the focus, so the
// grid keeps the keyboard and the pointer while one of them shows.
#include <QColor>
#include <QWidget>

#include "grid/types.h"

namespace grid {

class TFlyoutControl : public QWidget {
  Q_OBJECT
 public:
  explicit TFlyoutControl(QWidget* parent = nullptr);
};

// The colours the auxiliary windows use (grey text, info background and
// text), resolved from the application palette when drawn; plain RGB values
// pass through.
QColor FlyoutColor(TColor color);

}  // namespace grid
