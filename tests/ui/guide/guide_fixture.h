#pragma once
// The main window with a fake device control and the five picture windows,
// created as at start-up, shown, with message boxes recorded instead of shown.
#include <QTest>
#include <memory>

#include "platform/application.h"
#include "support/fake_control.h"
#include "ui/guide/adslbag.h"
#include "ui/guide/form2.h"
#include "ui/guide/form3.h"
#include "ui/guide/form6.h"
#include "ui/guide/messages.h"
#include "ui/guide/splnedir.h"
#include "ui/main_window/form1.h"

namespace testsupport {

class GuideFixture {
 public:
  GuideFixture() {
    previousBoxes_ = guide::SetMessageBoxHandler([this](QWidget*, guide::TMsgDlgType kind, const QString& text) {
      boxes.append({kind, text});
      if (log)
        log->append(kind == guide::TMsgDlgType::mtWarning ? QStringLiteral("Warning") : QStringLiteral("Information"));
    });
    form.reset(new mainwindow::TForm1());
    mainwindow::Form1 = form.get();
    guide::Form2 = new guide::TForm2(form.get());
    guide::Form3 = new guide::TForm3(form.get());
    guide::ADSlbag = new guide::TADSlbag(form.get());
    guide::splnedir = new guide::Tsplnedir(form.get());
    guide::Form6 = new guide::TForm6(form.get());
    form->Timer1->stop();
    form->Timer2->stop();
    form->show();
    form->activateWindow();
    (void)QTest::qWaitForWindowActive(form.get());
  }
  ~GuideFixture() {
    guide::SetMessageBoxHandler(previousBoxes_);
    form.reset();  // its children, the picture windows, go with it
    mainwindow::Form1 = nullptr;
    guide::Form2 = nullptr;
    guide::Form3 = nullptr;
    guide::ADSlbag = nullptr;
    guide::splnedir = nullptr;
    guide::Form6 = nullptr;
  }

  ScopedFakeControl fake;
  QList<QPair<guide::TMsgDlgType, QString>> boxes;
  QStringList* log = nullptr;  // message boxes are appended here too, when set
  std::unique_ptr<mainwindow::TForm1> form;

 private:
  guide::MessageBoxHandler previousBoxes_;
};

}  // namespace testsupport
