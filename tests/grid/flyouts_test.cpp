// The roll marker and the hint window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "grid/hintwindow.h"
#include "grid/rollshadow.h"
#include "grid/syscolors.h"

using namespace grid;

TEST(FlyoutTest, RollMarkerIsTwoArrowsAndADotCentredOnThePressPoint) {
  TRollShadow marker;
  EXPECT_EQ(marker.size(), QSize(32, 32));
  const QRegion shape = marker.mask();
  EXPECT_EQ(shape, TRollShadow::Shape());
  // Inside: the up arrow, the dot, the down arrow.
  EXPECT_TRUE(shape.contains(QPoint(7, 3)));
  EXPECT_TRUE(shape.contains(QPoint(1, 6)));
  EXPECT_TRUE(shape.contains(QPoint(7, 11)));
  EXPECT_TRUE(shape.contains(QPoint(6, 18)));
  // Outside: the gaps between them and the rest of the square.
  EXPECT_FALSE(shape.contains(QPoint(7, 8)));
  EXPECT_FALSE(shape.contains(QPoint(3, 11)));
  EXPECT_FALSE(shape.contains(QPoint(20, 20)));
  EXPECT_FALSE(shape.contains(QPoint(7, 24)));
  EXPECT_LE(shape.boundingRect().right(), 14);
  EXPECT_LE(shape.boundingRect().bottom(), 22);
  // Shown, its dot sits on the press point, painted in grey text.
  marker.ShowAt(QPoint(300, 200));
  EXPECT_TRUE(marker.isVisible());
  EXPECT_EQ(marker.pos(), QPoint(293, 189));
  const QImage image = marker.grab().toImage();
  const QColor grey = ColorToQColor(clGrayText);
  EXPECT_EQ(image.pixelColor(7, 11).rgb(), grey.rgb());
}

TEST(FlyoutTest, HintWindowWrapsAtTheMaximumWidthAndShowsWhereAsked) {
  TGridHintWindow hint;
  const QString longText = QString("Arayan numara bilgisi ").repeated(10);
  const QRect wrapped = hint.CalcHintRect(250, longText);
  EXPECT_LE(wrapped.width(), 250);
  EXPECT_GT(wrapped.height(), hint.CalcHintRect(250, "Saat").height());
  EXPECT_EQ(wrapped.topLeft(), QPoint(0, 0));

  const QRect shortRect = hint.CalcHintRect(250, "Saat");
  hint.ActivateHint(shortRect.translated(40, 60), "Saat");
  EXPECT_TRUE(hint.IsShowing());
  EXPECT_EQ(hint.Text(), "Saat");
  EXPECT_EQ(hint.geometry(), shortRect.translated(40, 60));
  const QImage image = hint.grab().toImage();
  const QColor back = ColorToQColor(clInfoBk);
  EXPECT_EQ(image.pixelColor(shortRect.width() - 2, shortRect.height() - 2).rgb(), back.rgb());
  hint.ReleaseHint();
  EXPECT_FALSE(hint.IsShowing());
}
