// The board window's accessible object as a screen reader reaches it: through
// AccessibleObjectFromWindow, walking its children (names, roles, descriptions, where
// they are) and running a button's default action, which presses the sprite as a click.

#include <gtest/gtest.h>
#include <oleacc.h>

#include <memory>
#include <string>
#include <vector>

#include "win32/parts.h"

namespace {

Image Solid(int w, int h) {
  Image img;
  img.width = w;
  img.height = h;
  img.frames.resize(1);
  img.frames[0].rgba.assign(static_cast<size_t>(w) * h * 4, 255);
  return img;
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

VARIANT Child(long id) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

std::wstring Take(BSTR b) {
  std::wstring s = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
  SysFreeString(b);
  return s;
}

class BoardAccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    parent_ = CreateWindowExW(0, L"STATIC", L"board test", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    board_ = std::make_unique<SpriteBoard>("动画框1", ControlRect{10, 20, 200, 100}, RgbColour(0, 0, 255));
    SpriteBoardModel& m = board_->model;
    button_ = m.CreateObject(nullptr, 30, 40);
    m.SetObjectImage(button_, Solid(20, 20));
    label_ = m.CreateObject(nullptr, 100, 10);
    m.SetObjectImage(label_, Solid(30, 10));
    m.describeItems = [this] {
      return std::vector<BoardItem>{{button_, BoardItemRole::Button, GBK("百度"), "http://127.0.0.1:9/"},
                                    {label_, BoardItemRole::Text, GBK("第1页，共2页"), {}}};
    };
    m.events.leftPressed = [this](int id) { pressed_.push_back(id); };
    hwnd_ = CreateBoardWindow(*board_, parent_, alive_);
    ASSERT_NE(hwnd_, nullptr);
    ASSERT_EQ(S_OK, AccessibleObjectFromWindow(hwnd_, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                               reinterpret_cast<void**>(&acc_)));
    ASSERT_NE(acc_, nullptr);
  }
  void TearDown() override {
    if (acc_) acc_->Release();
    if (parent_ && IsWindow(parent_)) DestroyWindow(parent_);
    CoUninitialize();
  }

  HWND parent_ = nullptr, hwnd_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::unique_ptr<SpriteBoard> board_;
  int button_ = 0, label_ = 0;
  std::vector<int> pressed_;
  IAccessible* acc_ = nullptr;
};

TEST_F(BoardAccessibleTest, ChildrenHaveTheirNamesRolesDescriptionsAndPlaces) {
  long count = 0;
  ASSERT_EQ(S_OK, acc_->get_accChildCount(&count));
  EXPECT_EQ(2, count);
  BSTR b = nullptr;
  ASSERT_EQ(S_OK, acc_->get_accName(Child(1), &b));
  EXPECT_EQ(L"\u767e\u5ea6", Take(b));  // 百度
  ASSERT_EQ(S_OK, acc_->get_accDescription(Child(1), &b));
  EXPECT_EQ(L"http://127.0.0.1:9/", Take(b));
  VARIANT role;
  ASSERT_EQ(S_OK, acc_->get_accRole(Child(1), &role));
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, role.lVal);
  ASSERT_EQ(S_OK, acc_->get_accRole(Child(2), &role));
  EXPECT_EQ(ROLE_SYSTEM_STATICTEXT, role.lVal);
  ASSERT_EQ(S_OK, acc_->get_accRole(Child(CHILDID_SELF), &role));
  EXPECT_EQ(ROLE_SYSTEM_CLIENT, role.lVal);
  ASSERT_EQ(S_OK, acc_->get_accValue(Child(2), &b));
  EXPECT_EQ(L"\u7b2c1\u9875\uff0c\u51712\u9875", Take(b));  // 第1页，共2页
  EXPECT_EQ(E_INVALIDARG, acc_->get_accName(Child(3), &b));

  // The button lies at (30, 40) of the board, which lies at (10, 20) of its parent.
  POINT origin{0, 0};
  ClientToScreen(parent_, &origin);
  long x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(S_OK, acc_->accLocation(&x, &y, &w, &h, Child(1)));
  EXPECT_EQ(origin.x + 40, x);
  EXPECT_EQ(origin.y + 60, y);
  EXPECT_EQ(20, w);
  EXPECT_EQ(20, h);
  VARIANT hit;
  ASSERT_EQ(S_OK, acc_->accHitTest(origin.x + 45, origin.y + 65, &hit));
  EXPECT_EQ(1, hit.lVal);

  // A sprite hidden by the program is no longer told.
  board_->model.SetObjectVisible(button_, false);
  ASSERT_EQ(S_OK, acc_->get_accChildCount(&count));
  EXPECT_EQ(1, count);
}

TEST_F(BoardAccessibleTest, TheDefaultActionPressesTheSpriteFromTheMessageLoop) {
  BSTR b = nullptr;
  ASSERT_EQ(S_OK, acc_->get_accDefaultAction(Child(1), &b));
  EXPECT_FALSE(Take(b).empty());
  ASSERT_EQ(S_OK, acc_->accDoDefaultAction(Child(1)));
  EXPECT_TRUE(pressed_.empty()) << "the caller has its answer before the press runs";
  Pump();
  EXPECT_EQ(std::vector<int>{button_}, pressed_);
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, acc_->accDoDefaultAction(Child(2))) << "the label has no action";

  // A disabled board is unavailable and takes no press.
  board_->SetDisabled(true);
  VARIANT state;
  ASSERT_EQ(S_OK, acc_->get_accState(Child(1), &state));
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_UNAVAILABLE);
  ASSERT_EQ(S_OK, acc_->accDoDefaultAction(Child(1)));
  Pump();
  EXPECT_EQ(1u, pressed_.size());
}

TEST_F(BoardAccessibleTest, TheObjectOutlivesTheWindowSafely) {
  DestroyWindow(parent_);
  parent_ = nullptr;
  board_.reset();
  long count = -1;
  ASSERT_EQ(S_OK, acc_->get_accChildCount(&count));
  EXPECT_EQ(0, count);
}

}  // namespace
