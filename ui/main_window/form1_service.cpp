// Hidden service page of the main window.
#include "ui/main_window/form1.h"

namespace mainwindow {

void TForm1::SetupServicePage() {}
void TForm1::Edit1Click(QObject*) {}
void TForm1::BitBtn1Click(QObject*) {}

}  // namespace mainwindow
