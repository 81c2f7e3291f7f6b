#pragma once
// Stand-in for the clickable label in the plain-Qt baseline: a plain label.
#include <QLabel>

namespace platform {
class TClickLabel : public QLabel {
 public:
  using QLabel::QLabel;
};
}  // namespace platform
