// The grid answering real pointer, wheel and key events sent to its
// viewport, with the call list's settings (515 x 170, five columns).
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyleHints>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include "calllist_grid.h"
#include "grid/columns.h"
#include "grid/cursors.h"
#include "grid/rollshadow.h"

using namespace grid;
using gridtest::CallListGrid;
using gridtest::PaintSpy;

namespace {

struct InputFixture : ::testing::Test {
  CallListGrid g;
  TGridView* grid = g.grid;
  QWidget* vp = grid->viewport();
  QList<QPoint> selected;
  QList<QPoint> clicked;
  int keyDowns = 0;
  int cellsPainted = 0;

  void SetUp() override {
    grid->OnSelectCell = [this](QObject*, int c, int r) { selected.append(QPoint(c, r)); };
    grid->OnCellClick = [this](QObject*, int c, int r) { clicked.append(QPoint(c, r)); };
    grid->OnKeyDown = [this](QObject*, int&, TShiftState) { ++keyDowns; };
    grid->OnCellColoring = [this](QObject*, int, int, TColor&, TColor&, TCellState) { ++cellsPainted; };
  }
  void TearDown() override { SetApplicationCursor(crDefault); }

  void AddRows(int n) { g.AddRows(n); }
  QLineEdit* NextField() {
    auto* next = new QLineEdit(g.host.get());
    next->setGeometry(0, 175, 100, 20);
    next->show();
    return next;
  }
  void Leave() {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(vp, &leave);
  }
  // Collection indices of the call list's columns.
  TCustomColumn* Col(int index) { return grid->Columns().Items(index); }
  // A point inside a cell: column by collection index, row by number.
  QPoint CellPoint(int col, int row) {
    return QPoint(Col(col)->Left() - grid->HorzOffset() + Col(col)->Width() / 2,
                  grid->HeaderSize() + (row - grid->TopRow()) * 21 + 10);
  }
  QRegion CellRegion(int col, int row) {
    TRect r = grid->GetCellRect(col, row);
    return QRegion(QRect(r.Left, r.Top, r.Width() + 1, r.Height() + 1));
  }
  QRegion HeaderRegion(TCustomColumn* c) {
    return QRegion(QRect(c->Left() - grid->HorzOffset(), 0, c->Width(), grid->HeaderSize()));
  }
  void Click(const QPoint& p, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseClick(vp, b, Qt::NoModifier, p);
    g.Settle();
  }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(grid, Qt::Key(key), mods);
    g.Settle();
  }
  void Wheel(int dy, Qt::KeyboardModifiers mods = Qt::NoModifier, int dx = 0) {
    const QPoint p = CellPoint(0, grid->TopRow());
    QWheelEvent e(p, vp->mapToGlobal(p), QPoint(), QPoint(dx, dy), Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(vp, &e);
    g.Settle();
  }
  bool HasSplitCursor() const {
    return vp->testAttribute(Qt::WA_SetCursor) && vp->cursor().shape() == Qt::BitmapCursor &&
           vp->cursor().hotSpot() == TScreenCursors::Get(crHorzSplit).hotSpot() &&
           vp->cursor().pixmap().toImage() == TScreenCursors::Get(crHorzSplit).pixmap().toImage();
  }
  bool HasDefaultCursor() const { return !vp->testAttribute(Qt::WA_SetCursor); }
};

}  // namespace

// --- Presses and the current cell ----------------------------------------------------

TEST_F(InputFixture, AClickSelectsAndRepaintsTwoCellsAndTheSameCellAgainRepaintsNothing) {
  AddRows(3);
  g.Focus();
  PaintSpy spy(vp);
  Click(CellPoint(0, 1));  // "Saat", row 1
  EXPECT_EQ(grid->CurrentCol, 0);
  EXPECT_EQ(grid->CurrentRow, 1);
  EXPECT_EQ(selected, (QList<QPoint>{{0, 1}}));
  EXPECT_EQ(clicked, (QList<QPoint>{{0, 1}}));
  EXPECT_EQ(grid->RowMarks, (QList<bool>{false, true, false}));
  EXPECT_EQ(grid->AnchorRow(), 1);
  EXPECT_TRUE(grid->hasFocus());
  EXPECT_EQ(spy.region, CellRegion(0, 0) + CellRegion(0, 1));

  spy.Reset();
  Click(CellPoint(0, 1));
  EXPECT_EQ(selected.size(), 2);
  EXPECT_EQ(selected.last(), QPoint(0, 1));
  EXPECT_EQ(spy.paints, 0);
}

