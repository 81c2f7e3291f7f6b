#include "platform/fontfaces.h"

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

const Mapping* FindMapping(const QString& layoutFamily) {
  for (const auto& m : kMappings)
    if (layoutFamily.compare(QLatin1String(m.layoutFamily), Qt::CaseInsensitive) == 0) return &m;
  return nullptr;
}
}  // namespace

FontFace LayoutFace(const QString& layoutFamily, bool bold) {
  const Mapping* m = FindMapping(layoutFamily);
  if (!m) return {layoutFamily, bold};
  return {QString::fromLatin1(m->freeFamily), bold || m->bold};
}

QString MappedFamily(const QString& layoutFamily) { return LayoutFace(layoutFamily, false).family; }

QList<std::pair<QString, QString>> FontSubstitutes() {
  QList<std::pair<QString, QString>> list;
  for (const auto& m : kMappings) list.append({QString::fromLatin1(m.layoutFamily), QString::fromLatin1(m.freeFamily)});
  return list;
}

}  // namespace platform
