#pragma once
// Base of the grid's small auxiliary windows (roll marker, hint windows):
// frameless, top-most, never activated and never taking the focus, so the
// grid keeps the keyboard and the pointer while one of them shows.
#include <QWidget>

namespace grid {

class TFlyoutControl : public QWidget {
  Q_OBJECT
 public:
  explicit TFlyoutControl(QWidget* parent = nullptr);
};

}  // namespace grid
