// The navigation keys over a model grid with the call list's geometry:
// rows 20 pixels high plus a grid line, 148 pixels of data area (7 rows).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "grid/rownavigation.h"

using namespace grid;

namespace {

class ModelGrid : public TRowNavigator {
 public:
  int rows = 0;
  int current = 0;
  int top = 0;
  int dataHeight = 148;
  int barMax = -1;  // the scroll bar's range; -1: follows MaxTopRow
  std::vector<std::string> calls;

  int RowCount() const override { return rows; }
  int CurrentRow() const override { return current; }
  int TopRow() const override { return top; }
  int VisibleRowCount() const override { return dataHeight / 21; }
  int MaxTopRow() const override { return std::max(rows - VisibleRowCount(), 0); }
  int Max() const { return barMax >= 0 ? barMax : MaxTopRow(); }
  void SetTopRow(int row) override {
    calls.push_back("top " + std::to_string(row));
    top = std::clamp(row, 0, Max());
  }
  void LineUp() override {
    calls.push_back("lineup");
    if (Max() >= 1) top = std::clamp(top - 1, 0, Max());
  }
  void LineDown() override {
    calls.push_back("linedown");
    if (Max() >= 1) top = std::clamp(top + 1, 0, Max());
  }
  bool RowEndsBelowData(int row) const override { return (row - top) * 21 + 20 > dataHeight; }
  void FocusRow(int row) override {
    calls.push_back("focus " + std::to_string(row));
    current = row;
  }
  void SelectPrevColumn() override { calls.push_back("prev"); }
  void SelectNextColumn() override { calls.push_back("next"); }
};

using Calls = std::vector<std::string>;

}  // namespace

TEST(RowNavigationTest, DownScrollsBeforeLeavingTheLastFullyVisibleRowOnly) {
  ModelGrid g;
  g.rows = 10;
  g.current = 6;
  EXPECT_TRUE(NavigateByKey(g, TNavKey::Down));
  EXPECT_EQ(g.calls, (Calls{"linedown", "focus 7"}));
  EXPECT_EQ(g.top, 1);

  g.calls.clear();
  g.current = 2;
  NavigateByKey(g, TNavKey::Down);
  EXPECT_EQ(g.calls, (Calls{"focus 3"}));
}

TEST(RowNavigationTest, DownFromARowScrolledOutOfViewCatchesUpTwoRows) {
  ModelGrid g;
  g.rows = 20;
  g.current = 10;  // below the view (rows 0..6)
  NavigateByKey(g, TNavKey::Down);
  EXPECT_EQ(g.calls, (Calls{"linedown", "linedown", "focus 11"}));
  EXPECT_EQ(g.top, 2);
}

TEST(RowNavigationTest, UpOnTheTopRowScrollsFirst) {
  ModelGrid g;
  g.rows = 10;
  g.top = 3;
  g.current = 3;
  NavigateByKey(g, TNavKey::Up);
  EXPECT_EQ(g.calls, (Calls{"lineup", "focus 2"}));
  EXPECT_EQ(g.top, 2);
}

TEST(RowNavigationTest, PagingGoesToTheViewsEdgeFirstThenAWholePage) {
  ModelGrid g;
  g.rows = 20;
  EXPECT_TRUE(NavigateByKey(g, TNavKey::PageDown));
  EXPECT_EQ(g.current, 6);
  EXPECT_EQ(g.top, 0);
  NavigateByKey(g, TNavKey::PageDown);
  EXPECT_EQ(g.current, 13);
  EXPECT_EQ(g.top, 7);
  NavigateByKey(g, TNavKey::PageDown);
  EXPECT_EQ(g.current, 19);
  EXPECT_EQ(g.top, 13);  // clamped to the last full page

  NavigateByKey(g, TNavKey::PageUp);
  EXPECT_EQ(g.current, 13);
  EXPECT_EQ(g.top, 13);
  NavigateByKey(g, TNavKey::PageUp);
  EXPECT_EQ(g.current, 6);
  EXPECT_EQ(g.top, 6);
  g.current = 3;
  g.top = 3;
  NavigateByKey(g, TNavKey::PageUp);
  EXPECT_EQ(g.current, 0);
  EXPECT_EQ(g.top, 0);
}

TEST(RowNavigationTest, PageDownNeverFocusesPastTheLastRowWhileTheTopRowIsStale) {
  ModelGrid g;
  g.rows = 8;  // rows were deleted; the top row is not lowered before a paint
  g.top = 3;
  g.barMax = 13;
  g.current = 0;
  NavigateByKey(g, TNavKey::PageDown);
  EXPECT_EQ(g.current, 7);
}

TEST(RowNavigationTest, HomeAndEndScrollBeforeTheyFocus) {
  ModelGrid g;
  g.rows = 10;
  g.current = 4;
  NavigateByKey(g, TNavKey::End);
  EXPECT_EQ(g.calls, (Calls{"top 3", "focus 9"}));
  EXPECT_EQ(g.top, 3);
  g.calls.clear();
  NavigateByKey(g, TNavKey::Home);
  EXPECT_EQ(g.calls, (Calls{"top 0", "focus 0"}));
}
