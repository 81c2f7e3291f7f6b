#pragma once
// The column classes besides the text column. This system never draws them;
// they carry their value kind and keep their own settings for layouts that
// name them.
#include <QImage>
#include <QList>
#include <QStringList>
#include <memory>

#include "grid/columns.h"

namespace grid {

// A stored-only setting with its getter and setter.
#define GRID_STORED(Type, Name, Initial)         \
 public:                                         \
  const Type& Name() const { return Name##_; }   \
  void Set##Name(const Type& v) { Name##_ = v; } \
                                                 \
 private:                                        \
  Type Name##_ = Initial;

enum TCompoBoxStyle { cbsDropDown, cbsDropDownList };
enum TProgressStyle { psSolid, psGradient, psCylinder };

class TCheckBoxColumn : public TCustomColumn {
 public:
  TCheckBoxColumn();
  const char* ClassName() const override { return "TCheckBoxColumn"; }
  const char* DisplayClass() const override { return "TCheckBoxColumnDisplay"; }
  const char* PlayClass() const override { return "TCheckBoxColumnPlay"; }
};

class THtmlColumn : public TCustomColumn {
 public:
  const char* ClassName() const override { return "THtmlColumn"; }
  const char* DisplayClass() const override { return "THtmlColumnDisplay"; }
};

class TImageColumn : public TCustomColumn {
 public:
  TImageColumn();
  const char* ClassName() const override { return "TImageColumn"; }
  const char* DisplayClass() const override { return "TImageColumnDisplay"; }
  GRID_STORED(QList<QImage>, Images, {})
  GRID_STORED(bool, Masked, false)
  GRID_STORED(QList<QImage>, Masks, {})
  GRID_STORED(bool, Transparent, false)
};

class TProgressColumn : public TCustomColumn {
 public:
  TProgressColumn();
  const char* ClassName() const override { return "TProgressColumn"; }
  const char* DisplayClass() const override { return "TProgressColumnDisplay"; }
  GRID_STORED(TColor, BorderColor, clBtnShadow)
  GRID_STORED(bool, HideWhenEmpty, false)
  GRID_STORED(int, Margin, 2)
  GRID_STORED(double, Max, 100.0)
  GRID_STORED(TColor, ProgressColor, clHighlight)
  GRID_STORED(TProgressStyle, ProgressStyle, psSolid)
  GRID_STORED(bool, ShowText, false)
  GRID_STORED(bool, Transparent, false)
};

class TRateColumn : public TCustomColumn {
 public:
  TRateColumn();
  const char* ClassName() const override { return "TRateColumn"; }
  const char* DisplayClass() const override { return "TRateColumnDisplay"; }
  GRID_STORED(QImage, EmptyGlyph, {})
  GRID_STORED(QImage, EmptyGlyphMask, {})
  GRID_STORED(QImage, Glyph, {})
  GRID_STORED(QImage, GlyphMask, {})
  GRID_STORED(bool, HideWhenEmpty, false)
  GRID_STORED(bool, Masked, false)
  GRID_STORED(int, Max, 5)
  GRID_STORED(bool, Transparent, false)
};

class TNumericColumn : public TCustomColumn {
 public:
  TNumericColumn();
  const char* ClassName() const override { return "TNumericColumn"; }
  const char* DisplayClass() const override { return "TNumericColumnDisplay"; }
  GRID_STORED(QString, FormatMask, {})
  GRID_STORED(double, Max, 0.0)
  GRID_STORED(double, Min, 0.0)
  GRID_STORED(QString, TextAfter, {})
};

class TDateColumn : public TCustomColumn {
 public:
  TDateColumn();
  const char* ClassName() const override { return "TDateColumn"; }
  const char* DisplayClass() const override { return "TDateColumnDisplay"; }
  GRID_STORED(QString, EmptyCaption, {})
  GRID_STORED(bool, HideWhenEmpty, false)
};

class TIncrementColumn : public TCustomColumn {
 public:
  TIncrementColumn();
  const char* ClassName() const override { return "TIncrementColumn"; }
  const char* DisplayClass() const override { return "TIncrementColumnDisplay"; }
};

class TGraphicColumn : public TCustomColumn {
 public:
  TGraphicColumn();
  const char* ClassName() const override { return "TGraphicColumn"; }
  const char* DisplayClass() const override { return "TGraphicColumnDisplay"; }
  GRID_STORED(int, BorderWidth, 0)
  GRID_STORED(int, Margin, 0)
  GRID_STORED(bool, Strecht, false)
};

class TComboBoxColumn : public TTextualColumn {
 public:
  const char* ClassName() const override { return "TComboBoxColumn"; }
  const char* EditorClass() const override { return "TComboBoxEditor"; }
  GRID_STORED(int, DropDownCount, 8)
  GRID_STORED(QList<QImage>, Images, {})
  GRID_STORED(QStringList, Items, {})
  GRID_STORED(bool, ShowImages, false)
  GRID_STORED(TCompoBoxStyle, Style, cbsDropDown)
};

#undef GRID_STORED

// Creates a column of the class a layout names; nullptr for an unknown name.
std::unique_ptr<TCustomColumn> CreateColumn(const QString& className);
// The class names layouts may use.
QStringList ColumnClassNames();

}  // namespace grid
