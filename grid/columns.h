#pragma once
// The column model: column objects with their settings and change
// notifications, and the collection that keeps them in two orders (the
// order of addition, which is the column index everywhere, and the display
// order by Position).
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "grid/columnparts.h"
#include "grid/gridenums.h"
#include "grid/gridfont.h"
#include "grid/types.h"

namespace grid {

class TColumns;
class TCustomGridView;

class TCustomColumn {
 public:
  TCustomColumn();
  virtual ~TCustomColumn();
  TCustomColumn(const TCustomColumn&) = delete;
  TCustomColumn& operator=(const TCustomColumn&) = delete;

  // --- Identity (component base) ---
  const QString& Name() const { return name_; }
  void SetName(const QString& v) { name_ = v; }
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t v) { tag_ = v; }
  // The class name a layout uses for this column.
  virtual const char* ClassName() const = 0;

  // --- Published properties ---
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v);
  const QString& DefaultValue() const { return defaultValue_; }
  void SetDefaultValue(const QString& v) { defaultValue_ = v; }
  TDrawingOptions DrawingOptions() const { return drawingOptions_; }
  void SetDrawingOptions(TDrawingOptions v);
  int DefaultWidth() const { return defaultWidth_; }
  void SetDefaultWidth(int v) { defaultWidth_ = v; }
  const TFont& Font() const { return font_; }
  void SetFont(const TFont& v);
  TColumnFooter& Footer() { return *footer_; }
  const TColumnFooter& Footer() const { return *footer_; }
  void SetFooter(const TColumnFooter& v);
  TFormulaKind FormulaKind() const { return formulaKind_; }
  void SetFormulaKind(TFormulaKind v);
  TColumnHeader& Header() { return *header_; }
  const TColumnHeader& Header() const { return *header_; }
  void SetHeader(const TColumnHeader& v);
  const QString& InputCaption() const { return inputCaption_; }
  void SetInputCaption(const QString& v);
  TColumnOptions Options() const { return options_; }
  void SetOptions(TColumnOptions v);
  int Position() const { return position_; }
  void SetPosition(int v);
  const TSlideBounds& SlideBounds() const { return slideBounds_; }
  void SetSlideBounds(const TSlideBounds& v);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  TSortKind SortKind() const { return sortKind_; }
  void SetSortKind(TSortKind v);
  TSortType SortType() const { return sortType_; }
  void SetSortType(TSortType v);
  TVerticalAlignment VerticalAlignment() const { return verticalAlignment_; }
  void SetVerticalAlignment(TVerticalAlignment v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  int Width() const { return width_; }
  void SetWidth(int v);
  TWrapKind WrapKind() const { return wrapKind_; }
  void SetWrapKind(TWrapKind v) { wrapKind_ = v; }

  // --- State kept for the grid ---
  TColumns* Collection() const { return collection_; }
  // Set before the column reads its layout entry, and again by TColumns::Add.
  void SetCollection(TColumns* c) { collection_ = c; }
  TValueKind ValueKind() const { return valueKind_; }
  // x of the left edge in the unscrolled data area (layout pass).
  int Left() const { return left_; }
  // Rank among the visible columns in display order; -1 when hidden.
  int VisibleIndex() const { return visibleIndex_; }
  const QString& InputText() const { return inputText_; }
  void SetInputText(const QString& v);
  // The column's index in its collection; -1 when not in one.
  int Index() const;

  // --- Class behaviour ---
  // Class names of the cell editor, the cell painter and the interactive
  // element; nullptr when the class names none.
  virtual const char* EditorClass() const { return nullptr; }
  virtual const char* DisplayClass() const = 0;
  virtual const char* PlayClass() const { return nullptr; }
  // The text painting shows for a cell value.
  virtual QString FormatDisplayText(const QString& value) const { return value; }
  // Whether typing the character may start editing.
  virtual bool AcceptsKey(QChar /*c*/) const { return false; }
  // Copies column settings into the editor before editing.
  virtual void PrepareEditor() {}

 protected:
  virtual void SetValueKind(TValueKind k) { valueKind_ = k; }
  // Raises the change notification towards the collection and the grid.
  void Changed(TColumnChange kind);

 private:
  friend class TColumns;
  void PartChanged(TColumnPart*) { Changed(TColumnChange::Appearance); }

  QString name_;
  intptr_t tag_ = 0;
  TAlignment alignment_ = taLeftJustify;
  TColor color_ = clBlack;
  TCursor cursor_ = crDefault;
  QString defaultValue_;
  TDrawingOptions drawingOptions_ = doNormal;
  int defaultWidth_ = 80;
  TFont font_;
  std::unique_ptr<TColumnFooter> footer_;
  TFormulaKind formulaKind_ = fkNone;
  std::unique_ptr<TColumnHeader> header_;
  QString inputCaption_;
  TColumnOptions options_{coCanClick, coCanSort, coCanInput, coEditorAutoSelect, coPublicUsing};
  int position_ = -1;
  TSlideBounds slideBounds_;
  bool sorted_ = false;
  TSortKind sortKind_ = skAscending;
  TSortType sortType_ = stAlphabetic;
  TVerticalAlignment verticalAlignment_ = vaMiddle;
  bool visible_ = true;
  int width_ = 80;
  TWrapKind wrapKind_ = wkEllipsis;

  TColumns* collection_ = nullptr;
  TValueKind valueKind_ = TValueKind::Text;
  int left_ = 0;
  int visibleIndex_ = -1;
  QString inputText_;
};

