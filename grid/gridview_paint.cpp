// Painting of the report layout: the paint pass, the header row, rows of
// existing and empty cells with their grid lines, the selection, the focus
// rectangle, the strip right of the last column, the caption of an empty
// grid, and the border.
#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "grid/gridview.h"
#include "grid/syscolors.h"
#include "grid/themes.h"

namespace grid {

namespace {

constexpr TColor kSortedColumnTint = 0xF5F5F5;  // RGB(245, 245, 245)

bool IsLastVisible(const TCustomColumn* c) {
  return c->Collection() && c->VisibleIndex() == c->Collection()->VisibleCount() - 1;
}

}  // namespace

// --- State read by painting ------------------------------------------------------

bool TCustomGridView::GridFocused() const {
  const QWidget* focus = QApplication::focusWidget();
  return focus && (focus == this || isAncestorOf(focus));
}

bool TCustomGridView::IsCellSelected(int ACol, int ARow) const {
  if (HasState(gfInputEditing)) return false;
  const TGridOptions o = Options();
  if (!GridFocused() && !o.Contains(goAlwaysShowSelection)) return false;
  const bool current = ACol == CurrentCol && ARow == CurrentRow;
  const bool edited = ACol == EditCol && ARow == EditRow;
  if (!o.Contains(goSelectFullRow)) return current && !edited;
  const bool marked = ARow == CurrentRow || (ARow >= 0 && ARow < RowMarks.size() && RowMarks[ARow]);
  if (!marked) return false;
  if (current && (o.Contains(goAlwaysIndicateSelected) || edited)) return false;
  return true;
}

TColor TCustomGridView::GetCellBackground(int ACol, int ARow) {
  const TColor own = GetCellColor(ACol, ARow);
  if (!IsCellSelected(ACol, ARow)) return own;
  if (!GridFocused()) return clBtnFace;
  if (!Options().Contains(goAlphaBlendedSelection)) return clHighlight;
  const QColor grid = ColorToQColor(Color());
  const QColor high = ColorToQColor(clHighlight);
  auto mix = [](int a, int b) { return int(std::nearbyint(a * 0.75 + b * 0.25)); };
  return RGBColor(mix(grid.red(), high.red()), mix(grid.green(), high.green()), mix(grid.blue(), high.blue()));
}

TColor TCustomGridView::GetCellTextColor(int ACol, int ARow) {
  if (Options().Contains(goHighlightTextSelection) && GridFocused() && IsCellSelected(ACol, ARow))
    return clHighlightText;
  return Columns().Items(ACol)->Font().Color;
}

// --- Tools -------------------------------------------------------------------------

TColumnPartDisplay& TCustomGridView::HeaderDisplay() {
  if (!headerDisplay_) headerDisplay_ = std::make_unique<TColumnPartDisplay>(this, &canvas_);
  return *headerDisplay_;
}

TColumnDisplay& TCustomGridView::DisplayFor(TCustomColumn* column) {
  // One display per kind serves every column of that kind: each cell fills
  // the slot of its own kind before it is drawn, and the display draws only
  // from that slot, so nothing carries over from the cell painted before.
  if (column->ValueKind() == TValueKind::Text) {
    if (!textDisplay_) textDisplay_ = std::make_unique<TTextualColumnDisplay>(column);
    textDisplay_->Column = column;
    return *textDisplay_;
  }
  if (!valueDisplay_) valueDisplay_ = std::make_unique<TValueColumnDisplay>(column);
  valueDisplay_->Column = column;
  return *valueDisplay_;
}

void TCustomGridView::SetCanvasFont(const TFont& font) {
  if (canvasFontSet_ && font == canvasFont_) return;
  canvas_.SetFont(font.ToQFont());
  canvasFont_ = font;
  canvasFontSet_ = true;
}

// --- The paint pass ----------------------------------------------------------------

void TCustomGridView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  if (HasState(gfSizing)) {
    // A column border is being dragged: only its tracking lines change.
    if (SizingPainter) SizingPainter(painter);
    return;
  }
  SyncFrameEdge(true);
  canvas_.Bind(&painter, event->region());
  canvasFontSet_ = false;
  if (GridStyle() == gsReport) {
    const TRect data = GetDataRect();
    SetHorzScrollRect(TRect{data.Left, 0, ClientWidth(), ClientHeight()});
    SetVertScrollRect(TRect{0, data.Top, data.Right, data.Bottom});
    UpdateVertScrollBar();
    SetVertScrollUnit(RowSize() + GridLineWidth());
    PaintContents();

    const int cw = ClientWidth();
    const int ch = ClientHeight();
    if (TotalWidth() - HorzOffset() < cw) {
      const TRect now = GetDataRect();
      canvas_.SetBrushColor(Color());
      if (HeaderStyle() == hsAuto && ThemesActive(this)) {
        const int top = Options().Contains(goHeader) ? HeaderSize() : 0;
        if (Options().Contains(goHeader)) HeaderDisplay().DrawThemedHeaderFiller(TRect{now.Right, 0, cw, top});
        canvas_.SetBrushColor(Color());
        canvas_.FillRect(TRect{now.Right, top, cw, ch});
      } else {
        canvas_.FillRect(TRect{now.Right, 0, cw, ch});
      }
    }

    if (RowCount() == 0 && !Caption().isEmpty()) {
      SetCanvasFont(Font());
      canvas_.SetFontColor(Font().Color);
      const TRect now = GetDataRect();
      const int top = now.Top + 4;
      canvas_.SetBrushStyle(TBrushStyle::Clear);
      canvas_.DrawText(Caption(), TRect{0, top, cw, top + canvas_.TextHeight(Caption())},
                       DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_EXTERNALLEADING);
      canvas_.SetBrushStyle(TBrushStyle::Solid);
    }
  } else {
    PaintSlides(ClientRect());
  }
  UpdateHorzScrollBar();
  canvas_.Unbind();
}

