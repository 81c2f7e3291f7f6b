// The scroll bar model: clamping, parameter batches, scroll messages and
// pixel scrolling inside the stored clip rectangles.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <vector>

#include "grid/scrollview.h"

using namespace grid;

namespace {

class RecordingView : public TScrollView {
 public:
  struct Scroll {
    int dx, dy;
  };
  std::vector<Scroll> scrolls;
  std::vector<TScrollBarKind> before;
  void ScrollContent(int dx, int dy) override {
    scrolls.push_back({dx, dy});
    TScrollView::ScrollContent(dx, dy);
  }
  void BeforeScroll(TScrollBarKind kind) override { before.push_back(kind); }
};

}  // namespace

TEST(ScrollBarTest, PositionsAreClampedAndRangesNeverNegative) {
  RecordingView v;
  TControlScrollBar* bar = v.VertScrollBar();
  bar->SetMax(-5);
  EXPECT_EQ(bar->Max(), 0);
  bar->SetMin(-2);
  EXPECT_EQ(bar->Min(), 0);
  bar->SetMax(10);
  bar->SetScrollPos(25);
  EXPECT_EQ(bar->ScrollPos(), 10);
  bar->SetScrollPos(-3);
  EXPECT_EQ(bar->ScrollPos(), 0);
  EXPECT_EQ(bar->PrevScrollPos(), 10);
  // Moving down 10 rows is a content delta of -10, reported after BeforeScroll.
  ASSERT_EQ(v.scrolls.size(), 2u);
  EXPECT_EQ(v.scrolls[0].dy, -10);
  EXPECT_EQ(v.scrolls[1].dy, 10);
  EXPECT_EQ(v.before.size(), 2u);
  EXPECT_EQ(v.LastVertDelta(), 10);
  // Lowering Max pulls the position down without moving pixels.
  bar->SetScrollPos(8);
  v.scrolls.clear();
  bar->SetMax(5);
  EXPECT_EQ(bar->ScrollPos(), 5);
  EXPECT_TRUE(v.scrolls.empty());
  EXPECT_EQ(v.verticalScrollBar()->value(), 5);
}

TEST(ScrollBarTest, SetParamsKeepsThePositionForMinusOneAndAppliesOnce) {
  RecordingView v;
  TControlScrollBar* bar = v.HorzScrollBar();
  bar->SetParams(-1, 0, true, true, 5, 40);
  bar->SetScrollPos(30);
  bar->SetParams(-1, 0, true, true, 5, 60);
  EXPECT_EQ(bar->ScrollPos(), 30);
  bar->SetParams(12, 0, true, true, 5, 60);
  EXPECT_EQ(bar->ScrollPos(), 12);
  EXPECT_EQ(v.LastHorzDelta(), 18);
  EXPECT_EQ(v.horizontalScrollBar()->maximum(), 60);
  EXPECT_EQ(v.horizontalScrollBar()->value(), 12);
  EXPECT_FALSE(bar->Locked());
  // Nothing to scroll: the window's bar stays but is disabled.
  bar->SetParams(-1, 0, true, true, 5, 0);
  EXPECT_FALSE(v.horizontalScrollBar()->isEnabled());
  bar->SetParams(-1, 0, true, false, 5, 10);
  EXPECT_FALSE(v.horizontalScrollBar()->isEnabled());
  bar->SetEnabled(true);
  EXPECT_TRUE(v.horizontalScrollBar()->isEnabled());
}

TEST(ScrollBarTest, LineAndPageStepsSendMessagesOnlyWithSomethingToScroll) {
  RecordingView v;
  TControlScrollBar* bar = v.VertScrollBar();
  bar->SetMax(0);
  bar->LineDown();
  bar->PageDown();
  EXPECT_EQ(bar->ScrollPos(), 0);
  EXPECT_TRUE(v.scrolls.empty());
  bar->SetMax(30);
  bar->SetPageStep(10);
  bar->SetLineStep(2);
  bar->LineDown();
  EXPECT_EQ(bar->ScrollPos(), 2);
  bar->PageDown();
  EXPECT_EQ(bar->ScrollPos(), 12);
  bar->PageUp();
  bar->LineUp();
  EXPECT_EQ(bar->ScrollPos(), 0);
}

TEST(ScrollBarTest, UserActionsOnTheWindowBarBecomeScrollMessages) {
  RecordingView v;
  v.resize(200, 200);
  v.show();
  TControlScrollBar* bar = v.VertScrollBar();
  bar->SetMax(20);
  bar->SetPageStep(7);
  QScrollBar* sb = v.verticalScrollBar();
  sb->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(bar->ScrollPos(), 7);  // our page step, not the window bar's
  EXPECT_EQ(sb->value(), 7);
  sb->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(bar->ScrollPos(), 20);
  sb->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(bar->ScrollPos(), 19);
  // Thumb tracking reads the slider position.
  sb->setSliderPosition(4);
  EXPECT_EQ(bar->ScrollPos(), 4);
  // A value set on the window bar from elsewhere is followed too.
  sb->setValue(9);
  EXPECT_EQ(bar->ScrollPos(), 9);
}

TEST(ScrollBarTest, AScrollMessageLeavesAHiddenBarHidden) {
  RecordingView v;
  v.resize(200, 200);
  v.show();
  TControlScrollBar* bar = v.HorzScrollBar();
  bar->SetMax(50);
  bar->SetVisible(false);
  v.ScrollMessage(sbHorizontal, scBottom);
  EXPECT_EQ(bar->ScrollPos(), 50);
  EXPECT_EQ(v.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  bar->SetVisible(true);
  v.ScrollMessage(sbHorizontal, scTop);
  EXPECT_EQ(v.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(bar->ScrollPos(), 0);
}
