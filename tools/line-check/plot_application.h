#pragma once
// The application cid-line-check runs on: a core one, or a GUI one on the
// offscreen platform when --plot or --keep asks for pictures (painting text
// needs the GUI module's fonts; no window is ever opened, so no display is
// needed).
#include <QCoreApplication>
#include <memory>

namespace linecheck {

// Whether the command line asks for pictures (--plot FILE, --keep DIR, or
// with "="), read before the application exists.
bool PlotAsked(int argc, char** argv);
std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv);

}  // namespace linecheck
