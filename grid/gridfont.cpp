#include "grid/gridfont.h"

#include <cstdlib>

#include "platform/fontfaces.h"

namespace grid {

QFont TFont::ToQFont() const {
  // The same face the window's own labels get for this family.
  const platform::FontFace face = platform::LayoutFace(Name, Bold);
  QFont f(face.family);
  f.setPixelSize(std::abs(Height));
  f.setBold(face.bold);
  f.setItalic(Italic);
  f.setUnderline(Underline);
  f.setStrikeOut(StrikeOut);
  return f;
}

}  // namespace grid
