#include "grid/rollmode.h"

#include <QCursor>
#include <QWidget>
#include <cstdlib>

#include "grid/rollshadow.h"

namespace grid {

int RollInterval(int dy) {
  const int interval = 100 - std::abs(dy);
  return interval < 1 ? 1 : interval;
}

TRollDirection RollDirectionFor(int dy) {
  if (dy < -5) return TRollDirection::Up;
  if (dy < 6) return TRollDirection::None;
  return TRollDirection::Down;
}

TCursor RollCursorFor(TRollDirection direction) {
  switch (direction) {
    case TRollDirection::Up: return crRollUp;
    case TRollDirection::Down: return crRollDown;
    case TRollDirection::None: break;
  }
  return crRoll;
}

TRollMode::TRollMode(QWidget* view) : QObject(view), view_(view), marker_(new TRollShadow(view)) {
  RegisterRollCursors();
  timer_.setSingleShot(false);
  connect(&timer_, &QTimer::timeout, this, &TRollMode::Tick);
  PointerPos = [this] { return view_->mapFromGlobal(QCursor::pos()); };
}

TRollMode::~TRollMode() {
  if (active_) SetApplicationCursor(crDefault);
}

void TRollMode::Start(const QPoint& clientPoint) {
  active_ = true;
  direction_ = TRollDirection::None;
  marker_->setCursor(TScreenCursors::Get(crRoll));
  origin_ = clientPoint;
  marker_->ShowAt(view_->mapToGlobal(clientPoint));
  timer_.start(1);
}

void TRollMode::Move(const QPoint& clientPoint) {
  if (!active_) return;
  direction_ = RollDirectionFor(clientPoint.y() - origin_.y());
  const TCursor cursor = RollCursorFor(direction_);
  SetApplicationCursor(cursor);
  marker_->setCursor(TScreenCursors::Get(cursor));
}

void TRollMode::Tick() {
  if (!active_) return;
  const int dy = PointerPos().y() - origin_.y();
  timer_.setInterval(RollInterval(dy));
  if (direction_ == TRollDirection::Up && OnLineUp) OnLineUp();
  if (direction_ == TRollDirection::Down && OnLineDown) OnLineDown();
}

void TRollMode::Stop() {
  timer_.stop();
  const bool wasActive = active_;
  active_ = false;
  direction_ = TRollDirection::None;
  marker_->hide();
  if (wasActive || ApplicationCursor() != crDefault) SetApplicationCursor(crDefault);
}

}  // namespace grid
