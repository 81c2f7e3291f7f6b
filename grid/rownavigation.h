#pragma once
// How the navigation keys move the current row and scroll the rows, kept
// apart from the widget so the rules read (and test) on their own.
namespace grid {

enum class TNavKey { PageUp, PageDown, Home, End, Left, Right, Up, Down };

// What the rules need from the grid. Scrolling goes through the vertical
// scroll bar, so every position is clamped there.
class TRowNavigator {
 public:
  virtual ~TRowNavigator() = default;
  virtual int RowCount() const = 0;
  virtual int CurrentRow() const = 0;
  virtual int TopRow() const = 0;
  virtual int VisibleRowCount() const = 0;
  virtual int MaxTopRow() const = 0;
  virtual void SetTopRow(int row) = 0;
  virtual void LineUp() = 0;
  virtual void LineDown() = 0;
  // Whether the bottom of the row's cells lies below the data area.
  virtual bool RowEndsBelowData(int row) const = 0;
  // Moves the current cell to a row of the current column.
  virtual void FocusRow(int row) = 0;
  virtual void SelectPrevColumn() = 0;
  virtual void SelectNextColumn() = 0;
  // The input row under the header (absent unless switched on).
  virtual bool InputRowFocused() const { return false; }
  virtual bool InputRowAvailable() const { return false; }
  virtual void FocusInputRow() {}
  virtual void LeaveInputRow() {}
};

// Applies one navigation key. Returns false when the key must not be passed
// on as a key-down event (no rows at all, or Page Down on a list shorter
// than the view).
bool NavigateByKey(TRowNavigator& grid, TNavKey key);

}  // namespace grid
