// Connection guide page of the main window.
#include "ui/main_window/form1.h"

namespace mainwindow {

void TForm1::SetupGuidePage() {}
void TForm1::Label21Click(QObject*) {}
void TForm1::Image2Click(QObject* Sender) { Label21Click(Sender); }
void TForm1::Label17Click(QObject*) {}
void TForm1::Image1Click(QObject* Sender) { Label17Click(Sender); }
void TForm1::Label11Click(QObject*) {}
void TForm1::Image3Click(QObject* Sender) { Label11Click(Sender); }
void TForm1::Label12Click(QObject*) {}
void TForm1::Image4Click(QObject* Sender) { Label12Click(Sender); }
void TForm1::Label14Click(QObject*) {}
void TForm1::BitBtn2Click(QObject*) { PageControl1->setCurrentWidget(TabSheet1); }

}  // namespace mainwindow
