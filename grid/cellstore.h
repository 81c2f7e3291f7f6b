#pragma once
// The in-memory row and cell store: column-major, one list of cells per
// column, so a row operation touches each column list once and reading a
// cell is two indexed accesses.
#include <QList>
#include <functional>
#include <memory>
#include <vector>

#include "grid/cells.h"
#include "grid/gridenums.h"

namespace grid {

class TColumns;
class TCustomGridView;

class TCells {
 public:
  static constexpr int kMaxColumns = 1025;

  TCells(TColumns* columns, TCustomGridView* grid);
  ~TCells();
  TCells(const TCells&) = delete;
  TCells& operator=(const TCells&) = delete;

  int ColumnCount() const { return static_cast<int>(lists_.size()); }
  int RowCount() const { return rowCount_; }
  TColumns* Columns() const { return columns_; }
  TCustomGridView* Grid() const { return grid_; }

  // The cell, stamped with its coordinates. Raises the list-index error for
  // a column or row outside the store.
  TCell* GetCell(int col, int row);

  // Appends count rows of new cells (nothing for count <= 0) and clears the
  // sorted mark.
  void AddRows(int count);
  void InsertRow(int row);
  void DeleteRow(int row);
  void MoveRow(int fromRow, int toRow);
  void ClearRows();

  // Column structure, following the column collection.
  void AddColumn();
  void DeleteColumn(int index);
  void ClearColumns();
  void InsertColumn(int index);
  void MoveColumn(int fromIndex, int toIndex);

  // Orders the rows by one column. A repeated request for the same column
  // with only the direction changed reverses the rows; the same request
  // again does nothing.
  void Sort(int col, TSortType sortType, bool descending);
  bool IsSorted() const { return sorted_; }
  int SortedColumn() const { return sortedColumn_; }
  bool SortedDescending() const { return sortedDescending_; }

  // A cell's value changed: raises OnCellsChange and clears the sorted mark.
  void Changed(int col, int row);
  std::function<void(TCells* sender, int col, int row)> OnCellsChange;

 private:
  // QList drops leading entries without moving the rest, so deleting the
  // oldest row costs the same however many rows stand.
  using CellList = QList<TCell*>;
  TCell* NewCell(int col);
  void FreeList(CellList& list);
  void FreeAllRows();
  void CheckRow(int row) const;
  void CheckColumn(int col) const;
  void Reverse();

  TColumns* columns_;
  TCustomGridView* grid_;
  std::vector<CellList> lists_;
  int rowCount_ = 0;
  bool sorted_ = false;
  int sortedColumn_ = -1;
  bool sortedDescending_ = false;
};

}  // namespace grid