// The text column: the only kind the call list uses.
class TTextualColumn : public TCustomColumn {
 public:
  const char* ClassName() const override { return "TTextualColumn"; }
  const char* EditorClass() const override { return "TTextEditor"; }
  const char* DisplayClass() const override { return "TTextualColumnDisplay"; }
  QString FormatDisplayText(const QString& value) const override { return textBefore_ + value + textAfter_; }
  bool AcceptsKey(QChar c) const override { return c.unicode() > 32; }

  // Stored only; nothing in the grid reads it.
  bool AutoExecute() const { return autoExecute_; }
  void SetAutoExecute(bool v) { autoExecute_ = v; }
  const QString& TextAfter() const { return textAfter_; }
  void SetTextAfter(const QString& v) { textAfter_ = v; }
  const QString& TextBefore() const { return textBefore_; }
  void SetTextBefore(const QString& v) { textBefore_ = v; }

 private:
  bool autoExecute_ = false;
  QString textAfter_;
  QString textBefore_;
};

class TColumns {
 public:
  // The store can hold no more columns than this.
  static constexpr int kMaxColumns = 1025;

  using ColumnChangeEvent = std::function<void(TColumns* sender, TCustomColumn* column, TColumnChange kind)>;
  using StructureEvent = std::function<void(TColumns* sender, TStructureAction action, int index1, int index2)>;

  explicit TColumns(TCustomGridView* grid = nullptr);
  ~TColumns();
  TColumns(const TColumns&) = delete;
  TColumns& operator=(const TColumns&) = delete;

  const QString& Name() const { return name_; }
  void SetName(const QString& v) { name_ = v; }
  intptr_t Tag() const { return tag_; }
  void SetTag(intptr_t v) { tag_ = v; }
  TCustomGridView* Grid() const { return grid_; }

  int Count() const { return static_cast<int>(items_.size()); }
  // By column index (order of addition). Raises the list-index error.
  TCustomColumn* Items(int index) const;
  // By display index. Raises the list-index error.
  TCustomColumn* ByPosition(int index) const;
  // The column's place in the display order; -1 when not in this collection.
  int DisplayIndexOf(const TCustomColumn* column) const;
  int IndexOf(const TCustomColumn* column) const;
  int VisibleCount() const;
  int VisibleWidth() const;

  // Appends the column (taking ownership) and places it in the display order
  // before the first column with a greater Position. Raises when the
  // collection is full; the column is then freed.
  TCustomColumn* Add(std::unique_ptr<TCustomColumn> column);
  // Frees every column.
  void Clear();
  // Moves the column at display index fromIndex to toIndex and renumbers.
  void MovePosition(int fromIndex, int toIndex);
  // The layout pass: Left and visible index of every column in display
  // order; with renumber, Position becomes the display index.
  void Relayout(bool renumber);
  // Stretches the visible auto-size columns to fill clientWidth - dataLeft,
  // keeping their proportions (nearest pixel, halves down, difference carried
  // to the next column).
  void AutoSizeColumns(int clientWidth, int dataLeft);

  // True while a layout is read: Position only stores, Width skips the
  // layout pass and the grid does not react to column notifications.
  bool Reading() const { return reading_; }
  void SetReading(bool v) { reading_ = v; }

  // Left edge of the data area (the indicator column's width when shown).
  int DataLeft() const;

  ColumnChangeEvent OnColumnChange;
  StructureEvent OnStoreStructure;
  StructureEvent OnViewStructure;

 private:
  friend class TCustomColumn;
  void ColumnChanged(TCustomColumn* column, TColumnChange kind);
  void Structure(TStructureAction action, int index1, int index2);

  QString name_;
  intptr_t tag_ = 0;
  TCustomGridView* grid_;
  std::vector<std::unique_ptr<TCustomColumn>> items_;
  std::vector<TCustomColumn*> display_;
  bool reading_ = false;
};

}  // namespace grid
