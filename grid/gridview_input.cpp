// How the grid answers the user: the current cell and the presses and keys
// that move it, column sizing at the header borders, header presses and hot
// tracking, the middle-button roll mode, the wheel, focus, and hints.
#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cstdlib>

#include "grid/columnkinds.h"
#include "grid/gridaccessible.h"
#include "grid/gridview.h"
#include "grid/rownavigation.h"

namespace grid {

namespace {

constexpr QPoint kNoCell(-1, -1);
constexpr int kWheelNotch = 120;
// How far from the column's text width the fit hint starts to show.
constexpr int kFitHintSlack = 5;
constexpr int kCellHintMaxWidth = 250;
constexpr int kCellHintRise = 20;

TShiftState ShiftOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons = Qt::NoButton) {
  TShiftState s;
  if (mods & Qt::ShiftModifier) s.Include(ssShift);
  if (mods & Qt::AltModifier) s.Include(ssAlt);
  if (mods & Qt::ControlModifier) s.Include(ssCtrl);
  if (buttons & Qt::LeftButton) s.Include(ssLeft);
  if (buttons & Qt::RightButton) s.Include(ssRight);
  if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
  return s;
}

bool ButtonOf(Qt::MouseButton b, TMouseButton* out) {
  switch (b) {
    case Qt::LeftButton: *out = mbLeft; return true;
    case Qt::RightButton: *out = mbRight; return true;
    case Qt::MiddleButton: *out = mbMiddle; return true;
    default: return false;
  }
}

bool NavKeyOf(int key, TNavKey* out) {
  switch (key) {
    case Qt::Key_PageUp: *out = TNavKey::PageUp; return true;
    case Qt::Key_PageDown: *out = TNavKey::PageDown; return true;
    case Qt::Key_Home: *out = TNavKey::Home; return true;
    case Qt::Key_End: *out = TNavKey::End; return true;
    case Qt::Key_Left: *out = TNavKey::Left; return true;
    case Qt::Key_Right: *out = TNavKey::Right; return true;
    case Qt::Key_Up: *out = TNavKey::Up; return true;
    case Qt::Key_Down: *out = TNavKey::Down; return true;
    default: return false;
  }
}

// The navigation rules over the real grid; scrolling goes through the
// vertical bar so every position is clamped there.
class GridNavigator : public TRowNavigator {
 public:
  explicit GridNavigator(TCustomGridView& g) : g_(g) {}
  int RowCount() const override { return g_.RowCount(); }
  int CurrentRow() const override { return g_.CurrentRow; }
  int TopRow() const override { return g_.TopRow(); }
  int VisibleRowCount() const override { return g_.VisibleRowCount(); }
  int MaxTopRow() const override { return g_.MaxTopRow(); }
  void SetTopRow(int row) override { g_.VertScrollBar()->SetScrollPos(row); }
  void LineUp() override { g_.VertScrollBar()->LineUp(); }
  void LineDown() override { g_.VertScrollBar()->LineDown(); }
  bool RowEndsBelowData(int row) const override {
    const TRect data = g_.GetDataRect();
    const int top = data.Top + (g_.RowSize() + g_.GridLineWidth()) * (row - g_.TopRow());
    return top + g_.RowSize() > data.Bottom;
  }
  void FocusRow(int row) override { g_.FocusCell(g_.CurrentCol, row); }
  void SelectPrevColumn() override { g_.SelectPrevColumn(); }
  void SelectNextColumn() override { g_.SelectNextColumn(); }
  bool InputRowFocused() const override { return g_.InputRowFocused(); }

 private:
  TCustomGridView& g_;
};

}  // namespace

bool TCustomGridView::InitInput() {
  RegisterGridCursors();
  fitHintWindow_ = new TGridHintWindow(this);
  cellHintWindow_ = new TGridHintWindow(this);
  rollMode_ = new TRollMode(viewport());
  rollMode_->OnLineUp = [this] { VertScrollBar()->LineUp(); };
  rollMode_->OnLineDown = [this] { VertScrollBar()->LineDown(); };
  viewport()->setMouseTracking(true);
  // The bars belong to the grid's window: the wheel over them is the grid's.
  horizontalScrollBar()->installEventFilter(this);
  verticalScrollBar()->installEventFilter(this);
  connect(qApp, &QGuiApplication::applicationStateChanged, this,
          [this](Qt::ApplicationState state) { ApplicationActivation(state == Qt::ApplicationActive); });
  return true;
}

