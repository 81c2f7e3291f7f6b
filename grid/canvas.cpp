#include "grid/canvas.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>
#include <QStaticText>
#include <vector>

#include "grid/syscolors.h"

namespace grid {

void TCanvas::Bind(QPainter* painter, const QRegion& paintRegion) {
  painter_ = painter;
  paintRegion_ = paintRegion;
  // System colours resolve in the palette of this pass.
  palette_ = QGuiApplication::palette();
  clipped_ = false;
  if (painter_) {
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setFont(font_);
  }
}

void TCanvas::Unbind() {
  painter_ = nullptr;
  paintRegion_ = QRegion();
  clipped_ = false;
}

QColor TCanvas::Resolve(TColor color) const { return ColorToQColor(color, palette_); }

void TCanvas::SetFont(const QFont& font) {
  font_ = font;
  metrics_.reset();
  texts_ = &textCache_[font_.key()];
  if (painter_) painter_->setFont(font_);
}

void TCanvas::SetClipRect(const TRect& r) {
  clip_ = r;
  clipped_ = true;
  if (painter_) painter_->setClipRect(r.ToQRect());
}

TRect TCanvas::ClipBox() const {
  QRect box = paintRegion_.boundingRect();
  if (clipped_) box = (paintRegion_ & clip_.ToQRect()).boundingRect();
  return TRect::FromQRect(box);
}

void TCanvas::FillPixels(int x, int y, int w, int h, TColor color) {
  if (!painter_ || w <= 0 || h <= 0) return;
  painter_->fillRect(QRect(x, y, w, h), Resolve(color));
}

void TCanvas::FillRect(const TRect& r) { FillPixels(r.Left, r.Top, r.Width(), r.Height(), brushColor_); }

void TCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty()) return;
  FillPixels(r.Left, r.Top, r.Width(), 1, brushColor_);
  FillPixels(r.Left, r.Bottom - 1, r.Width(), 1, brushColor_);
  FillPixels(r.Left, r.Top, 1, r.Height(), brushColor_);
  FillPixels(r.Right - 1, r.Top, 1, r.Height(), brushColor_);
}

void TCanvas::Polyline(std::initializer_list<QPoint> points) {
  if (!painter_ || points.size() < 2) return;
  const QColor color = Resolve(penColor_);
  const QPoint* prev = nullptr;
  for (const QPoint& p : points) {
    if (prev) {
      const QPoint a = *prev;
      // Each segment covers its start and stops before its end, so joints
      // are drawn once and the final point not at all.
      if (a.y() == p.y()) {
        if (p.x() > a.x())
          painter_->fillRect(QRect(a.x(), a.y(), p.x() - a.x(), 1), color);
        else if (p.x() < a.x())
          painter_->fillRect(QRect(p.x() + 1, a.y(), a.x() - p.x(), 1), color);
      } else if (a.x() == p.x()) {
        if (p.y() > a.y())
          painter_->fillRect(QRect(a.x(), a.y(), 1, p.y() - a.y()), color);
        else
          painter_->fillRect(QRect(a.x(), p.y() + 1, 1, a.y() - p.y()), color);
      } else {
        // Slanted segments step pixel by pixel along the longer axis.
        const int dx = p.x() - a.x();
        const int dy = p.y() - a.y();
        const int steps = std::max(std::abs(dx), std::abs(dy));
        std::vector<QPoint> pts;
        pts.reserve(size_t(steps));
        for (int i = 0; i < steps; ++i)
          pts.emplace_back(a.x() + (dx * i + (dx >= 0 ? steps / 2 : -steps / 2)) / steps,
                           a.y() + (dy * i + (dy >= 0 ? steps / 2 : -steps / 2)) / steps);
        painter_->save();
        painter_->setPen(QPen(color, 0));
        painter_->drawPoints(pts.data(), int(pts.size()));
        painter_->restore();
      }
    }
    prev = &p;
  }
}

void TCanvas::SetPixel(int x, int y, TColor color) { FillPixels(x, y, 1, 1, color); }

