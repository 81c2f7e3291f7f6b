#pragma once
// The grid's drawing surface: a thin layer over QPainter with a current
// font, pen and brush in grid colours, and exactly the primitives the grid
// draws with. Rectangles exclude their right and bottom edges; conversion to
// Qt's inclusive rectangles happens only here.
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPalette>
#include <QPoint>
#include <QRegion>
#include <QStaticText>
#include <QString>
#include <initializer_list>
#include <map>
#include <optional>

#include "grid/types.h"

class QPainter;
class QPixmap;

namespace grid {

// Text drawing flags, in the platform's numbering.
enum : unsigned {
  DT_LEFT = 0x0,
  DT_TOP = 0x0,
  DT_CENTER = 0x1,
  DT_RIGHT = 0x2,
  DT_VCENTER = 0x4,
  DT_BOTTOM = 0x8,
  DT_WORDBREAK = 0x10,
  DT_SINGLELINE = 0x20,
  DT_EXTERNALLEADING = 0x200,
  DT_NOPREFIX = 0x800,
  DT_END_ELLIPSIS = 0x8000,
  DT_RTLREADING = 0x20000,
};

enum class TBrushStyle { Solid, Clear };

class TCanvas {
 public:
  TCanvas() = default;

  // Binds the canvas to a painter for one paint pass. paintRegion is the
  // invalid region being painted; it bounds the clip box.
  void Bind(QPainter* painter, const QRegion& paintRegion);
  void Unbind();
  QPainter* Painter() const { return painter_; }
  bool Bound() const { return painter_ != nullptr; }

  const QFont& Font() const { return font_; }
  void SetFont(const QFont& font);
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor c) { fontColor_ = c; }
  TColor PenColor() const { return penColor_; }
  void SetPenColor(TColor c) { penColor_ = c; }
  TColor BrushColor() const { return brushColor_; }
  void SetBrushColor(TColor c) { brushColor_ = c; }
  TBrushStyle BrushStyle() const { return brushStyle_; }
  void SetBrushStyle(TBrushStyle s) { brushStyle_ = s; }

  // Clip region: one rectangle, always within the invalid region.
  void SetClipRect(const TRect& r);
  // The bounding box of what can currently be drawn.
  TRect ClipBox() const;
  // Whether anything of r lies inside the clip rectangle (always true
  // without one); cheaper than ClipBox for a quick rejection.
  bool MayDraw(const TRect& r) const {
    return !clipped_ || (r.Left < clip_.Right && r.Right > clip_.Left && r.Top < clip_.Bottom && r.Bottom > clip_.Top);
  }

  // Fills with the brush colour.
  void FillRect(const TRect& r);
  // A 1-pixel frame in the brush colour.
  void FrameRect(const TRect& r);
  // Connected lines in the pen colour; the last point is not drawn.
  void Polyline(std::initializer_list<QPoint> points);
  void SetPixel(int x, int y, TColor color);
  // Top and left edges in one colour, bottom and right in the other; r
  // shrinks by the width.
  void Frame3D(TRect& r, TColor topLeft, TColor bottomRight, int width);
  // A polygon filled with the brush and outlined with the pen.
  void Polygon(std::initializer_list<QPoint> points);
  void Draw(int x, int y, const QPixmap& picture);
  // Inverts the colours of every pixel in r.
  void InvertRect(const TRect& r);
  // The dotted focus frame on r's edge pixels; the dots invert what lies
  // below, so drawing it twice removes it.
  void DrawFocusRect(const TRect& r);
  // Draws text into r with DT_* flags, clipped to r; returns the text height.
  int DrawText(const QString& text, const TRect& r, unsigned flags);
  int TextHeight(const QString& text) const;

 private:
  void FillPixels(int x, int y, int w, int h, TColor color);
  const QFontMetrics& Metrics() const;
  QColor Resolve(TColor color) const;
  struct TextEntry {
    QStaticText text;
    int advance = 0;
  };
  static constexpr int kTextCacheLimit = 1024;
  QStaticText MakeStatic(const QString& text, bool rtl) const;
  const TextEntry& Laid(const QString& text, bool rtl);

  QPainter* painter_ = nullptr;
  QRegion paintRegion_;
  TRect clip_;
  bool clipped_ = false;
  QFont font_;
  TColor fontColor_ = clWindowText;
  TColor penColor_ = clBlack;
  TColor brushColor_ = clWhite;
  TBrushStyle brushStyle_ = TBrushStyle::Solid;
  mutable std::optional<QFontMetrics> metrics_;
  QPalette palette_;
  std::map<QString, QHash<QString, TextEntry>> textCache_;  // nodes stay put
  QHash<QString, TextEntry>* texts_ = nullptr;
};

}  // namespace grid
