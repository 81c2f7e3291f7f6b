#pragma once
// Fonts of the desktop part: the layouts' Windows families through their
// free stand-ins (fontfaces.h), at the layouts' pixel sizes.
#include <QFont>
#include <QString>

#include "platform/fontfaces.h"

class QWidget;

namespace platform {

// Registers the family substitutes with Qt's font database.
void InstallFontSubstitutes();

// A font as the layouts describe it: family and character height in pixels.
QFont DesignFont(const QString& family, int pixelHeight, bool bold = false);

// Layouts are designed at 96 dots per inch and not scaled: every point size
// set in a .ui file under root becomes the pixel size it had there.
void ApplyDesignPixelSizes(QWidget* root);

}  // namespace platform
