#include "grid/cellstore.h"

#include <QStringList>
#include <algorithm>
#include <numeric>
#include <variant>

#include "grid/columns.h"
#include "platform/errors.h"
#include "platform/strtoint.h"

namespace grid {

TCells::TCells(TColumns* columns, TCustomGridView* grid) : columns_(columns), grid_(grid) {}

TCells::~TCells() { FreeAllRows(); }

void TCells::FreeAllRows() {
  // Row by row, the order the cells were made in, so the allocator can merge
  // neighbouring blocks as they come back.
  for (int r = 0; r < rowCount_; ++r)
    for (const CellList& list : lists_) delete list.at(r);
  for (CellList& list : lists_) list.clear();
}

void TCells::FreeList(CellList& list) {
  for (TCell* c : list) delete c;
  list.clear();
}

void TCells::CheckRow(int row) const {
  if (row < 0 || row >= rowCount_) throw platform::EListError::IndexOutOfBounds(row);
}

void TCells::CheckColumn(int col) const {
  if (col < 0 || col >= ColumnCount()) throw platform::EListError::IndexOutOfBounds(col);
}

TCell* TCells::NewCell(int col) {
  TCustomColumn* column = (columns_ && col < columns_->Count()) ? columns_->Items(col) : nullptr;
  TCell* cell;
  switch (column ? column->ValueKind() : TValueKind::Text) {
    case TValueKind::Boolean: cell = new TBooleanCell(this); break;
    case TValueKind::DateTime: cell = new TDateTimeCell(this); break;
    case TValueKind::Floating: cell = new TFloatCell(this); break;
    case TValueKind::Integer: cell = new TIntegerCell(this); break;
    default: cell = new TStringCell(this); break;
  }
  if (column) cell->SetColor(column->Color());
  cell->SetCreating(false);
  return cell;
}

TCell* TCells::GetCell(int col, int row) {
  CheckColumn(col);
  CheckRow(row);
  TCell* cell = lists_[size_t(col)].at(row);
  cell->Stamp(col, row);
  return cell;
}

void TCells::AddRows(int count) {
  for (int r = 0; r < count; ++r) {
    for (int k = 0; k < ColumnCount(); ++k) lists_[size_t(k)].push_back(NewCell(k));
    ++rowCount_;
  }
  sorted_ = false;
}

void TCells::InsertRow(int row) {
  CheckRow(row);
  for (int k = 0; k < ColumnCount(); ++k) {
    CellList& list = lists_[size_t(k)];
    list.insert(row, NewCell(k));
  }
  ++rowCount_;
  sorted_ = false;
}

void TCells::DeleteRow(int row) {
  CheckRow(row);
  for (CellList& list : lists_) {
    delete list.at(row);
    list.removeAt(row);
  }
  --rowCount_;
}

void TCells::MoveRow(int fromRow, int toRow) {
  CheckRow(fromRow);
  CheckRow(toRow);
  for (CellList& list : lists_) list.move(fromRow, toRow);
  sorted_ = false;
}

void TCells::ClearRows() {
  FreeAllRows();
  rowCount_ = 0;
  sorted_ = false;
}

void TCells::AddColumn() {
  if (ColumnCount() >= kMaxColumns)
    throw platform::Exception(QStringLiteral("Too many columns (at most %1)").arg(kMaxColumns));
  const int k = ColumnCount();
  lists_.emplace_back();
  CellList& list = lists_.back();
  list.reserve(rowCount_);
  for (int r = 0; r < rowCount_; ++r) list.push_back(NewCell(k));
}

void TCells::DeleteColumn(int index) {
  CheckColumn(index);
  FreeList(lists_[size_t(index)]);
  lists_.erase(lists_.begin() + index);
  if (lists_.empty()) rowCount_ = 0;
}

void TCells::ClearColumns() {
  while (!lists_.empty()) DeleteColumn(0);
}

void TCells::InsertColumn(int index) {
  if (index < 0 || index > ColumnCount()) throw platform::EListError::IndexOutOfBounds(index);
  if (ColumnCount() >= kMaxColumns)
    throw platform::Exception(QStringLiteral("Too many columns (at most %1)").arg(kMaxColumns));
  CellList list;
  list.reserve(rowCount_);
  for (int r = 0; r < rowCount_; ++r) list.push_back(NewCell(index));
  lists_.insert(lists_.begin() + index, std::move(list));
}

void TCells::MoveColumn(int fromIndex, int toIndex) {
  CheckColumn(fromIndex);
  CheckColumn(toIndex);
  CellList list = std::move(lists_[size_t(fromIndex)]);
  lists_.erase(lists_.begin() + fromIndex);
  lists_.insert(lists_.begin() + toIndex, std::move(list));
}

void TCells::Changed(int col, int row) {
  // The rows are no longer in sorted order, even when the handler fails.
  sorted_ = false;
  if (OnCellsChange) OnCellsChange(this, col, row);
  sorted_ = false;
}

void TCells::Reverse() {
  for (CellList& list : lists_) std::reverse(list.begin(), list.end());
}

namespace {

// Dotted numbers compare group by group (up to four integer groups); a group
// that does not read as a number counts as 0.
std::vector<int64_t> IPKey(const QString& text) {
  std::vector<int64_t> key(4, 0);
  const QStringList parts = text.trimmed().split(QLatin1Char('.'));
  for (int i = 0; i < 4 && i < parts.size(); ++i) key[size_t(i)] = platform::TryStrToInt(parts[i]).value_or(0);
  return key;
}

}  // namespace

void TCells::Sort(int col, TSortType sortType, bool descending) {
  CheckColumn(col);
  if (sorted_ && sortedColumn_ == col) {
    if (sortedDescending_ == descending) return;
    Reverse();
  } else if (rowCount_ > 1) {
    // Every key is read before any row moves, so a cell that cannot be read
    // as the sort type leaves the rows as they were.
    using Key = std::variant<QString, bool, double, std::vector<int64_t>>;
    std::vector<Key> keys;
    keys.reserve(size_t(rowCount_));
    const CellList& list = lists_[size_t(col)];
    for (TCell* cell : list) {
      switch (sortType) {
        case stBoolean: keys.emplace_back(cell->AsBoolean()); break;
        case stNumeric: keys.emplace_back(cell->AsFloat()); break;
        case stDate: keys.emplace_back(cell->AsDateTime()); break;
        case stIP: keys.emplace_back(IPKey(cell->AsString())); break;
        default: keys.emplace_back(cell->AsString()); break;
      }
    }
    auto less = [&](int a, int b) {
      const Key& ka = keys[size_t(a)];
      const Key& kb = keys[size_t(b)];
      if (const auto* sa = std::get_if<QString>(&ka))
        return QString::localeAwareCompare(*sa, std::get<QString>(kb)) < 0;
      return ka < kb;
    };
    std::vector<int> order(static_cast<size_t>(rowCount_));
    std::iota(order.begin(), order.end(), 0);
    if (descending)
      std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return less(b, a); });
    else
      std::stable_sort(order.begin(), order.end(), less);
    for (CellList& l : lists_) {
      CellList sorted;
      sorted.reserve(l.size());
      for (int i : order) sorted.push_back(l.at(i));
      l = std::move(sorted);
    }
  }
  sortedColumn_ = col;
  sortedDescending_ = descending;
  sorted_ = true;
}

}  // namespace grid
