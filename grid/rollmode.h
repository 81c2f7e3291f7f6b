#pragma once
// The middle-button roll mode of the scroll view: while the middle button is
// held, a marker shows at the press point and a timer scrolls the rows up or
// down, faster the farther the pointer has moved from that point.
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <functional>

#include "grid/cursors.h"

namespace grid {

class TRollShadow;

enum class TRollDirection { None, Up, Down };

// Delay between two roll steps for a pointer dy pixels from the press point:
// 100 - |dy| milliseconds, never below 1.
int RollInterval(int dy);
// Direction for a pointer dy pixels below (negative: above) the press point:
// up beyond 5 pixels above, down from 6 pixels below, none in between.
TRollDirection RollDirectionFor(int dy);
// The cursor that shows a direction ("ROLL", "ROLLUP", "ROLLDOWN").
TCursor RollCursorFor(TRollDirection direction);

class TRollMode : public QObject {
  Q_OBJECT
 public:
  // view: the widget whose client coordinates the points are in.
  explicit TRollMode(QWidget* view);
  ~TRollMode() override;

  // Scroll one row up or down; set by the owner.
  std::function<void()> OnLineUp;
  std::function<void()> OnLineDown;
  // Where the pointer is now, in the view's client coordinates; by default
  // read from the screen cursor.
  std::function<QPoint()> PointerPos;

  bool Active() const { return active_; }
  TRollDirection Direction() const { return direction_; }
  QPoint Origin() const { return origin_; }
  QTimer* Timer() { return &timer_; }
  TRollShadow* Marker() { return marker_; }

  // Middle press at a client point: marker shown, timer started at 1 ms.
  void Start(const QPoint& clientPoint);
  // Pointer moved: direction and application cursor follow the distance.
  void Move(const QPoint& clientPoint);
  // One timer step: the next delay from the pointer's distance, then one
  // row in the current direction.
  void Tick();
  // Release of any button: everything back to rest.
  void Stop();

 private:
  QWidget* view_;
  TRollShadow* marker_;
  QTimer timer_;
  QPoint origin_;
  bool active_ = false;
  TRollDirection direction_ = TRollDirection::None;
};

}  // namespace grid
