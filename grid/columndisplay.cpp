#include "grid/columndisplay.h"

#include "grid/canvas.h"
#include "grid/cellconvert.h"
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

void TValueColumnDisplay::DrawContent() {
  if (!Column) return;
  switch (Column->ValueKind()) {
    case TValueKind::Boolean: DrawCheckBox(); break;
    case TValueKind::DateTime: DrawCellText(DateTimeToStr(DateTimeValue), GetTextRect()); break;
    case TValueKind::Floating: DrawCellText(FloatToStr(FloatValue), GetTextRect()); break;
    case TValueKind::Integer:
    case TValueKind::RowNumber: DrawCellText(QString::number(IntegerValue), GetTextRect()); break;
    case TValueKind::Text: DrawCellText(Column->FormatDisplayText(TextValue), GetTextRect()); break;
    case TValueKind::Picture: break;
  }
}

void TValueColumnDisplay::DrawCheckBox() {
  if (!Canvas) return;
  const int left = CellRect.Left + (CellRect.Width() - kCheckBoxSize) / 2;
  const int top = CellRect.Top + (CellRect.Height() - kCheckBoxSize) / 2;
  Canvas->SetBrushColor(clWindowText);
  Canvas->FrameRect(TRect{left, top, left + kCheckBoxSize, top + kCheckBoxSize});
  if (!BooleanValue) return;
  Canvas->SetPenColor(clWindowText);
  for (int dy = 0; dy < 2; ++dy)
    Canvas->Polyline({QPoint(left + 3, top + 6 + dy), QPoint(left + 5, top + 8 + dy), QPoint(left + 10, top + 3 + dy)});
}

}  // namespace grid
