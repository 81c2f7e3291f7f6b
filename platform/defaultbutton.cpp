#include "platform/defaultbutton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace platform {

TPageDefaultButtons::TPageDefaultButtons(QWidget* window) : QObject(window), window_(window) {
  qApp->installEventFilter(this);
}

void TPageDefaultButtons::Add(QAbstractButton* button) { buttons_.emplace_back(button); }

QAbstractButton* TPageDefaultButtons::Current() const {
  for (const auto& b : buttons_)
    if (b && b->isVisibleTo(window_) && b->isVisible() && b->isEnabled()) return b;
  return nullptr;
}

static bool UsesReturn(QWidget* w) {
  if (!w) return false;
  const QVariant want = w->property(kWantReturnsProperty);
  if (want.isValid()) return want.toBool();
  if (auto* e = qobject_cast<QPlainTextEdit*>(w)) return !e->isReadOnly();
  if (auto* e = qobject_cast<QTextEdit*>(w)) return !e->isReadOnly();
  return false;
}

bool TPageDefaultButtons::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != window_) return false;
  // A focused button takes Return for itself.
  if (auto* b = qobject_cast<QAbstractButton*>(w)) {
    b->click();
    return true;
  }
  if (UsesReturn(w)) return false;
  if (QAbstractButton* b = Current()) {
    b->click();
    return true;
  }
  return false;
}

}  // namespace platform
