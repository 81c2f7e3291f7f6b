#pragma once
// Pointer shapes of the grid: the platform's stock cursor numbers, the
// application-wide table of cursors registered by number, and the grid's own
// cursor pictures loaded by name from the resources.
#include <QCursor>
#include <QString>
#include <cstdint>
#include <optional>

#include "grid/gridenums.h"

class QWidget;

namespace grid {

// A cursor (TCursor, a 16-bit number): 0 and below are stock shapes,
// positive numbers are looked up in the registered table.
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// The grid's own cursors, registered under these numbers.
inline constexpr TCursor crHorzSplit = 3000;
inline constexpr TCursor crColumnNoDrag = 3001;
inline constexpr TCursor crRoll = 3003;
inline constexpr TCursor crRollUp = 3004;
inline constexpr TCursor crRollDown = 3005;
inline constexpr TCursor crIndicatorSelect = 3006;

// Application-wide cursor table (one per program, like the screen's).
class TScreenCursors {
 public:
  // Registers or replaces the cursor under a positive number; numbers of
  // stock shapes (0 and below) cannot be overridden and are refused.
  static bool Register(TCursor number, const QCursor& cursor);
  static bool IsRegistered(TCursor number);
  // The shape for a number: stock shapes map to the window system's own,
  // registered numbers to their picture, anything unknown to the arrow.
  static QCursor Get(TCursor number);
  // Forgets every registered cursor (tests start from a clean table).
  static void Clear();
};

// Gives a widget the shape for a number; crDefault returns it to its own
// default instead of pinning the arrow.
void ApplyCursor(QWidget* widget, TCursor number);

// Loads one of the grid's cursor pictures by resource name ("HORZSPLIT",
// "COLUMNNODRAG", "ROLL", "ROLLUP", "ROLLDOWN", "INDICATORSELECT") with its
// hot spot; nothing for an unknown name or a missing picture.
std::optional<QCursor> LoadCursorResource(const QString& name);

// Registers 3000 "HORZSPLIT", 3001 "COLUMNNODRAG" and 3006 "INDICATORSELECT";
// called whenever a grid is built. The pictures are decoded when a cursor is
// first asked for.
void RegisterGridCursors();
// Registers 3003 "ROLL", 3004 "ROLLUP" and 3005 "ROLLDOWN"; called whenever
// a scroll view is built.
void RegisterRollCursors();

// The application cursor that overrides every window's own while set
// (used by the roll mode); crDefault gives every window its own back.
void SetApplicationCursor(TCursor number);
TCursor ApplicationCursor();

}  // namespace grid