void TCustomGridView::PaintSlides(const TRect& r) {
  // The slide layout is not drawn by this grid: its area shows the grid colour.
  canvas_.SetBrushColor(Color());
  canvas_.FillRect(r);
}

void TCustomGridView::PaintContents() {
  PaintHeader();
  const TGridOptions o = Options();
  if (o.Contains(goInput) || o.Contains(goFooter)) {
    // Input row and footer: one part cell per visible column.
    for (int i = 0; i < Columns().Count(); ++i) {
      TCustomColumn* c = Columns().ByPosition(i);
      if (!c->Visible()) continue;
      TColumnPartDisplay& d = HeaderDisplay();
      d.Column = c;
      d.BiDiMode = layoutDirection() == Qt::RightToLeft ? 1 : 0;
      SetCanvasFont(Font());
      canvas_.SetFontColor(Font().Color);
      if (o.Contains(goInput)) {
        d.Rect = GetCellRect(c->Index(), 0, gpInput);
        d.DrawPart(TColumnPartDisplay::kInputPart);
      }
      if (o.Contains(goFooter)) {
        const TRect f = GetFooterRect();
        d.Rect = TRect{c->Left() - HorzOffset(), f.Top, c->Left() - HorzOffset() + c->Width(), f.Bottom};
        d.DrawPart(TColumnPartDisplay::kFooterPart);
      }
    }
  }
  if (o.Contains(goIndicator)) {
    const TRect ind = GetIndicatorRect();
    canvas_.SetBrushColor(clBtnFace);
    canvas_.FillRect(ind);
    TRect frame = ind;
    canvas_.Frame3D(frame, clBtnHighlight, clBtnShadow, 1);
  }
  PaintRows();
}

void TCustomGridView::PaintHeader() {
  if (!Options().Contains(goHeader)) return;
  const int cw = ClientWidth();
  TColumnPartDisplay& d = HeaderDisplay();
  int x = GetDataRect().Left - HorzOffset();
  const TColumns& columns = Columns();
  for (int i = 0; i < columns.Count(); ++i) {
    if (x >= cw) break;
    TCustomColumn* c = columns.ByPosition(i);
    if (!c->Visible()) continue;
    x += c->Width();
    if (x + c->Width() < 0) continue;
    d.BiDiMode = layoutDirection() == Qt::RightToLeft ? 1 : 0;
    d.Column = c;
    d.GridFocused = GridFocused();
    SetCanvasFont(Font());
    canvas_.SetFontColor(Font().Color);
    const int left = c->Left() - HorzOffset();
    d.Rect = TRect{left, 0, left + c->Width(), HeaderSize()};
    d.DrawPart(TColumnPartDisplay::kHeaderPart);
  }
}

