// What the grid repaints: the regions of the paint events that reach its
// client area after a change, and what a paint pass draws.
#include <gtest/gtest.h>

#include "calllist_grid.h"

using namespace grid;
using gridtest::CallListGrid;
using gridtest::PaintSpy;

TEST(GridInvalidationTest, WritingOneCellRepaintsThatCellOnlyAndNeverAtOnce) {
  CallListGrid f;
  f.AddRows(2);
  PaintSpy rec(f.grid->viewport());
  f.grid->Cell(4, 1)->SetAsString(QStringLiteral("05001112233"));
  EXPECT_TRUE(rec.paints == 0);  // nothing paints synchronously
  f.Settle();
  // "Arayan numara", row 1, with its grid lines: x 62..173, y 41..61.
  EXPECT_EQ(rec.region, QRegion(62, 41, 112, 21));

  // Inside a bracket nothing is repainted, now or after EndUpdate.
  rec.Reset();
  f.grid->BeginUpdate();
  f.grid->Cell(4, 1)->SetAsString(QStringLiteral("x"));
  f.grid->EndUpdate();
  f.Settle();
  EXPECT_TRUE(rec.paints == 0);
}

TEST(GridInvalidationTest, AddingARowRepaintsTheNewRowAndTheOneAbove) {
  CallListGrid f;
  f.AddRows(2);
  PaintSpy rec(f.grid->viewport());
  f.AddRows(1);
  // Rows 1 and 2 across the data width: y 41..82.
  EXPECT_EQ(rec.region, QRegion(0, 41, 513, 42));
}

TEST(GridInvalidationTest, ScrollingRepaintsOnlyTheUncoveredRow) {
  CallListGrid f;
  f.AddRows(10);
  PaintSpy rec(f.grid->viewport());
  f.grid->ScrollMessage(sbVertical, scLineDown);
  f.Settle();
  ASSERT_EQ(f.grid->TopRow(), 1);
  const TRect data = f.grid->GetDataRect();
  // The rows moved up one pitch; only the strip at the bottom is new.
  EXPECT_EQ(rec.region, QRegion(0, data.Bottom - 21, data.Right, 21));
}

TEST(GridInvalidationTest, CellColoringSeesEveryDrawnCellAndCanChangeItsColours) {
  CallListGrid f;
  f.AddRows(1);
  f.grid->OnCellColoring = [](QObject*, int ACol, int ARow, TColor& cell, TColor& line, TCellState) {
    if (ACol == 3 && ARow == 0) {
      cell = RGBColor(0, 200, 0);
      line = RGBColor(0, 0, 200);
    }
  };
  const QImage img = f.Client();
  EXPECT_EQ(gridtest::Px(img, 10, 22), qRgb(0, 200, 0));
  EXPECT_EQ(gridtest::Px(img, 10, 40), qRgb(0, 0, 200));
  EXPECT_EQ(gridtest::Px(img, 61, 25), qRgb(0, 0, 200));
  EXPECT_EQ(gridtest::Px(img, 70, 22), gridtest::Sys(clWindow));
}

TEST(GridInvalidationTest, WideningRepaintsOnlyTheNewStripWhenNothingStretches) {
  CallListGrid f;
  for (int i = 0; i < f.grid->Columns().Count(); ++i) {
    TCustomColumn* c = f.grid->Columns().Items(i);
    c->SetOptions(c->Options().Without(coAutoSize));
  }
  f.Settle();
  PaintSpy rec(f.grid->viewport());
  f.grid->setGeometry(0, 0, 535, 170);
  f.Settle();
  EXPECT_EQ(f.grid->ClientWidth(), 533);
  EXPECT_EQ(f.grid->LastClientWidth, 533);
  EXPECT_EQ(rec.region, QRegion(513, 0, 20, 168));
}
