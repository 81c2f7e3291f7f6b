#include "grid/columns.h"

#include <algorithm>

#include "grid/gridview.h"
#include "platform/errors.h"

namespace grid {

// --- TCustomColumn ------------------------------------------------------------

TCustomColumn::TCustomColumn()
    : footer_(std::make_unique<TColumnFooter>()), header_(std::make_unique<TColumnHeader>()) {
  header_->OnChange = [this](TColumnPart* p) { PartChanged(p); };
  footer_->OnChange = [this](TColumnPart* p) { PartChanged(p); };
}

TCustomColumn::~TCustomColumn() = default;

void TCustomColumn::Changed(TColumnChange kind) {
  if (collection_) collection_->ColumnChanged(this, kind);
}

int TCustomColumn::Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

void TCustomColumn::SetAlignment(TAlignment v) {
  alignment_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetColor(TColor v) {
  color_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetCursor(TCursor v) {
  cursor_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetDrawingOptions(TDrawingOptions v) {
  drawingOptions_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetFont(const TFont& v) {
  font_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetFooter(const TColumnFooter& v) {
  footer_->Assign(v);
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetFormulaKind(TFormulaKind v) {
  formulaKind_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetHeader(const TColumnHeader& v) {
  header_->Assign(v);
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetInputCaption(const QString& v) {
  inputCaption_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetOptions(TColumnOptions v) {
  // At most one column is the search column.
  if (v.Contains(coSearchColumn) && !options_.Contains(coSearchColumn) && collection_) {
    for (int i = 0; i < collection_->Count(); ++i) {
      TCustomColumn* other = collection_->Items(i);
      if (other != this && other->options_.Contains(coSearchColumn))
        other->SetOptions(other->options_.Without(coSearchColumn));
    }
  }
  options_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetPosition(int v) {
  if (!collection_ || collection_->Reading()) {
    position_ = v;
    return;
  }
  // The same value moves nothing, whatever the layout's numbering.
  if (v == position_) {
    Changed(TColumnChange::Position);
    return;
  }
  // Move the column from where it really stands in the display order; its
  // stored Position may differ from that when the layout numbered its
  // columns with gaps or repeats.
  const int current = collection_->DisplayIndexOf(this);
  if (current < 0) throw platform::EListError::IndexOutOfBounds(position_);
  if (v != current) collection_->MovePosition(current, v);
  Changed(TColumnChange::Position);
  position_ = v;
}

void TCustomColumn::SetSlideBounds(const TSlideBounds& v) {
  slideBounds_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetSorted(bool v) {
  if (v && !sorted_ && collection_) {
    for (int i = 0; i < collection_->Count(); ++i) collection_->Items(i)->SetSorted(false);
  }
  sorted_ = v;
  Changed(TColumnChange::Sort);
}

void TCustomColumn::SetSortKind(TSortKind v) {
  sortKind_ = v;
  Changed(TColumnChange::Sort);
}

void TCustomColumn::SetSortType(TSortType v) {
  sortType_ = v;
  Changed(TColumnChange::Sort);
}

void TCustomColumn::SetVerticalAlignment(TVerticalAlignment v) {
  verticalAlignment_ = v;
  Changed(TColumnChange::Appearance);
}

void TCustomColumn::SetVisible(bool v) {
  visible_ = v;
  if (collection_) collection_->Relayout(false);
  Changed(TColumnChange::Visibility);
}

void TCustomColumn::SetWidth(int v) {
  width_ = std::max(v, kMinColumnWidth);
  if (collection_ && !collection_->Reading()) collection_->Relayout(false);
  Changed(TColumnChange::Width);
}

void TCustomColumn::SetInputText(const QString& v) {
  inputText_ = v;
  Changed(TColumnChange::InputText);
}

// --- TColumns -----------------------------------------------------------------

TColumns::TColumns(TCustomGridView* grid) : grid_(grid) {}

TColumns::~TColumns() {
  // Columns go without notifications: the grid is being torn down.
  display_.clear();
  items_.clear();
}

TCustomColumn* TColumns::Items(int index) const {
  if (index < 0 || index >= Count()) throw platform::EListError::IndexOutOfBounds(index);
  return items_[static_cast<size_t>(index)].get();
}

TCustomColumn* TColumns::ByPosition(int index) const {
  if (index < 0 || index >= static_cast<int>(display_.size())) throw platform::EListError::IndexOutOfBounds(index);
  return display_[static_cast<size_t>(index)];
}

int TColumns::DisplayIndexOf(const TCustomColumn* column) const {
  auto it = std::find(display_.begin(), display_.end(), column);
  return it == display_.end() ? -1 : static_cast<int>(it - display_.begin());
}

int TColumns::IndexOf(const TCustomColumn* column) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == column) return static_cast<int>(i);
  return -1;
}

int TColumns::VisibleCount() const {
  return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const auto& c) { return c->Visible(); }));
}

int TColumns::VisibleWidth() const {
  int sum = 0;
  for (const auto& c : items_)
    if (c->Visible()) sum += c->Width();
  return sum;
}

int TColumns::DataLeft() const { return grid_ ? grid_->IndicatorWidth() : 0; }

TCustomColumn* TColumns::Add(std::unique_ptr<TCustomColumn> column) {
  if (!column) return nullptr;
  if (Count() >= kMaxColumns)
    throw platform::Exception(QStringLiteral("Too many columns (at most %1)").arg(kMaxColumns));
  TCustomColumn* c = column.get();
  c->SetCollection(this);
  items_.push_back(std::move(column));
  auto at = std::find_if(display_.begin(), display_.end(),
                         [c](const TCustomColumn* d) { return d->Position() > c->Position(); });
  display_.insert(at, c);
  Relayout(false);
  Structure(TStructureAction::Add, -1, -1);
  return c;
}

void TColumns::Clear() {
  display_.clear();
  items_.clear();
  Structure(TStructureAction::Clear, -1, -1);
}

void TColumns::MovePosition(int fromIndex, int toIndex) {
  const int n = static_cast<int>(display_.size());
  if (fromIndex < 0 || fromIndex >= n) throw platform::EListError::IndexOutOfBounds(fromIndex);
  if (toIndex < 0 || toIndex >= n) throw platform::EListError::IndexOutOfBounds(toIndex);
  if (fromIndex != toIndex) {
    TCustomColumn* c = display_[static_cast<size_t>(fromIndex)];
    display_.erase(display_.begin() + fromIndex);
    display_.insert(display_.begin() + toIndex, c);
  }
  Relayout(true);
  ColumnChanged(display_[static_cast<size_t>(toIndex)], TColumnChange::Position);
}

void TColumns::Relayout(bool renumber) {
  int x = DataLeft();
  int visibleIndex = 0;
  for (size_t i = 0; i < display_.size(); ++i) {
    TCustomColumn* c = display_[i];
    if (c->Visible()) {
      c->left_ = x;
      c->visibleIndex_ = visibleIndex++;
      x += c->Width();
    } else {
      c->visibleIndex_ = -1;
    }
    if (renumber) c->position_ = static_cast<int>(i);
  }
}

void TColumns::AutoSizeColumns(int clientWidth, int dataLeft) {
  auto stretches = [](const TCustomColumn* c) {
    return c->Visible() && c->Options().Contains(coAutoSize) && !c->Options().Contains(coFixedSize);
  };
  int fixed = 0;
  int total = 0;
  for (const auto& c : items_) {
    if (!c->Visible()) continue;
    total += c->Width();
    if (!stretches(c.get())) fixed += c->Width();
  }
  int64_t share = total - fixed;
  if (share <= 0) share = 1;
  int64_t room = int64_t(clientWidth) - dataLeft - fixed;
  for (const auto& c : items_) {
    if (!stretches(c.get())) continue;
    const int64_t w = c->Width();
    const int64_t p = w * room;
    int64_t n = p / share;
    if (p % share > share / 2) ++n;
    c->SetWidth(static_cast<int>(n));
    room -= n;
    share -= w;
    if (share <= 0) share = 1;
  }
}

void TColumns::ColumnChanged(TCustomColumn* column, TColumnChange kind) {
  if (OnColumnChange) OnColumnChange(this, column, kind);
}

void TColumns::Structure(TStructureAction action, int index1, int index2) {
  if (OnStoreStructure) OnStoreStructure(this, action, index1, index2);
  if (OnViewStructure) OnViewStructure(this, action, index1, index2);
}

}  // namespace grid