TEST_F(InputFixture, ClicksBelowTheLastRowAndInTheLastHeaderPixelRowChangeNothing) {
  AddRows(3);
  g.Focus();
  Click(CellPoint(4, 2));
  selected.clear();
  PaintSpy spy(vp);
  Click(CellPoint(4, 5));             // empty area under the rows
  const int x = Col(0)->Left() + 30;  // away from any border
  Click(QPoint(x, grid->HeaderSize() - 1));
  Click(QPoint(x, grid->HeaderSize() - 1), Qt::RightButton);
  EXPECT_EQ(grid->CurrentCol, 4);
  EXPECT_EQ(grid->CurrentRow, 2);
  EXPECT_TRUE(selected.isEmpty());
  EXPECT_EQ(spy.paints, 0);
  EXPECT_EQ(grid->PressedHeaderColumn(), nullptr);
}

TEST_F(InputFixture, AReleaseCountsAsACellClickOnlyOverTheCellOfTheLastDataPress) {
  AddRows(3);
  Click(CellPoint(0, 0));
  ASSERT_EQ(clicked, (QList<QPoint>{{0, 0}}));
  // Pressed on the cell, released on the one beside it: no click.
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, CellPoint(0, 1));
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, CellPoint(1, 1));
  // The header straight above the top row is not that row's cell.
  Click(CellPoint(0, 0));
  Click(QPoint(CellPoint(0, 0).x(), 8));
  EXPECT_EQ(clicked, (QList<QPoint>{{0, 0}, {0, 0}}));
  // A release over the cell of the earlier data press still counts.
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(CellPoint(0, 0).x(), 8));
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, CellPoint(0, 0));
  EXPECT_EQ(clicked.size(), 3);
}

TEST_F(InputFixture, ADoubleClickMovesOnTheFirstPressOnlyAndCountsOnlyInTheDataArea) {
  AddRows(3);
  int dbl = 0;
  grid->OnDblClick = [&](QObject*) { ++dbl; };
  int downs = 0;
  grid->OnMouseDown = [&](QObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  // Through the window, so the window system itself pairs the two clicks.
  QWindow* window = g.host->windowHandle();
  QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, vp->mapTo(g.host.get(), CellPoint(3, 2)));
  g.Settle();
  EXPECT_EQ(grid->CurrentRow, 2);
  EXPECT_EQ(selected.size(), 1);
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(dbl, 1);

  QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
  QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, vp->mapTo(g.host.get(), QPoint(Col(3)->Left() + 20, 8)));
  g.Settle();
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(dbl, 1);
}

TEST_F(InputFixture, ClickableHeadersReportTheirColumnIndexOnRelease) {
  AddRows(2);
  Col(1)->SetOptions(Col(1)->Options().With(coCanClick));
  QList<int> headers;
  grid->OnHeaderClick = [&](QObject*, int c) { headers.append(c); };
  const QPoint p(Col(1)->Left() + 30, 8);
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, p);
  EXPECT_EQ(grid->PressedHeaderColumn(), Col(1));
  EXPECT_TRUE(grid->HasState(gfHeaderPressed));
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, p);
  EXPECT_EQ(headers, QList<int>{1});
  EXPECT_EQ(grid->PressedHeaderColumn(), nullptr);
  EXPECT_FALSE(grid->HasState(gfHeaderPressed));
  // The call list's own headers are not clickable.
  Click(QPoint(Col(0)->Left() + 30, 8));
  EXPECT_EQ(headers, QList<int>{1});
  EXPECT_FALSE(Col(0)->Sorted());
}

TEST_F(InputFixture, EachPressStartsOneGestureThatItsReleaseEnds) {
  using G = TCustomGridView::TGesture;
  AddRows(3);
  EXPECT_EQ(grid->Gesture(), G::None);
  const struct {
    Qt::MouseButton button;
    QPoint at;
    G gesture;
  } presses[] = {
      {Qt::LeftButton, CellPoint(1, 1), G::Pressed},
      {Qt::LeftButton, QPoint(Col(0)->Left() + Col(0)->Width() - 2, 5), G::Sizing},
      {Qt::MiddleButton, CellPoint(1, 1), G::Rolling},
  };
  for (const auto& press : presses) {
    QTest::mousePress(vp, press.button, Qt::NoModifier, press.at);
    EXPECT_EQ(grid->Gesture(), press.gesture);
    EXPECT_EQ(grid->HasState(gfSizing), press.gesture == G::Sizing);
    QTest::mouseRelease(vp, press.button, Qt::NoModifier, press.at);
    EXPECT_EQ(grid->Gesture(), G::None);
    EXPECT_FALSE(grid->HasState(gfSizing));
    EXPECT_FALSE(grid->RollMode()->Active());
  }
  // A header press left behind when the application goes to the background
  // is dropped with its state flag.
  Col(1)->SetOptions(Col(1)->Options().With(coCanClick));
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(Col(1)->Left() + 30, 8));
  ASSERT_EQ(grid->Gesture(), G::HeaderPressed);
  emit qApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(grid->Gesture(), G::None);
  EXPECT_FALSE(grid->HasState(gfHeaderPressed));
  emit qApp->applicationStateChanged(Qt::ApplicationActive);
}

