#include <gtest/gtest.h>

#include "ui/balloon_tip.h"

namespace {

const BalloonRect kScreen{0, 0, 1000, 800};
const BalloonSize kBody{200, 60};

BalloonRect Bounds(const BalloonLayout& l) {
  int x0 = std::min(l.body.left, l.tipX), y0 = std::min(l.body.top, l.tipY);
  int x1 = std::max(l.body.right(), l.tipX + 1), y1 = std::max(l.body.bottom(), l.tipY + 1);
  return {x0, y0, x1 - x0, y1 - y0};
}

bool OnScreen(const BalloonRect& b) {
  return b.left >= kScreen.left && b.top >= kScreen.top && b.right() <= kScreen.right() &&
         b.bottom() <= kScreen.bottom();
}

// Where the tip sits relative to the body, and that the pointer's base lies on that edge.
void ExpectPointerOn(const BalloonLayout& l, BalloonEdge edge, int position) {
  const BalloonRect& b = l.body;
  switch (edge) {
    case kEdgeTop: EXPECT_LT(l.tipY, b.top); EXPECT_EQ(b.top, l.baseY1); break;
    case kEdgeBottom: EXPECT_GE(l.tipY, b.bottom()); EXPECT_EQ(b.bottom(), l.baseY1); break;
    case kEdgeLeft: EXPECT_LT(l.tipX, b.left); EXPECT_EQ(b.left, l.baseX1); break;
    case kEdgeRight: EXPECT_GE(l.tipX, b.right()); EXPECT_EQ(b.right(), l.baseX1); break;
  }
  bool horizontal = edge == kEdgeTop || edge == kEdgeBottom;
  int along = horizontal ? l.tipX - b.left : l.tipY - b.top;
  int length = horizontal ? b.width : b.height;
  if (position == 0) {
    EXPECT_LT(along, length / 3);
  } else if (position == 1) {
    EXPECT_EQ(length / 2, along);
  } else {
    EXPECT_GT(along, length * 2 / 3);
  }
  int baseMid = horizontal ? (l.baseX1 + l.baseX2) / 2 : (l.baseY1 + l.baseY2) / 2;
  EXPECT_NEAR(horizontal ? l.tipX : l.tipY, baseMid, kBalloonPointerBase);
}

TEST(BalloonPlacement, EveryPlacementPutsTheTipOnThePoint) {
  for (int p = 0; p < 12; ++p) {
    SCOPED_TRACE(p);
    BalloonLayout l = LayOutBalloon(p, 500, 400, kBody, kScreen);
    EXPECT_EQ(p, l.placement);
    EXPECT_EQ(500, l.tipX);
    EXPECT_EQ(400, l.tipY);
    EXPECT_EQ(kBody.width, l.body.width);
    ExpectPointerOn(l, BalloonPlacementEdge(p), p % 3);
    // The body lies on the side opposite its pointer edge.
    switch (BalloonPlacementEdge(p)) {
      case kEdgeTop: EXPECT_EQ(400 + kBalloonPointerLength, l.body.top); break;
      case kEdgeBottom: EXPECT_EQ(400 - kBalloonPointerLength, l.body.bottom()); break;
      case kEdgeLeft: EXPECT_EQ(500 + kBalloonPointerLength, l.body.left); break;
      case kEdgeRight: EXPECT_EQ(500 - kBalloonPointerLength, l.body.right()); break;
    }
  }
}

struct MirrorCase {
  int placement, x, y, expected;
};

TEST(BalloonPlacement, MirrorsAtEachScreenBorder) {
  const MirrorCase cases[] = {
      // Left border: the balloon would reach left of the point, so left and right swap.
      {2, 30, 400, 0}, {11, 30, 400, 9}, {6, 30, 400, 3}, {7, 30, 400, 4}, {8, 30, 400, 5},
      // Right border.
      {0, 970, 400, 2}, {9, 970, 400, 11}, {3, 970, 400, 6}, {4, 970, 400, 7},
      // Top border: top and bottom swap; along a side edge the ends swap.
      {9, 500, 30, 0}, {10, 500, 30, 1}, {11, 500, 30, 2}, {5, 500, 30, 3}, {8, 500, 30, 6},
      // Bottom border.
      {0, 500, 770, 9}, {1, 500, 770, 10}, {2, 500, 770, 11}, {3, 500, 770, 5}, {6, 500, 770, 8},
      // A corner mirrors both ways.
      {0, 970, 770, 11}, {9, 30, 30, 0},
  };
  for (const MirrorCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.placement << " at " << c.x << "," << c.y);
    BalloonLayout l = LayOutBalloon(c.placement, c.x, c.y, kBody, kScreen);
    EXPECT_EQ(c.expected, l.placement);
    EXPECT_EQ(c.x, l.tipX);
    EXPECT_EQ(c.y, l.tipY);
    EXPECT_TRUE(OnScreen(Bounds(l)));
  }
  // Well inside the screen nothing mirrors.
  EXPECT_EQ(2, LayOutBalloon(2, 300, 400, kBody, kScreen).placement);
}