void TCanvas::Frame3D(TRect& r, TColor topLeft, TColor bottomRight, int width) {
  for (int i = 0; i < width && !r.IsEmpty(); ++i) {
    const int w = r.Width();
    const int h = r.Height();
    FillPixels(r.Left, r.Top, 1, h, topLeft);
    FillPixels(r.Left, r.Top, w - 1, 1, topLeft);
    FillPixels(r.Right - 1, r.Top, 1, h, bottomRight);
    FillPixels(r.Left, r.Bottom - 1, w, 1, bottomRight);
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
}

void TCanvas::Polygon(std::initializer_list<QPoint> points) {
  if (!painter_ || points.size() < 2) return;
  if (brushStyle_ == TBrushStyle::Solid) {
    painter_->save();
    painter_->setPen(Qt::NoPen);
    painter_->setBrush(Resolve(brushColor_));
    painter_->drawPolygon(QPolygon(QList<QPoint>(points)));
    painter_->restore();
  }
  // The outline covers every edge pixel, corners included.
  const QPoint* prev = nullptr;
  for (const QPoint& p : points) {
    if (prev) Polyline({*prev, p});
    prev = &p;
  }
  Polyline({*prev, *points.begin()});
  SetPixel(points.begin()->x(), points.begin()->y(), penColor_);
}

void TCanvas::Draw(int x, int y, const QPixmap& picture) {
  if (painter_) painter_->drawPixmap(x, y, picture);
}

void TCanvas::InvertRect(const TRect& r) {
  if (!painter_ || r.IsEmpty()) return;
  const QPainter::CompositionMode mode = painter_->compositionMode();
  painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter_->fillRect(r.ToQRect(), Qt::white);
  painter_->setCompositionMode(mode);
}

void TCanvas::DrawFocusRect(const TRect& r) {
  if (!painter_ || r.IsEmpty()) return;
  // Every other pixel of the edge, counted from the top-left corner.
  std::vector<QPoint> dots;
  dots.reserve(size_t(r.Width() + r.Height()) + 4);
  auto add = [&](int x, int y) {
    if (((x - r.Left) + (y - r.Top)) % 2 == 0) dots.emplace_back(x, y);
  };
  for (int x = r.Left; x < r.Right; ++x) {
    add(x, r.Top);
    if (r.Bottom - 1 > r.Top) add(x, r.Bottom - 1);
  }
  for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
    add(r.Left, y);
    if (r.Right - 1 > r.Left) add(r.Right - 1, y);
  }
  painter_->save();
  painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter_->setPen(QPen(Qt::white, 0));
  painter_->drawPoints(dots.data(), int(dots.size()));
  painter_->restore();
}

