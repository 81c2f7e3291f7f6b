// Visual styles: which styles count as themed, the themed header look, the
// failure of the theme question, the border; and the drawing primitives and
// colour table the grid draws with.
#include <gtest/gtest.h>

#include <QPainter>
#include <QProxyStyle>

#include "calllist_grid.h"
#include "grid/canvas.h"
#include "grid/themes.h"
#include "platform/application.h"
#include "platform/errors.h"

using namespace grid;
using gridtest::CallListGrid;
using gridtest::Px;
using gridtest::Sys;

TEST(GridThemesTest, OnlyTheClassicStyleLooksThroughProxiesAsUnthemed) {
  std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("Windows")));
  std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  ASSERT_TRUE(windows && fusion);
  QWidget w;
  w.setStyle(windows.get());
  EXPECT_FALSE(ThemesActive(&w));
  w.setStyle(fusion.get());
  EXPECT_TRUE(ThemesActive(&w));
  // A proxy is judged by the style it wraps (the proxy owns its base).
  auto* proxy = new QProxyStyle(QStyleFactory::create(QStringLiteral("Windows")));
  QWidget p;
  p.setStyle(proxy);
  EXPECT_FALSE(ThemesActive(&p));
  p.setStyle(nullptr);
  delete proxy;
}

TEST(GridThemesTest, AFailingThemeQuestionBecomesErrorInThemes) {
  CallListGrid f;
  QString logged;
  auto* app = platform::TApplication::Instance();
  ASSERT_NE(app, nullptr);
  app->SetOnException([&](QObject*, const std::exception& e) {
    if (auto* pe = dynamic_cast<const platform::Exception*>(&e)) logged = pe->Message();
  });
  SetThemeProbe([](const QStyle*) -> bool { throw std::runtime_error("service gone"); });
  try {
    ThemesActive();
    ADD_FAILURE() << "no error";
  } catch (const platform::Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Error in Themes"));
  }
  // From a paint pass the error reaches the application-wide hook.
  f.grid->viewport()->repaint();
  SetThemeProbe(nullptr);
  app->SetOnException(nullptr);
  EXPECT_EQ(logged, QStringLiteral("Error in Themes"));
}

TEST(GridThemesTest, ThemedHeaderIndentsCaptionsAndLightsTheHotCell) {
  CallListGrid f(QStringLiteral("Fusion"));
  const QImage normal = f.Client();
  // Captions start 12 pixels into the cell under visual styles.
  int first = -1;
  for (int x = 1; x < 60 && first < 0; ++x)
    for (int y = 3; y < 17; ++y)
      if (qGray(Px(normal, x, y)) < 128) {
        first = x;
        break;
      }
  EXPECT_GE(first, 12);
  EXPECT_LE(first, 14);

  // The pointer over "Arayan numara", x 62..173.
  QTest::mouseMove(f.grid->viewport(), QPoint(f.grid->Columns().Items(4)->Left() + 40, 8));
  ASSERT_EQ(f.grid->HotHeaderColumn(), f.grid->Columns().Items(4));
  const QImage hot = f.Client();
  int changedInside = 0, changedOutside = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 513; ++x)
      if (Px(hot, x, y) != Px(normal, x, y)) (x >= 62 && x < 174 ? changedInside : changedOutside)++;
  EXPECT_GT(changedInside, 50);
  EXPECT_EQ(changedOutside, 0);
}

TEST(GridThemesTest, StaticEdgeIsSunkenAndOutsideTheClientArea) {
  CallListGrid f;
  const QImage whole = f.grid->grab().toImage();
  ASSERT_EQ(whole.width(), 515);
  EXPECT_EQ(Px(whole, 0, 50), Sys(clBtnShadow));
  EXPECT_EQ(Px(whole, 50, 0), Sys(clBtnShadow));
  EXPECT_EQ(Px(whole, 514, 50), Sys(clBtnHighlight));
  EXPECT_EQ(Px(whole, 50, 169), Sys(clBtnHighlight));
  EXPECT_EQ(Px(whole, 1, 1), Sys(clBtnHighlight));  // the client's first header pixel
}

