#include "app/startup.h"

#include <QScreen>

#include "platform/application.h"
#include "platform/errors.h"
#include "platform/lastresort.h"
#include "ui/guide/adslbag.h"
#include "ui/guide/form2.h"
#include "ui/guide/form3.h"
#include "ui/guide/form6.h"
#include "ui/guide/splnedir.h"
#include "ui/main_window/form1.h"

namespace app {

void CreateWindows() {
  using namespace guide;
  using mainwindow::Form1;
  Form1 = new mainwindow::TForm1();
  Form2 = new TForm2(Form1);
  Form3 = new TForm3(Form1);
  ADSlbag = new TADSlbag(Form1);
  splnedir = new Tsplnedir(Form1);
  Form6 = new TForm6(Form1);
}

void DestroyWindows() {
  using namespace guide;
  delete Form6;
  delete splnedir;
  delete ADSlbag;
  delete Form3;
  delete Form2;
  Form6 = nullptr;
  splnedir = nullptr;
  ADSlbag = nullptr;
  Form3 = nullptr;
  Form2 = nullptr;
  delete mainwindow::Form1;
  mainwindow::Form1 = nullptr;
}

void ShowMainWindow() {
  QWidget* w = mainwindow::Form1;
  if (QScreen* screen = w->screen()) {
    const QRect area = screen->availableGeometry();
    const QSize frame = w->frameSize().isValid() ? w->frameSize() : w->size();
    w->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
  }
  w->show();
}

int Run(platform::TApplication& application) {
  application.SetTitle(kApplicationTitle);
  try {
    CreateWindows();
  } catch (const std::exception& e) {
    const auto* pe = dynamic_cast<const platform::Exception*>(&e);
    platform::ShowApplicationError(pe ? pe->Message() : QString::fromUtf8(e.what()));
    DestroyWindows();
    return 1;
  }
  ShowMainWindow();
  const int code = application.exec();
  DestroyWindows();
  return code;
}

}  // namespace app
