#pragma once
// The guide's pictures and the windows' icons, loaded from the compiled-in
// resources.
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace guide {

// Resource paths of the shipped pictures.
inline constexpr const char* kSingleLinePicture = ":/guide/single_line.bmp";  // 410 x 320
inline constexpr const char* kTwoLinePicture = ":/guide/two_line.bmp";        // 478 x 322
inline constexpr const char* kFourLinePicture = ":/guide/four_line.bmp";      // 478 x 400
inline constexpr const char* kAdslPicture = ":/guide/adsl.jpg";               // 572 x 387
inline constexpr const char* kSplitterPicture = ":/guide/splitter.jpg";       // 413 x 340
inline constexpr const char* kWiringThumbnail = ":/guide/thumb_wiring.bmp";   // 96 x 68
inline constexpr const char* kAdslThumbnail = ":/guide/thumb_adsl.bmp";       // 96 x 68

// Loads a shipped picture: JPEG through libjpeg, bitmaps through Qt. A
// picture that cannot be read gives a null pixmap and a warning on standard
// error; the window then shows its empty place rather than failing start-up.
QPixmap LoadPicture(const QString& resourcePath);

// Icons: the main window's (16, 32 and 48 pixels); the two- and four-line
// windows' (16 pixels, 16 colours); the single-line window's (16 pixels,
// 256 colours); the two ADSL windows' shared one (16, 32 and 48 pixels).
QIcon MainWindowIcon();
QIcon LinesWindowIcon();
QIcon SingleLineWindowIcon();
QIcon AdslWindowIcon();

}  // namespace guide
