// The board's window fed real key messages: the keys that act come as WM_KEYDOWN, the
// text typed as WM_CHAR, and they reach the board only when the program listens there.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "win32/board_keys_win32.h"
#include "win32/parts.h"

namespace {

class BoardKeysWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExW(0, L"STATIC", L"board keys test", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    board_ = std::make_unique<SpriteBoard>("动画框1", ControlRect{10, 20, 200, 100}, RgbColour(0, 0, 255));
    board_->model.events.keyPressed = [this](const BoardKey& k) {
      keys_.push_back(k);
      return k.code != BoardKeyCode::kEscape;  // Escape: not used, as without a search
    };
    hwnd_ = CreateBoardWindow(*board_, parent_, alive_);
    ASSERT_NE(hwnd_, nullptr);
  }
  void TearDown() override {
    if (parent_ && IsWindow(parent_)) DestroyWindow(parent_);
  }

  HWND parent_ = nullptr;
  HWND hwnd_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::unique_ptr<SpriteBoard> board_;
  std::vector<BoardKey> keys_;
};

TEST_F(BoardKeysWindowTest, KeysAndTypedTextReachTheBoard) {
  EXPECT_EQ(SendMessageW(hwnd_, WM_KEYDOWN, VK_RIGHT, 0), 0);
  EXPECT_EQ(SendMessageW(hwnd_, WM_KEYDOWN, VK_NEXT, 0), 0);
  SendMessageW(hwnd_, WM_CHAR, L'b', 0);
  SendMessageW(hwnd_, WM_CHAR, 0x767E, 0);  // 百, typed through an input method
  SendMessageW(hwnd_, WM_CHAR, 0x0D, 0);    // Return's character: the WM_KEYDOWN was the key
  SendMessageW(hwnd_, WM_KEYDOWN, VK_F5, 0);
  ASSERT_EQ(keys_.size(), 4u);
  EXPECT_EQ(keys_[0].code, BoardKeyCode::kRight);
  EXPECT_EQ(keys_[1].code, BoardKeyCode::kPageDown);
  EXPECT_EQ(keys_[2].code, BoardKeyCode::kText);
  EXPECT_EQ(keys_[2].text, "b");
  EXPECT_EQ(keys_[3].text, GBK("百"));
}

TEST_F(BoardKeysWindowTest, TheBoardWantsTheDialogKeysAndIsNamedToItsWindow) {
  const LRESULT code = SendMessageW(hwnd_, WM_GETDLGCODE, VK_RETURN, 0);
  EXPECT_TRUE(code & DLGC_WANTALLKEYS);
  EXPECT_TRUE(code & DLGC_WANTCHARS);
  EXPECT_EQ(GetPropW(parent_, kKeyBoardProperty), hwnd_);
  DestroyWindow(hwnd_);
  EXPECT_EQ(GetPropW(parent_, kKeyBoardProperty), nullptr);
}

TEST_F(BoardKeysWindowTest, ADisabledBoardHearsNoKeys) {
  board_->SetDisabled(true);
  SendMessageW(hwnd_, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageW(hwnd_, WM_CHAR, L'x', 0);
  EXPECT_TRUE(keys_.empty());
}

TEST(BoardKeysWin32, CtrlDigitsAndWhatTypesNothing) {
  EXPECT_EQ(BoardKeyOfKeyDown('3', true).code, BoardKeyCode::kCtrlDigit);
  EXPECT_EQ(BoardKeyOfKeyDown('3', true).digit, 3);
  EXPECT_EQ(BoardKeyOfKeyDown(VK_NUMPAD8, true).digit, 8);
  EXPECT_EQ(BoardKeyOfKeyDown('9', true).code, BoardKeyCode::kNone);
  EXPECT_EQ(BoardKeyOfKeyDown(VK_LEFT, true).code, BoardKeyCode::kNone);
  EXPECT_EQ(BoardKeyOfKeyDown(VK_HOME, false).code, BoardKeyCode::kHome);
  EXPECT_EQ(BoardKeyOfKeyDown(VK_BACK, false).code, BoardKeyCode::kBackspace);
  EXPECT_EQ(BoardKeyOfChar(L'a', true).code, BoardKeyCode::kNone);
  EXPECT_EQ(BoardKeyOfChar(0x08, false).code, BoardKeyCode::kNone);
  EXPECT_EQ(BoardKeyOfChar(0xD83D, false).code, BoardKeyCode::kNone);
  EXPECT_EQ(BoardKeyOfChar(L' ', false).text, " ");
}

}  // namespace
