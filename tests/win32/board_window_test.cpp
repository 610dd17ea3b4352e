// The board's window fed real window messages: presses, moves, leaving, double-clicks,
// a disabled board, a board whose handler destroys it, and what it paints.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "win32/parts.h"
#include "win32/x_input.h"

namespace {

Image Solid(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  Image img;
  img.width = w;
  img.height = h;
  img.frames.resize(1);
  img.frames[0].rgba.resize(static_cast<size_t>(w) * h * 4);
  for (int i = 0; i < w * h; ++i) {
    img.frames[0].rgba[i * 4] = r;
    img.frames[0].rgba[i * 4 + 1] = g;
    img.frames[0].rgba[i * 4 + 2] = b;
    img.frames[0].rgba[i * 4 + 3] = 255;
  }
  return img;
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

struct Event {
  char kind;
  int sprite;
};

class BoardWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExW(0, L"STATIC", L"board test", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    board_ = std::make_unique<SpriteBoard>("动画框1", ControlRect{10, 20, 200, 100}, RgbColour(0, 0, 255));
    SpriteBoardModel& m = board_->model;
    sprite_ = m.CreateObject(nullptr, 30, 40);
    m.SetObjectImage(sprite_, Solid(20, 20, 255, 0, 0));
    m.events.leftPressed = [this](int id) { events_.push_back({'P', id}); };
    m.events.leftReleased = [this](int id, int) { events_.push_back({'R', id}); };
    m.events.doubleClicked = [this](int id) { events_.push_back({'D', id}); };
    m.events.pointerEntered = [this](int id, int) { events_.push_back({'E', id}); };
    m.events.pointerLeft = [this](int id, int) { events_.push_back({'L', id}); };
    m.events.rightPressed = [this](int id) { events_.push_back({'r', id}); };
    hwnd_ = CreateBoardWindow(*board_, parent_, alive_);
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override {
    if (parent_ && IsWindow(parent_)) DestroyWindow(parent_);
  }
  bool Has(char kind, int sprite) const {
    for (const Event& e : events_)
      if (e.kind == kind && e.sprite == sprite) return true;
    return false;
  }

  HWND parent_ = nullptr;
  HWND hwnd_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::unique_ptr<SpriteBoard> board_;
  int sprite_ = 0;
  std::vector<Event> events_;
};

TEST_F(BoardWindowTest, SitsAtTheControlsRectangleAndTakesDoubleClicks) {
  RECT r;
  GetWindowRect(hwnd_, &r);
  MapWindowPoints(HWND_DESKTOP, parent_, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_EQ(r.bottom - r.top, 100);
  EXPECT_EQ(GetParent(hwnd_), parent_);
  EXPECT_TRUE(GetClassLongW(hwnd_, GCL_STYLE) & CS_DBLCLKS);
}

TEST_F(BoardWindowTest, APressHitsTheSpriteUnderItsOwnPosition) {
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 45));
  // No move came before: the press first says which sprite the pointer is on.
  ASSERT_EQ(events_.size(), 2u);
  EXPECT_EQ(events_[0].kind, 'E');
  EXPECT_EQ(events_[0].sprite, sprite_);
  EXPECT_EQ(events_[1].kind, 'P');
  EXPECT_EQ(events_[1].sprite, sprite_);
  SendMessageW(hwnd_, WM_LBUTTONUP, 0, At(35, 45));
  EXPECT_TRUE(Has('R', sprite_));

  events_.clear();
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(150, 80));  // the background
  EXPECT_TRUE(Has('L', sprite_));
  EXPECT_TRUE(Has('P', 0));
  EXPECT_FALSE(Has('P', sprite_));
}

TEST_F(BoardWindowTest, MovingOnAndLeavingTheWindowEntersAndLeavesTheSprite) {
  SendMessageW(hwnd_, WM_MOUSEMOVE, 0, At(31, 41));
  EXPECT_TRUE(Has('E', sprite_));
  EXPECT_EQ(board_->model.hovered, sprite_);
  events_.clear();
  SendMessageW(hwnd_, WM_MOUSELEAVE, 0, 0);
  ASSERT_EQ(events_.size(), 1u);
  EXPECT_EQ(events_[0].kind, 'L');
  EXPECT_EQ(events_[0].sprite, sprite_);
  EXPECT_EQ(board_->model.hovered, 0);

  // A move from outside the board (the window holds the pointer while a button is
  // down) is off the board too.
  SendMessageW(hwnd_, WM_MOUSEMOVE, 0, At(31, 41));
  events_.clear();
  SendMessageW(hwnd_, WM_MOUSEMOVE, MK_LBUTTON, At(-5, 300));
  EXPECT_TRUE(Has('L', sprite_));
}

