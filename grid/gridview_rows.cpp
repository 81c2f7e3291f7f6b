// TGridView: the row and cell operations over the in-memory store.
#include "grid/gridaccessible.h"
#include "grid/gridview.h"
#include "platform/errors.h"

namespace grid {

namespace {

platform::Exception RowOutOfBounds(int row) {
  return platform::Exception(QStringLiteral("Row out of bounds (%1)").arg(row));
}

platform::Exception CellOutOfBounds(int col, int row) {
  return platform::Exception(QStringLiteral("Cell out of bounds (%1, %2)").arg(col).arg(row));
}

}  // namespace

TGridView::TGridView(QWidget* parent) : TCustomGridView(parent), cells_(std::make_unique<TCells>(&Columns(), this)) {
  cells_->OnCellsChange = [this](TCells*, int col, int row) { CellsChanged(col, row); };
  Columns().OnStoreStructure = [this](TColumns*, TStructureAction action, int i1, int i2) {
    StoreStructure(action, i1, i2);
  };
}

TGridView::~TGridView() {
  Columns().OnStoreStructure = nullptr;
  cells_.reset();
}

bool TGridView::CellInRange(int col, int row) const {
  return RowInRange(row) && col >= 0 && col < Columns().Count() && col < cells_->ColumnCount();
}

void TGridView::CellsChanged(int col, int row) {
  AccessibleCellChanged(this, col, row);  // inside an update bracket too: readers still hear it
  if (HasState(gfUpdating)) return;
  InvalidateCell(col, row);
  if (OnChange) OnChange(this, col, row);
}

void TGridView::StoreStructure(TStructureAction action, int index1, int index2) {
  if (action == TStructureAction::Delete || action == TStructureAction::Clear) CloseEditor();
  switch (action) {
    case TStructureAction::Add: cells_->AddColumn(); break;
    case TStructureAction::Delete: cells_->DeleteColumn(index1); break;
    case TStructureAction::Clear: cells_->ClearColumns(); break;
    case TStructureAction::Insert: cells_->InsertColumn(index1); break;
    case TStructureAction::Move: cells_->MoveColumn(index1, index2); break;
  }
  // The last column list takes the rows with it; their marks go too.
  if (cells_->RowCount() == 0) RowMarks.clear();
}

void TGridView::GetCellText(int ACol, int ARow, QString& Value) {
  if (!CellInRange(ACol, ARow)) return ErrorAbsorbed(CellOutOfBounds(ACol, ARow));
  Value = cells_->GetCell(ACol, ARow)->AsString();
}

void TGridView::SetCellText(int ACol, int ARow, const QString& Value) {
  if (!CellInRange(ACol, ARow)) return ErrorAbsorbed(CellOutOfBounds(ACol, ARow));
  if (cells_->GetCell(ACol, ARow)->AsString() != Value) cells_->GetCell(ACol, ARow)->SetAsString(Value);
}

TColor TGridView::GetCellColor(int ACol, int ARow) { return cells_->GetCell(ACol, ARow)->Color(); }

void TGridView::SortColumn(TCustomColumn* Column, bool Ascending) {
  if (Column && Column->Options().Contains(coCanSort)) {
    cells_->Sort(Column->Index(), Column->SortType(), !Ascending);
    AccessibleRowsReset(this);
    if (RowCount() > 0) InvalidatePart(gpData);
  }
  CloseEditor();
}

void TGridView::AddRow(int Count) {
  cells_->AddRows(Count);
  if (Count > 0) {
    for (int i = 0; i < Count; ++i) RowMarks.append(false);
    const int first = RowCount() - Count;
    AccessibleRowsInserted(this, first, RowCount() - 1);
    if (!HasState(gfUpdating))
      for (int r = first; r < RowCount(); ++r) InvalidateRow(r);
    if (Options().Contains(goUseDefaultValues)) {
      for (int r = first; r < RowCount(); ++r)
        for (int c = 0; c < Columns().Count(); ++c) {
          const QString& value = Columns().Items(c)->DefaultValue();
          if (!value.isEmpty()) Cell(c, r)->SetAsString(value);
        }
    }
    // The row above loses its place as last row: redraw its bottom line.
    if (Options().Contains(goGrid) && first > 0) InvalidateRow(first - 1);
  }
  UpdateScrollRangeAfterAdd();
}

void TGridView::DeleteRow(int ARow) {
  if (!RowInRange(ARow)) return ErrorAbsorbed(RowOutOfBounds(ARow));
  if (ARow == EditRow && HasState(gfEditing)) CloseEditor();
  cells_->DeleteRow(ARow);
  if (ARow < RowMarks.size()) RowMarks.removeAt(ARow);
  AccessibleRowsRemoved(this, ARow, ARow);
  InvalidateGrid();
  if (ARow == CurrentRow)
    CloseEditor();
  else
    UpdateEditor();
}

void TGridView::ClearRows() {
  RowMarks.clear();
  cells_->ClearRows();
  AccessibleRowsReset(this);
  CloseEditor();
  EditCol = -1;
  EditRow = -1;
  InputCol = -1;
  InvalidateGrid();
}

void TGridView::InsertRow(int ARow) {
  if (!RowInRange(ARow)) return ErrorAbsorbed(RowOutOfBounds(ARow));
  cells_->InsertRow(ARow);
  RowMarks.insert(std::min<qsizetype>(ARow, RowMarks.size()), false);
  AccessibleRowsInserted(this, ARow, ARow);
  FocusCell(CurrentCol, CurrentRow + 1);
  InvalidateGrid();
  UpdateEditor();
}

void TGridView::MoveRow(int FromRow, int ToRow) {
  if (!RowInRange(FromRow)) return ErrorAbsorbed(RowOutOfBounds(FromRow));
  if (!RowInRange(ToRow)) return ErrorAbsorbed(RowOutOfBounds(ToRow));
  cells_->MoveRow(FromRow, ToRow);
  if (FromRow < RowMarks.size() && ToRow < RowMarks.size()) RowMarks.move(FromRow, ToRow);
  AccessibleRowsReset(this);
  InvalidateGrid();
  CloseEditor();
}

void TGridView::AppendRows(int Count) {
  cells_->AddRows(Count);
  for (int i = 0; i < Count; ++i) RowMarks.append(false);
  if (Count > 0) AccessibleRowsInserted(this, RowCount() - Count, RowCount() - 1);
  InvalidateGrid();
  UpdateEditor();
}

}  // namespace grid
