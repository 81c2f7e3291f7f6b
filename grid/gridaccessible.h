#pragma once
// What assistive technology sees of the grid. The grid paints every cell
// itself, so without this a screen reader finds one blank pane. Here the
// grid is a table, as item views present themselves: a header row of
// column headers in display order, one cell per visible column and row, the
// current cell as the focused child, and change events when rows come and go
// or a cell's text changes, so a new call is announced.
//
// The grid calls the notifications below; they cost nothing while no
// assistive technology is listening.
#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace grid {

class TCustomGridView;
class TCustomColumn;

// Registers the grid's accessibility factory with Qt once per process; the
// grid's constructor calls it.
void InstallGridAccessibility();

// Rows first..last (inclusive) were added or removed.
void AccessibleRowsInserted(TCustomGridView* grid, int first, int last);
void AccessibleRowsRemoved(TCustomGridView* grid, int first, int last);
// The rows changed wholesale (cleared, sorted, moved).
void AccessibleRowsReset(TCustomGridView* grid);
// A cell's text changed; ACol is the column index.
void AccessibleCellChanged(TCustomGridView* grid, int ACol, int ARow);
// The current cell moved.
void AccessibleCurrentCellChanged(TCustomGridView* grid);

// The grid as a table.
class TGridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit TGridAccessible(TCustomGridView* grid);
  ~TGridAccessible() override;

  void* interface_cast(QAccessible::InterfaceType t) override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

  // QAccessibleTableInterface: columns in display order, visible ones only.
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override;
  int columnCount() const override;
  int rowCount() const override;
  QString columnDescription(int column) const override;
  QString rowDescription(int) const override { return QString(); }
  int selectedCellCount() const override;
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  QList<QAccessibleInterface*> selectedCells() const override;
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  bool selectRow(int) override { return false; }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent* event) override;

  TCustomGridView* Grid() const;
  // The visible columns in display order.
  QList<TCustomColumn*> DisplayColumns() const;
  // Header (row -1) or data cell by column index; nullptr when out of range.
  QAccessibleInterface* CellInterface(int ACol, int ARow) const;

 private:
  bool HasHeaderRow() const;
  void DropCells();
  // Cell interfaces live in Qt's registry; these are their ids by position.
  mutable QHash<quint64, QAccessible::Id> cells_;
};

// One header or data cell; reads the grid live, so it stays right while
// the cell at its place changes text.
class TGridCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  // ARow -1 is the column's header.
  TGridCellAccessible(TCustomGridView* grid, int ACol, int ARow);

  bool isValid() const override;
  QObject* object() const override { return nullptr; }
  QWindow* window() const override;
  QAccessibleInterface* parent() const override;
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override;
  QAccessible::Role role() const override;
  QAccessible::State state() const override;
  void* interface_cast(QAccessible::InterfaceType t) override;

  // QAccessibleTableCellInterface
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override;
  int rowIndex() const override { return row_; }
  bool isSelected() const override;
  QAccessibleInterface* table() const override { return parent(); }

 private:
  QPointer<TCustomGridView> grid_;
  int col_;
  int row_;
};

}  // namespace grid