// --- Column sizing ---------------------------------------------------------------------

TEST_F(InputFixture, DraggingHatNoBorderFarLeftStopsAtEightPixelsWithoutRepaintingRows) {
  AddRows(3);
  TCustomColumn* hat = Col(3);
  ASSERT_EQ(hat->Header().Caption(), "Hat no.");
  ASSERT_EQ(Col(4)->Left(), hat->Left() + hat->Width());
  const QList<int> before = {Col(0)->Width(), Col(1)->Width(), Col(2)->Width(), Col(4)->Width()};
  const QPoint border(hat->Left() + hat->Width(), 10);

  g.Focus();
  QTest::mouseMove(vp, border);
  g.Settle();
  EXPECT_TRUE(HasSplitCursor());
  const QImage screenBefore = g.host->screen()->grabWindow(g.host->winId()).toImage();

  cellsPainted = 0;
  PaintSpy spy(vp);
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, border);
  EXPECT_TRUE(grid->HasState(gfSizing));
  EXPECT_EQ(grid->SizingColumn(), hat);
  QTest::mouseMove(vp, border - QPoint(100, 0));
  g.Settle();
  EXPECT_EQ(grid->SizingDelta(), 8 - hat->Width());
  // Only the thin tracking lines were touched.
  EXPECT_EQ(cellsPainted, 0);
  for (const QRect& r : spy.region) EXPECT_EQ(r.width(), 1) << r.x();
  // The moving line sits at the 8-pixel width, drawn inverted over the rows.
  const QImage screenDuring = g.host->screen()->grabWindow(g.host->winId()).toImage();
  const QPoint line = grid->viewport()->mapTo(g.host.get(), QPoint(hat->Left() + 7, 100));
  EXPECT_EQ(screenDuring.pixel(line) & 0xFFFFFF, ~screenBefore.pixel(line) & 0xFFFFFF);

  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, border - QPoint(100, 0));
  g.Settle();
  EXPECT_FALSE(grid->HasState(gfSizing));
  EXPECT_EQ(grid->SizingColumn(), nullptr);
  EXPECT_EQ(hat->Width(), 8);
  EXPECT_EQ((QList<int>{Col(0)->Width(), Col(1)->Width(), Col(2)->Width(), Col(4)->Width()}), before);
  EXPECT_GT(cellsPainted, 0);  // the release repaints everything
  EXPECT_TRUE(clicked.isEmpty());
}

TEST_F(InputFixture, ARightButtonDragResizesTooAndAnyReleaseEndsIt) {
  TCustomColumn* saat = Col(0);
  const int width = saat->Width();
  const QPoint border(saat->Left() + saat->Width() - 2, 5);
  QTest::mousePress(vp, Qt::RightButton, Qt::NoModifier, border);
  ASSERT_EQ(grid->SizingColumn(), saat);
  QTest::mouseMove(vp, border + QPoint(30, 40));
  QTest::mouseRelease(vp, Qt::RightButton, Qt::NoModifier, border + QPoint(30, 40));
  g.Settle();
  EXPECT_EQ(saat->Width(), width + 28);
  EXPECT_FALSE(grid->HasState(gfSizing));
  // No auto-size: the columns now overflow and a horizontal bar shows.
  EXPECT_EQ(grid->TotalWidth(), 513 + 28);
  EXPECT_EQ(grid->HorzScrollBar()->Max(), 28);
}

// --- Cursors and hot tracking ---------------------------------------------------------------

