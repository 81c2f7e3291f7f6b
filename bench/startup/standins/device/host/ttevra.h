#pragma once
// Stand-in for the device control's host in the plain-Qt baseline: a plain
// widget, with no device control behind it.
#include <QWidget>

namespace device {
class TTevra : public QWidget {
 public:
  using QWidget::QWidget;
};
}  // namespace device
