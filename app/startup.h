#pragma once
// Program start-up: names the application, creates the six windows once in
// their fixed order and runs the message loop until the main window closes.
#include <QString>

namespace platform {
class TApplication;
}

namespace app {

inline const QString kApplicationTitle = QStringLiteral("Caller ID TestProgramı");

// Creates Form1, Form2, Form3, ADSlbag, splnedir and Form6, in this order,
// into their globals. Raises what creating them raises.
void CreateWindows();
// Destroys the windows again (the main window last), clearing the globals.
void DestroyWindows();

// Centres the main window on its screen and makes it visible (raising its
// show handler).
void ShowMainWindow();

// The whole start-up: title, windows, loop. Returns the exit code; 1 when a
// window cannot be created (after the last-resort error box).
int Run(platform::TApplication& application);

}  // namespace app
