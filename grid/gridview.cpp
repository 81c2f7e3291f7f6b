#include "grid/gridview.h"

#include "grid/gridaccessible.h"

#include "platform/errors.h"

namespace grid {

TCustomGridView::TCustomGridView(QWidget* parent) : TScrollView(parent), columns_(std::make_unique<TColumns>(this)) {
  columns_->OnColumnChange = [this](TColumns*, TCustomColumn* column, TColumnChange kind) {
    ColumnChanged(column, kind);
  };
  columns_->OnViewStructure = [this](TColumns*, TStructureAction action, int, int) { ViewStructure(action); };
  InstallGridAccessibility();
  resize(250, 150);
  SetTabStop(true);
  SetVertScrollUnit(rowSize_);
}

TCustomGridView::~TCustomGridView() {
  // The collection goes first, without telling a half-destroyed grid.
  columns_->OnColumnChange = nullptr;
  columns_->OnViewStructure = nullptr;
  columns_->OnStoreStructure = nullptr;
  columns_.reset();
}

// --- Settings ------------------------------------------------------------------

void TCustomGridView::SetBorderStyle(TBorderStyle v) {
  borderStyle_ = v;
  BorderStyleChanged();
}

void TCustomGridView::SetCaption(const QString& v) {
  caption_ = v;
  InvalidateCaption();
}

void TCustomGridView::SetGridStyle(TGridStyle v) {
  if (v == gsSlides) CloseEditor();
  gridStyle_ = v;
  InvalidateGrid();
  UpdateHorzScrollBar();
  UpdateVertScrollBar();
}

void TCustomGridView::SetGridLinesStyle(TGridLinesStyle v) {
  gridLinesStyle_ = v;
  InvalidateGrid();
}

void TCustomGridView::SetHeaderSize(int v) {
  headerSize_ = v;
  InvalidateGrid();
  UpdateEditor();
}

void TCustomGridView::SetHeaderStyle(THeaderStyle v) {
  headerStyle_ = v;
  InvalidateGrid();
}

void TCustomGridView::SetInputSize(int v) {
  inputSize_ = v;
  InvalidateGrid();
}

void TCustomGridView::SetOptions(TGridOptions v) {
  const TGridOptions changed = options_ ^ v;
  options_ = v;
  if (changed.Contains(goIndicator)) columns_->Relayout(false);
  InvalidateGrid();
  UpdateEditor();
  UpdateHorzScrollBar();
}

void TCustomGridView::SetRowSize(int v) {
  if (v <= 0) return;
  rowSize_ = v;
  RowSizeChanged();
  InvalidatePart(gpData);
  if (options_.Contains(goInput)) InvalidatePart(gpInput);
  if (options_.Contains(goIndicator)) InvalidatePart(gpIndicator);
  UpdateEditor();
}

void TCustomGridView::SetSlideSize(int v) {
  slideSize_ = v;
  if (gridStyle_ == gsSlides) InvalidateGrid();
}

void TCustomGridView::SetColor(TColor v) {
  color_ = v;
  parentColor_ = false;
  InvalidateGrid();
}

void TCustomGridView::SetFont(const TFont& v) {
  font_ = v;
  setFont(v.ToQFont());
  InvalidateGrid();
}

bool TCustomGridView::TabStop() const { return focusPolicy() != Qt::NoFocus; }

void TCustomGridView::SetTabStop(bool v) { setFocusPolicy(v ? Qt::StrongFocus : Qt::NoFocus); }

// --- Rows (base) -------------------------------------------------------------

void TCustomGridView::ClearRows() {
  const int oldCol = CurrentCol;
  const int oldRow = CurrentRow;
  CurrentCol = 0;
  CurrentRow = 0;
  if (oldCol > 0 && oldRow > 0) InvalidateCell(oldCol, oldRow);
}

// --- Reading a layout ----------------------------------------------------------

void TCustomGridView::BeginReading() { columns_->SetReading(true); }

void TCustomGridView::EndReading() { columns_->SetReading(false); }

// --- Reactions to the column model ---------------------------------------------

void TCustomGridView::ColumnChanged(TCustomColumn* column, TColumnChange kind) {
  if (Reading()) return;  // the window is not shown while its layout is read
  switch (kind) {
    case TColumnChange::Appearance: InvalidateGrid(); break;
    case TColumnChange::InputText: InvalidateColumnPart(column, gpInput); break;
    case TColumnChange::Position:
    case TColumnChange::Visibility:
      InvalidateGrid();
      UpdateEditor();
      break;
    case TColumnChange::Sort:
      InvalidateGrid();
      UpdateEditor();
      if (column->Sorted()) {
        const bool ascending = column->SortKind() == skAscending;
        SortColumn(column, ascending);
        if (OnSortColumn) OnSortColumn(this, column->Index(), ascending);
      }
      break;
    case TColumnChange::Width:
      InvalidateGrid();
      UpdateEditor();
      UpdateHorzScrollBar();
      break;
  }
}

void TCustomGridView::ViewStructure(TStructureAction action) {
  if (action == TStructureAction::Clear || action == TStructureAction::Delete) ForgetColumns();
  if (action != TStructureAction::Clear) UpdateEditor();
  InvalidateGrid();
}

void TCustomGridView::ErrorAbsorbed(const platform::Exception&) {}

// The call list opens no cell editor: closing one only ends the editing
// state, and there is none to move.
void TCustomGridView::CloseEditor() { ExcludeState(gfEditing); }
void TCustomGridView::UpdateEditor() {}

}  // namespace grid