// --- The current cell -------------------------------------------------------------

void TCustomGridView::FocusCell(int ACol, int ARow) {
  const int oldCol = CurrentCol;
  const int oldRow = CurrentRow;
  CurrentCol = ACol;
  CurrentRow = ARow;

  const bool fullRow = Options().Contains(goSelectFullRow);
  if (oldRow >= 0 && oldRow < RowMarks.size() && RowMarks[oldRow]) {
    RowMarks[oldRow] = false;
    if (fullRow) InvalidateRow(oldRow);
  }
  if (ARow >= 0 && ARow < RowMarks.size() && !RowMarks[ARow]) {
    RowMarks[ARow] = true;
    if (fullRow) InvalidateRow(ARow);
  }
  pointer_.anchorRow = ARow;

  if (OnSelectCell) OnSelectCell(this, ACol, ARow);
  if (oldCol == ACol && oldRow == ARow) return;
  if (fullRow) {
    InvalidateRow(oldRow);
    InvalidateRow(ARow);
  } else if (Options().Contains(goIndicator)) {
    InvalidatePart(gpIndicator);
  }
  InvalidateCell(oldCol, oldRow);
  InvalidateCell(ACol, ARow);
  AccessibleCurrentCellChanged(this);
}

void TCustomGridView::SetCurrentRow(int ARow) {
  // A negative row is no row either.
  if (ARow >= 0 && ARow < RowCount()) FocusCell(CurrentCol, ARow);
}

void TCustomGridView::SelectPrevColumn() {
  if (CurrentCol < 0 || CurrentCol >= Columns().Count()) return;
  for (int i = Columns().DisplayIndexOf(Columns().Items(CurrentCol)) - 1; i >= 0; --i) {
    TCustomColumn* c = Columns().ByPosition(i);
    if (c->Visible()) {
      FocusCell(c->Index(), CurrentRow);
      return;
    }
  }
}

void TCustomGridView::SelectNextColumn() {
  if (CurrentCol < 0 || CurrentCol >= Columns().Count()) return;
  for (int i = Columns().DisplayIndexOf(Columns().Items(CurrentCol)) + 1; i < Columns().Count(); ++i) {
    TCustomColumn* c = Columns().ByPosition(i);
    if (c->Visible()) {
      FocusCell(c->Index(), CurrentRow);
      return;
    }
  }
}

void TCustomGridView::RepaintCurrentCell() {
  if (Columns().Count() == 0 || RowCount() == 0) return;
  if (Options().Contains(goSelectFullRow)) {
    const int last = std::min(TopRow() + VisibleRowCount() + 1, RowCount() - 1);
    for (int r = TopRow(); r <= last; ++r)
      if (r < RowMarks.size() && RowMarks[r]) InvalidateRow(r);
    return;
  }
  InvalidateCell(CurrentCol, CurrentRow);
}

void TCustomGridView::ForgetColumns() {
  pointer_.hotHeader = nullptr;
  pointer_.pressedHeader = nullptr;
  pointer_.borderHover = nullptr;
  pointer_.headerDown = nullptr;
  // The button stays down, holding no column any more.
  if (pointer_.gesture == TGesture::HeaderPressed) SetGesture(TGesture::Pressed);
  if (pointer_.gesture == TGesture::Sizing) {
    // The column went away under the drag: end it without a width.
    pointer_.sizingColumn = nullptr;
    SetGesture(TGesture::Pressed);
    pointer_.sizingLines.clear();
    SizingPainter = nullptr;
    InvalidateGrid();
  }
}

void TCustomGridView::SetGesture(TGesture gesture) {
  pointer_.gesture = gesture;
  gesture == TGesture::Sizing ? IncludeState(gfSizing) : ExcludeState(gfSizing);
  gesture == TGesture::HeaderPressed ? IncludeState(gfHeaderPressed) : ExcludeState(gfHeaderPressed);
}

// --- Presses ------------------------------------------------------------------------

void TCustomGridView::mousePressEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), &button)) {
    event->ignore();
    return;
  }
  // The second press of a double click is ignored entirely; the double
  // click itself follows as its own event.
  if (event->flags() & Qt::MouseEventCreatedDoubleClick) return;
  PressAt(button, ShiftOf(event->modifiers(), event->buttons()), event->position().toPoint());
}