TEST_F(InputFixture, CursorIsTheSplitterOverABorderOnlyAndTheDefaultElsewhere) {
  AddRows(2);
  TCustomColumn* hat = Col(3);
  QTest::mouseMove(vp, QPoint(hat->Left() + hat->Width() + 2, 3));
  EXPECT_TRUE(HasSplitCursor());
  EXPECT_EQ(grid->BorderHoverColumn(), hat);
  QTest::mouseMove(vp, QPoint(hat->Left() + 20, 3));
  EXPECT_TRUE(HasDefaultCursor());
  EXPECT_EQ(grid->BorderHoverColumn(), nullptr);
  QTest::mouseMove(vp, QPoint(hat->Left() + hat->Width(), 3));
  QTest::mouseMove(vp, CellPoint(3, 1));
  EXPECT_TRUE(HasDefaultCursor());
  EXPECT_EQ(grid->HoverCell(), QPoint(3, 1));
  // The column's own cursor shows over its rows, not below them.
  Col(3)->SetCursor(crHandPoint);
  QTest::mouseMove(vp, CellPoint(3, 0));
  EXPECT_EQ(vp->cursor().shape(), Qt::PointingHandCursor);
  QTest::mouseMove(vp, CellPoint(3, 4));
  EXPECT_TRUE(HasDefaultCursor());
  EXPECT_EQ(grid->HoverCell(), QPoint(3, 4));
  // The last header pixel row is no part: a split cursor does not linger.
  QTest::mouseMove(vp, QPoint(hat->Left() + hat->Width(), 3));
  QTest::mouseMove(vp, QPoint(hat->Left() + hat->Width(), grid->HeaderSize() - 1));
  EXPECT_TRUE(HasDefaultCursor());
}

TEST_F(InputFixture, HotTrackingLightsOneHeaderAtATimeAndClearsWhenThePointerLeaves) {
  TCustomColumn* first = grid->Columns().ByPosition(0);
  TCustomColumn* second = grid->Columns().ByPosition(1);
  PaintSpy spy(vp);
  QTest::mouseMove(vp, QPoint(first->Left() + 20, 8));
  g.Settle();
  EXPECT_EQ(grid->HotHeaderColumn(), first);
  EXPECT_EQ(spy.region, HeaderRegion(first));

  spy.Reset();
  QTest::mouseMove(vp, QPoint(first->Left() + 25, 9));
  g.Settle();
  EXPECT_EQ(spy.paints, 0);

  QTest::mouseMove(vp, QPoint(second->Left() + 20, 8));
  g.Settle();
  EXPECT_EQ(grid->HotHeaderColumn(), second);
  EXPECT_EQ(spy.region, HeaderRegion(first) + HeaderRegion(second));

  spy.Reset();
  Leave();
  g.Settle();
  EXPECT_EQ(grid->HotHeaderColumn(), nullptr);
  EXPECT_EQ(spy.region, HeaderRegion(second));

  QTest::mouseMove(vp, QPoint(first->Left() + 20, 8));
  QTest::mouseMove(vp, CellPoint(first->Index(), 0));
  EXPECT_EQ(grid->HotHeaderColumn(), nullptr);
}

TEST_F(InputFixture, ColumnsClearedUnderThePointerAreForgottenNotTouched) {
  TCustomColumn* first = grid->Columns().ByPosition(0);
  QTest::mouseMove(vp, QPoint(first->Left() + 20, 8));
  ASSERT_EQ(grid->HotHeaderColumn(), first);
  const QPoint border(first->Left() + first->Width(), 5);
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, border);
  ASSERT_TRUE(grid->HasState(gfSizing));
  grid->Columns().Clear();
  QTest::mouseMove(vp, border + QPoint(20, 0));
  EXPECT_EQ(grid->HotHeaderColumn(), nullptr);
  EXPECT_EQ(grid->SizingColumn(), nullptr);
  EXPECT_FALSE(grid->HasState(gfSizing));
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, border + QPoint(20, 0));
  Leave();
  g.Settle();
  EXPECT_EQ(grid->HotHeaderColumn(), nullptr);
}

// --- Keys --------------------------------------------------------------------------------------

TEST_F(InputFixture, DownScrollsFromTheLastFullyVisibleRowAndStopsAtTheEnds) {
  AddRows(10);
  g.Focus();
  ASSERT_EQ(grid->VisibleRowCount(), 7);
  Click(CellPoint(4, 6));
  keyDowns = 0;
  Key(Qt::Key_Down);
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_EQ(grid->CurrentRow, 7);
  EXPECT_EQ(keyDowns, 1);

  Key(Qt::Key_End);
  EXPECT_EQ(grid->CurrentRow, 9);
  EXPECT_EQ(grid->TopRow(), 3);
  selected.clear();
  Key(Qt::Key_Down);
  EXPECT_EQ(grid->CurrentRow, 9);
  EXPECT_TRUE(selected.isEmpty());

  Key(Qt::Key_Home);
  EXPECT_EQ(grid->TopRow(), 0);
  EXPECT_EQ(grid->CurrentRow, 0);
  selected.clear();
  Key(Qt::Key_Up);
  EXPECT_EQ(grid->CurrentRow, 0);
  EXPECT_TRUE(selected.isEmpty());
  EXPECT_EQ(keyDowns, 5);
}

