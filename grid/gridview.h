#pragma once
// The report grid control: TCustomGridView holds the grid-level settings,
// the column collection, the state set and the current cell, and knows rows
// and cells only through abstract data operations; TGridView keeps the data
// in an in-memory cell store.
#include <QList>
#include <QPoint>
#include <QString>
#include <memory>

#include "grid/canvas.h"
#include "grid/cellstore.h"
#include "grid/columndisplay.h"
#include "grid/columns.h"
#include "grid/gridenums.h"
#include "grid/gridevents.h"
#include "grid/gridfont.h"
#include "grid/headerdisplay.h"
#include "grid/hintwindow.h"
#include "grid/inputevents.h"
#include "grid/rollmode.h"
#include "grid/scrollview.h"
#include "grid/types.h"

namespace platform {
class Exception;
}

namespace grid {

class TCustomGridView : public TScrollView {
  Q_OBJECT
 public:
  explicit TCustomGridView(QWidget* parent = nullptr);
  ~TCustomGridView() override;

  // --- Grid-level settings ---------------------------------------------
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  const QString& Caption() const { return caption_; }
  void SetCaption(const QString& v);
  TColumns& Columns() { return *columns_; }
  const TColumns& Columns() const { return *columns_; }
  TGridStyle GridStyle() const { return gridStyle_; }
  void SetGridStyle(TGridStyle v);
  TGridLinesStyle GridLinesStyle() const { return gridLinesStyle_; }
  void SetGridLinesStyle(TGridLinesStyle v);
  int HeaderSize() const { return headerSize_; }
  void SetHeaderSize(int v);
  THeaderStyle HeaderStyle() const { return headerStyle_; }
  void SetHeaderStyle(THeaderStyle v);
  bool HideScrollBar() const { return hideScrollBar_; }
  void SetHideScrollBar(bool v) { hideScrollBar_ = v; }
  int InputSize() const { return inputSize_; }
  void SetInputSize(int v);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions v);
  int RowSize() const { return rowSize_; }
  // Values of 0 or less are ignored.
  void SetRowSize(int v);
  TSelectionMoveDirection SelectionMoveDirection() const { return selectionMoveDirection_; }
  void SetSelectionMoveDirection(TSelectionMoveDirection v) { selectionMoveDirection_ = v; }
  int SlideSize() const { return slideSize_; }
  void SetSlideSize(int v);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool v) { wantReturns_ = v; }

  // The usual control properties the grid uses.
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v) { parentColor_ = v; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& v);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; }
  bool TabStop() const;
  void SetTabStop(bool v);

  // Derived geometry values.
  int GridLineWidth() const { return options_.Contains(goGrid) ? 1 : 0; }
  int IndicatorWidth() const { return options_.Contains(goIndicator) ? kIndicatorWidth : 0; }

  // --- State -------------------------------------------------------------
  TGridState State() const { return state_; }
  bool HasState(TGridFlag f) const { return state_.Contains(f); }
  void IncludeState(TGridFlag f) { state_.Include(f); }
  void ExcludeState(TGridFlag f) { state_.Exclude(f); }

  // Current cell (column index, row); both 0 after construction.
  int CurrentCol = 0;
  int CurrentRow = 0;
  // Scroll values (the bars' positions): first row shown, and pixels the
  // columns are shifted left.
  int TopRow() const { return VertScrollBar()->ScrollPos(); }
  int HorzOffset() const { return HorzScrollBar()->ScrollPos(); }
  // One selection mark per row.
  QList<bool> RowMarks;
  // The cell being edited and the input-row column; -1 when none.
  int EditCol = -1;
  int EditRow = -1;
  int InputCol = -1;

  // --- Update bracket (no nesting counter) ---------------------------------
  void BeginUpdate() { state_.Include(gfUpdating); }
  void EndUpdate() { state_.Exclude(gfUpdating); }

  // --- Data operations -----------------------------------------------------
  // Value is left untouched when the cell does not exist.
  virtual void GetCellText(int ACol, int ARow, QString& Value) = 0;
  virtual TColor GetCellColor(int ACol, int ARow) = 0;
  virtual int RowCount() const = 0;
  virtual void SetCellText(int ACol, int ARow, const QString& Value) = 0;
  virtual void SortColumn(TCustomColumn* Column, bool Ascending) = 0;
  virtual void AddRow(int Count = 1) = 0;
  // Removes every row and puts the current cell back to (0, 0).
  virtual void ClearRows();
  virtual void DeleteRow(int ARow) = 0;
  virtual void InsertRow(int ARow) = 0;
  virtual void MoveRow(int FromRow, int ToRow) = 0;

  // --- Layout reading ------------------------------------------------------
  // While a layout is read, column Position and Width only store and the
  // grid does not react to column changes.
  void BeginReading();
  void EndReading();
  bool Reading() const { return columns_->Reading(); }

  // =========================================================================
  // Screen operations. Everything the data side does to the screen goes
  // through these. Bodies: invalidation, scroll bars and auto-size in
  // gridview_geometry.cpp; colours and the frame in gridview_paint.cpp; the
  // current cell in gridview_input.cpp; the editor in gridview.cpp.
  // =========================================================================
  // Marks the whole control for repainting.
  virtual void InvalidateGrid();
  // Marks a row's full-width rectangle.
  virtual void InvalidateRow(int ARow);
  // Marks a cell's rectangle (with its grid lines).
  virtual void InvalidateCell(int ACol, int ARow);
  // Marks one area of the grid.
  virtual void InvalidatePart(TGridPart Part);
  // Marks one area narrowed to a column's span.
  virtual void InvalidateColumnPart(TCustomColumn* Column, TGridPart Part);
  // Marks the data area from its left edge to the client width (Caption).
  virtual void InvalidateCaption();
  virtual void UpdateHorzScrollBar();
  virtual void UpdateVertScrollBar();
  // After rows were added: new vertical range; when that shows or hides the
  // bar, the auto-size columns are sized again.
  virtual void UpdateScrollRangeAfterAdd();
  // Sizes the auto-size columns to the client width.
  virtual void AutoSizeColumns();
  // RowSize changed: scroll unit follows it.
  virtual void RowSizeChanged();
  // BorderStyle changed: the frame follows it.
  virtual void BorderStyleChanged();
  // Closes an open cell editor without applying its text.
  virtual void CloseEditor();
  // Moves an open cell editor to its cell's rectangle.
  virtual void UpdateEditor();
  // Makes a cell current.
  virtual void FocusCell(int ACol, int ARow);
  // Colours to paint a cell with (cells ask through these).
  virtual TColor GetCellBackground(int ACol, int ARow);
  virtual TColor GetCellTextColor(int ACol, int ARow);
  // =========================================================================

  // =========================================================================
  // Geometry, scrolling and painting (gridview_geometry.cpp,
  // gridview_paint.cpp). Rectangles are client (viewport) coordinates.
  // =========================================================================
  int TotalWidth() const;
  int ClientWidth() const;
  int ClientHeight() const;
  TRect ClientRect() const { return TRect{0, 0, ClientWidth(), ClientHeight()}; }
  TRect GetHeaderRect() const;
  TRect GetInputRect() const;
  TRect GetDataRect() const;
  TRect GetFooterRect() const;
  TRect GetIndicatorRect() const;
  TRect GetPartRect(TGridPart Part) const;
  // Part gpInput gives the input-row cell; anything else the row's cell.
  virtual TRect GetCellRect(int ACol, int ARow, TGridPart Part = gpData) const;
  TRect GetRowRect(int ARow) const;
  int VisibleRowCount() const;
  virtual int MaxTopRow() const;
  virtual int HorzOverflow() const;
  void MakeRowVisible(int ARow);
  // Hit tests.
  TCustomColumn* ColumnAt(int X) const;
  int RowAt(int Y) const;
  // x: column index (-1 when no column lies under X), y: row.
  QPoint CellAt(int X, int Y) const;
  TGridPart PartAt(int X, int Y) const;
  TCustomColumn* SizingBorderAt(int X, int Y) const;
  // Client size seen by the last size change.
  int LastClientWidth = 0;
  int LastClientHeight = 0;

  // Whether the grid (or its open cell editor) has the keyboard focus.
  bool GridFocused() const;
  bool IsCellSelected(int ACol, int ARow) const;
  TCanvas& Canvas() { return canvas_; }
  TColumnPartDisplay& HeaderDisplay();
  virtual void DrawCell(int ACol, int ARow);
  virtual bool PrepareCell(int ACol, int ARow);
  virtual void PaintContents();
  virtual void PaintRows();
  virtual void PaintSlides(const TRect& r);
  // The header row.
  void PaintHeader();
  // The current cell's focus rectangle (drawn under the current clip).
  void PaintFocusRect();
  // Draws while gfSizing suspends painting (the column-sizing lines).
  std::function<void(QPainter&)> SizingPainter;
  // Closes an open cell editor, then scrolls.
  void ScrollMessage(TScrollBarKind kind, TScrollCode code) override;
  // =========================================================================

  // =========================================================================
  // Pointer, keyboard and hints (gridview_input.cpp).
  // =========================================================================
  // What the pointer is doing since its last press; back to None on the
  // release (and when the columns it holds go away).
  enum class TGesture { None, Pressed, Sizing, HeaderPressed, Rolling };
  TGesture Gesture() const { return pointer_.gesture; }
  // Header cells drawn hot (under the pointer) and pressed.
  TCustomColumn* HotHeaderColumn() const { return pointer_.hotHeader; }
  TCustomColumn* PressedHeaderColumn() const { return pointer_.pressedHeader; }
  // Row of the last move of the current cell; -1 before the first.
  int AnchorRow() const { return pointer_.anchorRow; }
  // Client point of the last left or right press; (-1, -1) after a release.
  QPoint DownPoint() const { return pointer_.downPoint; }
  // CellAt of the last press in the rows area; (-1, -1) after a release.
  QPoint DownCell() const { return pointer_.downCell; }
  // The column being sized and the width change so far.
  TCustomColumn* SizingColumn() const { return pointer_.sizingColumn; }
  int SizingDelta() const { return pointer_.sizingDelta; }
  // The column whose right border is under the pointer in the header.
  TCustomColumn* BorderHoverColumn() const { return pointer_.borderHover; }
  // Cell under the pointer in the rows area, (-1, -1) elsewhere.
  QPoint HoverCell() const { return pointer_.hoverCell; }
  TGridHintWindow* FitHintWindow() const { return fitHintWindow_; }
  TGridHintWindow* CellHintWindow() const { return cellHintWindow_; }
  TRollMode* RollMode() const { return rollMode_; }
  // The row only changes when it exists.
  void SetCurrentRow(int ARow);
  void SelectPrevColumn();
  void SelectNextColumn();
  // The input row (never on in this system's settings); part of the
  // control's declared surface.
  bool InputRowFocused() const { return false; }
  // The platform events.
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnDblClick;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  // The wheel over the grid's own scroll bars.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The hint of a cell under the pointer; none in the base.
  virtual QString CellHintText(int ACol, int ARow);

 private:
  bool InitInput();
  void PressAt(TMouseButton button, TShiftState shift, const QPoint& p);
  void MoveAt(TShiftState shift, const QPoint& p);
  void ReleaseAt(TMouseButton button, TShiftState shift, const QPoint& p);
  void SelectByPress(const QPoint& p);
  void StartSizing(TCustomColumn* column);
  void TrackSizing(int x);
  void FinishSizing();
  void InvertSizingLine(int x);
  void ClearHeaderHover();
  void UpdateFitHint(int ACol, int ARow);
  void UpdateCellHint();
  void RepaintCurrentCell();
  void ApplicationActivation(bool active);
  // Forgets every column held for hover, press or sizing, ending a sizing:
  // the collection is about to free them.
  void ForgetColumns();
  // The gesture, with the state flags that show it to painting.
  void SetGesture(TGesture gesture);

  // The pointer's and the wheel's state, owned by the input handlers.
  struct TPointerState {
    TGesture gesture = TGesture::None;
    QPoint downPoint{-1, -1};
    QPoint downCell{-1, -1};
    QPoint hoverCell{-1, -1};
    int anchorRow = -1;
    TCustomColumn* hotHeader = nullptr;
    TCustomColumn* pressedHeader = nullptr;
    // The column whose header the last left or right press hit.
    TCustomColumn* headerDown = nullptr;
    TCustomColumn* borderHover = nullptr;
    TCustomColumn* sizingColumn = nullptr;
    int sizingDelta = 0;
    // Tracking lines waiting to be inverted by the next (suspended) paint.
    QList<int> sizingLines;
    int sizingLineX = 0;
    // Wheel units not yet making up a whole notch.
    int wheelRest = 0;
  };
  TPointerState pointer_;
  TGridHintWindow* fitHintWindow_ = nullptr;
  TGridHintWindow* cellHintWindow_ = nullptr;
  TRollMode* rollMode_ = nullptr;
  const bool inputReady_ = InitInput();

 public:
  // =========================================================================

  // --- Published events ----------------------------------------------------
  TAfterEditEvent OnAfterEdit;    // part of the control's declared surface; never raised (no cell editing here)
  TApplyCellEvent OnApplyCell;    // part of the control's declared surface; never raised (no cell editing here)
  TBeforeEditEvent OnBeforeEdit;  // part of the control's declared surface; never raised (no cell editing here)
  TCellEvent OnCellClick;
  TCellColoringEvent OnCellColoring;
  TChangeEvent OnChange;
  TCustomDrawCellEvent OnCustomDrawCell;
  TDrawCellBackgroundEvent OnDrawCellBackground;
  TEditEvent OnEdit;  // part of the control's declared surface; never raised (no cell editing here)
  THeaderClickEvent OnHeaderClick;
  TInputAcceptEvent OnInputAccept;  // part of the control's declared surface; never raised (the input row stays off)
  TCellEvent OnSelectCell;
  TSortColumnEvent OnSortColumn;

 protected:
  // An out-of-range row or cell index that an operation absorbed (the
  // caller sees no error); the place to trace it.
  virtual void ErrorAbsorbed(const platform::Exception& error);
  // Painting and the size handler (gridview_paint.cpp, gridview_geometry.cpp).
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void PaintFrame(QPainter& painter) override;
  // Scroll steps the window's creation brings.
  void WindowCreated() override;
  // The frame the settings and the style ask for: static edge, themed, none.
  TFrameEdge WantedFrameEdge() const override;

 private:
  void ColumnChanged(TCustomColumn* column, TColumnChange kind);
  void ViewStructure(TStructureAction action);

  TBorderStyle borderStyle_ = bsSingle;
  QString caption_;
  std::unique_ptr<TColumns> columns_;
  TGridStyle gridStyle_ = gsReport;
  TGridLinesStyle gridLinesStyle_ = lsNormal;
  int headerSize_ = 18;
  THeaderStyle headerStyle_ = hsAuto;
  bool hideScrollBar_ = true;
  int inputSize_ = 16;
  TGridOptions options_{goHeader, goHighlightTextSelection};
  int rowSize_ = 16;
  TSelectionMoveDirection selectionMoveDirection_ = mdDown;
  int slideSize_ = 80;
  bool wantReturns_ = false;
  TColor color_ = clWindow;
  bool parentColor_ = false;
  TFont font_;
  bool showHint_ = false;
  TGridState state_;

 protected:
  // Painting tools (gridview_paint.cpp).
  void DrawEmptyCell(TCustomColumn* column, int ARow);
  void DrawGridLines(const TRect& r, int ARow, bool lastColumn, TColor gridColor);
  TColumnDisplay& DisplayFor(TCustomColumn* column);
  void SetCanvasFont(const TFont& font);

 private:
  TCanvas canvas_;
  std::unique_ptr<TColumnPartDisplay> headerDisplay_;
  std::unique_ptr<TTextualColumnDisplay> textDisplay_;
  std::unique_ptr<TValueColumnDisplay> valueDisplay_;
  TFont canvasFont_;
  bool canvasFontSet_ = false;
  bool autoSizing_ = false;
};

