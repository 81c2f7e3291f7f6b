#include "grid/columnkinds.h"

#include <functional>
#include <utility>

#include "grid/cellconvert.h"

namespace grid {

TCheckBoxColumn::TCheckBoxColumn() {
  SetValueKind(TValueKind::Boolean);
  SetSortType(stNumeric);
}

TImageColumn::TImageColumn() {
  SetValueKind(TValueKind::Integer);
  SetDefaultValue(QStringLiteral("0"));
  SetSortType(stNumeric);
}

TProgressColumn::TProgressColumn() { SetValueKind(TValueKind::Floating); }

TRateColumn::TRateColumn() { SetValueKind(TValueKind::Integer); }

TNumericColumn::TNumericColumn() { SetValueKind(TValueKind::Floating); }

TDateColumn::TDateColumn() {
  SetValueKind(TValueKind::DateTime);
  SetDefaultValue(DateTimeToStr(Today()));
  SetSortType(stDate);
}

TIncrementColumn::TIncrementColumn() { SetValueKind(TValueKind::RowNumber); }

TGraphicColumn::TGraphicColumn() { SetValueKind(TValueKind::Picture); }

namespace {

using Factory = std::unique_ptr<TCustomColumn> (*)();

template <typename T>
std::unique_ptr<TCustomColumn> Make() {
  return std::make_unique<T>();
}

const std::pair<const char*, Factory> kClasses[] = {
    {"TTextualColumn", &Make<TTextualColumn>},   {"TComboBoxColumn", &Make<TComboBoxColumn>},
    {"TCheckBoxColumn", &Make<TCheckBoxColumn>}, {"THtmlColumn", &Make<THtmlColumn>},
    {"TImageColumn", &Make<TImageColumn>},       {"TProgressColumn", &Make<TProgressColumn>},
    {"TRateColumn", &Make<TRateColumn>},         {"TNumericColumn", &Make<TNumericColumn>},
    {"TDateColumn", &Make<TDateColumn>},         {"TIncrementColumn", &Make<TIncrementColumn>},
    {"TGraphicColumn", &Make<TGraphicColumn>},
};

}  // namespace

std::unique_ptr<TCustomColumn> CreateColumn(const QString& className) {
  for (const auto& [name, make] : kClasses)
    if (className == QLatin1String(name)) return make();
  return nullptr;
}

QStringList ColumnClassNames() {
  QStringList names;
  for (const auto& entry : kClasses) names << QLatin1String(entry.first);
  return names;
}

}  // namespace grid
