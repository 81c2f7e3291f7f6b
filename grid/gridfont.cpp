#include "grid/gridfont.h"

#include <cstdlib>

#include "platform/fonts.h"

namespace grid {

QFont TFont::ToQFont() const {
  QFont f = platform::DesignFont(Name, std::abs(Height), Bold);
  f.setItalic(Italic);
  f.setUnderline(Underline);
  f.setStrikeOut(StrikeOut);
  return f;
}

}  // namespace grid
