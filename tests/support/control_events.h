#pragma once
// Lets a control take in what the event loop holds for it: bytes from its
// ports, and the device directories' change events, whose reading of the
// directories runs from a call posted while they are handled.
#include <QCoreApplication>

namespace testsupport {

inline void ProcessControlEvents() {
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
}

}  // namespace testsupport
