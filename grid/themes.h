#pragma once
// Visual styles: whether the widget style in use is a themed one, and the
// themed elements the grid draws (header cells, the header filler, the
// border). "Not themed" means the classic Windows style; proxy styles are
// looked through to the style they wrap.
#include <QRect>
#include <functional>

class QPainter;
class QStyle;
class QWidget;

namespace grid {

// Header cell states of the themed look.
enum class THeaderThemeState { Normal = 1, Hot = 2, Pressed = 3 };
// Where a header cell stands in the row, for styles that draw ends apart.
enum class THeaderThemePosition { Sole, First, Middle, Last };

// Whether the style that draws `widget` (the application style when null)
// is themed. Asked afresh at every use. A failure while asking raises
// platform::Exception "Error in Themes".
bool ThemesActive(const QWidget* widget = nullptr);

// The style a proxy chain ends in.
const QStyle* BaseStyleOf(const QStyle* style);

// Replaces the question asked of a style (null restores the default); lets
// a caller simulate a failing theme service.
void SetThemeProbe(std::function<bool(const QStyle*)> probe);

// Whether the style itself draws a header section differently when hot or
// pressed; where it does not, DrawThemedHeaderCell adds its own mark.
bool StyleShowsHeaderState(const QStyle* style, THeaderThemeState state);

void DrawThemedHeaderCell(QPainter* painter, const QWidget* widget, const QRect& rect, THeaderThemeState state,
                          THeaderThemePosition position);
// The header strip right of the last column.
void DrawThemedHeaderFiller(QPainter* painter, const QWidget* widget, const QRect& rect);
// The outer two-pixel frame of `widget`'s window rectangle.
void DrawThemedBorder(QPainter* painter, const QWidget* widget);

}  // namespace grid
