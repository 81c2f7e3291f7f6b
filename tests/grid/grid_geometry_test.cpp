// Layout, scroll ranges, auto-sizing and hit tests of the report grid with
// the call list's settings.
#include <gtest/gtest.h>

#include <QScrollBar>

#include "calllist_grid.h"

using namespace grid;
using gridtest::CallListGrid;

namespace {

std::vector<int> WidthsByIndex(TGridView* g) {
  std::vector<int> w;
  for (int i = 0; i < g->Columns().Count(); ++i) w.push_back(g->Columns().Items(i)->Width());
  return w;
}

}  // namespace

TEST(GridGeometryTest, CallListFillsItsClientAreaWithSevenWholeRows) {
  CallListGrid f;
  TGridView* g = f.grid;
  EXPECT_EQ(g->ClientWidth(), 513);
  EXPECT_EQ(g->ClientHeight(), 168);
  EXPECT_EQ(WidthsByIndex(g), (std::vector<int>{113, 113, 113, 62, 112}));
  EXPECT_EQ(g->TotalWidth(), 513);
  EXPECT_EQ(g->GetDataRect(), (TRect{0, 20, 513, 168}));
  EXPECT_EQ(g->VisibleRowCount(), 7);
  // Display order starts with "Hat no." at 0.
  EXPECT_EQ(g->Columns().Items(3)->Left(), 0);
  EXPECT_EQ(g->Columns().Items(4)->Left(), 62);
  EXPECT_EQ(g->GetCellRect(3, 0), (TRect{0, 20, 61, 40}));
  EXPECT_EQ(g->GetCellRect(4, 1), (TRect{62, 41, 173, 61}));
  EXPECT_EQ(g->GetRowRect(1), (TRect{0, 41, 513, 62}));

  f.AddRows(6);
  EXPECT_EQ(g->MaxTopRow(), 0);
  EXPECT_FALSE(g->verticalScrollBar()->isVisible());
  EXPECT_FALSE(g->horizontalScrollBar()->isVisible());
  EXPECT_EQ(g->ClientWidth(), 513);
}

TEST(GridGeometryTest, TenRowsScrollToRowThreeAtTheBottom) {
  CallListGrid f;
  TGridView* g = f.grid;
  f.AddRows(10);
  EXPECT_TRUE(g->verticalScrollBar()->isVisible());
  EXPECT_EQ(g->VertScrollBar()->Max(), 3);
  EXPECT_EQ(g->VertScrollBar()->PageSize(), 1);
  // The bar took client width: the columns were sized again to fill it.
  int sum = 0;
  for (int w : WidthsByIndex(g)) sum += w;
  EXPECT_EQ(sum, g->ClientWidth());
  EXPECT_LT(g->ClientWidth(), 513);

  g->ScrollMessage(sbVertical, scBottom);
  EXPECT_EQ(g->TopRow(), 3);
  g->ScrollMessage(sbVertical, scLineDown);
  EXPECT_EQ(g->TopRow(), 3);  // clamped
  g->ScrollMessage(sbVertical, scLineUp);
  EXPECT_EQ(g->TopRow(), 2);
  g->ScrollMessage(sbVertical, scPageUp);
  EXPECT_EQ(g->TopRow(), 0);
  g->ScrollMessage(sbVertical, scPageDown);
  EXPECT_EQ(g->TopRow(), 3);
  g->ScrollMessage(sbVertical, scTop);
  EXPECT_EQ(g->TopRow(), 0);
  // The window's bar follows the position.
  g->ScrollMessage(sbVertical, scBottom);
  EXPECT_EQ(g->verticalScrollBar()->value(), 3);
  // Rows above TopRow get rectangles above the data area.
  EXPECT_EQ(g->GetCellRect(3, 2).Top, 20 - 21);
}

TEST(GridGeometryTest, DeletingRowsBelowTheTopRowResetsItAtTheNextPaint) {
  CallListGrid f;
  TGridView* g = f.grid;
  f.AddRows(10);
  g->ScrollMessage(sbVertical, scBottom);
  ASSERT_EQ(g->TopRow(), 3);
  for (int i = 0; i < 5; ++i) g->DeleteRow(0);
  EXPECT_EQ(g->TopRow(), 3);  // nothing moves before the paint
  g->viewport()->repaint();
  f.Settle();
  EXPECT_EQ(g->TopRow(), 0);
  EXPECT_EQ(g->VertScrollBar()->Max(), 0);
  EXPECT_FALSE(g->verticalScrollBar()->isVisible());
}

