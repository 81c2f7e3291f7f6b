#include "grid/cells.h"

#include "grid/cellstore.h"
#include "grid/gridview.h"

namespace grid {

TColor TCell::BackgroundColor() const {
  TCustomGridView* grid = cells_ ? cells_->Grid() : nullptr;
  return grid ? grid->GetCellBackground(col_, row_) : color_;
}

TColor TCell::TextColor() const {
  TCustomGridView* grid = cells_ ? cells_->Grid() : nullptr;
  return grid ? grid->GetCellTextColor(col_, row_) : clWindowText;
}

void TCell::SetColor(TColor value) {
  color_ = value;
  if (!creating_) Changed();
}

void TCell::Changed() {
  if (cells_) cells_->Changed(col_, row_);
}

void TBooleanCell::SetAsString(const QString& v) {
  value_ = v.toLower() == QLatin1String("true");
  TCell::SetAsString(v);
}

void TDateTimeCell::SetAsString(const QString& v) {
  value_ = StrToDateTime(v);
  TCell::SetAsString(v);
}

void TFloatCell::SetAsString(const QString& v) {
  value_ = StrToFloat(v);
  TCell::SetAsString(v);
}

void TIntegerCell::SetAsFloat(double v) {
  value_ = RoundToInt(v);
  TCell::SetAsFloat(v);
}

void TIntegerCell::SetAsString(const QString& v) {
  value_ = StrToInt32(v);
  TCell::SetAsString(v);
}

}  // namespace grid
