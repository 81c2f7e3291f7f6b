// The main window's declared layout: texts, geometry, fonts, pages, the
// context menu and the default buttons of each page.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>

#include "support/fake_control.h"
#include "ui/main_window/form1.h"

using mainwindow::TForm1;

// Found by the test framework for failure messages.
void PrintTo(const QRect& r, std::ostream* os) {
  *os << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height();
}

namespace {

class Layout : public ::testing::Test {
 protected:
  testsupport::ScopedFakeControl fake;
  std::unique_ptr<TForm1> f{new TForm1()};
};

QRect Geo(const QWidget* w) { return w->geometry(); }

}  // namespace

TEST_F(Layout, CaptionsAndTextsExactly) {
  EXPECT_EQ(f->windowTitle(), QStringLiteral("Cihaz Test Programı"));
  QTabWidget* p = f->PageControl1;
  EXPECT_EQ(p->tabText(0), QStringLiteral("Test"));
  EXPECT_EQ(p->tabText(1), QStringLiteral("Bağlantı Kılavuzu !"));
  EXPECT_EQ(p->tabText(2), QStringLiteral("Ayar"));
  EXPECT_EQ(p->tabText(3), QStringLiteral("?"));
  EXPECT_EQ(f->GroupBox4->title(), QString());
  EXPECT_EQ(f->GroupBox2->title(), QStringLiteral("  Cihaz Bağlantı   "));
  EXPECT_EQ(f->tek->title(), QStringLiteral("  Sinyaller   "));
  EXPECT_EQ(f->GroupBox1->title(), QStringLiteral("  Yardım Konuları  "));
  EXPECT_EQ(f->Label22->text(), QStringLiteral("Çağrı sayısı : "));
  EXPECT_EQ(f->Label5->text(), QStringLiteral("0"));
  EXPECT_EQ(f->Label9->text(), QStringLiteral("--"));
  EXPECT_EQ(f->Label6->text(), QStringLiteral("Telefon 1"));
  EXPECT_EQ(f->Label7->text(), QStringLiteral("Telefon 2"));
  EXPECT_EQ(f->Label8->text(), QStringLiteral("Telefon 3"));
  EXPECT_EQ(f->Label15->text(), QStringLiteral("Telefon 4"));
  for (QLabel* l : {f->Label1, f->Label2, f->Label3, f->Label4}) EXPECT_EQ(l->text(), QStringLiteral("-"));
  EXPECT_EQ(f->Label21->text(), QStringLiteral("Tek hatlı Cihaz Bağlantısı böyle yapılır >"));
  EXPECT_EQ(f->Label17->text(), QStringLiteral("2 hatlı Cihaz Bağlantısı böyle yapılır >"));
  EXPECT_EQ(f->Label16->text(), QStringLiteral("4 hatlı Cihaz Bağlantısı böyle yapılır >"));
  EXPECT_EQ(f->Label12->text(), QStringLiteral("İnternet hattı, cihaza böyle bağlanır >"));
  EXPECT_EQ(f->Label19->text(), QStringLiteral("Önemli açıklamalar"));
  EXPECT_EQ(f->Label13->text(), QStringLiteral("Ayarlar otomatiktir. "));
  EXPECT_EQ(f->Label20->text(), QStringLiteral("="));
  EXPECT_EQ(f->Edit1->text(), QStringLiteral("??"));
  for (QPushButton* b : {f->BitBtn1, f->BitBtn2, f->BitBtn3}) {
    EXPECT_EQ(b->text(), QStringLiteral("Tamam"));
    EXPECT_FALSE(b->icon().isNull()) << "OK-kind buttons carry the check-mark glyph";
  }
  EXPECT_EQ(f->StatusBar1->currentMessage(), QString());
  EXPECT_EQ(f->Memo2->toPlainText(), QStringLiteral("\n")) << "two empty lines";
  EXPECT_TRUE(f->Memo2->isReadOnly());
  EXPECT_EQ(f->Listeyisil1->text(), QStringLiteral("Listeyi sil"));
}

