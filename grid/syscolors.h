#pragma once
// Resolving grid colours for drawing: plain colours carry red, green and
// blue (red lowest); system colours are looked up, when drawn, in one table
// from the system-colour index to a role of the application palette.
#include <QColor>
#include <QPalette>

#include "grid/types.h"

namespace grid {

// The palette role a system-colour index stands for, and the colour group
// to read it from (grey text reads the disabled group). False for an index
// the table does not know.
bool SystemColorRole(int index, QPalette::ColorGroup* group, QPalette::ColorRole* role);

// The colour to draw with, system colours resolved in the application
// palette. An unknown system-colour index draws black.
QColor ColorToQColor(TColor color);
QColor ColorToQColor(TColor color, const QPalette& palette);

// The 32-bit plain value of a drawable colour (red lowest).
TColor QColorToColor(const QColor& color);

}  // namespace grid