void TCustomGridView::PaintRows() {
  const TRect data = GetDataRect();
  TRect clip = data;
  if (Options().Contains(goIndicator)) clip.Left = 0;
  canvas_.SetClipRect(clip);
  const int cw = ClientWidth();
  const int pitch = RowSize() + GridLineWidth();
  const int rows = RowCount();
  const TColumns& columns = Columns();
  int y = data.Top;
  int row = TopRow();
  for (;;) {
    for (int i = 0; i < columns.Count(); ++i) {
      TCustomColumn* c = columns.ByPosition(i);
      if (!c->Visible()) continue;
      const int left = c->Left() - HorzOffset();
      if (left > cw || left + c->Width() < 0) continue;
      if (row <= rows - 1)
        DrawCell(c->Index(), row);
      else
        DrawEmptyCell(c, row);
    }
    y += pitch;
    ++row;
    if (data.Bottom < y) break;
  }
  canvas_.SetClipRect(ClientRect());
}

void TCustomGridView::DrawGridLines(const TRect& r, int ARow, bool lastColumn, TColor gridColor) {
  const bool framed = GridLinesStyle() == lsFramed;
  canvas_.SetPenColor(framed && ARow == RowCount() - 1 ? clBlack : gridColor);
  canvas_.Polyline({QPoint(r.Left, r.Bottom), QPoint(r.Right, r.Bottom)});
  if (GridLinesStyle() == lsHorizontalOnly) return;
  canvas_.SetPenColor(framed && lastColumn && ARow < RowCount() ? clBlack : gridColor);
  canvas_.Polyline({QPoint(r.Right, r.Top), QPoint(r.Right, r.Bottom + 1)});
}

void TCustomGridView::DrawEmptyCell(TCustomColumn* column, int ARow) {
  const int index = column->Index();
  const TRect r = GetCellRect(index, ARow);
  TColor cellColor = Color();
  TColor gridColor = clBtnFace;
  const int glw = GridLineWidth();
  canvas_.SetClipRect(TRect{r.Left, r.Top, r.Right + glw, std::min(r.Bottom + glw, GetDataRect().Bottom)});
  if (OnCellColoring) OnCellColoring(this, index, ARow, cellColor, gridColor, TCellState{});
  canvas_.SetBrushColor(cellColor);
  if (Options().Contains(goGrid)) DrawGridLines(r, ARow, IsLastVisible(column), gridColor);
  canvas_.FillRect(r);
  canvas_.SetClipRect(ClientRect());
}

void TCustomGridView::DrawCell(int ACol, int ARow) {
  TCustomColumn* column = Columns().Items(ACol);
  if (!column->Visible()) return;
  TCellState state;
  TColor gridColor = clBtnFace;
  bool defaultDrawing = true;

  TRect r = GetCellRect(ACol, ARow);
  // Cells outside the invalid region cost nothing more.
  const TRect box = canvas_.ClipBox();
  if (r.Right < box.Left || r.Left > box.Right || r.Bottom < box.Top || r.Top > box.Bottom) return;

  SetCanvasFont(column->Font());
  TColor cellColor = GetCellBackground(ACol, ARow);
  TColumnDisplay& display = DisplayFor(column);
  const bool selected = IsCellSelected(ACol, ARow);
  display.Selected = selected;
  if (selected) state.Include(csSelected);
  const TGridOptions o = Options();
  if (GridFocused() && !o.Contains(goHideFocus)) state.Include(csFocused);
  if (OnCellColoring) OnCellColoring(this, ACol, ARow, cellColor, gridColor, state);
  if (o.Contains(goIndicateSortedColumn) && column->Sorted() && !selected) cellColor = kSortedColumnTint;

  const int glw = GridLineWidth();
  canvas_.SetClipRect(TRect{r.Left, r.Top, r.Right + glw, std::min(r.Bottom + glw, GetDataRect().Bottom)});
  if (o.Contains(goGrid)) DrawGridLines(r, ARow, IsLastVisible(column), gridColor);
  if (OnDrawCellBackground) OnDrawCellBackground(this, ACol, ARow, r, state, defaultDrawing);

  display.Canvas = &canvas_;
  display.BiDiMode = layoutDirection() == Qt::RightToLeft ? 1 : 0;
  display.CellRect = GetCellRect(ACol, ARow);
  r = display.CellRect;
  if (defaultDrawing) {
    canvas_.SetBrushColor(cellColor);
    if (HasState(gfEditing) && ACol == EditCol && ARow == EditRow)
      canvas_.FrameRect(r);
    else
      canvas_.FillRect(r);
  }
  display.CurrentCell = ACol == CurrentCol && ARow == CurrentRow;
  const TDrawingOptions drawing = column->DrawingOptions();
  if ((drawing == doNormal || drawing == doCustom) && PrepareCell(ACol, ARow)) display.DrawContent();
  if (drawing != doNormal && OnCustomDrawCell) OnCustomDrawCell(this, ACol, ARow, r, state);
  if (!o.Contains(goSelectFullRow)) PaintFocusRect();
  canvas_.SetClipRect(ClientRect());
}