TEST_F(InputFixture, LeftAndRightFollowTheDisplayOrderAndStopAtTheEdges) {
  AddRows(2);
  g.Focus();
  Click(CellPoint(3, 0));  // "Hat no.", first on screen
  Key(Qt::Key_Right);
  EXPECT_EQ(grid->CurrentCol, 4);
  Key(Qt::Key_Right);
  EXPECT_EQ(grid->CurrentCol, 0);
  Key(Qt::Key_Left);
  Key(Qt::Key_Left);
  Key(Qt::Key_Left);
  EXPECT_EQ(grid->CurrentCol, 3);
  EXPECT_EQ(grid->HorzOffset(), 0);
  Col(4)->SetVisible(false);
  Key(Qt::Key_Right);
  EXPECT_EQ(grid->CurrentCol, 0);
}

TEST_F(InputFixture, PageDownOnAShortListFocusesTheLastRowWithoutKeyDown) {
  AddRows(3);
  g.Focus();
  keyDowns = 0;
  Key(Qt::Key_PageDown);
  EXPECT_EQ(grid->CurrentRow, 2);
  EXPECT_EQ(keyDowns, 0);
  Key(Qt::Key_PageUp);
  EXPECT_EQ(grid->CurrentRow, 0);
  EXPECT_EQ(keyDowns, 1);
}

TEST_F(InputFixture, AnEmptyGridIgnoresEveryKeyAndPressesOnlyTakeTheFocus) {
  g.Focus();
  for (int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End, Qt::Key_Left,
                  Qt::Key_Right, Qt::Key_A, Qt::Key_Return})
    Key(key);
  EXPECT_EQ(keyDowns, 0);
  EXPECT_TRUE(selected.isEmpty());
  EXPECT_EQ(grid->CurrentRow, 0);
  EXPECT_EQ(grid->CurrentCol, 0);

  // Without columns, presses take the focus and nothing else.
  grid->Columns().Clear();
  g.Settle();
  int downs = 0;
  grid->OnMouseDown = [&](QObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  grid->clearFocus();
  Click(QPoint(50, 50));
  EXPECT_TRUE(grid->hasFocus());
  Click(QPoint(50, 50), Qt::MiddleButton);
  EXPECT_EQ(downs, 0);
  EXPECT_TRUE(selected.isEmpty());
  EXPECT_FALSE(grid->RollMode()->Active());
}

TEST_F(InputFixture, TypingChangesNothingReturnIsSwallowedAndTabMovesTheFocusOn) {
  QLineEdit* next = NextField();
  AddRows(3);
  g.Focus();
  Click(CellPoint(0, 1));
  selected.clear();
  QString pressed;
  grid->OnKeyPress = [&](QObject*, QChar& c) { pressed += c; };
  QTest::keyClicks(grid, "a5Z");
  Key(Qt::Key_Return);
  g.Settle();
  EXPECT_EQ(pressed, QString("a5Z\r"));
  EXPECT_EQ(grid->CurrentRow, 1);
  EXPECT_EQ(grid->CurrentCol, 0);
  EXPECT_TRUE(selected.isEmpty());
  QString cell;
  grid->GetCellText(0, 1, cell);
  EXPECT_EQ(cell, "12:00:01");

  // Return goes on to the window holding the grid.
  int returnsSeen = 0;
  struct ReturnSpy : QObject {
    int* seen;
    explicit ReturnSpy(int* s) : seen(s) {}
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Return) ++*seen;
      return false;
    }
  } returnSpy(&returnsSeen);
  g.host->installEventFilter(&returnSpy);
  Key(Qt::Key_Return);
  g.host->removeEventFilter(&returnSpy);
  EXPECT_EQ(returnsSeen, 1);
  EXPECT_EQ(grid->CurrentRow, 1);

  Key(Qt::Key_Tab);
  EXPECT_TRUE(next->hasFocus());
  EXPECT_TRUE(next->text().isEmpty());
}

