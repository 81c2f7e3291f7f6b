#include "grid/syscolors.h"

#include <QGuiApplication>
#include <iterator>

namespace grid {

namespace {

struct SystemColorEntry {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// Indexed by the platform's system-colour number (clScrollBar = 0 ...).
constexpr SystemColorEntry kSystemColors[] = {
    {QPalette::Active, QPalette::Button},           // 0 scroll bar
    {QPalette::Active, QPalette::Dark},             // 1 desktop background
    {QPalette::Active, QPalette::Highlight},        // 2 active caption
    {QPalette::Inactive, QPalette::Highlight},      // 3 inactive caption
    {QPalette::Active, QPalette::Base},             // 4 menu
    {QPalette::Active, QPalette::Base},             // 5 window
    {QPalette::Active, QPalette::Shadow},           // 6 window frame
    {QPalette::Active, QPalette::Text},             // 7 menu text
    {QPalette::Active, QPalette::Text},             // 8 window text
    {QPalette::Active, QPalette::HighlightedText},  // 9 caption text
    {QPalette::Active, QPalette::Window},           // 10 active border
    {QPalette::Inactive, QPalette::Window},         // 11 inactive border
    {QPalette::Active, QPalette::Mid},              // 12 application workspace
    {QPalette::Active, QPalette::Highlight},        // 13 highlight
    {QPalette::Active, QPalette::HighlightedText},  // 14 highlight text
    {QPalette::Active, QPalette::Button},           // 15 button face
    {QPalette::Active, QPalette::Dark},             // 16 button shadow
    {QPalette::Disabled, QPalette::Text},           // 17 grey text
    {QPalette::Active, QPalette::ButtonText},       // 18 button text
    {QPalette::Inactive, QPalette::WindowText},     // 19 inactive caption text
    {QPalette::Active, QPalette::Light},            // 20 button highlight
    {QPalette::Active, QPalette::Shadow},           // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight},         // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText},      // 23 info text
    {QPalette::Active, QPalette::ToolTipBase},      // 24 info background
    {QPalette::Active, QPalette::Button},           // 25 (unused by the platform)
    {QPalette::Active, QPalette::Link},             // 26 hot light
    {QPalette::Active, QPalette::Highlight},        // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight},      // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight},        // 29 menu highlight
    {QPalette::Active, QPalette::Window},           // 30 menu bar
};

}  // namespace

bool SystemColorRole(int index, QPalette::ColorGroup* group, QPalette::ColorRole* role) {
  if (index < 0 || index >= int(std::size(kSystemColors))) return false;
  *group = kSystemColors[index].group;
  *role = kSystemColors[index].role;
  return true;
}

QColor ColorToQColor(TColor color, const QPalette& palette) {
  if (IsSystemColor(color)) {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    if (!SystemColorRole(int(color & 0xFF), &group, &role)) return QColor(0, 0, 0);
    return palette.color(group, role);
  }
  return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QColor ColorToQColor(TColor color) {
  if (!IsSystemColor(color)) return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
  return ColorToQColor(color, QGuiApplication::palette());
}

TColor QColorToColor(const QColor& color) { return RGBColor(color.red(), color.green(), color.blue()); }

}  // namespace grid