TEST(GridCanvasTest, PrimitivesCoverExactlyTheirPixels) {
  QImage img(40, 30, QImage::Format_RGB32);
  img.fill(Qt::white);
  {
    QPainter p(&img);
    TCanvas c;
    c.Bind(&p, QRegion(img.rect()));
    c.SetPenColor(clBlack);
    c.Polyline({QPoint(2, 2), QPoint(10, 2), QPoint(10, 6)});  // last point not drawn
    TRect r{20, 2, 30, 12};
    c.Frame3D(r, clRed, RGBColor(0, 0, 255), 1);
    EXPECT_EQ(r, (TRect{21, 3, 29, 11}));
    c.DrawFocusRect(TRect{2, 15, 12, 25});
    c.DrawFocusRect(TRect{2, 15, 12, 25});  // twice: gone again
    c.SetBrushColor(RGBColor(0, 255, 0));
    c.FillRect(TRect{30, 20, 32, 22});
    c.InvertRect(TRect{30, 20, 31, 21});
    c.Unbind();
  }
  EXPECT_EQ(Px(img, 2, 2), qRgb(0, 0, 0));
  EXPECT_EQ(Px(img, 10, 2), qRgb(0, 0, 0));
  EXPECT_EQ(Px(img, 10, 5), qRgb(0, 0, 0));
  EXPECT_EQ(Px(img, 10, 6), qRgb(255, 255, 255));
  EXPECT_EQ(Px(img, 1, 2), qRgb(255, 255, 255));
  // Frame3D: top and left in the first colour, bottom and right in the second.
  EXPECT_EQ(Px(img, 20, 2), qRgb(255, 0, 0));
  EXPECT_EQ(Px(img, 20, 10), qRgb(255, 0, 0));
  EXPECT_EQ(Px(img, 20, 11), qRgb(0, 0, 255));
  EXPECT_EQ(Px(img, 29, 2), qRgb(0, 0, 255));
  EXPECT_EQ(Px(img, 28, 2), qRgb(255, 0, 0));
  EXPECT_EQ(Px(img, 25, 11), qRgb(0, 0, 255));
  EXPECT_EQ(Px(img, 25, 6), qRgb(255, 255, 255));
  for (int x = 2; x < 12; ++x) EXPECT_EQ(Px(img, x, 15), qRgb(255, 255, 255)) << x;
  EXPECT_EQ(Px(img, 30, 20), qRgb(255, 0, 255));
  EXPECT_EQ(Px(img, 31, 21), qRgb(0, 255, 0));
  EXPECT_EQ(Px(img, 32, 20), qRgb(255, 255, 255));
}

TEST(GridCanvasTest, TextStaysInsideItsRectangleAndShowsAmpersands) {
  TCanvas c;
  c.SetFont(QFont(QStringLiteral("DejaVu Sans"), 9));
  c.SetFontColor(clBlack);
  auto draw = [&c](unsigned extraFlags) {
    QImage img(120, 20, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    c.Bind(&p, QRegion(img.rect()));
    c.DrawText(QStringLiteral("A&B wide text that cannot fit"), TRect{10, 0, 60, 20},
               DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | extraFlags);
    c.Unbind();
    return img;
  };
  const QImage img = draw(DT_NOPREFIX);
  for (int y = 0; y < 20; ++y)
    for (int x : {0, 9, 60, 100}) EXPECT_GT(qGray(Px(img, x, y)), 200) << x << "," << y;
  const QImage withPrefix = draw(0);
  // Prefix processing changes what is drawn; DT_NOPREFIX keeps the "&".
  EXPECT_NE(img, withPrefix);
}

TEST(GridColorsTest, SystemColoursResolveThroughThePaletteAndPlainOnesAreRedLowest) {
  const QPalette pal = QGuiApplication::palette();
  EXPECT_EQ(ColorToQColor(clHighlight).rgb(), pal.color(QPalette::Active, QPalette::Highlight).rgb());
  EXPECT_EQ(ColorToQColor(clWindow).rgb(), pal.color(QPalette::Active, QPalette::Base).rgb());
  EXPECT_EQ(ColorToQColor(clBtnFace).rgb(), pal.color(QPalette::Active, QPalette::Button).rgb());
  EXPECT_EQ(ColorToQColor(clWindowText).rgb(), pal.color(QPalette::Active, QPalette::Text).rgb());
  EXPECT_EQ(ColorToQColor(clRed).rgb(), qRgb(255, 0, 0));
  EXPECT_EQ(ColorToQColor(0x00332211).rgb(), qRgb(0x11, 0x22, 0x33));
  EXPECT_EQ(ColorToQColor(0xFF0000FE).rgb(), qRgb(0, 0, 0));  // unknown index
  EXPECT_EQ(QColorToColor(QColor(1, 2, 3)), RGBColor(1, 2, 3));
  // Every index the platform defines has a role.
  QPalette::ColorGroup g;
  QPalette::ColorRole r;
  for (int i = 0; i <= 30; ++i) EXPECT_TRUE(SystemColorRole(i, &g, &r)) << i;
}