// Every control at its declared rectangle on a normal start, in its declared
// parent's coordinates. Labels that size themselves to their text keep only
// their place.
TEST_F(Layout, EveryControlAtItsDeclaredRectangle) {
  struct Declared {
    const char* name;
    const char* parent;
    QRect rect;
    bool sizesToText;
  };
  const Declared table[] = {
      {"PageControl1", "TForm1", {0, 0, 527, 411}, false},
      {"TabSheet1", "PageControl1", {4, 24, 519, 383}, false},
      {"GroupBox4", "TabSheet1", {0, 0, 519, 364}, false},
      {"GridView1", "GroupBox4", {2, 15, 515, 170}, false},
      {"Memo2", "GroupBox4", {2, 185, 515, 48}, false},
      {"GroupBox2", "GroupBox4", {2, 233, 288, 129}, false},
      {"Label22", "GroupBox2", {14, 19, 109, 24}, true},
      {"Label5", "GroupBox2", {128, 19, 121, 24}, false},
      {"Label9", "GroupBox2", {14, 62, 259, 34}, false},
      {"tek", "GroupBox4", {294, 233, 223, 129}, false},
      {"Label6", "tek", {15, 25, 56, 16}, true},
      {"Label7", "tek", {15, 49, 56, 16}, true},
      {"Label8", "tek", {15, 73, 56, 16}, true},
      {"Label15", "tek", {15, 97, 56, 16}, true},
      {"ProgressBar1", "tek", {83, 27, 98, 13}, false},
      {"ProgressBar2", "tek", {83, 51, 98, 13}, false},
      {"ProgressBar3", "tek", {83, 75, 98, 13}, false},
      {"ProgressBar4", "tek", {83, 99, 98, 13}, false},
      {"Label1", "tek", {189, 27, 25, 13}, false},
      {"Label2", "tek", {189, 51, 25, 13}, false},
      {"Label3", "tek", {189, 75, 25, 13}, false},
      {"Label4", "tek", {189, 99, 25, 13}, false},
      {"StatusBar1", "TabSheet1", {0, 364, 519, 19}, false},
      {"TabSheet2", "PageControl1", {4, 24, 519, 383}, false},
      // Client-aligned, so it fills the 383-px page though its layout stores 384.
      {"GroupBox1", "TabSheet2", {0, 0, 519, 383}, false},
      {"Label21", "GroupBox1", {89, 43, 249, 14}, true},
      {"Label17", "GroupBox1", {89, 120, 235, 14}, true},
      {"Label16", "GroupBox1", {89, 197, 235, 14}, true},
      {"Label12", "GroupBox1", {89, 292, 239, 14}, true},
      {"Label19", "GroupBox1", {90, 345, 117, 14}, true},
      {"Image2", "GroupBox1", {382, 16, 96, 68}, false},
      {"Image1", "GroupBox1", {382, 95, 96, 68}, false},
      {"Image3", "GroupBox1", {382, 175, 96, 68}, false},
      {"Image4", "GroupBox1", {382, 255, 96, 68}, false},
      {"BitBtn3", "GroupBox1", {382, 331, 97, 30}, false},
      {"Label13", "TabSheet3", {57, 78, 124, 14}, true},
      {"BitBtn2", "TabSheet3", {402, 323, 97, 30}, false},
      {"TabSheet4", "PageControl1", {4, 24, 519, 383}, false},
      {"Label14", "TabSheet4", {317, 329, 10, 24}, true},
      {"Label18", "TabSheet4", {328, 326, 6, 13}, true},
      {"Label20", "TabSheet4", {340, 334, 6, 13}, true},
      {"Edit1", "TabSheet4", {356, 330, 41, 21}, false},
      {"BitBtn1", "TabSheet4", {404, 325, 97, 30}, false},
      {"Tevra1", "TForm1", {200, 169, 29, 29}, false},
  };
  f->show();
  // Each page is laid out once it has been shown.
  for (QWidget* page : {f->TabSheet2, f->TabSheet4, f->TabSheet1}) {
    f->PageControl1->setCurrentWidget(page);
    QApplication::processEvents();
  }
  for (const Declared& d : table) {
    const auto* w = d.name == QLatin1String("TForm1") ? f.get() : f->findChild<QWidget*>(QLatin1String(d.name));
    const auto* parent =
        d.parent == QLatin1String("TForm1") ? f.get() : f->findChild<QWidget*>(QLatin1String(d.parent));
    ASSERT_TRUE(w && parent) << d.name;
    const QRect at(w->parentWidget()->mapTo(parent, w->pos()), w->size());
    if (d.sizesToText)
      EXPECT_EQ(at.topLeft(), d.rect.topLeft()) << d.name;
    else
      EXPECT_EQ(at, d.rect) << d.name;
  }
  EXPECT_EQ(f->size(), QSize(527, 411)) << "fitted to the page control";
}

