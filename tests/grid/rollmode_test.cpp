// The middle-button roll mode: speed, direction, cursors and its lifetime.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>

#include "grid/rollmode.h"
#include "grid/rollshadow.h"

using namespace grid;

TEST(RollIntervalTest, DelayShrinksWithDistanceDownToOneMillisecond) {
  EXPECT_EQ(RollInterval(0), 100);
  EXPECT_EQ(RollInterval(40), 60);
  EXPECT_EQ(RollInterval(-40), 60);
  EXPECT_EQ(RollInterval(98), 2);
  EXPECT_EQ(RollInterval(99), 1);
  EXPECT_EQ(RollInterval(150), 1);
  EXPECT_EQ(RollInterval(-100000), 1);
}

TEST(RollIntervalTest, DirectionThresholdsAreAsymmetric) {
  EXPECT_EQ(RollDirectionFor(-6), TRollDirection::Up);
  EXPECT_EQ(RollDirectionFor(-5), TRollDirection::None);
  EXPECT_EQ(RollDirectionFor(5), TRollDirection::None);
  EXPECT_EQ(RollDirectionFor(6), TRollDirection::Down);
}

namespace {

struct RollFixture : ::testing::Test {
  QWidget view;
  TRollMode roll{&view};
  QPoint pointer;
  int ups = 0;
  int downs = 0;

  void SetUp() override {
    view.resize(300, 200);
    roll.OnLineUp = [this] { ++ups; };
    roll.OnLineDown = [this] { ++downs; };
    roll.PointerPos = [this] { return pointer; };
  }
  void TearDown() override { roll.Stop(); }
};

}  // namespace

TEST_F(RollFixture, PressShowsTheMarkerAtThePressPointAndStartsTheTimer) {
  roll.Start(QPoint(50, 60));
  EXPECT_TRUE(roll.Active());
  EXPECT_TRUE(roll.Marker()->isVisible());
  EXPECT_EQ(roll.Marker()->pos(), view.mapToGlobal(QPoint(50, 60)) - QPoint(7, 11));
  EXPECT_EQ(roll.Marker()->cursor().hotSpot(), TScreenCursors::Get(crRoll).hotSpot());
  EXPECT_TRUE(roll.Timer()->isActive());
  EXPECT_EQ(roll.Timer()->interval(), 1);
  EXPECT_EQ(ApplicationCursor(), crDefault);
}

TEST_F(RollFixture, MovesSetDirectionAndApplicationCursorTicksScrollOneRow) {
  roll.Start(QPoint(50, 60));
  pointer = QPoint(50, 54);
  roll.Move(pointer);
  EXPECT_EQ(ApplicationCursor(), crRollUp);
  roll.Tick();
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(downs, 0);
  EXPECT_EQ(roll.Timer()->interval(), 94);

  pointer = QPoint(50, 63);
  roll.Move(pointer);
  EXPECT_EQ(ApplicationCursor(), crRoll);
  roll.Tick();
  EXPECT_EQ(ups + downs, 1);
  EXPECT_EQ(roll.Timer()->interval(), 97);
}

TEST_F(RollFixture, TickUsesTheDirectionOfTheLastMoveButTheDistanceOfNow) {
  roll.Start(QPoint(50, 60));
  roll.Move(QPoint(50, 100));
  pointer = QPoint(50, 210);  // moved further without a move event yet
  roll.Tick();
  EXPECT_EQ(downs, 1);
  EXPECT_EQ(roll.Timer()->interval(), 1);
}

TEST_F(RollFixture, TheRunningTimerKeepsScrollingFastFarFromThePressPoint) {
  roll.Start(QPoint(50, 60));
  pointer = QPoint(50, 210);
  roll.Move(pointer);
  // Several steps within a short while (generous for a loaded machine).
  QElapsedTimer clock;
  clock.start();
  while (downs < 5 && clock.elapsed() < 3000) QTest::qWait(5);
  EXPECT_GE(downs, 5);
  EXPECT_EQ(roll.Timer()->interval(), 1);
}

TEST_F(RollFixture, ReleaseEndsEverythingAndIsHarmlessTwice) {
  roll.Start(QPoint(50, 60));
  roll.Move(QPoint(50, 0));
  roll.Stop();
  EXPECT_FALSE(roll.Active());
  EXPECT_EQ(roll.Direction(), TRollDirection::None);
  EXPECT_FALSE(roll.Marker()->isVisible());
  EXPECT_FALSE(roll.Timer()->isActive());
  EXPECT_EQ(ApplicationCursor(), crDefault);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  roll.Stop();
  // Ticks or moves after the release change nothing.
  roll.Move(QPoint(50, 200));
  roll.Tick();
  EXPECT_EQ(ups + downs, 0);
  EXPECT_EQ(ApplicationCursor(), crDefault);
}