void TCustomGridView::mouseDoubleClickEvent(QMouseEvent* event) {
  // The press that brings the double click is ignored as a press.
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton && GetDataRect().Contains(p.x(), p.y()) && OnDblClick) OnDblClick(this);
}

void TCustomGridView::PressAt(TMouseButton button, TShiftState shift, const QPoint& p) {
  setFocus(Qt::MouseFocusReason);
  if (Columns().Count() == 0) return;
  if (HasState(gfEditing)) CloseEditor();

  if (button == mbLeft || (button == mbRight && !HasState(gfRangeSelecting))) {
    pointer_.downPoint = p;
    pointer_.headerDown = nullptr;
    SetGesture(TGesture::Pressed);
    if (TCustomColumn* border = SizingBorderAt(p.x(), p.y())) {
      StartSizing(border);
    } else {
      switch (PartAt(p.x(), p.y())) {
        case gpData:
        case gpIndicator: SelectByPress(p); break;
        case gpHeader: {
          TCustomColumn* column = ColumnAt(p.x());
          pointer_.headerDown = column;
          if (column && column->Options().Contains(coCanClick)) {
            pointer_.pressedHeader = column;
            SetGesture(TGesture::HeaderPressed);
            InvalidateColumnPart(column, gpHeader);
          }
          break;
        }
        default: break;
      }
    }
  }

  if (OnMouseDown) OnMouseDown(this, button, shift, p.x(), p.y());
  if (button == mbMiddle) {
    rollMode_->Start(p);
    SetGesture(TGesture::Rolling);
  }
}

void TCustomGridView::SelectByPress(const QPoint& p) {
  pointer_.downCell = CellAt(p.x(), p.y());
  if (pointer_.downCell.y() >= RowCount()) return;
  const int column =
      pointer_.downCell.x() >= 0 && pointer_.downCell.x() < Columns().Count() ? pointer_.downCell.x() : CurrentCol;
  FocusCell(column, pointer_.downCell.y());
}

// --- Column sizing --------------------------------------------------------------------

void TCustomGridView::InvertSizingLine(int x) {
  // Painting is suspended while sizing; the suspended paint inverts exactly
  // the lines queued here, in order, so two inversions of one line cancel.
  pointer_.sizingLines.append(x);
  viewport()->update(QRect(x, 0, 1, ClientHeight()));
}

void TCustomGridView::StartSizing(TCustomColumn* column) {
  pointer_.sizingColumn = column;
  pointer_.sizingDelta = 0;
  const int left = column->Left() - HorzOffset();
  pointer_.sizingLines.clear();
  SizingPainter = [this](QPainter& painter) {
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (int x : std::as_const(pointer_.sizingLines)) painter.fillRect(QRect(x, 0, 1, ClientHeight()), Qt::white);
    pointer_.sizingLines.clear();
  };
  InvertSizingLine(column->Index() == 0 ? left : left - 1);
  pointer_.sizingLineX = left + column->Width() - 1;
  InvertSizingLine(pointer_.sizingLineX);
  SetGesture(TGesture::Sizing);
}

void TCustomGridView::TrackSizing(int x) {
  TCustomColumn* column = pointer_.sizingColumn;
  InvertSizingLine(pointer_.sizingLineX);
  pointer_.sizingDelta = x + HorzOffset() - column->Left() - column->Width();
  if (column->Width() + pointer_.sizingDelta < kMinColumnWidth)
    pointer_.sizingDelta = kMinColumnWidth - column->Width();
  pointer_.sizingLineX = column->Left() + column->Width() + pointer_.sizingDelta - HorzOffset() - 1;
  InvertSizingLine(pointer_.sizingLineX);
}

void TCustomGridView::FinishSizing() {
  TCustomColumn* column = pointer_.sizingColumn;
  pointer_.sizingColumn = nullptr;
  SetGesture(TGesture::None);
  pointer_.sizingLines.clear();
  SizingPainter = nullptr;
  if (column) column->SetWidth(column->Width() + pointer_.sizingDelta);
  // The full repaint takes the tracking lines away, whatever the width did.
  InvalidateGrid();
}

// --- Moves ----------------------------------------------------------------------------

void TCustomGridView::mouseMoveEvent(QMouseEvent* event) {
  MoveAt(ShiftOf(event->modifiers(), event->buttons()), event->position().toPoint());
}

