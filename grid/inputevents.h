#pragma once
// Pointer and keyboard events the grid raises through the platform layer
// (OnMouseDown, OnKeyDown and the like), with their button and shift types.
#include <QObject>
#include <QPoint>
#include <functional>

#include "grid/gridset.h"

namespace grid {

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftFlag>;

using TMouseEvent = std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelUpDownEvent =
    std::function<void(QObject* Sender, TShiftState Shift, const QPoint& MousePos, bool& Handled)>;
// Key is the Qt key code; a handler may set it to 0 to swallow the key.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, TShiftState Shift)>;
// Key is the character; a handler may set it to 0 to swallow it.
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;

}  // namespace grid
