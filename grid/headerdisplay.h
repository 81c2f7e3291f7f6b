#pragma once
// Draws the cells of the grid's column parts: the header row (flat, old
// style, themed, pressed) and, when switched on, footer and input-row cells.
// One per grid, created with the grid and its canvas.
#include <cstdint>

#include "grid/types.h"

namespace grid {

class TCanvas;
class TCustomColumn;
class TCustomGridView;

// Where a column stands among the visible ones, for the flat looks.
enum class TEdgeKind { Sole, First, Middle, Last };

class TColumnPartDisplay {
 public:
  static constexpr uint8_t kFooterPart = 0;
  static constexpr uint8_t kHeaderPart = 1;
  static constexpr uint8_t kInputPart = 4;

  TColumnPartDisplay(TCustomGridView* grid, TCanvas* canvas);
  virtual ~TColumnPartDisplay() = default;
  TColumnPartDisplay(const TColumnPartDisplay&) = delete;
  TColumnPartDisplay& operator=(const TColumnPartDisplay&) = delete;

  // Fields, set by the grid before each cell.
  uint8_t BiDiMode = 0;  // non-zero: right-to-left reading
  TCanvas* Canvas;
  TCustomColumn* Column = nullptr;
  uint8_t Part = kHeaderPart;
  const bool DrawsBackground = true;
  const uint8_t NormalState = 1;
  TRect Rect;
  bool GridFocused = false;
  bool InputActive = false;
  TCustomGridView* Grid;

  virtual int GetContentIndent();
  virtual void DrawSortArrow(int x, int y);
  virtual void DrawHeaderFrame(const TRect& r, TEdgeKind edge, TColor color);
  virtual void DrawDefaultBackground(const TRect& r, TEdgeKind edge, TColor color);
  virtual void DrawOldStyleBackground(const TRect& r, TEdgeKind edge, TColor color);
  virtual void DrawThemedBackground(const TRect& r, TEdgeKind edge, TColor color);
  virtual void DrawFooterContent();
  virtual void DrawHeaderContent();
  virtual void DrawInputContent();
  virtual void DrawPressedEffect();
  virtual void DrawThemedIndicatorHeader(const TRect& r);
  virtual void DrawThemedHeaderFiller(const TRect& r);

  // Records the part, then draws it: header = background and content.
  void DrawPart(uint8_t part);

  // The edge kind of a visible column from its place among the visible ones.
  static TEdgeKind EdgeKindOf(const TCustomColumn* column);

 private:
  bool Themed() const;
  void DrawCaption(const QString& text, const TRect& r);
};

}  // namespace grid