void TCustomGridView::MoveAt(TShiftState shift, const QPoint& p) {
  if (OnMouseMove) OnMouseMove(this, shift, p.x(), p.y());
  if (rollMode_->Active()) rollMode_->Move(p);
  pointer_.hoverCell = kNoCell;

  if (Columns().Count() > 0 && !rollMode_->Active()) {
    if (pointer_.gesture == TGesture::Sizing) {
      TrackSizing(p.x());
    } else {
      switch (PartAt(p.x(), p.y())) {
        case gpData: {
          pointer_.hoverCell = CellAt(p.x(), p.y());
          const int col = pointer_.hoverCell.x();
          const int row = pointer_.hoverCell.y();
          if (col >= 0 && col < Columns().Count() && row >= 0 && row < RowCount()) {
            UpdateFitHint(col, row);
            ApplyCursor(viewport(), Columns().Items(col)->Cursor());
          } else {
            fitHintWindow_->ReleaseHint();
            ApplyCursor(viewport(), crDefault);
          }
          ClearHeaderHover();
          break;
        }
        case gpHeader: {
          pointer_.borderHover = SizingBorderAt(p.x(), p.y());
          ApplyCursor(viewport(), pointer_.borderHover ? crHorzSplit : crDefault);
          // A drag of a pressed header would move its column (not built);
          // short of that the header under the pointer lights up.
          const QPoint moved = p - pointer_.downPoint;
          const bool columnDrag = !Options().Contains(goDissableColumnMoving) &&
                                  pointer_.gesture == TGesture::HeaderPressed &&
                                  (std::abs(moved.x()) > 3 || std::abs(moved.y()) > 3);
          if (!columnDrag) {
            TCustomColumn* hot = ColumnAt(p.x());
            if (hot != pointer_.hotHeader) {
              TCustomColumn* previous = pointer_.hotHeader;
              pointer_.hotHeader = hot;
              if (hot) InvalidateColumnPart(hot, gpHeader);
              if (previous) InvalidateColumnPart(previous, gpHeader);
            }
          }
          fitHintWindow_->ReleaseHint();
          break;
        }
        case gpIndicator:
          ApplyCursor(viewport(), crIndicatorSelect);
          fitHintWindow_->ReleaseHint();
          ClearHeaderHover();
          break;
        default:
          // Off the columns the pointer takes its ordinary shape again, so a
          // split cursor never lingers past a header border.
          ApplyCursor(viewport(), crDefault);
          fitHintWindow_->ReleaseHint();
          ClearHeaderHover();
          break;
      }
    }
  }
  UpdateCellHint();
}

void TCustomGridView::ClearHeaderHover() {
  pointer_.borderHover = nullptr;
  if (pointer_.hotHeader) {
    TCustomColumn* previous = pointer_.hotHeader;
    pointer_.hotHeader = nullptr;
    InvalidateColumnPart(previous, gpHeader);
  }
}

// --- Releases -------------------------------------------------------------------------

void TCustomGridView::mouseReleaseEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ButtonOf(event->button(), &button)) {
    event->ignore();
    return;
  }
  ReleaseAt(button, ShiftOf(event->modifiers(), event->buttons()), event->position().toPoint());
}

void TCustomGridView::ReleaseAt(TMouseButton button, TShiftState shift, const QPoint& p) {
  if (OnMouseUp) OnMouseUp(this, button, shift, p.x(), p.y());
  rollMode_->Stop();
  // A handler that replaced the columns has ended any sizing with them.
  if (pointer_.gesture == TGesture::Sizing) {
    FinishSizing();
    return;
  }
  SetGesture(TGesture::None);

  // Only a release over the rows counts: the row hit test alone would take
  // a release on the header for one on the top row.
  const TGridPart part = PartAt(p.x(), p.y());
  const QPoint cell = CellAt(p.x(), p.y());
  bool cellClicked = false;
  if (part == gpData && cell.x() >= 0 && cell.y() >= 0 && cell.y() < RowCount() && cell == pointer_.downCell) {
    cellClicked = true;
    if (OnCellClick) OnCellClick(this, cell.x(), cell.y());
  }
  pointer_.downPoint = kNoCell;

  // Done with the pressed column before its handler runs: the handler may
  // free it.
  if (TCustomColumn* pressed = pointer_.pressedHeader) {
    pointer_.pressedHeader = nullptr;
    InvalidateColumnPart(pressed, gpHeader);
    if (OnHeaderClick) OnHeaderClick(this, pressed->Index());
  }
  // Read after the handlers: gone if they cleared the columns.
  TCustomColumn* headerDown = pointer_.headerDown;
  pointer_.headerDown = nullptr;

  if (button != mbLeft) return;
  switch (part) {
    case gpData:
      // Cell editing opens only for editing columns; none are built here.
      (void)cellClicked;
      break;
    case gpHeader: {
      // Sorting by header click: only when press and release hit the same
      // sortable column's header.
      TCustomColumn* column = ColumnAt(p.x());
      if (column && column == headerDown && column->Options().Contains(coCanSort)) {
        if (column->Sorted())
          column->SetSortKind(column->SortKind() == skAscending ? skDescending : skAscending);
        else
          column->SetSorted(true);
      }
      break;
    }
    default: break;
  }
}

