#include "grid/columndisplay.h"

#include "grid/canvas.h"
#include "grid/columns.h"

namespace grid {

TRect TColumnDisplay::GetTextRect() const {
  return TRect{CellRect.Left + 2, CellRect.Top, CellRect.Right - 2, CellRect.Bottom};
}

void TColumnDisplay::DrawCellText(const QString& text, const TRect& r) {
  if (!Canvas || !Column) return;
  unsigned flags = DT_NOPREFIX;
  switch (Column->Alignment()) {
    case taLeftJustify: break;
    case taRightJustify: flags |= DT_RIGHT; break;
    case taCenter: flags |= DT_CENTER; break;
  }
  switch (Column->VerticalAlignment()) {
    case vaTop: break;
    case vaMiddle: flags |= DT_VCENTER; break;
    case vaBottom: flags |= DT_BOTTOM; break;
  }
  switch (Column->WrapKind()) {
    case wkNone: flags |= DT_SINGLELINE; break;
    case wkEllipsis: flags |= DT_SINGLELINE | DT_END_ELLIPSIS; break;
    case wkWordWrap: flags |= DT_WORDBREAK; break;
  }
  if (BiDiMode != 0) flags |= DT_RTLREADING;
  Canvas->SetBrushStyle(TBrushStyle::Clear);
  Canvas->DrawText(text, r, flags);
  Canvas->SetBrushStyle(TBrushStyle::Solid);
}

void TColumnDisplay::DrawHintMarker() {
  if (!Canvas) return;
  const int R = CellRect.Right;
  const int T = CellRect.Top;
  Canvas->SetPenColor(clRed);
  Canvas->SetBrushColor(clRed);
  Canvas->Polygon({QPoint(R - 5, T), QPoint(R - 1, T), QPoint(R - 1, T + 4)});
}

void TTextualColumnDisplay::DrawContent() {
  if (!Column) return;
  DrawCellText(Column->FormatDisplayText(TextValue), GetTextRect());
}

}  // namespace grid
