#include "platform/fonts.h"

#include <QWidget>
#include <cmath>

namespace platform {

void InstallFontSubstitutes() {
  for (const auto& [layoutFamily, freeFamily] : FontSubstitutes()) QFont::insertSubstitution(layoutFamily, freeFamily);
}

QFont DesignFont(const QString& family, int pixelHeight, bool bold) {
  const FontFace face = LayoutFace(family, bold);
  QFont f(face.family);
  f.setPixelSize(pixelHeight);
  f.setBold(face.bold);
  return f;
}

void ApplyDesignPixelSizes(QWidget* root) {
  const auto convert = [](QWidget* w) {
    QFont f = w->font();
    const bool own = w->testAttribute(Qt::WA_SetFont);
    if (!own || f.pointSizeF() <= 0) return;
    const int px = static_cast<int>(std::lround(f.pointSizeF() * 96.0 / 72.0));
    const QString family = f.family();
    QFont g = DesignFont(family, px, f.bold());
    g.setUnderline(f.underline());
    g.setItalic(f.italic());
    w->setFont(g);
  };
  convert(root);
  for (QWidget* w : root->findChildren<QWidget*>()) convert(w);
}

}  // namespace platform
