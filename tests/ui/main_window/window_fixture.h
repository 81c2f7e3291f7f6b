#pragma once
// A main window with a fake device control behind the real host, shown as at
// start-up, with the tone recorded instead of sounded and the poll driven by
// the test.
#include <QTimer>
#include <memory>

#include "platform/application.h"
#include "support/fake_control.h"
#include "support/recorded_tone.h"
#include "ui/main_window/form1.h"

namespace testsupport {

class MainWindowFixture {
 public:
  MainWindowFixture() {
    testsupport::SetToneRecorder([this](int hz, int ms) { beeps.append({hz, ms}); });
    form.reset(new mainwindow::TForm1());
    form->Timer1->stop();
    form->Timer2->stop();
    form->show();
  }
  ~MainWindowFixture() { testsupport::SetToneRecorder(nullptr); }

  // One tick of the connection poll, dispatched as the timer would.
  void Tick() {
    platform::Guarded(form->Timer1, [this] { form->Timer1Timer(form->Timer1); });
  }
  void Call(const QString& deviceId, const QString& line, const QString& number) {
    fake.state->RaiseCallerID(deviceId, line, number, QStringLiteral("07.12.2026 14:05:09"), QString());
  }
  void Levels(const QStringList& eight) { fake.state->RaiseSignalA(eight); }
  void Connect(const QString& model, const QString& serial) {
    fake.state->info[QStringLiteral("devicemodel")] = model;
    fake.state->info[QStringLiteral("serial")] = serial;
  }

  QString CellText(int col, int row) const { return form->GridView1->Cell(col, row)->AsString(); }
  QStringList MemoLines() const { return form->Memo2->toPlainText().split(QLatin1Char('\n')); }

  ScopedFakeControl fake;
  QList<QPair<int, int>> beeps;
  std::unique_ptr<mainwindow::TForm1> form;
};

}  // namespace testsupport
