// The grid's cursor pictures, the cursor table and the application cursor.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QWidget>

#include "grid/cursors.h"

using namespace grid;

namespace {

class CursorsTest : public ::testing::Test {
 protected:
  void SetUp() override { TScreenCursors::Clear(); }
  void TearDown() override {
    SetApplicationCursor(crDefault);
    TScreenCursors::Clear();
  }
};

}  // namespace

TEST_F(CursorsTest, EveryPictureLoadsAsA32PixelCursorWithItsHotSpotOnAPaintedPixel) {
  for (const char* name : {"HORZSPLIT", "COLUMNNODRAG", "ROLL", "ROLLUP", "ROLLDOWN", "INDICATORSELECT"}) {
    SCOPED_TRACE(name);
    auto cursor = LoadCursorResource(QString::fromLatin1(name));
    ASSERT_TRUE(cursor.has_value());
    const QImage image = cursor->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    const QPoint hot = cursor->hotSpot();
    ASSERT_TRUE(image.rect().contains(hot));
    // A transparent picture would make the pointer vanish.
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) opaque += qAlpha(image.pixel(x, y)) > 128;
    EXPECT_GT(opaque, 40);
  }
  EXPECT_FALSE(LoadCursorResource("ARROW").has_value());
  EXPECT_FALSE(LoadCursorResource("horzsplit").has_value());
}

TEST_F(CursorsTest, RegisteredGridCursorsKeepTheirHotSpots) {
  RegisterGridCursors();
  const QCursor split = TScreenCursors::Get(crHorzSplit);
  EXPECT_EQ(split.shape(), Qt::BitmapCursor);
  EXPECT_EQ(split.hotSpot(), QPoint(16, 16));
  EXPECT_EQ(TScreenCursors::Get(crIndicatorSelect).hotSpot(), QPoint(26, 16));

  // The pictures are decoded on first use; a cursor registered in between
  // wins over a picture not yet decoded, and a later grid puts it back.
  RegisterRollCursors();
  EXPECT_TRUE(TScreenCursors::IsRegistered(crRollUp));
  ASSERT_TRUE(TScreenCursors::Register(crRollUp, QCursor(Qt::CrossCursor)));
  EXPECT_EQ(TScreenCursors::Get(crRollUp).shape(), Qt::CrossCursor);
  RegisterRollCursors();
  EXPECT_EQ(TScreenCursors::Get(crRollUp).shape(), Qt::BitmapCursor);
}

TEST_F(CursorsTest, UnknownNumbersFallBackToTheArrowAndStockOnesCannotBeReplaced) {
  // Unknown numbers, stock or registered range, fall back to the arrow.
  EXPECT_EQ(TScreenCursors::Get(-99).shape(), Qt::ArrowCursor);
  EXPECT_EQ(TScreenCursors::Get(4242).shape(), Qt::ArrowCursor);

  EXPECT_FALSE(TScreenCursors::Register(crDefault, QCursor(Qt::CrossCursor)));
  EXPECT_FALSE(TScreenCursors::Register(crIBeam, QCursor(Qt::CrossCursor)));
  EXPECT_EQ(TScreenCursors::Get(crDefault).shape(), Qt::ArrowCursor);
  EXPECT_TRUE(TScreenCursors::Register(4242, QCursor(Qt::CrossCursor)));
  EXPECT_EQ(TScreenCursors::Get(4242).shape(), Qt::CrossCursor);
}

TEST_F(CursorsTest, ApplyCursorGivesTheDefaultBackInsteadOfPinningTheArrow) {
  RegisterGridCursors();
  QWidget parent;
  QWidget& w = *new QWidget(&parent);
  ApplyCursor(&w, crHorzSplit);
  EXPECT_TRUE(w.testAttribute(Qt::WA_SetCursor));
  EXPECT_EQ(w.cursor().hotSpot(), QPoint(16, 16));
  ApplyCursor(&w, crDefault);
  EXPECT_FALSE(w.testAttribute(Qt::WA_SetCursor));
  ApplyCursor(nullptr, crHorzSplit);  // no widget, no crash
}

TEST_F(CursorsTest, ApplicationCursorPushesOneOverrideAndRestoresIt) {
  RegisterRollCursors();
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  SetApplicationCursor(crRollUp);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(ApplicationCursor(), crRollUp);
  SetApplicationCursor(crRollDown);
  SetApplicationCursor(crRollDown);
  EXPECT_EQ(ApplicationCursor(), crRollDown);
  SetApplicationCursor(crDefault);
  // Changing shapes must not stack overrides: one restore clears them all.
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  SetApplicationCursor(crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
