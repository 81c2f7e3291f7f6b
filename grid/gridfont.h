#pragma once
// A font as the layouts describe it: family name, character height (negative
// pixel height, as the layouts store it), colour and style. Copied by value.
#include <QFont>
#include <QString>

#include "grid/types.h"

namespace grid {

struct TFont {
  QString Name = QStringLiteral("MS Sans Serif");
  int Height = -11;
  TColor Color = clWindowText;
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;

  bool operator==(const TFont&) const = default;
  // The Qt font that stands in for it (the family mapped to a free font).
  QFont ToQFont() const;
};

}  // namespace grid
