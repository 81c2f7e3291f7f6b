// What the grid repaints: the regions of the paint events that reach its
// client area after a change, and what a paint pass draws.
#include <gtest/gtest.h>

#include <QPaintEvent>
#include <QTest>

#include "calllist_grid.h"

using namespace grid;
using gridtest::CallListGrid;

namespace {

// Records the region of every paint event the client area receives.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget* target) { target->installEventFilter(this); }
  QRegion Painted() const {
    QRegion r;
    for (const QRegion& p : paints) r += p;
    return r;
  }
  std::vector<QRegion> paints;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) paints.push_back(static_cast<QPaintEvent*>(e)->region());
    return false;
  }
};

void AddRows(CallListGrid& f, int n) {
  for (int i = 0; i < n; ++i) f.AddCall({"12:00:00", "SN1", QString::number(i + 1), "1", "05321234567"});
  f.Settle();
}

}  // namespace

TEST(GridInvalidationTest, WritingOneCellRepaintsThatCellOnlyAndNeverAtOnce) {
  CallListGrid f;
  AddRows(f, 2);
  PaintRecorder rec(f.grid->viewport());
  f.grid->Cell(4, 1)->SetAsString(QStringLiteral("05001112233"));
  EXPECT_TRUE(rec.paints.empty());  // nothing paints synchronously
  f.Settle();
  // "Arayan numara", row 1, with its grid lines: x 62..173, y 41..61.
  EXPECT_EQ(rec.Painted(), QRegion(62, 41, 112, 21));

  // Inside a bracket nothing is repainted, now or after EndUpdate.
  rec.paints.clear();
  f.grid->BeginUpdate();
  f.grid->Cell(4, 1)->SetAsString(QStringLiteral("x"));
  f.grid->EndUpdate();
  f.Settle();
  EXPECT_TRUE(rec.paints.empty());
}

TEST(GridInvalidationTest, AddingARowRepaintsTheNewRowAndTheOneAbove) {
  CallListGrid f;
  AddRows(f, 2);
  PaintRecorder rec(f.grid->viewport());
  AddRows(f, 1);
  // Rows 1 and 2 across the data width: y 41..82.
  EXPECT_EQ(rec.Painted(), QRegion(0, 41, 513, 42));
}

TEST(GridInvalidationTest, HotHeaderChangesRepaintTwoHeaderCells) {
  CallListGrid f;
  QWidget* vp = f.grid->viewport();
  QTest::mouseMove(vp, QPoint(100, 10));  // over "Arayan numara"
  f.Settle();
  ASSERT_EQ(f.grid->HotHeaderColumn, f.grid->Columns().Items(4));
  PaintRecorder rec(vp);
  QTest::mouseMove(vp, QPoint(200, 10));  // over "Saat"
  f.Settle();
  EXPECT_EQ(f.grid->HotHeaderColumn, f.grid->Columns().Items(0));
  EXPECT_EQ(rec.Painted(), QRegion(62, 0, 112 + 113, 20));
  EXPECT_EQ(rec.Painted().rectCount(), 1);
}

TEST(GridInvalidationTest, ScrollingRepaintsOnlyTheUncoveredRow) {
  CallListGrid f;
  AddRows(f, 10);
  PaintRecorder rec(f.grid->viewport());
  f.grid->ScrollMessage(sbVertical, scLineDown);
  f.Settle();
  ASSERT_EQ(f.grid->TopRow(), 1);
  const TRect data = f.grid->GetDataRect();
  // The rows moved up one pitch; only the strip at the bottom is new.
  EXPECT_EQ(rec.Painted(), QRegion(0, data.Bottom - 21, data.Right, 21));
}

TEST(GridInvalidationTest, NothingIsDrawnWhileAColumnIsSized) {
  CallListGrid f;
  AddRows(f, 2);
  int cellsDrawn = 0;
  f.grid->OnCellColoring = [&](QObject*, int, int, TColor&, TColor&, TCellState) { ++cellsDrawn; };
  f.grid->IncludeState(gfSizing);
  f.grid->viewport()->repaint();
  EXPECT_EQ(cellsDrawn, 0);
  f.grid->ExcludeState(gfSizing);
  f.grid->viewport()->repaint();
  EXPECT_GT(cellsDrawn, 0);
}

TEST(GridInvalidationTest, CellColoringSeesEveryDrawnCellAndCanChangeItsColours) {
  CallListGrid f;
  AddRows(f, 1);
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
  PaintRecorder rec(f.grid->viewport());
  f.grid->setGeometry(0, 0, 535, 170);
  f.Settle();
  EXPECT_EQ(f.grid->ClientWidth(), 533);
  EXPECT_EQ(f.grid->LastClientWidth, 533);
  EXPECT_EQ(rec.Painted(), QRegion(513, 0, 20, 168));
}
