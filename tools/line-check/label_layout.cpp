#include "tools/line-check/label_layout.h"

#include <algorithm>

namespace linecheck {

namespace {

// A label's leader runs down from its box through every row below it.
bool Crosses(const PlacedLabel& p, const QRect& box) {
  return p.leaderX >= box.left() && p.leaderX <= box.right() && box.top() > p.box.bottom();
}

bool Fits(const std::vector<PlacedLabel>& placed, const QRect& box, int leaderX) {
  for (const PlacedLabel& p : placed) {
    if (p.box.intersects(box) || Crosses(p, box)) return false;
    if (leaderX >= p.box.left() && leaderX <= p.box.right() && p.box.top() > box.bottom()) return false;
  }
  return true;
}

}  // namespace

std::vector<PlacedLabel> LayOutLabels(const std::vector<LabelWish>& wishes, int left, int right, int laneTop,
                                      int rowHeight, int rows) {
  // From the right: a label's leader then only meets labels to its right,
  // which start beyond it, so marks close together make a staircase rising
  // to the left instead of hiding one another's labels.
  std::vector<PlacedLabel> placed;
  for (size_t i = wishes.size(); i-- > 0;) {
    const LabelWish& w = wishes[i];
    bool done = false;
    for (int pass = 0; pass < 2 && !done; ++pass) {
      const int width = pass == 0 ? w.width : w.shortWidth;
      if (width <= 0) continue;
      // Near the right edge a label is written leftward of its mark.
      const int x = std::clamp(w.x, left, std::max(left, right - width));
      const int leaderX = std::clamp(w.x, x, x + width - 1);
      for (int r = 0; r < rows && !done; ++r) {
        const QRect box(x, laneTop - (r + 1) * rowHeight, width, rowHeight - 1);
        if (!Fits(placed, box, leaderX)) continue;
        placed.push_back({i, pass == 1, box, leaderX});
        done = true;
      }
    }
  }
  return placed;
}

}  // namespace linecheck
