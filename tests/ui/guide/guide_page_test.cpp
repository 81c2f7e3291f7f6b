// The guide page: every link and thumbnail opens its picture window; the
// internet sequence and the help messages run in order, each step after the
// previous one closed.
#include <gtest/gtest.h>

#include <QTest>

#include "guide_fixture.h"
#include "modal_watch.h"

namespace {

using guide::TMsgDlgType;
using testsupport::ModalWatch;

QLabel* PictureOf(QWidget* window) {
  for (const char* name : {"Image1", "Image3"})
    if (auto* l = window->findChild<QLabel*>(QLatin1String(name))) return l;
  return nullptr;
}

// Closes each modal window by clicking its picture.
void ClosePicture(QWidget* m) {
  QLabel* picture = PictureOf(m);
  ASSERT_NE(picture, nullptr);
  QTest::mouseClick(picture, Qt::LeftButton, Qt::NoModifier, picture->rect().center());
}

class GuidePage : public ::testing::Test {
 protected:
  void SetUp() override { f.form->PageControl1->setCurrentWidget(f.form->TabSheet2); }

  QStringList ClickAndClose(QWidget* control) {
    ModalWatch watch(ClosePicture);
    f.log = &watch.log;
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, control->rect().center());
    f.log = nullptr;
    return watch.log;
  }

  testsupport::GuideFixture f;
};

TEST_F(GuidePage, ThumbnailsShowTheirPictures) {
  const QImage wiring = f.form->Image2->pixmap().toImage();
  EXPECT_EQ(wiring.size(), QSize(96, 68));
  EXPECT_EQ(f.form->Image1->pixmap().toImage(), wiring);  // one drawing shared by three
  EXPECT_EQ(f.form->Image3->pixmap().toImage(), wiring);
  EXPECT_EQ(f.form->Image4->pixmap().size(), QSize(96, 68));
  EXPECT_NE(f.form->Image4->pixmap().toImage(), wiring);
  // Drawn transparent: the background colour lets the page show through,
  // the drawing itself does not.
  for (QLabel* image : {f.form->Image2, f.form->Image4}) {
    const QImage shown = image->pixmap().toImage();
    ASSERT_TRUE(shown.hasAlphaChannel());
    EXPECT_EQ(qAlpha(shown.pixel(0, 67)), 0);
    int opaque = 0;
    for (int y = 0; y < shown.height(); ++y)
      for (int x = 0; x < shown.width(); ++x) opaque += qAlpha(shown.pixel(x, y)) == 255;
    EXPECT_GT(opaque, 96 * 68 / 5);
  }
  EXPECT_FALSE(f.form->windowIcon().isNull());
}

TEST_F(GuidePage, EveryLinkAndThumbnailOpensItsWindow) {
  const QStringList single{QStringLiteral("TForm6")}, two{QStringLiteral("TForm2")}, four{QStringLiteral("TForm3")};
  EXPECT_EQ(ClickAndClose(f.form->Label21), single);
  EXPECT_EQ(ClickAndClose(f.form->Image2), single);
  EXPECT_EQ(ClickAndClose(f.form->Label17), two);
  EXPECT_EQ(ClickAndClose(f.form->Image1), two);
  EXPECT_EQ(ClickAndClose(f.form->Label16), four);
  EXPECT_EQ(ClickAndClose(f.form->Image3), four);
  EXPECT_TRUE(f.boxes.isEmpty());
  EXPECT_EQ(f.form->PageControl1->currentWidget(), f.form->TabSheet2);
}

TEST_F(GuidePage, InternetSequenceRunsInOrderFromLinkAndThumbnail) {
  const QStringList sequence{QStringLiteral("Information"), QStringLiteral("Tsplnedir"), QStringLiteral("TADSlbag")};
  EXPECT_EQ(ClickAndClose(f.form->Label12), sequence);
  EXPECT_EQ(ClickAndClose(f.form->Image4), sequence);
  ASSERT_EQ(f.boxes.size(), 2);
  EXPECT_EQ(f.boxes[0].first, TMsgDlgType::mtInformation);
  EXPECT_EQ(f.boxes[0].second, guide::SplitterMessage());
}

TEST_F(GuidePage, InternetSequenceGoesOnWhenTheSplitterWindowIsClosedByItsTitleBar) {
  ModalWatch watch([](QWidget* m) {
    if (m == guide::splnedir)
      m->close();  // the title-bar button, not the picture
    else
      ClosePicture(m);
  });
  f.log = &watch.log;
  QTest::mouseClick(f.form->Label12, Qt::LeftButton);
  f.log = nullptr;
  EXPECT_EQ(watch.log,
            (QStringList{QStringLiteral("Information"), QStringLiteral("Tsplnedir"), QStringLiteral("TADSlbag")}));
  EXPECT_FALSE(guide::ADSlbag->isVisible());
}

TEST_F(GuidePage, ImportantNotesShowCallerIdThenSignalMessage) {
  EXPECT_EQ(ClickAndClose(f.form->Label19), (QStringList{QStringLiteral("Information"), QStringLiteral("Warning")}));
  ASSERT_EQ(f.boxes.size(), 2);
  EXPECT_EQ(f.boxes[0].first, TMsgDlgType::mtInformation);
  EXPECT_EQ(f.boxes[0].second, guide::CallerIdMessage());
  EXPECT_EQ(f.boxes[1].first, TMsgDlgType::mtWarning);
  EXPECT_EQ(f.boxes[1].second, guide::SignalMessage());
}

TEST_F(GuidePage, DeviceEventsAreHandledWhileAPictureWindowIsOpen) {
  int levelsSeenWhileOpen = 0;
  ModalWatch watch([&](QWidget* m) {
    // A device event arriving during the nested loop reaches the main window.
    const QString before = f.form->Label1->text();
    f.fake.state->RaiseSignalA({QStringLiteral("7"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"),
                                QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("0")});
    if (f.form->Label1->text() != before || f.form->ProgressBar1->value() == 7) ++levelsSeenWhileOpen;
    m->close();
  });
  QTest::mouseClick(f.form->Label21, Qt::LeftButton);
  EXPECT_EQ(watch.log, QStringList{QStringLiteral("TForm6")});
  EXPECT_EQ(levelsSeenWhileOpen, 1);
}

}  // namespace
