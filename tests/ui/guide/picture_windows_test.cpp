// The five picture windows: layout, modal showing, and which clicks close
// them. Closing only hides a window: the tests below open the same instance again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "modal_watch.h"
#include "ui/guide/adslbag.h"
#include "ui/guide/form2.h"
#include "ui/guide/form3.h"
#include "ui/guide/form6.h"
#include "ui/guide/splnedir.h"

namespace {

using testsupport::ModalWatch;

struct Windows {
  QWidget owner;  // stands in for the main window, the parent of all five
  guide::TForm2* form2 = new guide::TForm2(&owner);
  guide::TForm3* form3 = new guide::TForm3(&owner);
  guide::TADSlbag* adsl = new guide::TADSlbag(&owner);
  guide::Tsplnedir* splitter = new guide::Tsplnedir(&owner);
  guide::TForm6* form6 = new guide::TForm6(&owner);
};

struct Layout {
  QDialog* window;
  const char* caption;
  QSize client;
  QLabel* picture;
  QSize pictureSize;
  QLabel* label;  // caption under the picture, if any
  const char* labelText;
  QPoint labelPos;
};

std::vector<Layout> Layouts(Windows& w) {
  return {
      {w.form6,
       "Tek Hatlı Caller ID Cihazı  Bağlantısı",
       {410, 424},
       w.form6->Image3,
       {410, 320},
       w.form6->Label2,
       "Tek hatlı cihaz bağlantısı",
       {81, 358}},
      {w.form2,
       "2 Hatlı Cihaz Bağlantısı",
       {480, 413},
       w.form2->Image1,
       {478, 322},
       w.form2->Label1,
       "2 hatlı cihaz bağlantısı",
       {123, 361}},
      {w.form3,
       "4 hatlı Cihaz Bağlantısı",
       {478, 494},
       w.form3->Image3,
       {478, 400},
       w.form3->Label2,
       "4 hatlı cihaz bağlantısı",
       {131, 435}},
      {w.adsl,
       "İnternet hattı cihaza nasıl bağlanır ?  (ADSL hattı)",
       {572, 387},
       w.adsl->Image1,
       {572, 387},
       nullptr,
       nullptr,
       {}},
      {w.splitter, "ADSL splitter nedir ?", {413, 340}, w.splitter->Image1, {413, 340}, nullptr, nullptr, {}},
  };
}

TEST(PictureWindows, LayoutCaptionsPicturesLabelsAndIcons) {
  Windows w;
  for (const Layout& l : Layouts(w)) {
    SCOPED_TRACE(l.caption);
    EXPECT_EQ(l.window->windowTitle(), QString::fromUtf8(l.caption));
    EXPECT_FALSE(l.window->isVisible());
    EXPECT_EQ(l.window->size(), l.client);
    EXPECT_EQ(l.window->minimumSize(), l.client);  // fixed size
    EXPECT_EQ(l.window->maximumSize(), l.client);
    EXPECT_EQ(l.window->font().pixelSize(), 11);
    EXPECT_EQ(l.picture->geometry(), QRect(QPoint(0, 0), l.pictureSize));
    // Decoded on the first showing, not at start-up.
    EXPECT_TRUE(l.picture->pixmap().isNull());
    l.window->show();
    l.window->hide();
    EXPECT_EQ(l.picture->pixmap().size(), l.pictureSize);
    EXPECT_EQ(l.picture->geometry(), QRect(QPoint(0, 0), l.pictureSize));
    EXPECT_EQ(l.window->size(), l.client);
    EXPECT_FALSE(l.window->windowIcon().isNull());
    if (l.label) {
      EXPECT_EQ(l.label->text(), QString::fromUtf8(l.labelText));
      EXPECT_EQ(l.label->pos(), l.labelPos);
      EXPECT_EQ(l.label->font().pixelSize(), 24);
      EXPECT_TRUE(l.window->rect().contains(l.label->geometry())) << "caption fits the window";
    }
  }
}

TEST(PictureWindows, PlacedAtScreenCentreOrTheStoredPosition) {
  Windows w;
  const QRect area = w.owner.screen()->availableGeometry();
  for (QDialog* d : std::initializer_list<QDialog*>{w.form6, w.form2, w.form3, w.splitter}) {
    ModalWatch watch([&](QWidget* m) {
      const QPointF offset = QRectF(m->frameGeometry()).center() - QRectF(area).center();
      EXPECT_LE(std::abs(offset.x()), 1.0) << m->objectName().toStdString();  // odd sizes round
      EXPECT_LE(std::abs(offset.y()), 1.0) << m->objectName().toStdString();
      m->close();
    });
    d->exec();
    EXPECT_EQ(watch.log.size(), 1);
  }
  ModalWatch watch([&](QWidget* m) {
    const QRect frame = m->frameGeometry();
    EXPECT_EQ(frame.topLeft(), guide::FitInto(area, QPoint(352, 350), frame.size()));
    EXPECT_TRUE(area.contains(frame)) << "the whole picture stays on screen";
    m->close();
  });
  w.adsl->exec();
  EXPECT_EQ(watch.log, QStringList{QStringLiteral("TADSlbag")});
}

TEST(PictureWindows, StoredPositionIsKeptWhereItFitsAndPulledOnScreenWhereNot) {
  const QSize adsl(572 + 16, 387 + 36);
  EXPECT_EQ(guide::FitInto(QRect(0, 0, 1920, 1040), QPoint(352, 350), adsl), QPoint(352, 350));
  EXPECT_EQ(guide::FitInto(QRect(0, 0, 1024, 738), QPoint(352, 350), adsl), QPoint(352, 315));
  EXPECT_EQ(guide::FitInto(QRect(0, 0, 800, 570), QPoint(352, 350), adsl), QPoint(212, 147));
  EXPECT_EQ(guide::FitInto(QRect(1920, 30, 1280, 994), QPoint(352, 350), adsl), QPoint(1920, 350));  // second screen
  // Larger than the screen: the top left corner, so the title bar is reachable.
  EXPECT_EQ(guide::FitInto(QRect(0, 0, 400, 300), QPoint(-50, -80), adsl), QPoint(0, 0));
}

// Clicks a spot of a modal window; the watch closes it by title bar if the
// click did not, and reports whether the click did.
bool ClickCloses(QDialog* window, QWidget* target, QPoint pos = QPoint()) {
  bool closedByClick = false;
  ModalWatch watch([&](QWidget* m) {
    QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, pos.isNull() ? target->rect().center() : pos);
    closedByClick = !m->isVisible();
    if (!closedByClick) m->close();
  });
  window->exec();
  EXPECT_EQ(watch.log.size(), 1);
  return closedByClick;
}

