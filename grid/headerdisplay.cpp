#include "grid/headerdisplay.h"

#include <QImage>
#include <QPainter>

#include "grid/canvas.h"
#include "grid/columns.h"
#include "grid/gridview.h"
#include "grid/themes.h"

namespace grid {

TColumnPartDisplay::TColumnPartDisplay(TCustomGridView* grid, TCanvas* canvas) : Canvas(canvas), Grid(grid) {}

bool TColumnPartDisplay::Themed() const { return ThemesActive(Grid); }

int TColumnPartDisplay::GetContentIndent() {
  if (DrawsBackground && NormalState == 1 && Grid->HeaderStyle() == hsAuto && Themed() && Column &&
      Column->Header().DisplayMode() == dmTextOnly)
    return 11;
  return 2;
}

void TColumnPartDisplay::DrawSortArrow(int x, int y) {
  // A small filled triangle in the shadow colour: up for ascending.
  if (!Column) return;
  Canvas->SetPenColor(clBtnShadow);
  Canvas->SetBrushColor(clBtnShadow);
  if (Column->SortKind() == skAscending)
    Canvas->Polygon({QPoint(x + 3, y), QPoint(x, y + 4), QPoint(x + 6, y + 4)});
  else
    Canvas->Polygon({QPoint(x, y), QPoint(x + 6, y), QPoint(x + 3, y + 4)});
}

void TColumnPartDisplay::DrawHeaderFrame(const TRect& r, TEdgeKind edge, TColor color) {
  const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
  Canvas->SetBrushColor(color);
  Canvas->FillRect(TRect{L + 1, T + 1, R - 1, B - 1});
  if (edge == TEdgeKind::Sole) {
    TRect frame = r;
    Canvas->Frame3D(frame, clBtnHighlight, clBtnShadow, 1);
    return;
  }
  // Outer ends of the row get full-height edges; separators between two
  // headers leave one header-coloured pixel at each end.
  Canvas->SetPenColor(clBtnHighlight);
  Canvas->Polyline({QPoint(L, T), QPoint(R, T)});
  if (edge == TEdgeKind::First) {
    Canvas->Polyline({QPoint(L, T + 1), QPoint(L, B - 1)});
  } else {
    Canvas->Polyline({QPoint(L, T + 2), QPoint(L, B - 2)});
    Canvas->SetPixel(L, T + 1, color);
    Canvas->SetPixel(L, B - 2, color);
  }
  Canvas->SetPenColor(clBtnShadow);
  Canvas->Polyline({QPoint(L, B - 1), QPoint(R, B - 1)});
  if (edge == TEdgeKind::Last) {
    Canvas->Polyline({QPoint(R - 1, T), QPoint(R - 1, B - 1)});
  } else {
    Canvas->Polyline({QPoint(R - 1, T + 2), QPoint(R - 1, B - 2)});
    Canvas->SetPixel(R - 1, T + 1, color);
    Canvas->SetPixel(R - 1, B - 2, color);
  }
}

void TColumnPartDisplay::DrawDefaultBackground(const TRect& r, TEdgeKind edge, TColor color) {
  DrawHeaderFrame(r, edge, color);
}

void TColumnPartDisplay::DrawOldStyleBackground(const TRect& r, TEdgeKind, TColor color) {
  Canvas->SetBrushColor(color);
  Canvas->FillRect(r);
  TRect frame = r;
  Canvas->Frame3D(frame, clBtnHighlight, clWindowFrame, 1);
}

void TColumnPartDisplay::DrawThemedBackground(const TRect& r, TEdgeKind edge, TColor) {
  THeaderThemeState state = THeaderThemeState::Normal;
  if (Column && Column == Grid->HotHeaderColumn()) state = THeaderThemeState::Hot;
  if (Column && Column == Grid->PressedHeaderColumn()) state = THeaderThemeState::Pressed;
  THeaderThemePosition position = THeaderThemePosition::Middle;
  switch (edge) {
    case TEdgeKind::Sole: position = THeaderThemePosition::Sole; break;
    case TEdgeKind::First: position = THeaderThemePosition::First; break;
    case TEdgeKind::Middle: position = THeaderThemePosition::Middle; break;
    case TEdgeKind::Last: position = THeaderThemePosition::Last; break;
  }
  if (Canvas->Painter()) DrawThemedHeaderCell(Canvas->Painter(), Grid->viewport(), r.ToQRect(), state, position);
}

void TColumnPartDisplay::DrawCaption(const QString& text, const TRect& r) {
  unsigned flags = DT_END_ELLIPSIS | DT_NOPREFIX | DT_EXTERNALLEADING | DT_SINGLELINE | DT_VCENTER | DT_LEFT;
  if (BiDiMode != 0) flags |= DT_RTLREADING;
  Canvas->SetBrushStyle(TBrushStyle::Clear);
  Canvas->DrawText(text, r, flags);
  Canvas->SetBrushStyle(TBrushStyle::Solid);
}

void TColumnPartDisplay::DrawFooterContent() {
  // Footers are never switched on by this system's grids: the caption,
  // framed like a header cell.
  if (!Column) return;
  DrawHeaderFrame(Rect, EdgeKindOf(Column), Column->Footer().Color());
  DrawCaption(Column->Footer().Caption(), TRect{Rect.Left + 3, Rect.Top, Rect.Right - 2, Rect.Bottom});
}

void TColumnPartDisplay::DrawInputContent() {
  // The input row is never switched on by this system's grids: its text on
  // the column's colour.
  if (!Column) return;
  Canvas->SetBrushColor(Column->Color());
  Canvas->FillRect(Rect);
  DrawCaption(Column->InputText().isEmpty() ? Column->InputCaption() : Column->InputText(),
              TRect{Rect.Left + 2, Rect.Top, Rect.Right - 2, Rect.Bottom});
}

void TColumnPartDisplay::DrawHeaderContent() {
  if (!Column) return;
  const TRect& r = Rect;
  const bool themed = Themed();
  const int mid = r.Top + (r.Bottom - r.Top) / 2;
  const int arrowY = mid - 4 + (themed ? 1 : 0);
  int x = r.Left + GetContentIndent() + 1;
  const TColumnHeader& header = Column->Header();
  const TDisplayMode mode = header.DisplayMode();
  if ((mode == dmImageOnly || mode == dmTextAndImage) && header.Glyph().height() > 0) {
    Canvas->Draw(x, mid - header.Glyph().height() / 2, QPixmap::fromImage(header.Glyph()));
    x += header.Glyph().width() + 2;
  }
  if (mode == dmTextAndImage || mode == dmTextOnly) DrawCaption(header.Caption(), TRect{x, r.Top, r.Right, r.Bottom});
  if (Column->Sorted()) DrawSortArrow(r.Right - 12, arrowY);
  if (Column == Grid->PressedHeaderColumn() && (!themed || Grid->HeaderStyle() != hsAuto)) DrawPressedEffect();
}

void TColumnPartDisplay::DrawPressedEffect() {
  const TRect& r = Rect;
  if (Column && EdgeKindOf(Column) == TEdgeKind::Sole)
    Canvas->InvertRect(TRect{r.Left - 1, r.Top - 1, r.Right, r.Bottom});
  else
    Canvas->InvertRect(TRect{r.Left, r.Top, r.Right - 1, r.Bottom - 1});
}

void TColumnPartDisplay::DrawThemedIndicatorHeader(const TRect& r) {
  if (Canvas->Painter())
    DrawThemedHeaderCell(Canvas->Painter(), Grid->viewport(), r.ToQRect(), THeaderThemeState::Normal,
                         THeaderThemePosition::First);
}

void TColumnPartDisplay::DrawThemedHeaderFiller(const TRect& r) {
  if (Canvas->Painter()) grid::DrawThemedHeaderFiller(Canvas->Painter(), Grid->viewport(), r.ToQRect());
}

void TColumnPartDisplay::DrawPart(uint8_t part) {
  Part = part;
  switch (part) {
    case kFooterPart: DrawFooterContent(); break;
    case kHeaderPart: {
      const TEdgeKind edge = Column ? EdgeKindOf(Column) : TEdgeKind::Middle;
      const TColor color = Column ? Column->Header().Color() : clBtnFace;
      if (DrawsBackground) {
        switch (Grid->HeaderStyle()) {
          case hsAuto:
            if (Themed())
              DrawThemedBackground(Rect, edge, color);
            else
              DrawDefaultBackground(Rect, edge, color);
            break;
          case hsDefault: DrawDefaultBackground(Rect, edge, color); break;
          case hsOldStyle: DrawOldStyleBackground(Rect, edge, color); break;
        }
      }
      DrawHeaderContent();
      break;
    }
    case kInputPart: DrawInputContent(); break;
    default: break;
  }
}

TEdgeKind TColumnPartDisplay::EdgeKindOf(const TCustomColumn* column) {
  const int count = column->Collection() ? column->Collection()->VisibleCount() : 1;
  const int index = column->VisibleIndex();
  if (count <= 1) return TEdgeKind::Sole;
  if (index == 0) return TEdgeKind::First;
  if (index == count - 1) return TEdgeKind::Last;
  return TEdgeKind::Middle;
}

}  // namespace grid