bool TCustomGridView::PrepareCell(int ACol, int ARow) {
  const TCustomColumn* column = Columns().Items(ACol);
  SetCanvasFont(column->Font());
  canvas_.SetFontColor(GetCellTextColor(ACol, ARow));
  if (Options().Contains(goBoldTextSelection) && IsCellSelected(ACol, ARow)) {
    QFont bold = canvas_.Font();
    bold.setBold(true);
    canvas_.SetFont(bold);
    canvasFontSet_ = false;
  }
  return false;
}

bool TGridView::PrepareCell(int ACol, int ARow) {
  TCustomGridView::PrepareCell(ACol, ARow);
  TCustomColumn* column = Columns().Items(ACol);
  TColumnDisplay& display = DisplayFor(column);
  switch (column->ValueKind()) {
    case TValueKind::RowNumber:
      display.IntegerValue = ARow;
      display.TextValue = QString::number(ARow);
      break;
    case TValueKind::Boolean: display.BooleanValue = Cell(ACol, ARow)->AsBoolean(); break;
    case TValueKind::DateTime: display.DateTimeValue = Cell(ACol, ARow)->AsDateTime(); break;
    case TValueKind::Floating: display.FloatValue = Cell(ACol, ARow)->AsFloat(); break;
    case TValueKind::Integer: display.IntegerValue = Cell(ACol, ARow)->AsInteger(); break;
    case TValueKind::Text: display.TextValue = Cell(ACol, ARow)->AsString(); break;
    case TValueKind::Picture: return false;
  }
  if (!Cell(ACol, ARow)->Hint().isEmpty()) display.DrawHintMarker();
  return true;
}

void TCustomGridView::PaintFocusRect() {
  if (CurrentCol < 0 || CurrentRow < 0 || CurrentCol >= Columns().Count() || CurrentRow >= RowCount()) return;
  // A hidden column has no place on screen (its Left is stale).
  if (!Columns().Items(CurrentCol)->Visible()) return;
  const TRect r = GetCellRect(CurrentCol, CurrentRow);
  if (HasState(gfInputEditing) || RowCount() < 1 || !GridFocused()) return;
  const TRect data = GetDataRect();
  const bool overlaps = r.Left <= data.Right && r.Right >= data.Left && r.Top <= data.Bottom && r.Bottom >= data.Top;
  if (!overlaps || Options().Contains(goHideFocus)) return;
  // Drawn under each cell's clip: only the current cell's own pass shows it.
  if (!canvas_.MayDraw(r)) return;
  if (Options().Contains(goAlphaBlendedSelection)) {
    canvas_.SetBrushColor(clHighlight);
    canvas_.FrameRect(r);
  } else {
    canvas_.DrawFocusRect(r);
  }
}

// --- Scroll messages and the border --------------------------------------------------

void TCustomGridView::ScrollMessage(TScrollBarKind kind, TScrollCode code) {
  // The focus rectangle moves with the pixels and is redrawn with any
  // uncovered part of its cell, so only an open editor needs closing.
  if (HasState(gfEditing)) CloseEditor();
  TScrollView::ScrollMessage(kind, code);
}

TFrameEdge TCustomGridView::WantedFrameEdge() const {
  if (BorderStyle() == bsNone) return TFrameEdge::None;
  if (HeaderStyle() == hsAuto && ThemesActive(this)) return TFrameEdge::Themed;
  return TFrameEdge::Static;
}

void TCustomGridView::BorderStyleChanged() { SetFrameEdge(WantedFrameEdge()); }

void TCustomGridView::PaintFrame(QPainter& painter) {
  if (FrameEdge() == TFrameEdge::Themed) DrawThemedBorder(&painter, this);
}

}  // namespace grid
