#pragma once
// The window layouts name Windows fonts that Linux lacks. They are mapped here,
// once, to free fonts the install script brings; layouts keep the names.
#include <QFont>
#include <QString>

class QWidget;

namespace platform {

// Registers the family substitutes with Qt's font database.
void InstallFontSubstitutes();

// The free family that stands in for a layout's family name.
QString MappedFamily(const QString& layoutFamily);

// A font as the layouts describe it: family and character height in pixels.
QFont DesignFont(const QString& family, int pixelHeight, bool bold = false);

// Layouts are designed at 96 dots per inch and not scaled: every point size
// set in a .ui file under root becomes the pixel size it had there.
void ApplyDesignPixelSizes(QWidget* root);

}  // namespace platform
