#pragma once
// The style's standard icons, looked up when first drawn or measured rather
// than when set. The first lookup searches the desktop's icon theme, which
// costs more than showing the main window; buttons on pages that are not
// shown at start-up need not pay it then.
#include <QIcon>
#include <QStyle>

class QWidget;

namespace platform {

// An icon that stands for widget's style's standardIcon(which) (the
// application's style once widget is gone). It is never null.
QIcon DeferredStandardIcon(QStyle::StandardPixmap which, const QWidget* widget);

}  // namespace platform