TEST_F(InputFixture, TabAndBacktabWithModifiersAreLeftToTheWindow) {
  AddRows(3);
  g.Focus();
  QString pressed;
  grid->OnKeyPress = [&](QObject*, QChar& c) { pressed += c; };
  const std::pair<Qt::Key, Qt::KeyboardModifiers> keys[] = {
      {Qt::Key_Tab, Qt::ControlModifier},
      {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier},
      {Qt::Key_Tab, Qt::AltModifier},
      {Qt::Key_Backtab, Qt::AltModifier | Qt::ShiftModifier},
  };
  for (const auto& [key, mods] : keys) {
    QKeyEvent e(QEvent::KeyPress, key, mods, QStringLiteral("\t"));
    QApplication::sendEvent(grid, &e);
    EXPECT_FALSE(e.isAccepted()) << key << " " << mods;
  }
  EXPECT_EQ(keyDowns, 0);
  EXPECT_TRUE(pressed.isEmpty());
  EXPECT_EQ(grid->CurrentRow, 0);
}

// --- Wheel and roll mode -------------------------------------------------------------------------

TEST_F(InputFixture, TheWheelScrollsARowANotchTenWithCtrlAndNeverSideways) {
  AddRows(5);  // all rows fit: nothing to scroll
  Wheel(-120);
  Wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(grid->TopRow(), 0);
  AddRows(25);
  int downs = 0;
  grid->OnMouseWheelDown = [&](QObject*, TShiftState, const QPoint&, bool& handled) {
    ++downs;
    handled = true;  // the grid scrolls anyway
  };
  Wheel(-120);
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_EQ(downs, 1);
  Wheel(-60);
  EXPECT_EQ(grid->TopRow(), 1);  // half a notch waits for the other half
  Wheel(-60);
  EXPECT_EQ(grid->TopRow(), 2);
  Wheel(-120, Qt::ControlModifier);
  EXPECT_EQ(grid->TopRow(), 12);
  Wheel(120);
  EXPECT_EQ(grid->TopRow(), 11);
  Col(0)->SetWidth(900);  // something to scroll sideways
  g.Settle();
  ASSERT_GT(grid->HorzScrollBar()->Max(), 0);
  Wheel(0, Qt::NoModifier, -120);
  EXPECT_EQ(grid->HorzOffset(), 0);
  EXPECT_EQ(grid->TopRow(), 11);
}

TEST_F(InputFixture, TheWheelOverTheGridsOwnBarsActsAsOverTheRows) {
  AddRows(40);
  Col(0)->SetWidth(900);
  g.Settle();
  QScrollBar* vbar = grid->verticalScrollBar();
  QScrollBar* hbar = grid->horizontalScrollBar();
  ASSERT_TRUE(vbar->isVisible());
  ASSERT_TRUE(hbar->isVisible());
  int downs = 0;
  int ups = 0;
  grid->OnMouseWheelDown = [&](QObject*, TShiftState, const QPoint&, bool&) { ++downs; };
  grid->OnMouseWheelUp = [&](QObject*, TShiftState, const QPoint&, bool&) { ++ups; };
  auto wheelOver = [&](QScrollBar* bar, QPoint delta, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QPoint p = bar->rect().center();
    QWheelEvent e(p, bar->mapToGlobal(p), QPoint(), delta, Qt::NoButton, mods, Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &e);
    g.Settle();
  };
  wheelOver(vbar, QPoint(0, -120), Qt::ControlModifier);
  EXPECT_EQ(grid->TopRow(), 10);
  EXPECT_EQ(downs, 1);
  wheelOver(hbar, QPoint(0, -120));
  EXPECT_EQ(grid->TopRow(), 11);
  EXPECT_EQ(downs, 2);
  wheelOver(hbar, QPoint(0, 120));
  EXPECT_EQ(grid->TopRow(), 10);
  EXPECT_EQ(ups, 1);
  wheelOver(hbar, QPoint(-120, 0));
  wheelOver(vbar, QPoint(-120, 0));
  EXPECT_EQ(grid->HorzOffset(), 0);
  EXPECT_EQ(grid->TopRow(), 10);
}

TEST_F(InputFixture, RollModeStepsFasterFartherFromThePressPoint) {
  AddRows(30);
  const QPoint origin = CellPoint(0, 2);
  QPoint pointer = origin;
  grid->RollMode()->PointerPos = [&] { return pointer; };
  QTest::mousePress(vp, Qt::MiddleButton, Qt::NoModifier, origin);
  ASSERT_TRUE(grid->RollMode()->Active());
  EXPECT_TRUE(grid->RollMode()->Marker()->isVisible());
  pointer = origin + QPoint(0, 40);
  QTest::mouseMove(vp, pointer);
  EXPECT_EQ(ApplicationCursor(), crRollDown);
  grid->RollMode()->Tick();
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_EQ(grid->RollMode()->Timer()->interval(), 60);
  pointer = origin + QPoint(0, 150);
  grid->RollMode()->Tick();
  EXPECT_EQ(grid->TopRow(), 2);
  EXPECT_EQ(grid->RollMode()->Timer()->interval(), 1);
  QTest::mouseRelease(vp, Qt::MiddleButton, Qt::NoModifier, pointer);
  EXPECT_FALSE(grid->RollMode()->Active());
  EXPECT_FALSE(grid->RollMode()->Marker()->isVisible());
  EXPECT_EQ(ApplicationCursor(), crDefault);
}

