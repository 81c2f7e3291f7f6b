#pragma once
// The window layouts name Windows fonts that Linux lacks. The free families
// that stand in for them are listed here, once, for every part that builds
// fonts (the desktop part and the grid); layouts keep the names.
#include <QList>
#include <QString>
#include <utility>

namespace platform {

struct FontFace {
  QString family;
  bool bold = false;
};

// The stand-in for a layout's family at the weight the layout asks for:
// heavy display faces get the bold cut of their stand-in. A family without
// a stand-in is kept.
FontFace LayoutFace(const QString& layoutFamily, bool bold);

// The free family that stands in for a layout's family name.
QString MappedFamily(const QString& layoutFamily);

// Every (layout family, free family) pair, for a font substitution list.
QList<std::pair<QString, QString>> FontSubstitutes();

}  // namespace platform
