// The balloon window: never activated, transparent to the pointer, at the model's
// layout, faded through its window alpha, hidden and quiet once the pop-up ends.

#include <gtest/gtest.h>

#include <cstdint>

#include "win32/balloon_window.h"
#include "win32/x_input.h"

namespace {

class BalloonWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tip_.model.initialDelayMs = 100;
    tip_.model.displayTimeMs = 1000;
    tip_.model.fadeInStepMs = 0;
    tip_.model.fadeOutStepMs = 0;
    balloon_ = std::make_unique<Win32BalloonWindow>(tip_.model, [this] { return now_; });
    ASSERT_NE(balloon_->window(), nullptr);
  }
  BYTE Alpha() const {
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(balloon_->window(), nullptr, &alpha, &flags);
    return alpha;
  }

  BalloonTip tip_{"气球提示框1", ControlRect{}};
  std::int64_t now_ = 1000;
  std::unique_ptr<Win32BalloonWindow> balloon_;
};

TEST_F(BalloonWindowTest, IsALayeredToolWindowThatTakesNoInputAndNoFocus) {
  HWND w = balloon_->window();
  const LONG ex = GetWindowLongW(w, GWL_EXSTYLE);
  EXPECT_TRUE(ex & WS_EX_LAYERED);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(ex & WS_EX_TRANSPARENT);
  EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_POPUP);
  EXPECT_EQ(SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(5, 5)), HTTRANSPARENT);
  EXPECT_EQ(SendMessageW(w, WM_MOUSEACTIVATE, 0, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)), MA_NOACTIVATE);
}

TEST_F(BalloonWindowTest, ShowsAfterTheDelayAtTheLayoutWithoutTakingTheForeground) {
  HWND other = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(other);
  SetActiveWindow(other);
  const HWND foreground = GetForegroundWindow();
  const HWND active = GetActiveWindow();

  ASSERT_TRUE(BalloonPopUp(tip_.model, now_, 400, 300, "A tip wide enough for its pointer", -1, true));
  EXPECT_TRUE(balloon_->ticking()) << "a pop-up wakes the timer";
  balloon_->Tick();
  EXPECT_FALSE(IsWindowVisible(balloon_->window())) << "shown before its delay";
  now_ += 100;
  balloon_->Tick();
  ASSERT_TRUE(IsWindowVisible(balloon_->window()));
  EXPECT_EQ(GetForegroundWindow(), foreground);
  EXPECT_EQ(GetActiveWindow(), active);
  EXPECT_NE(GetActiveWindow(), balloon_->window());

  const BalloonLayout& l = balloon_->view().layout;
  RECT r;
  GetWindowRect(balloon_->window(), &r);
  EXPECT_LE(r.left, l.body.left);
  EXPECT_LE(r.top, l.body.top);
  EXPECT_GE(r.right, l.body.right());
  EXPECT_GE(r.bottom, l.body.bottom());
  // The pointer's tip touches the pop-up point; the pointer is part of the window's shape.
  EXPECT_EQ(l.tipX, 400);
  EXPECT_EQ(l.tipY, 300);
  EXPECT_TRUE(PtInRect(&r, POINT{400, 300}));
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(balloon_->window(), shape), ERROR);
  const int pointerX = (l.tipX + (l.baseX1 + l.baseX2) / 2) / 2, pointerY = (l.tipY + (l.baseY1 + l.baseY2) / 2) / 2;
  EXPECT_TRUE(PtInRegion(shape, pointerX - r.left, pointerY - r.top));
  EXPECT_TRUE(PtInRegion(shape, l.body.left + l.body.width / 2 - r.left, l.body.top + l.body.height / 2 - r.top));
  EXPECT_FALSE(PtInRegion(shape, 0, 0)) << "the window is cut to the bubble";
  DeleteObject(shape);
  EXPECT_EQ(Alpha(), 255);

  now_ += 1000;
  balloon_->Tick();
  EXPECT_FALSE(IsWindowVisible(balloon_->window()));
  EXPECT_FALSE(balloon_->ticking()) << "the timer stops with the pop-up";
  DestroyWindow(other);
}

TEST_F(BalloonWindowTest, FadesThroughTheWindowsAlpha) {
  tip_.model.fadeInStepMs = 30;
  tip_.model.fadeOutStepMs = 30;
  ASSERT_TRUE(BalloonPopUp(tip_.model, now_, 400, 300, "Fading", 0, true));
  now_ += 100;
  balloon_->Tick();
  ASSERT_TRUE(IsWindowVisible(balloon_->window()));
  const BYTE first = Alpha();
  EXPECT_LT(first, 255);
  EXPECT_EQ(first, balloon_->view().opacity * 255 / 100);
  now_ += 5 * 30;
  balloon_->Tick();
  EXPECT_EQ(Alpha(), 255);
  now_ += 1000 + 30;
  balloon_->Tick();
  EXPECT_LT(Alpha(), 255);
}

