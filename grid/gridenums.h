#pragma once
// Enumerations of the report grid's settings, of its columns and of its
// state, each in declaration order (the order fixes the set bits and the
// names the layouts use). The layout loader reads the names through Qt's
// meta-object table, so each name is written only here.
#include <QObject>
#include <cstdint>

#include "grid/gridset.h"

namespace grid {
Q_NAMESPACE

// --- Columns ---------------------------------------------------------------
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
Q_ENUM_NS(TAlignment)
enum TDrawingOptions { doNormal, doBackgroundOnly, doCustom, doCustomOnly };
Q_ENUM_NS(TDrawingOptions)
enum TFormulaKind { fkNone, fkAverage, fkMaximum, fkMinimum, fkSum };
Q_ENUM_NS(TFormulaKind)
enum TSortKind { skAscending, skDescending };
Q_ENUM_NS(TSortKind)
enum TSortType { stAlphabetic, stBoolean, stNumeric, stDate, stIP };
Q_ENUM_NS(TSortType)
enum TVerticalAlignment { vaTop, vaMiddle, vaBottom };
Q_ENUM_NS(TVerticalAlignment)
enum TWrapKind { wkNone, wkEllipsis, wkWordWrap };
Q_ENUM_NS(TWrapKind)
enum TDisplayMode { dmImageOnly, dmTextAndImage, dmTextOnly };
Q_ENUM_NS(TDisplayMode)

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
Q_ENUM_NS(TColumnOption)
using TColumnOptions = TSet<TColumnOption>;

// Font styles a layout may set (TFont keeps them as flags).
enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
Q_ENUM_NS(TFontStyle)

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
Q_ENUM_NS(TBorderStyle)
enum TGridStyle { gsReport, gsSlides };
Q_ENUM_NS(TGridStyle)
enum TGridLinesStyle { lsNormal, lsFramed, lsHorizontalOnly };
Q_ENUM_NS(TGridLinesStyle)
enum THeaderStyle { hsAuto, hsDefault, hsOldStyle };
Q_ENUM_NS(THeaderStyle)
enum TSelectionMoveDirection { mdNone, mdUp, mdDown, mdLeft, mdRight };
Q_ENUM_NS(TSelectionMoveDirection)

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
Q_ENUM_NS(TGridOption)
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
