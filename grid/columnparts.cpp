#include "grid/columnparts.h"

namespace grid {

void TColumnPart::Changed() {
  if (OnChange) OnChange(this);
}

void TColumnPart::SetColor(TColor value) {
  color_ = value;
  Changed();
}

void TColumnPart::SetCaption(const QString& value) {
  caption_ = value;
  Changed();
}

void TColumnHeader::SetDisplayMode(TDisplayMode value) {
  displayMode_ = value;
  Changed();
}

namespace {

// The picture's bottom-left pixel names the colour that shows through.
QImage WithTransparentCorner(const QImage& source) {
  if (source.isNull()) return QImage();
  QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = image.pixel(0, image.height() - 1) | 0xFF000000u;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] | 0xFF000000u) == key) line[x] = 0;
  }
  return image;
}

}  // namespace

void TColumnHeader::SetGlyph(const QImage& value) {
  glyph_ = WithTransparentCorner(value);
  Changed();
}

void TColumnHeader::Assign(const TColumnHeader& source) {
  if (&source == this) return;
  auto hook = std::move(OnChange);
  OnChange = nullptr;
  SetColor(source.Color());
  SetCaption(source.Caption());
  displayMode_ = source.displayMode_;
  glyph_ = source.glyph_;
  OnChange = std::move(hook);
  Changed();
}

void TColumnFooter::SetFormulaKind(TFormulaKind value) {
  formulaKind_ = value;
  Changed();
}

void TColumnFooter::Assign(const TColumnFooter& source) {
  if (&source == this) return;
  auto hook = std::move(OnChange);
  OnChange = nullptr;
  SetColor(source.Color());
  SetCaption(source.Caption());
  formulaKind_ = source.formulaKind_;
  OnChange = std::move(hook);
  Changed();
}

}  // namespace grid