TEST_F(BalloonWindowTest, MirroredAtTheScreensEdge) {
  const BalloonRect screen = tip_.model.screen;
  ASSERT_GT(screen.width, 0);
  // Placement 9 puts the balloon above the point; at the top edge it has to go below.
  ASSERT_TRUE(BalloonPopUp(tip_.model, now_, screen.left + 50, screen.top + 2, "Edge", -1, true));
  now_ += 100;
  balloon_->Tick();
  ASSERT_TRUE(IsWindowVisible(balloon_->window()));
  const BalloonLayout& l = balloon_->view().layout;
  EXPECT_NE(l.placement, 9);
  RECT r;
  GetWindowRect(balloon_->window(), &r);
  EXPECT_GE(r.top, screen.top - 1);
  EXPECT_GT(l.body.top, l.tipY);
}

TEST_F(BalloonWindowTest, APointerMoveKeepsTheBalloonWhenAskedTo) {
  tip_.model.keepWhileMoving = true;
  ASSERT_TRUE(BalloonPopUp(tip_.model, now_, 400, 300, "Stay", -1, true));
  now_ += 100;
  balloon_->Tick();
  ASSERT_TRUE(IsWindowVisible(balloon_->window()));
  POINT before;
  GetCursorPos(&before);
  SetCursorPos(before.x + 7, before.y + 3);
  POINT after;
  GetCursorPos(&after);
  if (after.x == before.x && after.y == before.y) GTEST_SKIP() << "the pointer cannot be moved here";
  now_ += 900;
  balloon_->Tick();  // hears the move: the display time starts again
  now_ += 900;
  balloon_->Tick();
  EXPECT_TRUE(IsWindowVisible(balloon_->window()));
}

TEST_F(BalloonWindowTest, AUsersClickOnTheBalloonReachesWhatLiesBelow) {
  if (!x_input::Available()) GTEST_SKIP() << "no X display or no xdotool";
  HWND main = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP, 100, 100, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  SpriteBoard board("动画框1", ControlRect{0, 0, 300, 200}, RgbColour(255, 255, 255));
  int pressed = 0;
  board.model.events.leftPressed = [&](int id) { pressed = id == 0 ? -1 : id; };
  ASSERT_NE(CreateBoardWindow(board, main, std::make_shared<bool>(true)), nullptr);
  ShowWindow(main, SW_SHOW);
  SetForegroundWindow(main);
  x_input::PumpUntil([] { return false; }, 300);

  // The balloon's body lies above its pointer's tip, over the board.
  ASSERT_TRUE(BalloonPopUp(tip_.model, now_, 150, 250, "Over the board", -1, true));
  now_ += 100;
  balloon_->Tick();
  ASSERT_TRUE(IsWindowVisible(balloon_->window()));
  const BalloonRect body = balloon_->view().layout.body;
  const int x = body.left + body.width / 2, y = body.top + body.height / 2;
  ASSERT_GE(x, 100);
  ASSERT_GE(y, 100);
  x_input::PumpUntil([] { return false; }, 300);
  ASSERT_TRUE(x_input::Xdotool(L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) + L" click 1"));
  EXPECT_TRUE(x_input::PumpUntil([&] { return pressed != 0; }, 5000)) << "the click stayed on the balloon";
  EXPECT_NE(GetActiveWindow(), balloon_->window());
  DestroyWindow(main);
}

TEST(BalloonWindow, LeavesTheModelAloneOnceDeleted) {
  BalloonTip tip("气球提示框1", ControlRect{});
  {
    Win32BalloonWindow balloon(tip.model);
    EXPECT_TRUE(tip.model.measure);
    const BalloonSize one = tip.model.measure("One line", -1);
    const BalloonSize two = tip.model.measure("One line\r\nand a longer second", 0);
    EXPECT_GT(two.height, one.height);
    EXPECT_GT(two.width, one.width);
  }
  EXPECT_FALSE(tip.model.measure);
  EXPECT_FALSE(tip.model.poppedUp);
  EXPECT_TRUE(BalloonPopUp(tip.model, 0, 10, 10, "after", -1, true));  // nobody to wake: no crash
}

}  // namespace
