#include "platform/fonts.h"

#include <QWidget>
#include <cmath>

namespace platform {

namespace {
struct Mapping {
  const char* layoutFamily;
  const char* freeFamily;
  bool bold;  // heavy display faces get the bold cut of their stand-in
};
// Liberation Sans has the metrics of the classic UI sans; DejaVu Sans grew out
// of the same design family as the screen sans it replaces; Liberation Sans
// Narrow in bold keeps the narrow, heavy look of the display face, so
// "Bağlantı bekleniyor" fits its label, and has every Turkish letter (left
// alone, a symbol font would be picked).
constexpr Mapping kMappings[] = {
    {"MS Sans Serif", "Liberation Sans", false},
    {"Verdana", "DejaVu Sans", false},
    {"Impact", "Liberation Sans Narrow", true},
};
}  // namespace

void InstallFontSubstitutes() {
  for (const auto& m : kMappings) QFont::insertSubstitution(m.layoutFamily, m.freeFamily);
}

static const Mapping* FindMapping(const QString& layoutFamily) {
  for (const auto& m : kMappings)
    if (layoutFamily.compare(QLatin1String(m.layoutFamily), Qt::CaseInsensitive) == 0) return &m;
  return nullptr;
}

QString MappedFamily(const QString& layoutFamily) {
  const Mapping* m = FindMapping(layoutFamily);
  return m ? QString::fromLatin1(m->freeFamily) : layoutFamily;
}

QFont DesignFont(const QString& family, int pixelHeight, bool bold) {
  QFont f(MappedFamily(family));
  f.setPixelSize(pixelHeight);
  const Mapping* m = FindMapping(family);
  f.setBold(bold || (m && m->bold));
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
