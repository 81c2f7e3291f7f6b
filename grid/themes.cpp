#include "grid/themes.h"

#include <QApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionHeader>
#include <QWidget>

#include "platform/errors.h"

namespace grid {

namespace {

std::function<bool(const QStyle*)>& Probe() {
  static std::function<bool(const QStyle*)> probe;
  return probe;
}

bool DefaultProbe(const QStyle* style) {
  if (!style) return false;
  const QString name = style->name();
  if (!name.isEmpty()) return name.compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0;
  return qstrcmp(style->metaObject()->className(), "QWindowsStyle") != 0;
}

QStyle::State StateFlags(THeaderThemeState state) {
  QStyle::State s = QStyle::State_Enabled | QStyle::State_Horizontal;
  if (state == THeaderThemeState::Hot)
    s |= QStyle::State_MouseOver | QStyle::State_Raised;
  else if (state == THeaderThemeState::Pressed)
    s |= QStyle::State_Sunken;
  else
    s |= QStyle::State_Raised;
  return s;
}

QStyleOptionHeader HeaderOption(const QRect& rect, THeaderThemeState state, THeaderThemePosition position,
                                const QWidget* widget) {
  QStyleOptionHeader opt;
  if (widget) opt.initFrom(widget);
  opt.rect = rect;
  opt.state = StateFlags(state);
  opt.orientation = Qt::Horizontal;
  switch (position) {
    case THeaderThemePosition::Sole: opt.position = QStyleOptionHeader::OnlyOneSection; break;
    case THeaderThemePosition::First: opt.position = QStyleOptionHeader::Beginning; break;
    case THeaderThemePosition::Middle: opt.position = QStyleOptionHeader::Middle; break;
    case THeaderThemePosition::Last: opt.position = QStyleOptionHeader::End; break;
  }
  return opt;
}

QImage RenderSection(const QStyle* style, THeaderThemeState state) {
  QImage img(48, 20, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::white);
  QPainter p(&img);
  const QStyleOptionHeader opt = HeaderOption(img.rect(), state, THeaderThemePosition::Middle, nullptr);
  style->drawControl(QStyle::CE_HeaderSection, &opt, &p, nullptr);
  return img;
}

}  // namespace

const QStyle* BaseStyleOf(const QStyle* style) {
  while (const auto* proxy = qobject_cast<const QProxyStyle*>(style)) {
    const QStyle* base = proxy->baseStyle();
    if (!base || base == style) break;
    style = base;
  }
  return style;
}

void SetThemeProbe(std::function<bool(const QStyle*)> probe) { Probe() = std::move(probe); }

bool ThemesActive(const QWidget* widget) {
  try {
    const QStyle* style = widget ? widget->style() : QApplication::style();
    style = BaseStyleOf(style);
    return Probe() ? Probe()(style) : DefaultProbe(style);
  } catch (...) {
    throw platform::Exception(QStringLiteral("Error in Themes"));
  }
}

bool StyleShowsHeaderState(const QStyle* style, THeaderThemeState state) {
  if (!style || state == THeaderThemeState::Normal) return true;
  // Asked once per style and state: render both looks and compare.
  static QHash<QPair<const QStyle*, int>, bool> cache;
  const auto key = qMakePair(style, int(state));
  const auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  const bool differs = RenderSection(style, state) != RenderSection(style, THeaderThemeState::Normal);
  cache.insert(key, differs);
  return differs;
}

void DrawThemedHeaderCell(QPainter* painter, const QWidget* widget, const QRect& rect, THeaderThemeState state,
                          THeaderThemePosition position) {
  const QStyle* style = widget ? widget->style() : QApplication::style();
  const QStyleOptionHeader opt = HeaderOption(rect, state, position, widget);
  painter->save();
  painter->setClipRect(rect, Qt::IntersectClip);
  style->drawControl(QStyle::CE_HeaderSection, &opt, painter, widget);
  if (!StyleShowsHeaderState(style, state)) {
    // The style draws no hot or pressed look: mark it ourselves so the hot
    // cell follows the pointer visibly.
    const QPalette pal = widget ? widget->palette() : QApplication::palette();
    const QRect inner = rect.adjusted(1, 1, -1, -1);
    if (state == THeaderThemeState::Hot) {
      QColor wash = pal.color(QPalette::Highlight);
      wash.setAlpha(48);
      painter->fillRect(inner, wash);
      painter->fillRect(QRect(rect.left(), rect.bottom() - 1, rect.width(), 2), pal.color(QPalette::Highlight));
    } else {
      QColor wash = pal.color(QPalette::Shadow);
      wash.setAlpha(64);
      painter->fillRect(inner, wash);
    }
  }
  painter->restore();
}

void DrawThemedHeaderFiller(QPainter* painter, const QWidget* widget, const QRect& rect) {
  const QStyle* style = widget ? widget->style() : QApplication::style();
  QStyleOption opt;
  if (widget) opt.initFrom(widget);
  opt.rect = rect;
  opt.state = QStyle::State_Enabled | QStyle::State_Horizontal;
  painter->save();
  painter->setClipRect(rect, Qt::IntersectClip);
  // Some styles leave the empty header area to the widget: start from the
  // button face so every pixel is painted.
  painter->fillRect(rect, (widget ? widget->palette() : QApplication::palette()).color(QPalette::Button));
  style->drawControl(QStyle::CE_HeaderEmptyArea, &opt, painter, widget);
  painter->restore();
}

void DrawThemedBorder(QPainter* painter, const QWidget* widget) {
  const QRect outer = widget->rect();
  QStyleOptionFrame opt;
  opt.initFrom(widget);
  opt.rect = outer;
  opt.lineWidth = 2;
  opt.midLineWidth = 0;
  opt.state |= QStyle::State_Sunken;
  opt.frameShape = QFrame::StyledPanel;
  painter->save();
  // Only the outer two pixels: the window rectangle less its inner part.
  painter->setClipRegion(QRegion(outer).subtracted(QRegion(outer.adjusted(2, 2, -2, -2))));
  painter->fillRect(outer, widget->palette().color(QPalette::Base));
  widget->style()->drawPrimitive(QStyle::PE_Frame, &opt, painter, widget);
  painter->restore();
}

}  // namespace grid
