#pragma once
// The last-resort error box: what start-up shows when an error has no handler.
#include <QString>
#include <functional>

namespace platform {

// Shows text in a box with the error icon and the title "Application Error".
void ShowApplicationError(const QString& text);

// Tests replace the box; an empty function restores it.
void SetApplicationErrorHandler(std::function<void(const QString&)> handler);

}  // namespace platform
