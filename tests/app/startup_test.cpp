// Start-up: the six windows, the show handler's steps, the one-shot front
// timer, the fixed size and the last-resort path when the control is missing.
#include <gtest/gtest.h>

#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/startup.h"
#include "platform/application.h"
#include "platform/lastresort.h"
#include "support/fake_control.h"
#include "support/scoped_control_registration.h"
#include "ui/guide/adslbag.h"
#include "ui/guide/form2.h"
#include "ui/guide/form3.h"
#include "ui/guide/form6.h"
#include "ui/guide/splnedir.h"
#include "ui/main_window/form1.h"

using mainwindow::Form1;
using testsupport::ScopedFakeControl;

namespace {

struct Started {
  ScopedFakeControl fake;
  explicit Started(bool show = true, std::function<void(testsupport::FakeControlState&)> prepare = {}) {
    if (prepare) prepare(*fake.state);
    app::CreateWindows();
    if (show) app::ShowMainWindow();
  }
  ~Started() { app::DestroyWindows(); }
};

}  // namespace

TEST(StartUp, SixWindowsInOrderPicturesHidden) {
  Started s(false);
  ASSERT_NE(Form1, nullptr);
  const QList<QWidget*> pictures{guide::Form2, guide::Form3, guide::ADSlbag, guide::splnedir, guide::Form6};
  for (QWidget* w : pictures) {
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
  }
  // Created in order: each picture window is a later child of the main window.
  QList<QWidget*> order;
  for (QObject* o : Form1->children())
    if (pictures.contains(qobject_cast<QWidget*>(o))) order << static_cast<QWidget*>(o);
  EXPECT_EQ(order, pictures);
}

TEST(StartUp, StateRightAfterShowing) {
  Started s;
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_EQ(Form1->PageControl1->currentWidget(), Form1->TabSheet1);
  EXPECT_EQ(Form1->Label5->text(), QStringLiteral("0"));
  EXPECT_EQ(mainwindow::CallCounter, 0);
  ASSERT_EQ(s.fake.state->propertyPuts.size(), 1);
  EXPECT_EQ(s.fake.state->propertyPuts[0].first, 201);
  EXPECT_EQ(s.fake.state->propertyPuts[0].second, QVariant(false));
  EXPECT_EQ(s.fake.state->startMonitoringCalls, 1);
  EXPECT_FALSE(Form1->Tevra1->isVisible()) << "the control's own surface is hidden";
  EXPECT_EQ(s.fake.state->propertyStream.size(), 245);
  // Showing again (restoring a minimised window) does not start the control twice.
  Form1->hide();
  Form1->show();
  EXPECT_EQ(s.fake.state->startMonitoringCalls, 1);
}

TEST(StartUp, MainWindowIsCentredOnItsScreen) {
  Started s;
  const QRect area = Form1->screen()->availableGeometry();
  const QPoint centre = Form1->frameGeometry().center();
  EXPECT_LE(std::abs(centre.x() - area.center().x()), 2);
  EXPECT_LE(std::abs(centre.y() - area.center().y()), 2);
}

TEST(StartUp, Timer2FiresOnceOnly) {
  Started s;
  QSignalSpy ticks(Form1->Timer2, &QTimer::timeout);
  EXPECT_TRUE(Form1->Timer2->isActive());
  EXPECT_EQ(Form1->Timer2->interval(), 50);
  QTest::qWait(400);
  EXPECT_EQ(ticks.count(), 1);
  EXPECT_FALSE(Form1->Timer2->isActive());
  EXPECT_TRUE(Form1->Timer1->isActive());
  EXPECT_EQ(Form1->Timer1->interval(), 500);
}

TEST(StartUp, WindowKeepsItsLaidOutSize) {
  Started s;
  EXPECT_EQ(Form1->size(), QSize(527, 411));
  Form1->resize(800, 600);
  EXPECT_EQ(Form1->size(), QSize(527, 411));
  Form1->resize(100, 100);
  EXPECT_EQ(Form1->size(), QSize(527, 411));
  Form1->showMaximized();
  QTest::qWait(50);
  EXPECT_EQ(Form1->size(), QSize(527, 411));
  EXPECT_TRUE(Form1->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(StartUp, PictureWindowsAreTheSameInstancesOnEveryShowing) {
  Started s;
  QWidget* before = guide::Form2;
  for (int i = 0; i < 3; ++i) {
    guide::Form2->show();
    guide::Form2->close();
  }
  EXPECT_EQ(guide::Form2, before);
  EXPECT_FALSE(guide::Form2->isVisible());
}

TEST(StartUp, ErrorInsideFormShowBecomesAMessageLineAndTheWindowStillShows) {
  Started s(true, [](testsupport::FakeControlState& st) {
    st.startMonitoringResult = device::E_FAIL;
    st.failureDescription = QStringLiteral("Cihaz izleme başlatılamadı.");
  });
  EXPECT_TRUE(Form1->isVisible());
  EXPECT_EQ(Form1->Label5->text(), QStringLiteral("0")) << "steps before the failing one ran";
  const QString text = Form1->Memo2->toPlainText();
  EXPECT_TRUE(text.endsWith(QStringLiteral(":Cihaz izleme başlatılamadı"))) << text.toStdString();
}

TEST(StartUp, MissingControlEndsWithTheApplicationErrorBoxAndExitCode1) {
  QStringList boxes;
  platform::SetApplicationErrorHandler([&](const QString& text) { boxes << text; });
  testsupport::ScopedControlRegistration none(device::CLSID_Tevra, nullptr);
  const int code = app::Run(*platform::TApplication::Instance());
  platform::SetApplicationErrorHandler(nullptr);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(boxes, QStringList{QStringLiteral("Class not registered")});
  EXPECT_EQ(Form1, nullptr);
  EXPECT_EQ(platform::TApplication::Instance()->Title(), app::kApplicationTitle);
}
