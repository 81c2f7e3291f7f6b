// The main window as its user meets it: every control where its layout
// (form1.ui, read here) puts it and at its design font size, whole, clear of
// its neighbours and readable; which pages, keys and menus reach what.
#include <gtest/gtest.h>

#include <QFile>
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
#include <QXmlStreamReader>

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

// What the layout declares of one control.
struct Declared {
  QString name, parent;
  QRect rect;  // null where the layout gives none (the pages)
  bool label = false, aligned = false, fixedSize = false, hasText = false, underline = false;
  double points = 0;
  bool SizesToText() const { return label && hasText && !fixedSize; }
};

std::vector<Declared> ReadLayout() {
  QFile file(QStringLiteral(CID_SOURCE_DIR "/ui/main_window/form1.ui"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  std::vector<Declared> all;
  std::vector<size_t> open;  // the widgets being read, innermost last
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement() && xml.name() == u"widget") open.pop_back();
    if (!xml.isStartElement()) continue;
    if (xml.name() == u"widget") {
      Declared d{xml.attributes().value(QLatin1String("name")).toString(),
                 open.empty() ? QString() : all[open.back()].name};
      d.label = xml.attributes().value(QLatin1String("class")).endsWith(u"Label");
      open.push_back(all.size());
      all.push_back(d);
      continue;
    }
    if (open.empty()) continue;
    Declared& d = all[open.back()];
    const QString property =
        xml.name() == u"property" ? xml.attributes().value(QLatin1String("name")).toString() : QString();
    d.aligned |= property == u"align";
    d.fixedSize |= property == u"fixedSize";
    d.hasText |= property == u"text";
    if (xml.name() == u"pointsize") d.points = xml.readElementText().toDouble();
    if (xml.name() == u"underline") d.underline = xml.readElementText() == u"true";
    if (xml.name() == u"rect") {
      int v[4];
      for (int& n : v) n = xml.readNextStartElement() ? xml.readElementText().toInt() : 0;
      d.rect = QRect(v[0], v[1], v[2], v[3]);
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  return all;
}

// How wide a control's text is drawn; 0 for controls without one.
int TextWidth(const QWidget* w) {
  if (const auto* l = qobject_cast<const QLabel*>(w)) return l->fontMetrics().horizontalAdvance(l->text());
  if (const auto* g = qobject_cast<const QGroupBox*>(w)) return g->fontMetrics().horizontalAdvance(g->title());
  if (const auto* b = qobject_cast<const QPushButton*>(w)) return b->sizeHint().width();
  return 0;
}

// Where a control draws: a label's trailing blanks draw nothing.
QRect Occupied(const QWidget* w) {
  const auto* l = qobject_cast<const QLabel*>(w);
  if (!l || l->text().isEmpty() || !(l->alignment() & Qt::AlignLeft)) return Geo(w);
  const int ink = l->contentsRect().left() + l->fontMetrics().horizontalAdvance(l->text().trimmed());
  return QRect(w->pos(), QSize(ink, w->height()));
}

}  // namespace

// Controls that size themselves to their text keep only their place;
// aligned ones fill their parent (below).
TEST_F(Layout, EveryControlWhereItsLayoutPutsItAtItsDesignFontSize) {
  f->show();
  // Each page is laid out once it has been shown.
  for (QWidget* page : {f->TabSheet2, f->TabSheet3, f->TabSheet4, f->TabSheet1}) {
    f->PageControl1->setCurrentWidget(page);
    QApplication::processEvents();
  }
  for (const Declared& d : ReadLayout()) {
    const QWidget* w = d.parent.isEmpty() ? f.get() : f->findChild<QWidget*>(d.name);
    ASSERT_TRUE(w) << qPrintable(d.name);
    // Layouts are drawn at 96 dpi, where a point is 4/3 of a pixel.
    if (d.points > 0) EXPECT_EQ(w->font().pixelSize(), qRound(d.points * 4 / 3)) << qPrintable(d.name);
    EXPECT_EQ(w->font().underline(), d.underline) << qPrintable(d.name);
    if (d.rect.isNull() || d.aligned) continue;
    if (d.parent.isEmpty()) {
      EXPECT_EQ(w->size(), d.rect.size()) << "the window, fitted to its page control";
    } else if (d.SizesToText()) {
      EXPECT_EQ(w->pos(), d.rect.topLeft()) << qPrintable(d.name);
      EXPECT_EQ(w->size(), w->sizeHint()) << qPrintable(d.name);
    } else {
      EXPECT_EQ(Geo(w), d.rect) << qPrintable(d.name);
    }
  }
}

// On every page the user can reach: each control inside its parent, over
// none of its neighbours, and its text within its bounds.
TEST_F(Layout, EveryControlWholeClearOfItsNeighboursAndReadable) {
  f->show();
  const std::vector<Declared> layout = ReadLayout();
  for (QWidget* page : {f->TabSheet1, f->TabSheet2, f->TabSheet4}) {
    f->PageControl1->setCurrentWidget(page);
    QApplication::processEvents();
    std::vector<QWidget*> shown;
    for (const Declared& d : layout)
      if (auto* w = page->findChild<QWidget*>(d.name); w && w->isVisible()) shown.push_back(w);
    for (const QWidget* w : shown) {
      const std::string name = w->objectName().toStdString();
      EXPECT_TRUE(w->parentWidget()->rect().contains(Geo(w))) << name;
      EXPECT_LE(TextWidth(w), w->width()) << name;
      for (const QWidget* other : shown)
        if (other != w && other->parentWidget() == w->parentWidget())
          EXPECT_FALSE(Occupied(w).intersects(Occupied(other))) << name << " and " << other->objectName().toStdString();
    }
  }
}

TEST_F(Layout, StandInFacesAreInstalledAndTheConnectionStatesFit) {
  EXPECT_EQ(QFontInfo(f->Label9->font()).family(), QStringLiteral("Liberation Sans Narrow"));
  EXPECT_EQ(QFontInfo(f->Memo2->font()).family(), QStringLiteral("DejaVu Sans"));
  EXPECT_EQ(QFontInfo(f->Label22->font()).family(), QStringLiteral("Liberation Sans"));
  for (const char* state : {"--", "Cihaz bağlı", "Bağlantı bekleniyor"})
    EXPECT_LE(QFontMetrics(f->Label9->font()).horizontalAdvance(QString::fromUtf8(state)), f->Label9->width()) << state;
  for (QPushButton* b : {f->BitBtn1, f->BitBtn2, f->BitBtn3})
    EXPECT_FALSE(b->icon().isNull()) << "OK-kind buttons carry the check-mark glyph";
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
  for (int tab : {0, 1, 2, 3}) EXPECT_EQ(f->PageControl1->isTabVisible(tab), tab != 2) << tab;
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
    const QPoint pageAt = f->TabSheet1->parentWidget()->mapTo(f->PageControl1, f->TabSheet1->pos());
    EXPECT_EQ(QRect(pageAt, f->TabSheet1->size()), QRect(4, 24, size.width() - 8, size.height() - 28));
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

TEST_F(Layout, ContextMenuOnlyOnTheConnectionLabel) {
  EXPECT_EQ(f->Label9->contextMenuPolicy(), Qt::CustomContextMenu);
  ASSERT_EQ(f->PopupMenu1->actions().size(), 1);
  EXPECT_EQ(f->PopupMenu1->actions()[0]->text(), QStringLiteral("Listeyi sil"));
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
  QTest::keyClicks(f->Memo2, QStringLiteral("x"));
  EXPECT_EQ(f->Memo2->toPlainText(), QStringLiteral("\n")) << "the message area takes no typing";
  EXPECT_EQ(next(f->Edit1), f->BitBtn1);
}