int TCanvas::DrawText(const QString& text, const TRect& r, unsigned flags) {
  if (!painter_) return 0;
  const QFontMetrics& fm = Metrics();
  const bool rtl = (flags & DT_RTLREADING) != 0;
  if ((flags & DT_SINGLELINE) && (flags & DT_NOPREFIX)) {
    // One line placed by hand: the common cell and caption case, without
    // the cost of a general text layout.
    const TextEntry& laid = Laid(text, rtl);
    int advance = laid.advance;
    const QStaticText* shown = &laid.text;
    QStaticText elided;
    bool startOnly = false;
    if ((flags & DT_END_ELLIPSIS) && advance > r.Width()) {
      QString cut = fm.elidedText(text, Qt::ElideRight, std::max(0, r.Width()));
      if (!text.isEmpty() && (cut.isEmpty() || cut == QString(QChar(0x2026)))) {
        // Too narrow even for the ellipsis: the first character and what
        // the rectangle lets through of the ellipsis, from the text's start.
        cut = text.left(text.at(0).isHighSurrogate() ? 2 : 1) + QChar(0x2026);
        startOnly = true;
      }
      elided = MakeStatic(cut, rtl);
      advance = fm.horizontalAdvance(cut);
      shown = &elided;
    }
    int x = r.Left;
    if (startOnly)
      x = rtl ? r.Right - advance : r.Left;
    else if (flags & DT_CENTER)
      x = r.Left + (r.Width() - advance) / 2;
    else if (flags & DT_RIGHT)
      x = r.Right - advance;
    int top = r.Top;
    if (flags & DT_VCENTER)
      top = r.Top + (r.Height() - fm.height()) / 2;
    else if (flags & DT_BOTTOM)
      top = r.Bottom - fm.height();
    // Text never leaves its rectangle (nor the current clip).
    const bool fits = x >= r.Left && x + advance <= r.Right && top >= r.Top && top + fm.height() <= r.Bottom;
    if (!fits) painter_->setClipRect(r.ToQRect(), clipped_ ? Qt::IntersectClip : Qt::ReplaceClip);
    painter_->setPen(Resolve(fontColor_));
    if (brushStyle_ == TBrushStyle::Solid) {
      painter_->setBackgroundMode(Qt::OpaqueMode);
      painter_->setBackground(Resolve(brushColor_));
    }
    painter_->drawStaticText(QPoint(x, top), *shown);
    if (brushStyle_ == TBrushStyle::Solid) painter_->setBackgroundMode(Qt::TransparentMode);
    if (!fits) {
      if (clipped_)
        painter_->setClipRect(clip_.ToQRect());
      else
        painter_->setClipping(false);
    }
    return (flags & DT_EXTERNALLEADING) ? fm.height() + fm.leading() : fm.height();
  }

  int qtFlags = Qt::AlignAbsolute;  // right-to-left reading keeps the alignment
  if (flags & DT_CENTER)
    qtFlags |= Qt::AlignHCenter;
  else if (flags & DT_RIGHT)
    qtFlags |= Qt::AlignRight;
  else
    qtFlags |= Qt::AlignLeft;
  if (flags & DT_VCENTER)
    qtFlags |= Qt::AlignVCenter;
  else if (flags & DT_BOTTOM)
    qtFlags |= Qt::AlignBottom;
  else
    qtFlags |= Qt::AlignTop;
  if (flags & DT_SINGLELINE)
    qtFlags |= Qt::TextSingleLine;
  else if (flags & DT_WORDBREAK)
    qtFlags |= Qt::TextWordWrap;
  if (!(flags & DT_NOPREFIX)) qtFlags |= Qt::TextShowMnemonic;
  qtFlags |= rtl ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;

  QString shown = text;
  if ((flags & DT_END_ELLIPSIS) && (flags & DT_SINGLELINE) && fm.horizontalAdvance(text) > r.Width())
    shown = fm.elidedText(text, Qt::ElideRight, std::max(0, r.Width()),
                          (flags & DT_NOPREFIX) ? 0 : int(Qt::TextShowMnemonic));

  painter_->save();
  painter_->setClipRect(r.ToQRect(), clipped_ ? Qt::IntersectClip : Qt::ReplaceClip);
  painter_->setPen(Resolve(fontColor_));
  if (brushStyle_ == TBrushStyle::Solid) {
    painter_->setBackgroundMode(Qt::OpaqueMode);
    painter_->setBackground(Resolve(brushColor_));
  } else {
    painter_->setBackgroundMode(Qt::TransparentMode);
  }
  QRect bounds;
  painter_->drawText(r.ToQRect(), qtFlags, shown, &bounds);
  painter_->restore();
  return (flags & DT_EXTERNALLEADING) ? fm.height() + fm.leading() : bounds.height();
}

QStaticText TCanvas::MakeStatic(const QString& text, bool rtl) const {
  QStaticText st(text);
  st.setTextFormat(Qt::PlainText);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setTextDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
  st.setTextOption(option);
  st.prepare(QTransform(), font_);
  return st;
}

const TCanvas::TextEntry& TCanvas::Laid(const QString& text, bool rtl) {
  // Texts repeat from one paint to the next (captions, cells of a short
  // list): their layout is kept per font, within a bound.
  if (!texts_) texts_ = &textCache_[font_.key()];
  QHash<QString, TextEntry>& cache = *texts_;
  const QString key = rtl ? text + QChar(0x200F) : text;
  auto it = cache.find(key);
  if (it == cache.end()) {
    if (cache.size() >= kTextCacheLimit) cache.clear();
    it = cache.insert(key, TextEntry{MakeStatic(text, rtl), Metrics().horizontalAdvance(text)});
  }
  return *it;
}

const QFontMetrics& TCanvas::Metrics() const {
  if (!metrics_) metrics_.emplace(font_);
  return *metrics_;
}

int TCanvas::TextHeight(const QString&) const { return Metrics().height(); }

}  // namespace grid
