#pragma once
// Align and AutoSize of declared controls. A control declares its Align in
// the dynamic property "align" of its layout ("top", "bottom", "left",
// "right" or "client"): aligned to an edge it fills that edge of its parent
// at its declared thickness, "client" fills what the others leave; the
// controls follow every size change of their parent. A label sizes itself
// to its text unless its layout marks it "fixedSize". The pages of a page
// control (QTabWidget) get the client area of the design, which is what
// their aligned controls fill.
#include <QRect>

class QTabWidget;
class QWidget;

namespace platform {

enum class TAlign { None, Top, Bottom, Left, Right, Client };

// The Align a control declares; None without the property.
TAlign AlignOf(const QWidget* control);

// The part of parent's client area that aligned controls share: all of it,
// less the frame and the caption line of a group box.
QRect AlignClientRect(const QWidget* parent);

// Where a page control puts its pages, in its own coordinates: 4 px in from
// its left, right and bottom edges and below the design's 20-px tab row
// (519 x 383 of a 527 x 411 control), whatever this toolkit's tab row and
// frame measure.
QRect PageClientRect(const QTabWidget* pages);

// Places parent's aligned children once: top ones from the top down, then
// bottom, left and right ones, and client ones last into what is left.
void AlignControls(QWidget* parent);

// Every widget under root (root included) that has aligned children aligns
// them whenever its size changes, its first showing included; every page
// control under root keeps its pages on PageClientRect.
void InstallAlign(QWidget* root);

// Sizes every text label under root to its text, except labels marked
// fixed size and labels that show a picture.
void AutoSizeLabels(QWidget* root);

}  // namespace platform