TEST(BalloonPlacement, ShiftsOntoTheScreenKeepingTheTipOnThePoint) {
  // Centre pointer near the left border: mirroring does not help, the body slides right.
  BalloonLayout l = LayOutBalloon(10, 30, 400, kBody, kScreen);
  EXPECT_EQ(10, l.placement);
  EXPECT_EQ(0, l.body.left);
  EXPECT_EQ(30, l.tipX);
  EXPECT_EQ(400, l.tipY);
  // A point off the screen: the balloon stays on it, its pointer as close as it can be.
  BalloonLayout off = LayOutBalloon(10, -50, 400, kBody, kScreen);
  EXPECT_TRUE(OnScreen(Bounds(off)));
  EXPECT_GE(off.tipX, off.body.left);
}

TEST(BalloonPlacement, KeepsToTheScreenOfItsPoint) {
  BalloonTipModel tip;
  tip.screen = kScreen;
  tip.screenAt = [](int x, int) { return x >= 1000 ? BalloonRect{1000, 0, 800, 600} : kScreen; };
  SetBalloonSetting(tip, kBalloonPlacement, 2);
  ASSERT_TRUE(BalloonPopUp(tip, 0, 1030, 300, "tip", -1, true));
  EXPECT_EQ(0, tip.view.layout.placement);  // mirrored at the second screen's left border
  EXPECT_GE(tip.view.layout.body.left, 1000);
  ASSERT_TRUE(BalloonPopUp(tip, 0, 900, 300, "tip", -1, true));
  EXPECT_EQ(2, tip.view.layout.placement);
  EXPECT_LE(tip.view.layout.body.right(), 1000);
}

TEST(BalloonSettings, ValuesStayUntilWrittenAgain) {
  BalloonTipModel tip;
  EXPECT_TRUE(SetBalloonSetting(tip, kBalloonPlacement, 2));
  EXPECT_TRUE(SetBalloonSetting(tip, kBalloonDisplayTime, 2500));
  EXPECT_FALSE(SetBalloonSetting(tip, kBalloonPlacement, 12));
  EXPECT_FALSE(SetBalloonSetting(tip, 19, 1));
  EXPECT_TRUE(BalloonPopUp(tip, 0, 500, 400, "tip", -1, true));
  EXPECT_TRUE(BalloonPopUp(tip, 10, 500, 400, "tip", -1, true));
  EXPECT_EQ(2, BalloonSetting(tip, kBalloonPlacement));
  EXPECT_EQ(2500, BalloonSetting(tip, kBalloonDisplayTime));
  EXPECT_EQ(-1, BalloonSetting(tip, 19));
  EXPECT_EQ(2, tip.view.layout.placement);
  EXPECT_FALSE(BalloonPopUp(tip, 20, 500, 400, "", -1, true));
}

BalloonTipModel TimedTip(int delay, int display, int fadeIn, int fadeOut, bool keep) {
  BalloonTipModel tip;
  tip.screen = kScreen;
  SetBalloonSetting(tip, kBalloonInitialDelay, delay);
  SetBalloonSetting(tip, kBalloonDisplayTime, display);
  SetBalloonSetting(tip, kBalloonFadeInStep, fadeIn);
  SetBalloonSetting(tip, kBalloonFadeOutStep, fadeOut);
  SetBalloonSetting(tip, kBalloonKeepWhileMoving, keep ? 1 : 0);
  return tip;
}