TEST(PictureWindows, SingleLineWindowClosesOnPictureLabelAndEmptySpot) {
  Windows w;
  EXPECT_TRUE(ClickCloses(w.form6, w.form6->Image3));
  EXPECT_TRUE(ClickCloses(w.form6, w.form6->Label2));
  EXPECT_TRUE(ClickCloses(w.form6, w.form6, QPoint(10, 400)));  // below the picture, left of the label
  EXPECT_FALSE(w.form6->isVisible());
}

TEST(PictureWindows, OtherWindowsCloseOnlyOnTheirPicture) {
  Windows w;
  EXPECT_TRUE(ClickCloses(w.form2, w.form2->Image1));
  EXPECT_FALSE(ClickCloses(w.form2, w.form2->Label1));
  EXPECT_FALSE(ClickCloses(w.form2, w.form2, QPoint(5, 400)));
  EXPECT_TRUE(ClickCloses(w.form3, w.form3->Image3));
  EXPECT_FALSE(ClickCloses(w.form3, w.form3->Label2));
  EXPECT_FALSE(ClickCloses(w.form3, w.form3, QPoint(5, 480)));
  EXPECT_TRUE(ClickCloses(w.adsl, w.adsl->Image1));
  EXPECT_TRUE(ClickCloses(w.splitter, w.splitter->Image1));
}

TEST(PictureWindows, EscapeClosesNoPictureWindow) {
  Windows w;
  for (QDialog* window : std::initializer_list<QDialog*>{w.form6, w.form2, w.form3, w.adsl, w.splitter}) {
    bool stillOpen = false;
    ModalWatch watch([&](QWidget* m) {
      QTest::keyClick(m, Qt::Key_Escape);
      stillOpen = m->isVisible();
      m->close();  // the title bar's close button still closes it
    });
    window->exec();
    EXPECT_TRUE(stillOpen) << window->windowTitle().toStdString();
    EXPECT_FALSE(window->isVisible());
  }
}

TEST(PictureWindows, PressOnPictureReleasedElsewhereDoesNotClose) {
  Windows w;
  bool stillOpen = false;
  ModalWatch watch([&](QWidget* m) {
    QTest::mousePress(w.form6->Image3, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(w.form6->Image3, Qt::LeftButton, Qt::NoModifier, QPoint(5, 350));  // outside the picture
    stillOpen = m->isVisible();
    m->close();
  });
  w.form6->exec();
  EXPECT_TRUE(stillOpen);
}

}  // namespace