// --- Wheel ------------------------------------------------------------------------------

void TCustomGridView::wheelEvent(QWheelEvent* event) {
  const int dy = event->angleDelta().y();
  if (HasState(gfEditing) || dy == 0) {
    // Declined: an open editor keeps the wheel, and sideways turns never
    // scroll the grid.
    event->ignore();
    return;
  }
  event->accept();
  pointer_.wheelRest += dy;
  const TShiftState shift = ShiftOf(event->modifiers(), event->buttons());
  const bool page = shift.Contains(ssCtrl);
  const QPoint pos = event->globalPosition().toPoint();
  while (pointer_.wheelRest >= kWheelNotch || pointer_.wheelRest <= -kWheelNotch) {
    bool handled = false;
    if (pointer_.wheelRest > 0) {
      pointer_.wheelRest -= kWheelNotch;
      if (OnMouseWheelUp) OnMouseWheelUp(this, shift, pos, handled);
      page ? VertScrollBar()->PageUp() : VertScrollBar()->LineUp();
    } else {
      pointer_.wheelRest += kWheelNotch;
      if (OnMouseWheelDown) OnMouseWheelDown(this, shift, pos, handled);
      page ? VertScrollBar()->PageDown() : VertScrollBar()->LineDown();
    }
  }
}

bool TCustomGridView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Wheel && (watched == horizontalScrollBar() || watched == verticalScrollBar())) {
    wheelEvent(static_cast<QWheelEvent*>(event));
    // Taken either way: a declined turn must not scroll the bar itself.
    return true;
  }
  return TScrollView::eventFilter(watched, event);
}

// --- Keys ---------------------------------------------------------------------------------

void TCustomGridView::keyPressEvent(QKeyEvent* event) {
  const TShiftState shift = ShiftOf(event->modifiers());
  const int key = event->key();
  // Tab and Backtab, with any modifiers, belong to the window (focus moves,
  // Ctrl+Tab changes the page); the grid neither sees nor swallows them.
  if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
    event->ignore();
    return;
  }
  TNavKey nav;
  if (NavKeyOf(key, &nav)) {
    event->accept();
    if (RowCount() == 0) return;
    GridNavigator navigator(*this);
    if (NavigateByKey(navigator, nav) && OnKeyDown) {
      int k = key;
      OnKeyDown(this, k, shift);
    }
    return;
  }

  if (RowCount() > 0 && OnKeyDown) {
    int k = key;
    OnKeyDown(this, k, shift);
  }

  const QString text = event->text();
  if (text.isEmpty()) {
    event->ignore();
    return;
  }
  // Return and Escape go on to the containing window (its default and
  // cancel buttons) once the grid has let its own handlers see them.
  bool passOn = false;
  for (QChar ch : text) {
    if (OnKeyPress) OnKeyPress(this, ch);
    if (ch.isNull()) continue;
    if (ch.unicode() == 27) {
      passOn = true;
    } else if (ch.unicode() == 13) {
      if (!WantReturns()) {
        passOn = true;  // the character itself is swallowed
      } else if (RowCount() > 0) {
        GridNavigator navigator(*this);
        switch (SelectionMoveDirection()) {
          case mdUp: NavigateByKey(navigator, TNavKey::Up); break;
          case mdDown: NavigateByKey(navigator, TNavKey::Down); break;
          case mdLeft: SelectPrevColumn(); break;
          case mdRight: SelectNextColumn(); break;
          case mdNone: break;
        }
      }
    }
    // Other characters would open a cell editor on an editing column, or
    // feed the incremental search; neither is built, so they change nothing.
  }
  if (passOn)
    event->ignore();
  else
    event->accept();
}

