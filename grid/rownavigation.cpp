#include "grid/rownavigation.h"

#include <algorithm>

namespace grid {

bool NavigateByKey(TRowNavigator& g, TNavKey key) {
  const int count = g.RowCount();
  if (count <= 0) return false;
  const int r = g.CurrentRow();
  const int v = g.VisibleRowCount();
  switch (key) {
    case TNavKey::PageUp:
      if (r > g.TopRow()) {
        g.FocusRow(g.TopRow());
      } else {
        const int row = std::max(r - v, 0);
        g.FocusRow(row);
        g.SetTopRow(row);
      }
      break;
    case TNavKey::PageDown:
      if (count < v) {
        g.FocusRow(count - 1);
        return false;
      }
      if (g.TopRow() + v - 1 > r) {
        // The top row may still be stale after rows were deleted; never
        // focus past the last row.
        g.FocusRow(std::min(g.TopRow() + v - 1, count - 1));
      } else {
        const int row = std::min(r + v, count - 1);
        g.FocusRow(row);
        g.SetTopRow(std::min(g.TopRow() + v, g.MaxTopRow()));
      }
      break;
    case TNavKey::End:
      g.SetTopRow(g.MaxTopRow());
      g.FocusRow(count - 1);
      break;
    case TNavKey::Home:
      g.SetTopRow(0);
      g.FocusRow(0);
      break;
    case TNavKey::Left: g.SelectPrevColumn(); break;
    case TNavKey::Right: g.SelectNextColumn(); break;
    case TNavKey::Up:
      if (r >= 1 && !g.InputRowFocused()) {
        if (r < g.TopRow() + 1) g.LineUp();
        g.FocusRow(r - 1);
      } else if (r == 0 && g.InputRowAvailable() && !g.InputRowFocused()) {
        g.FocusInputRow();
      }
      break;
    case TNavKey::Down:
      if (g.InputRowFocused()) {
        g.LeaveInputRow();
        g.FocusRow(0);
      } else if (r + 1 < count) {
        if (g.TopRow() + v - 1 < r) g.LineDown();
        if (g.RowEndsBelowData(r + 1)) g.LineDown();
        g.FocusRow(r + 1);
      }
      break;
  }
  return true;
}

}  // namespace grid
