#pragma once
// Event types the grid publishes. Every handler gets the grid as Sender.
#include <QObject>
#include <QString>
#include <functional>

#include "grid/gridset.h"
#include "grid/types.h"

namespace grid {

enum TCellStateFlag { csFocused, csSelected, csTextHighlighted, csBoldTextSelection };
using TCellState = TSet<TCellStateFlag>;

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TCellEvent = std::function<void(QObject* Sender, int ACol, int ARow)>;
using TChangeEvent = std::function<void(QObject* Sender, int ACol, int ARow)>;
using TAfterEditEvent = std::function<void(QObject* Sender, int ACol, int ARow, const QString& Value, bool& Accept)>;
using TApplyCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, QString& Value)>;
using TBeforeEditEvent = std::function<void(QObject* Sender, int ACol, int ARow, bool& Accept)>;
using TCellColoringEvent = std::function<void(QObject* Sender, int ACol, int ARow, TColor& CellColor, TColor& GridColor,
                                              TCellState CellState)>;
using TCustomDrawCellEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, const TRect& CellRect, TCellState CellState)>;
using TDrawCellBackgroundEvent = std::function<void(QObject* Sender, int ACol, int ARow, const TRect& CellRect,
                                                    TCellState CellState, bool& DefaultDrawing)>;
using TEditEvent = std::function<void(QObject* Sender, int ACol, int ARow, const QString& Value)>;
using THeaderClickEvent = std::function<void(QObject* Sender, int ACol)>;
using TInputAcceptEvent = std::function<void(QObject* Sender, bool& Accept)>;
using TSortColumnEvent = std::function<void(QObject* Sender, int ACol, bool Ascending)>;

}  // namespace grid
