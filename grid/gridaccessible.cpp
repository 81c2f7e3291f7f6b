#include "grid/gridaccessible.h"

#include <QWidget>
#include <QWindow>

#include "grid/gridview.h"

namespace grid {

namespace {

quint64 CellKey(int ACol, int ARow) { return (quint64(quint32(ARow)) << 32) | quint32(ACol); }

QAccessibleInterface* GridFactory(const QString&, QObject* object) {
  if (auto* grid = qobject_cast<TCustomGridView*>(object)) return new TGridAccessible(grid);
  return nullptr;
}

TGridAccessible* TableOf(TCustomGridView* grid) {
  return dynamic_cast<TGridAccessible*>(QAccessible::queryAccessibleInterface(grid));
}

void SendModelChange(TCustomGridView* grid, QAccessibleTableModelChangeEvent::ModelChangeType type, int first,
                     int last) {
  TGridAccessible* table = QAccessible::isActive() && grid ? TableOf(grid) : nullptr;
  if (!table) return;
  QAccessibleTableModelChangeEvent event(grid, type);
  event.setFirstRow(first);
  event.setLastRow(last);
  event.setFirstColumn(0);
  event.setLastColumn(table->columnCount() - 1);
  QAccessible::updateAccessibility(&event);
}

}  // namespace

void InstallGridAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(GridFactory);
    return true;
  }();
  (void)installed;
}

void AccessibleRowsInserted(TCustomGridView* grid, int first, int last) {
  SendModelChange(grid, QAccessibleTableModelChangeEvent::RowsInserted, first, last);
}

void AccessibleRowsRemoved(TCustomGridView* grid, int first, int last) {
  SendModelChange(grid, QAccessibleTableModelChangeEvent::RowsRemoved, first, last);
}

void AccessibleRowsReset(TCustomGridView* grid) {
  SendModelChange(grid, QAccessibleTableModelChangeEvent::ModelReset, 0, grid ? grid->RowCount() - 1 : -1);
}

void AccessibleCellChanged(TCustomGridView* grid, int ACol, int ARow) {
  TGridAccessible* table = QAccessible::isActive() && grid ? TableOf(grid) : nullptr;
  QAccessibleInterface* cell = table ? table->CellInterface(ACol, ARow) : nullptr;
  if (!cell) return;  // a hidden column: nothing is read out
  QAccessibleTableModelChangeEvent change(grid, QAccessibleTableModelChangeEvent::DataChanged);
  const int column = static_cast<TGridCellAccessible*>(cell)->columnIndex();
  change.setFirstRow(ARow);
  change.setLastRow(ARow);
  change.setFirstColumn(column);
  change.setLastColumn(column);
  QAccessible::updateAccessibility(&change);
  // The cell's text is its name: readers announce a name change.
  QAccessibleEvent named(cell, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&named);
}

void AccessibleCurrentCellChanged(TCustomGridView* grid) {
  TGridAccessible* table = QAccessible::isActive() && grid ? TableOf(grid) : nullptr;
  QAccessibleInterface* cell = table ? table->focusChild() : nullptr;
  if (!cell) return;
  QAccessibleEvent focus(cell, QAccessible::Focus);
  QAccessible::updateAccessibility(&focus);
}

// --- The table ---------------------------------------------------------------------

TGridAccessible::TGridAccessible(TCustomGridView* grid) : QAccessibleWidget(grid, QAccessible::Table) {}

TGridAccessible::~TGridAccessible() { DropCells(); }

TCustomGridView* TGridAccessible::Grid() const { return static_cast<TCustomGridView*>(widget()); }

void* TGridAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
  return QAccessibleWidget::interface_cast(t);
}

QList<TCustomColumn*> TGridAccessible::DisplayColumns() const {
  QList<TCustomColumn*> shown;
  const TColumns& columns = Grid()->Columns();
  for (int i = 0; i < columns.Count(); ++i) {
    TCustomColumn* column = columns.ByPosition(i);
    if (column->Visible()) shown.append(column);
  }
  return shown;
}

bool TGridAccessible::HasHeaderRow() const { return Grid()->Options().Contains(goHeader); }

int TGridAccessible::columnCount() const { return static_cast<int>(DisplayColumns().size()); }

int TGridAccessible::rowCount() const { return Grid()->RowCount(); }

QString TGridAccessible::columnDescription(int column) const {
  const QList<TCustomColumn*> shown = DisplayColumns();
  if (column < 0 || column >= shown.size()) return QString();
  return shown[column]->Header().Caption();
}

int TGridAccessible::childCount() const { return columnCount() * (rowCount() + (HasHeaderRow() ? 1 : 0)); }

QAccessibleInterface* TGridAccessible::CellInterface(int ACol, int ARow) const {
  TCustomGridView* grid = Grid();
  if (ACol < 0 || ACol >= grid->Columns().Count() || !grid->Columns().Items(ACol)->Visible()) return nullptr;
  if (ARow < -1 || ARow >= grid->RowCount()) return nullptr;
  const quint64 key = CellKey(ACol, ARow);
  if (auto it = cells_.constFind(key); it != cells_.constEnd()) return QAccessible::accessibleInterface(*it);
  auto* cell = new TGridCellAccessible(grid, ACol, ARow);
  cells_.insert(key, QAccessible::registerAccessibleInterface(cell));
  return cell;
}

QAccessibleInterface* TGridAccessible::cellAt(int row, int column) const {
  const QList<TCustomColumn*> shown = DisplayColumns();
  if (column < 0 || column >= shown.size()) return nullptr;
  return CellInterface(shown[column]->Index(), row);
}

QAccessibleInterface* TGridAccessible::child(int index) const {
  const int columns = columnCount();
  if (index < 0 || columns == 0) return nullptr;
  const int row = index / columns - (HasHeaderRow() ? 1 : 0);
  return cellAt(row, index % columns);
}

int TGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  if (!child || child->parent() != this) return -1;
  const auto* cell = static_cast<const TGridCellAccessible*>(child);
  const int column = cell->columnIndex();
  if (column < 0) return -1;
  return (cell->rowIndex() + (HasHeaderRow() ? 1 : 0)) * columnCount() + column;
}

QAccessibleInterface* TGridAccessible::childAt(int x, int y) const {
  TCustomGridView* grid = Grid();
  const QPoint p = grid->viewport()->mapFromGlobal(QPoint(x, y));
  const TGridPart part = grid->PartAt(p.x(), p.y());
  if (part != gpHeader && part != gpData) return nullptr;
  TCustomColumn* column = grid->ColumnAt(p.x());
  if (!column) return nullptr;
  return CellInterface(column->Index(), part == gpHeader ? -1 : grid->RowAt(p.y()));
}

QAccessibleInterface* TGridAccessible::focusChild() const {
  TCustomGridView* grid = Grid();
  if (!grid->hasFocus()) return nullptr;
  return CellInterface(grid->CurrentCol, grid->CurrentRow);
}

int TGridAccessible::selectedCellCount() const { return static_cast<int>(selectedCells().size()); }

QList<QAccessibleInterface*> TGridAccessible::selectedCells() const {
  TCustomGridView* grid = Grid();
  QList<QAccessibleInterface*> selected;
  for (int r = 0; r < grid->RowCount(); ++r)
    for (TCustomColumn* column : DisplayColumns())
      if (grid->IsCellSelected(column->Index(), r))
        if (QAccessibleInterface* cell = CellInterface(column->Index(), r)) selected.append(cell);
  return selected;
}

void TGridAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
  // Cells are positional: after rows moved, readers must ask again rather
  // than keep objects that now stand for other calls.
  if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) DropCells();
}

void TGridAccessible::DropCells() {
  for (QAccessible::Id id : std::as_const(cells_)) QAccessible::deleteAccessibleInterface(id);
  cells_.clear();
}

// --- One cell ----------------------------------------------------------------------

TGridCellAccessible::TGridCellAccessible(TCustomGridView* grid, int ACol, int ARow)
    : grid_(grid), col_(ACol), row_(ARow) {}

bool TGridCellAccessible::isValid() const {
  return grid_ && col_ < grid_->Columns().Count() && row_ >= -1 && row_ < grid_->RowCount();
}

QWindow* TGridCellAccessible::window() const { return grid_ ? grid_->window()->windowHandle() : nullptr; }

QAccessibleInterface* TGridCellAccessible::parent() const {
  return grid_ ? QAccessible::queryAccessibleInterface(grid_.data()) : nullptr;
}

QString TGridCellAccessible::text(QAccessible::Text t) const {
  if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value)) return QString();
  TCustomColumn* column = grid_->Columns().Items(col_);
  if (row_ < 0) return t == QAccessible::Name ? column->Header().Caption() : QString();
  QString value;
  grid_->GetCellText(col_, row_, value);
  return column->FormatDisplayText(value);
}

QRect TGridCellAccessible::rect() const {
  if (!isValid()) return QRect();
  TRect r;
  if (row_ < 0) {
    const TCustomColumn* column = grid_->Columns().Items(col_);
    r = grid_->GetHeaderRect();
    r.Left = column->Left() - grid_->HorzOffset();
    r.Right = r.Left + column->Width();
  } else {
    r = grid_->GetCellRect(col_, row_);
  }
  const QRect local = r.ToQRect();
  return QRect(grid_->viewport()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role TGridCellAccessible::role() const { return row_ < 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }

QAccessible::State TGridCellAccessible::state() const {
  QAccessible::State s;
  if (!isValid()) {
    s.invalid = true;
    return s;
  }
  s.readOnly = true;
  if (row_ < 0) return s;
  const TRect data = grid_->GetDataRect();
  const TRect cell = grid_->GetCellRect(col_, row_);
  s.invisible = !grid_->isVisible();
  s.offscreen = cell.Bottom <= data.Top || cell.Top >= data.Bottom;
  s.focusable = grid_->focusPolicy() != Qt::NoFocus;
  s.selectable = true;
  s.selected = grid_->IsCellSelected(col_, row_);
  s.focused = grid_->hasFocus() && col_ == grid_->CurrentCol && row_ == grid_->CurrentRow;
  return s;
}

void* TGridCellAccessible::interface_cast(QAccessible::InterfaceType t) {
  if (t == QAccessible::TableCellInterface && row_ >= 0) return static_cast<QAccessibleTableCellInterface*>(this);
  return nullptr;
}

QList<QAccessibleInterface*> TGridCellAccessible::columnHeaderCells() const {
  if (!isValid() || row_ < 0 || !grid_->Options().Contains(goHeader)) return {};
  auto* table = dynamic_cast<TGridAccessible*>(parent());
  if (QAccessibleInterface* header = table ? table->CellInterface(col_, -1) : nullptr) return {header};
  return {};
}

int TGridCellAccessible::columnIndex() const {
  if (!isValid()) return -1;
  const TCustomColumn* self = grid_->Columns().Items(col_);
  int shown = 0;
  const TColumns& columns = grid_->Columns();
  for (int i = 0; i < columns.Count(); ++i) {
    const TCustomColumn* column = columns.ByPosition(i);
    if (column == self) return column->Visible() ? shown : -1;
    if (column->Visible()) ++shown;
  }
  return -1;
}

bool TGridCellAccessible::isSelected() const { return isValid() && row_ >= 0 && grid_->IsCellSelected(col_, row_); }

}  // namespace grid