TEST_F(Layout, FontsInPixelHeights) {
  EXPECT_EQ(f->font().pixelSize(), 11);
  EXPECT_EQ(f->Label22->font().pixelSize(), 19);
  EXPECT_EQ(f->Label5->font().pixelSize(), 19);
  EXPECT_EQ(f->Label9->font().pixelSize(), 27);
  EXPECT_EQ(f->Label6->font().pixelSize(), 13);
  EXPECT_EQ(f->Memo2->font().pixelSize(), 11);
  EXPECT_EQ(f->Label21->font().pixelSize(), 12);
  EXPECT_TRUE(f->Label19->font().underline());
  EXPECT_FALSE(f->Label21->font().underline());
  EXPECT_EQ(f->Label14->font().pixelSize(), 19);
  EXPECT_EQ(f->Label18->font().pixelSize(), 7);
  EXPECT_EQ(QFontInfo(f->Label9->font()).family(), QStringLiteral("Liberation Sans Narrow"));
  // The connection states fit the fixed-size label.
  for (const char* state : {"--", "Cihaz bağlı", "Bağlantı bekleniyor"})
    EXPECT_LE(QFontMetrics(f->Label9->font()).horizontalAdvance(QString::fromUtf8(state)), f->Label9->width()) << state;
  EXPECT_EQ(QFontInfo(f->Memo2->font()).family(), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(QFontInfo(f->Label22->font()).family(), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(f->Label21->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(f->Image2->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(Layout, GuideLinksAreDrawnInBlue) {
  f->PageControl1->setCurrentWidget(f->TabSheet2);
  f->show();
  for (QLabel* link : {f->Label21, f->Label17, f->Label16, f->Label12, f->Label19}) {
    const QImage image = link->grab().toImage();
    int blue = 0, otherInk = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.blue() > 200 && c.red() < 60 && c.green() < 60)
          ++blue;
        else if (c.blue() < c.red() - 40)  // warm ink: text in another colour
          ++otherInk;
      }
    EXPECT_GT(blue, 20) << link->objectName().toStdString();
    EXPECT_EQ(otherInk, 0) << link->objectName().toStdString();
  }
}

TEST_F(Layout, AyarPageHasNoTab) {
  EXPECT_FALSE(f->PageControl1->isTabVisible(2));
  EXPECT_TRUE(f->PageControl1->isTabVisible(0));
  EXPECT_TRUE(f->PageControl1->isTabVisible(1));
  EXPECT_TRUE(f->PageControl1->isTabVisible(3));
  EXPECT_EQ(f->PageControl1->currentIndex(), 0);
}

TEST_F(Layout, NoInputSelectsTheAyarPage) {
  f->show();
  QApplication::setActiveWindow(f.get());
  QTabWidget* pages = f->PageControl1;
  QTabBar* bar = pages->tabBar();
  auto from = [&](QWidget* page) {
    pages->setCurrentWidget(page);
    bar->setFocus();
  };
  from(f->TabSheet2);
  QTest::keyClick(bar, Qt::Key_Right);
  EXPECT_EQ(pages->currentWidget(), f->TabSheet4);
  QTest::keyClick(bar, Qt::Key_Left);
  EXPECT_EQ(pages->currentWidget(), f->TabSheet2);
  QTest::keyClick(pages, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(pages->currentWidget(), f->TabSheet4);
  QTest::keyClick(pages, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(pages->currentWidget(), f->TabSheet2);
  for (int dy : {-120, 120}) {
    from(dy < 0 ? f->TabSheet2 : f->TabSheet4);
    const QPoint p = bar->rect().center();
    QWheelEvent wheel(p, bar->mapToGlobal(p), QPoint(), QPoint(0, dy), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(bar, &wheel);
    EXPECT_NE(pages->currentWidget(), f->TabSheet3) << dy;
  }
  EXPECT_FALSE(f->TabSheet3->isVisible());
}

TEST_F(Layout, CtrlTabFromTheCallListChangesThePage) {
  f->show();
  QApplication::setActiveWindow(f.get());
  f->GridView1->setFocus();
  QTest::keyClick(f->GridView1, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->TabSheet2);
  f->PageControl1->setCurrentWidget(f->TabSheet1);
  f->GridView1->setFocus();
  QTest::keyClick(f->GridView1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->TabSheet4);
}

// Align: the page control fills the window, the group boxes and the status
// bar fill their pages, and the controls inside GroupBox4 its client area.
TEST_F(Layout, AlignedControlsFillTheirParents) {
  // A failing start leaves the window free to be resized.
  fake.state->startMonitoringResult = device::E_FAIL;
  f->show();
  for (const QSize size : {QSize(527, 411), QSize(700, 520)}) {
    f->resize(size);
    QApplication::processEvents();
    SCOPED_TRACE(size.width());
    EXPECT_EQ(Geo(f->PageControl1), QRect(QPoint(0, 0), size));
    for (QWidget* page : {f->TabSheet1, f->TabSheet2}) {
      f->PageControl1->setCurrentWidget(page);
      QApplication::processEvents();
    }
    f->PageControl1->setCurrentWidget(f->TabSheet1);
    const QSize page = f->TabSheet1->size();
    EXPECT_EQ(Geo(f->StatusBar1), QRect(0, page.height() - 19, page.width(), 19));
    EXPECT_EQ(Geo(f->GroupBox4), QRect(0, 0, page.width(), page.height() - 19));
    EXPECT_EQ(Geo(f->GroupBox1), QRect(QPoint(0, 0), f->TabSheet2->size()));
    const int w = f->GroupBox4->width();
    const int h = f->GroupBox4->height();
    EXPECT_EQ(Geo(f->GridView1), QRect(2, 15, w - 4, 170));
    EXPECT_EQ(Geo(f->Memo2), QRect(2, 185, w - 4, 48));
    EXPECT_EQ(Geo(f->GroupBox2), QRect(2, 233, 288, h - 235));
    EXPECT_EQ(Geo(f->tek), QRect(w - 2 - 223, 233, 223, h - 235));
    EXPECT_EQ(Geo(f->Tevra1), QRect(200, 169, 29, 29)) << "not aligned";
  }
}

TEST_F(Layout, LabelsNotFixedSizeFitTheirText) {
  for (QLabel* l : std::initializer_list<QLabel*>{f->Label22, f->Label6, f->Label7, f->Label8, f->Label15, f->Label13,
                                                  f->Label21, f->Label19}) {
    EXPECT_EQ(l->size(), l->sizeHint()) << l->objectName().toStdString();
    EXPECT_GT(l->width(), l->fontMetrics().horizontalAdvance(l->text().trimmed()) - 1);
  }
  EXPECT_EQ(f->Label22->pos(), QPoint(14, 19));
  EXPECT_EQ(Geo(f->Label5), QRect(128, 19, 121, 24));
  EXPECT_EQ(Geo(f->Label9), QRect(14, 62, 259, 34));
  EXPECT_EQ(Geo(f->Label1), QRect(189, 27, 25, 13));
}

TEST_F(Layout, ContextMenuOnlyOnTheConnectionLabel) {
  EXPECT_EQ(f->Label9->contextMenuPolicy(), Qt::CustomContextMenu);
  for (QWidget* w : f->findChildren<QWidget*>())
    if (w != f->Label9) {
      EXPECT_NE(w->contextMenuPolicy(), Qt::CustomContextMenu) << w->objectName().toStdString();
    }
}

TEST_F(Layout, ReturnClicksTheDefaultButtonOfTheVisiblePageOnly) {
  f->show();
  QApplication::setActiveWindow(f.get());
  f->PageControl1->setCurrentWidget(f->TabSheet2);
  f->PageControl1->setFocus();
  QTest::keyClick(f->PageControl1, Qt::Key_Return);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->TabSheet1) << "BitBtn3 returned to the Test page";
  // On the Test page there is no default button: Return does nothing.
  f->PageControl1->setFocus();
  QTest::keyClick(f->PageControl1, Qt::Key_Return);
  EXPECT_EQ(f->PageControl1->currentWidget(), f->TabSheet1);
}

TEST_F(Layout, TabOrderInsideThePages) {
  auto next = [](QWidget* w) {
    QWidget* n = w->nextInFocusChain();
    while (n && n->focusPolicy() == Qt::NoFocus) n = n->nextInFocusChain();
    return n;
  };
  EXPECT_EQ(next(f->Memo2), f->GridView1);
  EXPECT_EQ(next(f->Edit1), f->BitBtn1);
}