TEST_F(InputFixture, RollModeWithNothingToScrollStillChangesItsCursors) {
  AddRows(3);
  const QPoint origin = CellPoint(0, 1);
  QTest::mousePress(vp, Qt::MiddleButton, Qt::NoModifier, origin);
  QTest::mouseMove(vp, origin + QPoint(0, 40));
  EXPECT_EQ(ApplicationCursor(), crRollDown);
  grid->RollMode()->Tick();
  QTest::mouseMove(vp, origin - QPoint(0, 6));
  EXPECT_EQ(ApplicationCursor(), crRollUp);
  grid->RollMode()->Tick();
  EXPECT_EQ(grid->TopRow(), 0);
  // A release of another button ends the roll mode too.
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, origin);
  EXPECT_FALSE(grid->RollMode()->Active());
  EXPECT_EQ(ApplicationCursor(), crDefault);
}

// --- Hints, activation ----------------------------------------------------------------------------

TEST_F(InputFixture, CellHintsShowBesideTheCellAndGiveWayToTheFitHint) {
  AddRows(3);
  grid->Cell(0, 1)->SetHint("Arayan kayıtlı değil");
  QTest::mouseMove(vp, CellPoint(0, 1));
  ASSERT_TRUE(grid->CellHintWindow()->IsShowing());
  const TRect cell = grid->GetCellRect(0, 1);
  EXPECT_EQ(grid->CellHintWindow()->pos(), vp->mapToGlobal(QPoint(cell.Left + Col(0)->Width(), cell.Top - 20)));
  EXPECT_LE(grid->CellHintWindow()->width(), 250);
  QTest::mouseMove(vp, CellPoint(0, 0));
  EXPECT_FALSE(grid->CellHintWindow()->IsShowing());
  EXPECT_FALSE(grid->FitHintWindow()->IsShowing());

  // A text too wide for its column shows in full when the column asks.
  grid->Cell(0, 1)->SetAsString(QString("uzun metin ").repeated(20));
  Col(0)->SetOptions(Col(0)->Options().With(coShowTextFitHint));
  QTest::mouseMove(vp, CellPoint(0, 1));
  EXPECT_TRUE(grid->FitHintWindow()->IsShowing());
  EXPECT_EQ(grid->FitHintWindow()->pos(), vp->mapToGlobal(QPoint(cell.Left, cell.Top)));
  EXPECT_FALSE(grid->CellHintWindow()->IsShowing());
  Leave();
  EXPECT_FALSE(grid->FitHintWindow()->IsShowing());
}

TEST_F(InputFixture, TheFitHintTakesNoPointerInput) {
  AddRows(3);
  grid->Cell(0, 1)->SetAsString(QString("uzun metin ").repeated(20));
  Col(0)->SetOptions(Col(0)->Options().With(coShowTextFitHint));
  const QPoint p = CellPoint(0, 1);
  QTest::mouseMove(vp, CellPoint(0, 0));
  QTest::mouseMove(vp, p);
  ASSERT_TRUE(grid->FitHintWindow()->IsShowing());
  // The hint lies under the pointer, but the pointer never is over the hint.
  const QPoint global = vp->mapToGlobal(p);
  ASSERT_TRUE(grid->FitHintWindow()->geometry().contains(global));
  EXPECT_NE(QApplication::widgetAt(global), grid->FitHintWindow());
  EXPECT_TRUE(grid->FitHintWindow()->windowFlags().testFlag(Qt::WindowTransparentForInput));
}

