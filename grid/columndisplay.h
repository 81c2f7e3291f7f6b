#pragma once
// Cell painters of the columns. A display holds what one cell needs while it
// is drawn (its value, rectangle and state); the grid fills it per cell.
#include <QString>
#include <cstdint>

#include "grid/types.h"

namespace grid {

class TCanvas;
class TCustomColumn;

// Base of every element that draws inside a column's cells.
class TVirtualColElement {
 public:
  virtual ~TVirtualColElement() = default;
};

class TColumnDisplay : public TVirtualColElement {
 public:
  explicit TColumnDisplay(TCustomColumn* column) : Column(column) {}

  // Value slots filled before a cell is drawn.
  bool BooleanValue = false;
  double DateTimeValue = 0;
  double FloatValue = 0;
  int IntegerValue = 0;
  QString TextValue;
  uint8_t BiDiMode = 0;  // non-zero: right-to-left reading
  TCanvas* Canvas = nullptr;
  TRect CellRect;
  TCustomColumn* Column;
  bool Selected = false;
  bool CurrentCell = false;

  // The cell rectangle less 2 pixels on the left and on the right.
  virtual TRect GetTextRect() const;
  // One cell text with the column's alignment, vertical alignment and wrap.
  virtual void DrawCellText(const QString& text, const TRect& r);
  // The red corner triangle of a cell that has a hint.
  virtual void DrawHintMarker();
  virtual void DrawContent() = 0;
};

class TTextualColumnDisplay : public TColumnDisplay {
 public:
  using TColumnDisplay::TColumnDisplay;
  // The column's display text (affixes included) into the text rectangle.
  void DrawContent() override;
};

// Columns of the other value kinds: each cell shows its own value slot as
// text, a Boolean as a check box; pictures are not drawn.
class TValueColumnDisplay : public TColumnDisplay {
 public:
  using TColumnDisplay::TColumnDisplay;
  void DrawContent() override;

  // Side of the check box of a Boolean cell.
  static constexpr int kCheckBoxSize = 13;

 private:
  void DrawCheckBox();
};

}  // namespace grid