TEST(GridGeometryTest, HitTestsAtBoundaries) {
  CallListGrid f;
  TGridView* g = f.grid;
  TColumns& cols = g->Columns();
  // x = 62 is the boundary between "Hat no." (0..61) and "Arayan numara".
  EXPECT_EQ(g->ColumnAt(61), cols.Items(3));
  EXPECT_EQ(g->ColumnAt(62), cols.Items(3));
  EXPECT_EQ(g->ColumnAt(63), cols.Items(4));
  EXPECT_EQ(g->ColumnAt(-1), nullptr);
  EXPECT_EQ(g->ColumnAt(514), nullptr);

  EXPECT_EQ(g->RowAt(20), 0);
  EXPECT_EQ(g->RowAt(40), 0);  // the grid line under row 0
  EXPECT_EQ(g->RowAt(41), 1);
  EXPECT_EQ(g->RowAt(5), 0);  // less than a pitch above the data area
  EXPECT_EQ(g->CellAt(70, 45), QPoint(4, 1));
  EXPECT_EQ(g->CellAt(600, 45), QPoint(-1, 1));

  EXPECT_EQ(g->PartAt(10, 0), gpHeader);
  EXPECT_EQ(g->PartAt(10, 18), gpHeader);
  EXPECT_EQ(g->PartAt(10, 19), gpNone);  // last header pixel row
  EXPECT_EQ(g->PartAt(10, 20), gpData);
  EXPECT_EQ(g->PartAt(512, 50), gpNone);  // last pixel column of the data area
  EXPECT_EQ(g->PartAt(511, 166), gpData);
  EXPECT_EQ(g->PartAt(10, 167), gpNone);

  // The 5-pixel sizing band around the right edge of "Hat no." (x = 62).
  EXPECT_EQ(g->SizingBorderAt(60, 5), cols.Items(3));
  EXPECT_EQ(g->SizingBorderAt(64, 5), cols.Items(3));
  EXPECT_EQ(g->SizingBorderAt(65, 5), nullptr);
  EXPECT_EQ(g->SizingBorderAt(62, 20), nullptr);  // below the header
}

TEST(GridGeometryTest, NarrowingBelowTheFixedWidthsShowsTheHorizontalBar) {
  CallListGrid f;
  TGridView* g = f.grid;
  // "Hat no." keeps its width: fixed columns alone exceed the client width.
  TColumnOptions fixed = g->Columns().Items(3)->Options();
  fixed.Include(coFixedSize);
  g->Columns().Items(3)->SetOptions(fixed);
  g->Columns().Items(3)->SetWidth(200);
  g->setGeometry(0, 0, 150, 170);
  f.Settle();
  EXPECT_EQ(WidthsByIndex(g), (std::vector<int>{8, 8, 8, 200, 8}));
  EXPECT_TRUE(g->horizontalScrollBar()->isVisible());
  EXPECT_EQ(g->HorzScrollBar()->Max(), 232 - g->ClientWidth());
  EXPECT_EQ(g->HorzScrollBar()->PageStep(), qRound(g->ClientWidth() * 0.05));
  // Horizontal scrolling counts pixels and moves the columns left.
  g->ScrollMessage(sbHorizontal, scBottom);
  EXPECT_EQ(g->HorzOffset(), g->HorzScrollBar()->Max());
  EXPECT_EQ(g->GetCellRect(3, 0).Left, -g->HorzOffset());
}

TEST(GridGeometryTest, ThemedBorderAddsAPixelOfFrame) {
  CallListGrid f(QStringLiteral("Fusion"));
  EXPECT_EQ(f.grid->FrameEdge(), TFrameEdge::Themed);
  EXPECT_EQ(f.grid->ClientWidth(), 511);
  EXPECT_EQ(f.grid->ClientHeight(), 166);
  // Away from hsAuto the static edge is back.
  f.grid->SetHeaderStyle(hsDefault);
  f.Settle();
  EXPECT_EQ(f.grid->FrameEdge(), TFrameEdge::Static);
  EXPECT_EQ(f.grid->ClientWidth(), 513);
  f.grid->SetBorderStyle(bsNone);
  f.Settle();
  EXPECT_EQ(f.grid->ClientWidth(), 515);
}

TEST(GridGeometryTest, WithoutGridLinesRowsAreTwentyPixelsApartAndCellsFullWidth) {
  CallListGrid f;
  TGridView* g = f.grid;
  g->SetOptions(TGridOptions{goHeader});
  f.Settle();
  EXPECT_EQ(g->GetCellRect(3, 1), (TRect{0, 40, 62, 60}));
  EXPECT_EQ(g->VisibleRowCount(), 148 / 20);
}

TEST(GridGeometryTest, AVisibleEmptyBarShowsDisabledAfterThePaint) {
  CallListGrid f;
  TGridView* g = f.grid;
  g->SetHideScrollBar(false);
  g->viewport()->repaint();
  f.Settle();
  EXPECT_TRUE(g->verticalScrollBar()->isVisible());
  EXPECT_FALSE(g->verticalScrollBar()->isEnabled());
  EXPECT_EQ(g->VertScrollBar()->Max(), 0);
  // The bar's width came off the client area, and the columns follow it.
  int sum = 0;
  for (int w : WidthsByIndex(g)) sum += w;
  EXPECT_EQ(sum, g->ClientWidth());
  EXPECT_FALSE(g->horizontalScrollBar()->isVisible());
  EXPECT_LT(g->ClientWidth(), 513);
}
