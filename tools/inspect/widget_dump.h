#pragma once
// Test-only observation of the running program from outside: when the
// environment variable CID_TEST_WIDGET_DUMP names a file, the texts of the
// program's widgets are written there every 100 ms. End-to-end tests run the
// program offscreen as a separate process and read this file; without the
// variable nothing is started.
#include <QString>

namespace inspect {

// Starts the dump when the variable is set; call once, after the
// application object exists.
void StartWidgetDumpFromEnvironment();

// The dump text of the current top-level widgets (one "name<TAB>value" line
// per observed widget, grid cells as "GridView1[row][col]").
QString WidgetDumpText();

}  // namespace inspect