TEST(BalloonTiming, DelayThenDisplayTimeWithoutFades) {
  BalloonTipModel tip = TimedTip(100, 2500, 0, 0, false);
  ASSERT_TRUE(BalloonPopUp(tip, 1000, 500, 400, "x", -1, true));
  EXPECT_FALSE(BalloonTick(tip, 1000).visible);
  EXPECT_FALSE(BalloonTick(tip, 1099).visible);
  BalloonView v = BalloonTick(tip, 1100);
  EXPECT_TRUE(v.visible);
  EXPECT_EQ(100, v.opacity);
  EXPECT_EQ("x", v.text);
  EXPECT_TRUE(BalloonTick(tip, 3599).visible);
  BalloonPointerMoved(tip, 3000);  // 44 is false: moving changes nothing
  EXPECT_FALSE(BalloonTick(tip, 3600).visible);
  EXPECT_EQ(BalloonTipModel::kIdle, tip.phase);
}

TEST(BalloonTiming, FiveFadeStepsOfTwentyPercent) {
  BalloonTipModel tip = TimedTip(0, 1000, 10, 20, false);
  ASSERT_TRUE(BalloonPopUp(tip, 0, 500, 400, "x", -1, true));
  int in[] = {20, 40, 60, 80, 100};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(in[i], BalloonTick(tip, i * 10).opacity) << i;
    EXPECT_EQ(in[i], BalloonTick(tip, i * 10 + 9).opacity) << i;
  }
  const int closeAt = 40 + 1000;
  EXPECT_EQ(100, BalloonTick(tip, closeAt - 1).opacity);
  int out[] = {80, 60, 40, 20};
  for (int i = 0; i < 4; ++i) {
    BalloonView v = BalloonTick(tip, closeAt + i * 20);
    EXPECT_TRUE(v.visible);
    EXPECT_EQ(out[i], v.opacity) << i;
  }
  EXPECT_FALSE(BalloonTick(tip, closeAt + 80).visible);
}

TEST(BalloonTiming, MovingRestartsTheDisplayTimeWhenKept) {
  BalloonTipModel tip = TimedTip(0, 1000, 0, 0, true);
  ASSERT_TRUE(BalloonPopUp(tip, 0, 500, 400, "x", -1, true));
  BalloonPointerMoved(tip, 900);
  EXPECT_TRUE(BalloonTick(tip, 1899).visible);
  BalloonPointerMoved(tip, 1800);
  EXPECT_TRUE(BalloonTick(tip, 2799).visible);
  EXPECT_FALSE(BalloonTick(tip, 2800).visible);
  // Once closed, a movement brings nothing back.
  BalloonPointerMoved(tip, 2900);
  EXPECT_FALSE(BalloonTick(tip, 2901).visible);
}

TEST(BalloonTiming, NoAutomaticCloseAndReplacement) {
  BalloonTipModel tip = TimedTip(0, 100, 0, 0, false);
  ASSERT_TRUE(BalloonPopUp(tip, 0, 500, 400, "first", -1, false));
  EXPECT_TRUE(BalloonTick(tip, 100000).visible);
  // A new pop-up replaces it and waits for its own delay.
  SetBalloonSetting(tip, kBalloonInitialDelay, 50);
  ASSERT_TRUE(BalloonPopUp(tip, 100000, 200, 300, "second", 3, true));
  EXPECT_FALSE(BalloonTick(tip, 100010).visible);
  BalloonView v = BalloonTick(tip, 100050);
  EXPECT_TRUE(v.visible);
  EXPECT_EQ("second", v.text);
  EXPECT_EQ(3, v.icon);
  EXPECT_EQ(200, v.layout.tipX);
  EXPECT_FALSE(BalloonTick(tip, 100150).visible);
  // An empty text is refused and takes the balloon showing away with it.
  ASSERT_TRUE(BalloonPopUp(tip, 200000, 200, 300, "third", -1, false));
  EXPECT_TRUE(BalloonTick(tip, 200050).visible);
  EXPECT_FALSE(BalloonPopUp(tip, 200060, 200, 300, "", -1, false));
  EXPECT_FALSE(BalloonTick(tip, 200061).visible);
}

}  // namespace
