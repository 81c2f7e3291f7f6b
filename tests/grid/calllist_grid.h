#pragma once
// A shown grid with the call list's settings and five columns, for the
// drawing and geometry tests. The style is explicit: "Windows" (no visual
// styles) unless a test asks for a themed one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPaintEvent>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QWidget>
#include <memory>

#include "grid/gridlayoutloader.h"
#include "grid/gridview.h"
#include "grid/syscolors.h"

namespace gridtest {

// The call list's layout as shipped with the main window.
inline QByteArray CallListLayout() {
  QFile f(QStringLiteral(CID_SOURCE_DIR "/ui/main_window/gridview1.json"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(f.fileName());
  return f.readAll();
}

// Owns its style: widgets keep a plain pointer to the style they draw with.
struct CallListGrid {
  explicit CallListGrid(const QString& styleName = QStringLiteral("Windows"), int width = 515, int height = 170)
      : style(QStyleFactory::create(styleName)), host(std::make_unique<QWidget>()) {
    host->resize(width + 20, height + 20);
    grid = new grid::TGridView(host.get());
    if (style) grid->setStyle(style.get());
    grid::LoadGridLayout(*grid, CallListLayout());
    grid->setGeometry(0, 0, width, height);
    host->show();
    (void)QTest::qWaitForWindowExposed(host.get());
    Settle();
  }
  ~CallListGrid() { host.reset(); }

  // Lets queued layout and paint work finish.
  void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }

  void AddCall(const QStringList& texts) {
    grid->AddRow(1);
    const int r = grid->RowCount() - 1;
    grid->BeginUpdate();
    for (int c = 0; c < texts.size() && c < 5; ++c) grid->Cell(c, r)->SetAsString(texts[c]);
    grid->EndUpdate();
  }

  void Focus() {
    host->activateWindow();
    QApplication::setActiveWindow(host.get());
    grid->setFocus(Qt::OtherFocusReason);
    (void)QTest::qWaitForWindowActive(host.get());
    Settle();
  }

  // The client area as drawn by a full paint pass.
  QImage Client() {
    Settle();
    return grid->viewport()->grab().toImage();
  }

  void AddRows(int n) {
    for (int i = 0; i < n; ++i)
      AddCall({"12:00:0" + QString::number(i % 10), "SN1", QString::number(i + 1), "1",
               "0212555000" + QString::number(i % 10)});
    Settle();
  }

  std::unique_ptr<QStyle> style;
  std::unique_ptr<QWidget> host;
  grid::TGridView* grid = nullptr;
};

// Records what a widget was asked to repaint.
class PaintSpy : public QObject {
 public:
  explicit PaintSpy(QWidget* w) : w_(w) { w->installEventFilter(this); }
  ~PaintSpy() override { w_->removeEventFilter(this); }
  QRegion region;
  int paints = 0;
  void Reset() {
    region = QRegion();
    paints = 0;
  }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) {
      region += static_cast<QPaintEvent*>(e)->region();
      ++paints;
    }
    return false;
  }

 private:
  QWidget* w_;
};

// Colours compared as 8-bit RGB values (alpha always opaque).
inline QRgb Sys(grid::TColor c) { return grid::ColorToQColor(c).rgb(); }
inline QRgb Px(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }
inline QRgb Inverted(QRgb c) { return qRgb(255 - qRed(c), 255 - qGreen(c), 255 - qBlue(c)); }

}  // namespace gridtest
