#include "platform/align.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QObject>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace platform {

namespace {

QList<QWidget*> DirectChildren(QWidget* parent) {
  return parent->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
}

bool HasAlignedChild(QWidget* parent) {
  const QList<QWidget*> children = DirectChildren(parent);
  return std::any_of(children.begin(), children.end(),
                     [](const QWidget* c) { return !c->isWindow() && AlignOf(c) != TAlign::None; });
}

// Aligns the children of each widget it watches after the widget's size
// changed (a pending size is delivered when the widget is first shown).
class AlignWatcher : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) AlignControls(static_cast<QWidget*>(watched));
    return false;
  }
};

// Keeps a page control's page stack on the design's client area. The tab
// widget places the stack itself whenever it lays out (resize, show, style
// or tab changes); the stack's own move or resize is where each placement
// shows, so it is put back there, before its pages are laid out.
class PagePlacer : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Move && event->type() != QEvent::Resize) return false;
    auto* stack = static_cast<QWidget*>(watched);
    const auto* pages = qobject_cast<const QTabWidget*>(stack->parentWidget());
    if (!pages) return false;
    const QRect client = PageClientRect(pages);
    if (stack->geometry() != client) stack->setGeometry(client);
    return false;
  }
};

void PlacePages(QTabWidget* pages, QObject* placer) {
  auto* stack = pages->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
  if (!stack) return;
  stack->installEventFilter(placer);
  stack->setGeometry(PageClientRect(pages));
}

}  // namespace

QRect PageClientRect(const QTabWidget* pages) {
  constexpr int kFrame = 4, kTabRow = 20;
  return pages->rect().adjusted(kFrame, kTabRow + kFrame, -kFrame, -kFrame);
}

TAlign AlignOf(const QWidget* control) {
  const QString align = control->property("align").toString();
  if (align == QLatin1String("top")) return TAlign::Top;
  if (align == QLatin1String("bottom")) return TAlign::Bottom;
  if (align == QLatin1String("left")) return TAlign::Left;
  if (align == QLatin1String("right")) return TAlign::Right;
  if (align == QLatin1String("client")) return TAlign::Client;
  return TAlign::None;
}

QRect AlignClientRect(const QWidget* parent) {
  QRect r = parent->rect();
  if (qobject_cast<const QGroupBox*>(parent)) {
    // The caption line (one text line of the box's font, even without a
    // caption) and a two-pixel frame. The line is as high as in the design,
    // character height plus internal leading (13 px for the window's 11-px
    // font); the stand-in fonts measure a pixel less.
    const QFont font = parent->font();
    const int designLine = font.pixelSize() > 0 ? (font.pixelSize() * 13 + 10) / 11 : 0;
    r.setTop(r.top() + std::max(designLine, QFontMetrics(font).height()));
    r.adjust(2, 2, -2, -2);
  }
  return r;
}

void AlignControls(QWidget* parent) {
  QRect room = AlignClientRect(parent);
  std::vector<QWidget*> byKind[6];
  for (QWidget* c : DirectChildren(parent))
    if (!c->isWindow()) byKind[static_cast<int>(AlignOf(c))].push_back(c);
  // Within one kind the controls keep their order from the edge they fill.
  auto order = [&](TAlign kind, auto key) {
    auto& list = byKind[static_cast<int>(kind)];
    std::stable_sort(list.begin(), list.end(), [&](QWidget* a, QWidget* b) { return key(a) < key(b); });
    return list;
  };
  for (QWidget* c : order(TAlign::Top, [](QWidget* w) { return w->y(); })) {
    c->setGeometry(room.left(), room.top(), room.width(), c->height());
    room.setTop(room.top() + c->height());
  }
  for (QWidget* c : order(TAlign::Bottom, [](QWidget* w) { return -(w->y() + w->height()); })) {
    c->setGeometry(room.left(), room.bottom() + 1 - c->height(), room.width(), c->height());
    room.setBottom(room.bottom() - c->height());
  }
  for (QWidget* c : order(TAlign::Left, [](QWidget* w) { return w->x(); })) {
    c->setGeometry(room.left(), room.top(), c->width(), std::max(0, room.height()));
    room.setLeft(room.left() + c->width());
  }
  for (QWidget* c : order(TAlign::Right, [](QWidget* w) { return -(w->x() + w->width()); })) {
    c->setGeometry(room.right() + 1 - c->width(), room.top(), c->width(), std::max(0, room.height()));
    room.setRight(room.right() - c->width());
  }
  for (QWidget* c : order(TAlign::Client, [](QWidget* w) { return w->y(); }))
    c->setGeometry(room.left(), room.top(), std::max(0, room.width()), std::max(0, room.height()));
}

void InstallAlign(QWidget* root) {
  auto* watcher = new AlignWatcher(root);
  auto* placer = new PagePlacer(root);
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    if (auto* pages = qobject_cast<QTabWidget*>(w)) PlacePages(pages, placer);
    if (HasAlignedChild(w)) w->installEventFilter(watcher);
  }
}

void AutoSizeLabels(QWidget* root) {
  for (QLabel* label : root->findChildren<QLabel*>()) {
    if (label->property("fixedSize").toBool() || !label->pixmap().isNull() || label->text().isEmpty()) continue;
    label->adjustSize();
  }
}

}  // namespace platform