// Handlers may replace the columns under a sizing, a header press or a hover:
// the grid must hold none of the old columns once they are gone.
TEST_F(InputFixture, HandlersThatReplaceTheColumnsLeaveNoOldColumnHeld) {
  AddRows(2);
  bool replaced = false;
  bool held = false;
  std::vector<int> widths;
  auto replaceColumns = [&] {
    if (replaced) return;
    replaced = true;
    LoadGridLayout(*grid, gridtest::CallListLayout());
    held = grid->SizingColumn() || grid->HotHeaderColumn() || grid->PressedHeaderColumn() ||
           grid->BorderHoverColumn() || grid->HasState(gfSizing) || grid->HasState(gfHeaderPressed);
    widths.clear();
    for (int i = 0; i < grid->Columns().Count(); ++i) widths.push_back(Col(i)->Width());
  };
  auto currentWidths = [&] {
    std::vector<int> w;
    for (int i = 0; i < grid->Columns().Count(); ++i) w.push_back(Col(i)->Width());
    return w;
  };

  // Sizing "Hat no." (collection index 3), the release handler replaces the columns.
  const QPoint border(Col(3)->Left() + Col(3)->Width() - 1, 10);
  QTest::mouseMove(vp, border);
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, border);
  ASSERT_TRUE(grid->HasState(gfSizing));
  QTest::mouseMove(vp, border + QPoint(30, 0));
  grid->OnMouseUp = [&](QObject*, TMouseButton, TShiftState, int, int) { replaceColumns(); };
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, border + QPoint(30, 0));
  EXPECT_TRUE(replaced);
  EXPECT_FALSE(held);
  EXPECT_FALSE(grid->HasState(gfSizing));
  EXPECT_EQ(currentWidths(), widths) << "no width from the old drag";
  grid->OnMouseUp = nullptr;
  g.Settle();

  // A header press on a clickable column, the header click handler replaces them.
  Col(4)->SetOptions(Col(4)->Options().With(coCanClick).With(coCanSort));
  const QPoint header(Col(4)->Left() + 20, 10);
  QTest::mouseMove(vp, header);
  ASSERT_EQ(grid->HotHeaderColumn(), Col(4));
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, header);
  ASSERT_EQ(grid->PressedHeaderColumn(), Col(4));
  replaced = false;
  grid->OnHeaderClick = [&](QObject*, int) { replaceColumns(); };
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, header);
  EXPECT_TRUE(replaced);
  EXPECT_FALSE(held);
  EXPECT_EQ(grid->PressedHeaderColumn(), nullptr);
  for (int i = 0; i < grid->Columns().Count(); ++i) EXPECT_FALSE(Col(i)->Sorted()) << "no sort by a freed column";
  grid->OnHeaderClick = nullptr;
  g.Settle();

  // Hovering a header, the move handler replaces them.
  QTest::mouseMove(vp, header + QPoint(5, 0));
  ASSERT_NE(grid->HotHeaderColumn(), nullptr);
  replaced = false;
  grid->OnMouseMove = [&](QObject*, TShiftState, int, int) { replaceColumns(); };
  QTest::mouseMove(vp, QPoint(header.x() + 5, 40));
  EXPECT_TRUE(replaced);
  EXPECT_FALSE(held);
  EXPECT_EQ(grid->HotHeaderColumn(), nullptr);
  grid->OnMouseMove = nullptr;
}

TEST_F(InputFixture, TakingAndLosingTheFocusRepaintsTheCurrentCellOnly) {
  QLineEdit* other = NextField();
  AddRows(3);
  int enters = 0;
  int exits = 0;
  grid->OnEnter = [&](QObject*) { ++enters; };
  grid->OnExit = [&](QObject*) { ++exits; };
  g.Focus();
  Click(CellPoint(1, 2));
  ASSERT_TRUE(grid->hasFocus());
  enters = 0;
  PaintSpy spy(vp);
  other->setFocus(Qt::TabFocusReason);
  g.Settle();
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(spy.region, CellRegion(1, 2));
  spy.Reset();
  grid->setFocus(Qt::TabFocusReason);
  g.Settle();
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(spy.region, CellRegion(1, 2));
}

TEST_F(InputFixture, DeactivatingTheApplicationDropsPendingPresses) {
  AddRows(3);
  Col(1)->SetOptions(Col(1)->Options().With(coCanClick));
  Click(CellPoint(2, 1));
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, QPoint(Col(1)->Left() + 30, 8));
  ASSERT_EQ(grid->PressedHeaderColumn(), Col(1));
  emit qApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_EQ(grid->PressedHeaderColumn(), nullptr);
  EXPECT_EQ(grid->DownPoint(), QPoint(-1, -1));
  EXPECT_EQ(grid->DownCell(), QPoint(-1, -1));
  // Without the earlier press, a release over that cell is no click.
  clicked.clear();
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, CellPoint(2, 1));
  EXPECT_TRUE(clicked.isEmpty());
}

TEST(GridCursorsTest, BuildingAGridRegistersAllSixCursors) {
  TScreenCursors::Clear();
  TGridView grid;
  for (TCursor n : {crHorzSplit, crColumnNoDrag, crRoll, crRollUp, crRollDown, crIndicatorSelect})
    EXPECT_TRUE(TScreenCursors::IsRegistered(n)) << n;
}