// --- Focus, activation, leaving ----------------------------------------------------------

void TCustomGridView::focusInEvent(QFocusEvent* event) {
  TScrollView::focusInEvent(event);
  const bool entering = event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
  if (entering) {
    if (OnEnter) OnEnter(this);
    if (Options().Contains(goIndicator)) InvalidatePart(gpIndicator);
  }
  RepaintCurrentCell();
}

void TCustomGridView::focusOutEvent(QFocusEvent* event) {
  const bool leaving = event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason;
  if (leaving) {
    if (HasState(gfEditing)) CloseEditor();
    if (OnExit) OnExit(this);
  }
  TScrollView::focusOutEvent(event);
  RepaintCurrentCell();
}

void TCustomGridView::ApplicationActivation(bool active) {
  if (!active) {
    pointer_.pressedHeader = nullptr;
    pointer_.downPoint = kNoCell;
    pointer_.downCell = kNoCell;
    pointer_.headerDown = nullptr;
    if (pointer_.gesture == TGesture::Pressed || pointer_.gesture == TGesture::HeaderPressed)
      SetGesture(TGesture::None);
    ApplyCursor(viewport(), crDefault);
  }
  RepaintCurrentCell();
}

void TCustomGridView::changeEvent(QEvent* event) {
  TScrollView::changeEvent(event);
  if (event->type() == QEvent::FontChange && HasState(gfEditing)) CloseEditor();
}

bool TCustomGridView::viewportEvent(QEvent* event) {
  const bool result = TScrollView::viewportEvent(event);
  if (event->type() == QEvent::Leave) {
    fitHintWindow_->ReleaseHint();
    if (pointer_.hotHeader) {
      TCustomColumn* previous = pointer_.hotHeader;
      pointer_.hotHeader = nullptr;
      InvalidateColumnPart(previous, gpHeader);
    }
    ApplyCursor(viewport(), crDefault);
    cellHintWindow_->ReleaseHint();
  }
  return result;
}

// --- Hints ---------------------------------------------------------------------------------

void TCustomGridView::UpdateFitHint(int ACol, int ARow) {
  TCustomColumn* column = Columns().Items(ACol);
  if (!column->Options().Contains(coShowTextFitHint)) {
    fitHintWindow_->ReleaseHint();
    return;
  }
  QString value;
  GetCellText(ACol, ARow, value);
  const QString shown = column->FormatDisplayText(value);
  const int textWidth = QFontMetrics(column->Font().ToQFont()).horizontalAdvance(shown);
  if (textWidth <= column->Width() - kFitHintSlack) {
    fitHintWindow_->ReleaseHint();
    return;
  }
  const TRect cell = GetCellRect(ACol, ARow);
  fitHintWindow_->SetColor(clInfoBk);
  fitHintWindow_->setFont(column->Font().ToQFont());
  const QRect size = fitHintWindow_->CalcHintRect(QWIDGETSIZE_MAX / 2, value);
  fitHintWindow_->ActivateHint(size.translated(viewport()->mapToGlobal(QPoint(cell.Left, cell.Top))), value);
}

QString TCustomGridView::CellHintText(int, int) { return QString(); }

void TCustomGridView::UpdateCellHint() {
  const int col = pointer_.hoverCell.x();
  const int row = pointer_.hoverCell.y();
  QString hint;
  if (col >= 0 && col < Columns().Count() && row >= 0 && row < RowCount()) hint = CellHintText(col, row);
  if (hint.isEmpty() || fitHintWindow_->IsShowing()) {
    cellHintWindow_->ReleaseHint();
    return;
  }
  const TRect cell = GetCellRect(col, row);
  const QPoint at =
      viewport()->mapToGlobal(QPoint(cell.Left + Columns().Items(col)->Width(), cell.Top - kCellHintRise));
  cellHintWindow_->SetColor(clInfoBk);
  cellHintWindow_->ActivateHint(cellHintWindow_->CalcHintRect(kCellHintMaxWidth, hint).translated(at), hint);
}

QString TGridView::CellHintText(int ACol, int ARow) {
  if (ACol < 0 || ACol >= Columns().Count() || ARow < 0 || ARow >= RowCount()) return QString();
  return Cell(ACol, ARow)->Hint();
}

}  // namespace grid