TEST_F(BoardWindowTest, DoubleClickAndRightButtonReachTheModel) {
  SendMessageW(hwnd_, WM_LBUTTONDBLCLK, MK_LBUTTON, At(40, 50));
  EXPECT_TRUE(Has('D', sprite_));
  SendMessageW(hwnd_, WM_RBUTTONDOWN, MK_RBUTTON, At(40, 50));
  EXPECT_TRUE(Has('r', sprite_));
}

TEST_F(BoardWindowTest, ADisabledBoardTakesNoInput) {
  board_->SetDisabled(true);
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 45));
  SendMessageW(hwnd_, WM_MOUSEMOVE, 0, At(36, 46));
  SendMessageW(hwnd_, WM_LBUTTONDBLCLK, MK_LBUTTON, At(35, 45));
  EXPECT_TRUE(events_.empty());
  board_->SetDisabled(false);
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 45));
  EXPECT_TRUE(Has('P', sprite_));
}

TEST_F(BoardWindowTest, AGoneWindowModelIsNotTouched) {
  *alive_ = false;
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 45));
  SendMessageW(hwnd_, WM_MOUSEMOVE, 0, At(36, 46));
  EXPECT_TRUE(events_.empty());
}

TEST_F(BoardWindowTest, AHandlerMayDestroyTheWindowAndTheBoard) {
  board_->model.events.leftPressed = [this](int) {
    DestroyWindow(parent_);
    board_.reset();
  };
  SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, At(35, 45));
  EXPECT_FALSE(IsWindow(hwnd_));
  EXPECT_EQ(board_, nullptr);
}

TEST_F(BoardWindowTest, PaintsTheComposedBoard) {
  ShowWindow(parent_, SW_SHOWNOACTIVATE);
  UpdateWindow(parent_);
  board_->model.MoveObject(sprite_, 50, 40);  // marks the old and new places dirty
  EXPECT_TRUE(GetUpdateRect(hwnd_, nullptr, FALSE)) << "a change to the board asks for a repaint";
  UpdateWindow(hwnd_);
  Pump();
  EXPECT_FALSE(GetUpdateRect(hwnd_, nullptr, FALSE));
  HDC dc = GetDC(hwnd_);
  const COLORREF sprite = GetPixel(dc, 55, 45);
  const COLORREF background = GetPixel(dc, 150, 90);
  const COLORREF oldPlace = GetPixel(dc, 35, 45);
  ReleaseDC(hwnd_, dc);
  if (sprite == CLR_INVALID) GTEST_SKIP() << "this display cannot read pixels back";
  EXPECT_EQ(sprite, RGB(255, 0, 0));
  EXPECT_EQ(background, RGB(0, 0, 255));
  EXPECT_EQ(oldPlace, RGB(0, 0, 255));
}

TEST_F(BoardWindowTest, AUsersClickAndLeavingThroughTheXServer) {
  if (!x_input::Available()) GTEST_SKIP() << "no X display or no xdotool";
  SetWindowPos(parent_, HWND_TOPMOST, 100, 100, 300, 200, SWP_SHOWWINDOW);
  UpdateWindow(parent_);
  SetForegroundWindow(parent_);
  x_input::PumpUntil([] { return false; }, 300);  // mapped and drawn
  // The sprite's middle, on the screen: window 100,100 + board 10,20 + sprite 30,40 + 10.
  ASSERT_TRUE(x_input::Xdotool(L"mousemove 150 170 click 1"));
  EXPECT_TRUE(x_input::PumpUntil([&] { return Has('R', sprite_); }, 5000)) << "no click reached the board";
  EXPECT_TRUE(Has('E', sprite_));
  EXPECT_TRUE(Has('P', sprite_));
  EXPECT_EQ(board_->model.pressed, 0);
  // Off the window altogether: the system's own leave notice leaves the sprite.
  ASSERT_TRUE(x_input::Xdotool(L"mousemove 700 700"));
  EXPECT_TRUE(x_input::PumpUntil([&] { return Has('L', sprite_); }, 5000)) << "leaving was not heard";
  EXPECT_EQ(board_->model.hovered, 0);
}

TEST(BoardWindow, GivesTheBoardARasterizerForItsTexts) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  SpriteBoard board("动画框_分类", ControlRect{0, 0, 100, 50}, 0);
  SpriteTemplateSettings label;
  label.text = "Page 1";
  label.font.name = "Arial";
  label.font.charSet = 0;
  const int id = board.model.CreateObject(&label, 0, 0);
  EXPECT_EQ(board.model.PictureWidth(id), 0);  // no rasterizer yet
  ASSERT_NE(CreateBoardWindow(board, parent, std::make_shared<bool>(true)), nullptr);
  EXPECT_GT(board.model.PictureWidth(id), 0);
  DestroyWindow(parent);
}

}  // namespace
