#pragma once
// Where the labels above a channel's level track go: each label is written
// at its mark, in the lowest row that has room (taken from the right), with
// a leader line from it down to its mark. A label never overlaps another, and no leader crosses
// another label; one with no room anywhere is written short ("#3"), and
// one with no room even then is left out (its mark stays).
#include <QRect>
#include <QString>
#include <vector>

namespace linecheck {

struct LabelWish {
  int x = 0;           // the mark's left edge, in pixels
  int width = 0;       // of the full text, padding included
  int shortWidth = 0;  // of the short one; 0 when it has none
};

struct PlacedLabel {
  size_t wish = 0;  // index into the wishes
  bool shortened = false;
  QRect box;        // where the text is written
  int leaderX = 0;  // the leader runs from the box's bottom down to the lane
};

// Rows are `rowHeight` high, row 0 just above `laneTop`, at most `rows` of
// them; labels stay within [left, right]. Wishes come in order of x.
std::vector<PlacedLabel> LayOutLabels(const std::vector<LabelWish>& wishes, int left, int right, int laneTop,
                                      int rowHeight, int rows);

}  // namespace linecheck
