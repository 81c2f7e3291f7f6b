// Geometry of the report layout: the rectangles of every area, the scroll
// ranges, the size handler with column auto-sizing, invalidation of the
// smallest rectangles, and the hit tests.
#include <QResizeEvent>
#include <cmath>

#include "grid/gridview.h"

namespace grid {

int TCustomGridView::TotalWidth() const { return Columns().VisibleWidth(); }
int TCustomGridView::ClientWidth() const { return viewport()->width(); }
int TCustomGridView::ClientHeight() const { return viewport()->height(); }

// --- Rectangles ----------------------------------------------------------------

TRect TCustomGridView::GetHeaderRect() const {
  return TRect{IndicatorWidth(), 0, TotalWidth() + IndicatorWidth() - HorzOffset(), HeaderSize()};
}

TRect TCustomGridView::GetInputRect() const {
  const int top = Options().Contains(goHeader) ? HeaderSize() : 0;
  const int bottom = top + InputSize() + 6 + (Options().Contains(goGrid) ? 1 : 0);
  return TRect{IndicatorWidth(), top, TotalWidth() + IndicatorWidth() - HorzOffset(), bottom};
}

TRect TCustomGridView::GetDataRect() const {
  int top = Options().Contains(goHeader) ? HeaderSize() : 0;
  if (Options().Contains(goInput)) top += InputSize() + 6 + GridLineWidth();
  const int right = std::min(TotalWidth() + IndicatorWidth() - HorzOffset(), ClientWidth());
  int bottom = ClientHeight();
  if (Options().Contains(goFooter)) bottom -= HeaderSize() + 4 + GridLineWidth();
  return TRect{IndicatorWidth(), top, right, bottom};
}

TRect TCustomGridView::GetFooterRect() const {
  return TRect{IndicatorWidth(), ClientHeight() - HeaderSize() - 4 - GridLineWidth(),
               TotalWidth() + IndicatorWidth() - HorzOffset(), ClientHeight()};
}

TRect TCustomGridView::GetIndicatorRect() const { return TRect{0, 0, kIndicatorWidth, ClientHeight()}; }

TRect TCustomGridView::GetPartRect(TGridPart Part) const {
  switch (Part) {
    case gpData: return GetDataRect();
    case gpFooter: return GetFooterRect();
    case gpHeader: return GetHeaderRect();
    case gpIndicator: return GetIndicatorRect();
    case gpInput: return GetInputRect();
    case gpNone: break;
  }
  return TRect{};
}

TRect TCustomGridView::GetCellRect(int ACol, int ARow, TGridPart Part) const {
  if (ACol < 0 || ACol >= Columns().Count()) return TRect{};
  const TCustomColumn* column = Columns().Items(ACol);
  TRect r;
  r.Left = column->Left() - HorzOffset();
  if (Part == gpInput) {
    r.Top = GetInputRect().Top;
  } else {
    r.Top = (RowSize() + GridLineWidth()) * (ARow - TopRow()) + GetDataRect().Top;
  }
  // A column's width includes its vertical grid line.
  const bool verticalLine = Options().Contains(goGrid) && GridLinesStyle() != lsHorizontalOnly;
  r.Right = r.Left + column->Width() - (verticalLine ? 1 : 0);
  r.Bottom = r.Top + (Part == gpInput ? InputSize() : RowSize());
  return r;
}

TRect TCustomGridView::GetRowRect(int ARow) const {
  const TRect data = GetDataRect();
  const int top = (RowSize() + GridLineWidth()) * (ARow - TopRow()) + data.Top;
  return TRect{0, top, data.Right, top + RowSize() + GridLineWidth()};
}

// --- Scroll ranges ---------------------------------------------------------------

int TCustomGridView::VisibleRowCount() const {
  const TRect data = GetDataRect();
  return (data.Bottom - data.Top) / (RowSize() + GridLineWidth());
}

int TCustomGridView::MaxTopRow() const { return std::max(RowCount() - VisibleRowCount(), 0); }

int TCustomGridView::HorzOverflow() const { return std::max(TotalWidth() + IndicatorWidth() - ClientWidth(), 0); }

void TCustomGridView::UpdateVertScrollBar() {
  const int maxTop = MaxTopRow();
  VertScrollBar()->SetParams(-1, 0, !HideScrollBar() || maxTop > 0, maxTop > 0, 1, maxTop);
}

void TCustomGridView::UpdateHorzScrollBar() {
  // Each width set while auto-sizing would ask; the range is set once after.
  if (autoSizing_) return;
  TControlScrollBar* bar = HorzScrollBar();
  bar->SetMax(HorzOverflow());
  bar->SetPageSize(5);
  bar->SetVisible(bar->Max() > 0);
  // 5 % of the client width, halves to the even neighbour.
  bar->SetPageStep(int(std::nearbyint(ClientWidth() * 0.05)));
}

void TCustomGridView::UpdateScrollRangeAfterAdd() {
  const bool wasVisible = VertScrollBar()->BarVisible();
  const int maxTop = MaxTopRow();
  VertScrollBar()->SetParams(-1, 0, maxTop > 0, maxTop > 0, 1, maxTop);
  if (VertScrollBar()->BarVisible() != wasVisible) AutoSizeColumns();
}

void TCustomGridView::AutoSizeColumns() {
  if (autoSizing_) return;
  autoSizing_ = true;
  try {
    Columns().AutoSizeColumns(ClientWidth(), GetDataRect().Left);
  } catch (...) {
    autoSizing_ = false;
    throw;
  }
  autoSizing_ = false;
  UpdateHorzScrollBar();
}

void TCustomGridView::RowSizeChanged() { SetVertScrollUnit(RowSize()); }

void TCustomGridView::WindowCreated() {
  // Sideways by pixels, vertically by rows.
  HorzScrollBar()->SetPageStep(10);
  HorzScrollBar()->SetLineStep(5);
  VertScrollBar()->SetPageStep(10);
  SetVertScrollUnit(RowSize());
}

void TCustomGridView::MakeRowVisible(int ARow) {
  if (ARow < TopRow() || ARow >= TopRow() + VisibleRowCount()) VertScrollBar()->SetScrollPos(ARow);
}

// --- Size handler ----------------------------------------------------------------

void TCustomGridView::resizeEvent(QResizeEvent*) {
  // Both the window and its client area report sizes here; only a change of
  // the client size seen last does anything.
  const int width = ClientWidth();
  const int height = ClientHeight();
  if (height != LastClientHeight) {
    if (Options().Contains(goFooter)) {
      // The footer band's old and new places.
      const int band = HeaderSize() + 4 + GridLineWidth();
      viewport()->update(QRect(0, LastClientHeight - band, width, band));
      viewport()->update(QRect(0, height - band, width, band));
    }
    LastClientHeight = height;
    if (TopRow() > 0) {
      if (Options().Contains(goIndicator)) InvalidatePart(gpIndicator);
      InvalidatePart(gpData);
    }
  }
  UpdateVertScrollBar();
  if (width != LastClientWidth) {
    // Recorded first: a size change nested in the auto-sizing (a bar shown
    // or hidden) must not size the columns again halfway.
    const int oldWidth = LastClientWidth;
    LastClientWidth = width;
    AutoSizeColumns();
    if (HorzOffset() <= 0)
      viewport()->update(QRect(oldWidth, 0, width - oldWidth, height));
    else
      viewport()->update();
  }
  if (HasState(gfEditing)) CloseEditor();
  UpdateHorzScrollBar();
}

// --- Invalidation ----------------------------------------------------------------

void TCustomGridView::InvalidateGrid() { viewport()->update(); }

void TCustomGridView::InvalidateRow(int ARow) { viewport()->update(GetRowRect(ARow).ToQRect()); }

void TCustomGridView::InvalidateCell(int ACol, int ARow) {
  if (ACol < 0 || ACol >= Columns().Count()) return;
  TRect r = GetCellRect(ACol, ARow);
  r.Right += GridLineWidth();
  r.Bottom += GridLineWidth();
  viewport()->update(r.ToQRect());
}

void TCustomGridView::InvalidatePart(TGridPart Part) {
  bool shown = false;
  switch (Part) {
    case gpData: shown = true; break;
    case gpFooter: shown = Options().Contains(goFooter); break;
    case gpHeader: shown = Options().Contains(goHeader); break;
    case gpIndicator: shown = Options().Contains(goIndicator); break;
    case gpInput: shown = Options().Contains(goInput); break;
    case gpNone: break;
  }
  if (shown) viewport()->update(GetPartRect(Part).ToQRect());
}

void TCustomGridView::InvalidateColumnPart(TCustomColumn* Column, TGridPart Part) {
  if (!Column) return;
  TRect r = GetPartRect(Part);
  r.Left = Column->Left() - HorzOffset();
  r.Right = r.Left + Column->Width();
  viewport()->update(r.ToQRect());
}

void TCustomGridView::InvalidateCaption() {
  TRect r = GetDataRect();
  r.Right = ClientWidth();
  viewport()->update(r.ToQRect());
}

// --- Hit tests -------------------------------------------------------------------

TCustomColumn* TCustomGridView::ColumnAt(int X) const {
  const TColumns& columns = Columns();
  for (int i = 0; i < columns.Count(); ++i) {
    TCustomColumn* c = columns.ByPosition(i);
    if (!c->Visible()) continue;
    const int left = c->Left() - HorzOffset();
    // Both ends included: a boundary x belongs to the column on its left.
    if (left <= X && X <= left + c->Width()) return c;
  }
  return nullptr;
}

int TCustomGridView::RowAt(int Y) const {
  // Truncating division: points just above the data area give TopRow.
  return (Y - GetDataRect().Top) / (RowSize() + GridLineWidth()) + TopRow();
}

QPoint TCustomGridView::CellAt(int X, int Y) const {
  const TCustomColumn* c = ColumnAt(X);
  return QPoint(c ? c->Index() : -1, RowAt(Y));
}

TGridPart TCustomGridView::PartAt(int X, int Y) const {
  // Each part less its last pixel column and row.
  auto in = [X, Y](TRect r) {
    r.Right -= 1;
    r.Bottom -= 1;
    return r.Contains(X, Y);
  };
  const TGridOptions o = Options();
  if (o.Contains(goHeader) && in(GetHeaderRect())) return gpHeader;
  if (o.Contains(goInput) && in(GetInputRect())) return gpInput;
  if (in(GetDataRect())) return gpData;
  if (o.Contains(goFooter) && in(GetFooterRect())) return gpFooter;
  if (o.Contains(goIndicator) && in(GetIndicatorRect())) return gpIndicator;
  return gpNone;
}

TCustomColumn* TCustomGridView::SizingBorderAt(int X, int Y) const {
  if (!Options().Contains(goHeader)) return nullptr;
  const TColumns& columns = Columns();
  for (int i = 0; i < columns.Count(); ++i) {
    TCustomColumn* c = columns.ByPosition(i);
    if (!c->Visible() || c->Options().Contains(coFixedSize)) continue;
    if (Y < HeaderSize() && std::abs(X - (c->Left() + c->Width() - HorzOffset())) <= 2) return c;
  }
  return nullptr;
}

}  // namespace grid
