#pragma once
// Enumerations of the report grid's settings, of its columns and of its
// state, each in declaration order (the order fixes the set bits and the
// names the layouts use).
#include <cstdint>

#include "grid/gridset.h"

namespace grid {

// --- Columns ---------------------------------------------------------------
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TDrawingOptions { doNormal, doBackgroundOnly, doCustom, doCustomOnly };
enum TFormulaKind { fkNone, fkAverage, fkMaximum, fkMinimum, fkSum };
enum TSortKind { skAscending, skDescending };
enum TSortType { stAlphabetic, stBoolean, stNumeric, stDate, stIP };
enum TVerticalAlignment { vaTop, vaMiddle, vaBottom };
enum TWrapKind { wkNone, wkEllipsis, wkWordWrap };
enum TDisplayMode { dmImageOnly, dmTextAndImage, dmTextOnly };

enum TColumnOption {
  coAutoSize,
  coCanClick,
  coCanSort,
  coEditing,
  coCanInput,
  coEditorAutoSelect,
  coFixedSize,
  coImageForIcon,
  coDontHighlight,
  coPublicUsing,
  coSearchColumn,
  coShowTextFitHint,
  coTextForCaption,
};
using TColumnOptions = TSet<TColumnOption>;

// What a column's cells hold; decides the cell class and how painting reads
// a cell.
enum class TValueKind { Text, Boolean, DateTime, Floating, Integer, RowNumber, Picture };

// Column change notification kinds (column -> collection -> grid).
enum class TColumnChange { Appearance, InputText, Position, Sort, Visibility, Width };

// Structure notification actions (collection -> store and view).
enum class TStructureAction { Add, Delete, Clear, Insert, Move };

// Pointer shape number; 0 is the default shape.
using TCursor = int16_t;
inline constexpr TCursor crDefault = 0;

// --- Grid ------------------------------------------------------------------
enum TBorderStyle { bsNone, bsSingle };
enum TGridStyle { gsReport, gsSlides };
enum TGridLinesStyle { lsNormal, lsFramed, lsHorizontalOnly };
enum THeaderStyle { hsAuto, hsDefault, hsOldStyle };
enum TSelectionMoveDirection { mdNone, mdUp, mdDown, mdLeft, mdRight };

enum TGridOption {
  goAlwaysIndicateSelected,
  goAlphaBlendedSelection,
  goAlwaysShowSelection,
  goBoldTextSelection,
  goCanHideColumn,
  goDissableColumnMoving,
  goFooter,
  goGrid,
  goHeader,
  goHideFocus,
  goHighlightTextSelection,
  goIndicateSortedColumn,
  goIndicator,
  goInput,
  goMultiSelect,
  goSelectFullRow,
  goUseDefaultValues,
};
using TGridOptions = TSet<TGridOption>;

// The grid's state flags; one 16-bit set per grid.
enum TGridFlag {
  gfUpdating,
  gfSizing,
  gfHeaderPressed,
  gfColumnMoving,
  gfEditing,
  gfInputEditing,
  gfRangeSelecting,
};
using TGridState = TSet<TGridFlag, uint16_t>;

// Width of the indicator column when goIndicator is on.
inline constexpr int kIndicatorWidth = 12;
// Narrowest a column may be.
inline constexpr int kMinColumnWidth = 8;

}  // namespace grid