class TGridView : public TCustomGridView {
  Q_OBJECT
 public:
  explicit TGridView(QWidget* parent = nullptr);
  ~TGridView() override;

  void GetCellText(int ACol, int ARow, QString& Value) override;
  TColor GetCellColor(int ACol, int ARow) override;
  int RowCount() const override { return cells_->RowCount(); }
  void SetCellText(int ACol, int ARow, const QString& Value) override;
  void SortColumn(TCustomColumn* Column, bool Ascending) override;
  void AddRow(int Count = 1) override;
  void ClearRows() override;
  void DeleteRow(int ARow) override;
  void InsertRow(int ARow) override;
  void MoveRow(int FromRow, int ToRow) override;
  // Loads the cell's value into its column's display (gridview_paint.cpp).
  bool PrepareCell(int ACol, int ARow) override;

  // The cell object, for reading and writing its value. Raises the
  // list-index error for a column or row outside the grid.
  TCell* Cell(int ACol, int ARow) { return cells_->GetCell(ACol, ARow); }
  // Plain append of Count rows: no default values, no per-row repaint.
  void AppendRows(int Count);

  TCells& Store() { return *cells_; }

 protected:
  QString CellHintText(int ACol, int ARow) override;

 private:
  void CellsChanged(int col, int row);
  void StoreStructure(TStructureAction action, int index1, int index2);
  bool RowInRange(int row) const { return row >= 0 && row < RowCount(); }
  bool CellInRange(int col, int row) const;

  std::unique_ptr<TCells> cells_;
};

}  // namespace grid
