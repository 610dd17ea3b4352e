// The Win32 window backend with real windows: where the controls land, what the user's
// input does to the model, and windows destroyed by their own handlers in the middle of
// a message.

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <new>

#include "base/text.h"
#include "win32/win32_backend.h"

namespace {

// A small window of the program's kind: a button over an edit box, and a tab control
// whose page 1 holds a label and an edit box.
struct TestWindow : Window {
  TestWindow()
      : Window("backend test", {60, 40, 300, 200}, WindowBorder::FixedDialog, kDefaultColour) {
    for (Control* c : std::initializer_list<Control*>{&button, &edit, &tab, &pageLabel, &pageEdit})
      controls_.push_back(c);
  }
  Button button{"button", {10, 10, 80, 20}, Utf8ToGbk("确认")};
  EditBox edit{"edit", {40, 15, 120, 16}};
  TabControl tab{"tab", {0, 40, 280, 120}, {Utf8ToGbk("甲"), Utf8ToGbk("乙")}};
  Label pageLabel{"pageLabel", {8, 30, 60, 16}, Utf8ToGbk("名称："), &tab, 1};
  EditBox pageEdit{"pageEdit", {70, 30, 100, 16}, &tab, 1};
};

HWND ChildOfClass(HWND parent, const wchar_t* cls, int skip = 0) {
  HWND h = nullptr;
  do h = FindWindowExW(parent, h, cls, nullptr);
  while (h && skip-- > 0);
  return h;
}

// The rectangle of `child` counted from the top-left corner of `from`'s client area.
RECT RectIn(HWND child, HWND from) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, from, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

class Win32BackendTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
  }
  void SetUp() override {
    // Under wine without an X display no window can be made: scripts/wine-x-run runs
    // this program on a private X server.
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) GTEST_SKIP() << "no display to make windows on";
    DestroyWindow(probe);
  }
};

// One of each kind that takes input, on a frameless window.
struct InputWindow : Window {
  InputWindow() : Window("input test", {80, 60, 320, 200}, WindowBorder::None, RgbColour(192, 192, 192)) {
    for (Control* c : std::initializer_list<Control*>{&check, &combo, &graphic, &button})
      controls_.push_back(c);
  }
  CheckBox check{"check", {10, 10, 80, 16}, Utf8ToGbk("常用")};
  ComboBox combo{"combo", {10, 40, 120, 20}, {Utf8ToGbk("第2分类"), Utf8ToGbk("第3分类"), Utf8ToGbk("第4分类")}};
  GraphicButton graphic{"graphic", {10, 80, 80, 30}};
  Button button{"button", {150, 10, 80, 20}, Utf8ToGbk("设置")};
};

TEST_F(Win32BackendTest, EachKindTurnsInputIntoItsModelsActions) {
  Win32WindowBackend backend;
  InputWindow w;
  int checkClicks = 0, graphicClicks = 0, moves = 0, lastX = -1, lastY = -1, lastKeys = -1;
  w.check.onClicked = [&] { ++checkClicks; };
  w.graphic.onClicked = [&] { ++graphicClicks; };
  w.button.onPointerMoved = [&](int x, int y, int keys) { ++moves, lastX = x, lastY = y, lastKeys = keys; };
  backend.ShowWindow(w, false);
  HWND top = backend.HandleOf(w);
  ASSERT_NE(top, nullptr);
  RECT client;
  GetClientRect(top, &client);
  EXPECT_EQ(client.right, 320);  // frameless: the client area is the whole window
  EXPECT_EQ(client.bottom, 200);

  HWND check = ChildOfClass(top, L"Button");  // listed first, so first in z-order
  SendMessageW(check, BM_CLICK, 0, 0);
  EXPECT_EQ(checkClicks, 1);
  EXPECT_TRUE(w.check.ticked());
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  w.check.SetTicked(false);
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  HWND combo = ChildOfClass(top, L"ComboBox");
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);  // no selection at start
  SendMessageW(combo, CB_SETCURSEL, 2, 0);
  SendMessageW(top, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  EXPECT_EQ(w.combo.selection(), 2);
  w.combo.SetSelection(0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);

  HWND graphic = ChildOfClass(top, L"VinkaboGraphicButton");
  ASSERT_NE(graphic, nullptr);
  SendMessageW(graphic, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(graphic, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(graphicClicks, 1);
  // Let go outside: no click, as with any button.
  SendMessageW(graphic, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(graphic, WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
  EXPECT_EQ(graphicClicks, 1);

  HWND button = ChildOfClass(top, L"Button", 1);
  ASSERT_NE(button, nullptr);
  SendMessageW(button, WM_MOUSEMOVE, MK_CONTROL | MK_SHIFT, MAKELPARAM(12, 7));
  EXPECT_EQ(moves, 1);
  EXPECT_EQ(lastX, 12);
  EXPECT_EQ(lastY, 7);
  EXPECT_EQ(lastKeys & 3, 3);  // Ctrl and Shift
  w.Destroy();
}

TEST_F(Win32BackendTest, MovesGoBothWaysBetweenTheWindowAndItsModel) {
  Win32WindowBackend backend;
  InputWindow w;
  backend.ShowWindow(w, false);
  HWND top = backend.HandleOf(w);
  ASSERT_NE(top, nullptr);
  SetWindowPos(top, nullptr, 130, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(w.left(), 130);
  EXPECT_EQ(w.top(), 90);
  w.SetPosition(20, 30);
  RECT r;
  GetWindowRect(top, &r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 30);
  w.Destroy();
}

TEST_F(Win32BackendTest, DialogFrameHasTheModelsOuterSizeAndPosition) {
  Win32WindowBackend backend;
  TestWindow w;
  backend.ShowWindow(w, false);
  HWND top = backend.HandleOf(w);
  ASSERT_NE(top, nullptr);
  RECT outer, client;
  GetWindowRect(top, &outer);
  GetClientRect(top, &client);
  EXPECT_EQ(outer.right - outer.left, 300);
  EXPECT_EQ(outer.bottom - outer.top, 200);
  EXPECT_LT(client.bottom, 200);  // the caption takes its share
  wchar_t title[64] = {};
  GetWindowTextW(top, title, 64);
  EXPECT_STREQ(title, L"backend test");
  w.Destroy();
}

TEST_F(Win32BackendTest, PageChildrenCountFromTheTabControlsCornerAndShowWithTheirPage) {
  Win32WindowBackend backend;
  TestWindow w;
  backend.ShowWindow(w, false);
  HWND top = backend.HandleOf(w);
  ASSERT_NE(top, nullptr);
  HWND tab = ChildOfClass(top, WC_TABCONTROLW);
  ASSERT_NE(tab, nullptr);
  HWND pageEdit = nullptr;
  for (int i = 0; i < 2 && !pageEdit; ++i) pageEdit = ChildOfClass(ChildOfClass(tab, L"VinkaboTabPage", i), L"Edit");
  ASSERT_NE(pageEdit, nullptr);
  RECT r = RectIn(pageEdit, tab);
  EXPECT_EQ(r.left, 70);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right - r.left, 100);
  EXPECT_FALSE(IsWindowVisible(pageEdit));  // page 0 is on show

  w.tab.SetCurrentPage(1);
  EXPECT_TRUE(IsWindowVisible(pageEdit));
  r = RectIn(pageEdit, tab);
  EXPECT_EQ(r.top, 30);

  // Container mode: no titles, the page area starts at the corner; children stay put.
  w.tab.SetContainerMode(1);
  r = RectIn(pageEdit, tab);
  EXPECT_EQ(r.left, 70);
  EXPECT_EQ(r.top, 30);
  w.Destroy();
}

TEST_F(Win32BackendTest, AControlListedEarlierLiesAbove) {
  Win32WindowBackend backend;
  TestWindow w;
  backend.ShowWindow(w, false);
  HWND top = backend.HandleOf(w);
  ASSERT_NE(top, nullptr);
  HWND button = ChildOfClass(top, L"Button");
  HWND edit = ChildOfClass(top, L"Edit");
  HWND tab = ChildOfClass(top, WC_TABCONTROLW);
  // GW_CHILD is the topmost child; GW_HWNDNEXT walks down.
  EXPECT_EQ(GetWindow(top, GW_CHILD), button);
  EXPECT_EQ(GetWindow(button, GW_HWNDNEXT), edit);
  EXPECT_EQ(GetWindow(edit, GW_HWNDNEXT), tab);
  // The button really is what the pointer finds where the two overlap.
  POINT p{45, 20};
  EXPECT_EQ(ChildWindowFromPointEx(top, p, CWP_SKIPINVISIBLE), button);
  w.Destroy();
}

TEST_F(Win32BackendTest, TypedTextReachesTheModelAsGbkAndTheMaskFollowsTheInputMode) {
  Win32WindowBackend backend;
  TestWindow w;
  backend.ShowWindow(w, false);
  HWND edit = ChildOfClass(backend.HandleOf(w), L"Edit");
  ASSERT_NE(edit, nullptr);
  // What the user types arrives as WM_SETTEXT's change notification does.
  SetWindowTextW(edit, L"\x7F51\x7AD9 jd.com");
  EXPECT_EQ(w.edit.content(), Utf8ToGbk("网站 jd.com"));
  EXPECT_EQ(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0), 0);
  w.edit.SetInputMode(EditBox::kPassword);
  EXPECT_EQ(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0), '*');
  w.edit.SetInputMode(EditBox::kNormal);
  EXPECT_EQ(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0), 0);
  // The program's own writes show, and do not come back as typing.
  w.edit.SetContent(Utf8ToGbk("收藏"));
  wchar_t shown[32] = {};
  GetWindowTextW(edit, shown, 32);
  EXPECT_STREQ(shown, L"\x6536\x85CF");
  w.Destroy();
}

TEST_F(Win32BackendTest, AClickHandlerThatDestroysItsWindowEndsTheLoopAndTheHwndGoesAfter) {
  Win32WindowBackend backend;
  auto w = std::make_unique<TestWindow>();
  int clicks = 0;
  w->button.onClicked = [&] {
    ++clicks;
    w->Destroy();
    // The model is gone before the button's message has returned.
    w.reset();
  };
  backend.ShowWindow(*w, false);
  HWND top = backend.HandleOf(*w);
  HWND button = ChildOfClass(top, L"Button");
  PostMessageW(button, BM_CLICK, 0, 0);
  Window* model = w.get();
  backend.RunUntilDestroyed(*model);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(IsWindow(top));
}

TEST_F(Win32BackendTest, AModalWindowBlocksTheOthersUntilItGoes) {
  Win32WindowBackend backend;
  TestWindow main;
  backend.ShowWindow(main, false);
  TestWindow dialog;
  backend.ShowWindow(dialog, true);
  EXPECT_EQ(main.modalBlocks, 1);
  EXPECT_FALSE(IsWindowEnabled(backend.HandleOf(main)));
  EXPECT_TRUE(IsWindowEnabled(backend.HandleOf(dialog)));
  dialog.button.onClicked = [&] { dialog.Destroy(); };
  PostMessageW(ChildOfClass(backend.HandleOf(dialog), L"Button"), BM_CLICK, 0, 0);
  backend.RunUntilDestroyed(dialog);
  EXPECT_EQ(main.modalBlocks, 0);
  EXPECT_TRUE(IsWindowEnabled(backend.HandleOf(main)));
  main.Destroy();
}

TEST_F(Win32BackendTest, DestroyingTheMainWindowFromAModalOneEndsEveryLoop) {
  Win32WindowBackend backend;
  TestWindow main;
  backend.ShowWindow(main, false);
  bool dialogLoopReturned = false;
  main.button.onClicked = [&] {
    TestWindow dialog;
    dialog.button.onClicked = [&] { main.Destroy(); };
    backend.ShowWindow(dialog, true);
    PostMessageW(ChildOfClass(backend.HandleOf(dialog), L"Button"), BM_CLICK, 0, 0);
    backend.RunUntilDestroyed(dialog);
    dialogLoopReturned = dialog.destroyed();
  };
  HWND top = backend.HandleOf(main);
  PostMessageW(ChildOfClass(top, L"Button"), BM_CLICK, 0, 0);
  backend.RunUntilDestroyed(main);
  EXPECT_TRUE(dialogLoopReturned);
  EXPECT_TRUE(main.destroyed());
  EXPECT_FALSE(IsWindow(top));
}

TEST_F(Win32BackendTest, ANewWindowAtADestroyedOnesAddressIsShownAgain) {
  // The settings window is made afresh each time, often in the same place.
  Win32WindowBackend backend;
  alignas(TestWindow) unsigned char storage[sizeof(TestWindow)];
  auto* first = new (storage) TestWindow;
  backend.ShowWindow(*first, false);
  HWND firstTop = backend.HandleOf(*first);
  first->Destroy();
  first->~TestWindow();
  auto* second = new (storage) TestWindow;
  backend.ShowWindow(*second, false);
  HWND secondTop = backend.HandleOf(*second);
  ASSERT_NE(secondTop, nullptr);
  EXPECT_NE(secondTop, firstTop);
  EXPECT_TRUE(IsWindowVisible(secondTop));
  second->Destroy();
  backend.RunUntilDestroyed(*second);
  second->~TestWindow();
}

TEST_F(Win32BackendTest, TheCloseBoxDestroysTheWindowLikeTheProgramWould) {
  Win32WindowBackend backend;
  TestWindow w;
  backend.ShowWindow(w, false);
  PostMessageW(backend.HandleOf(w), WM_CLOSE, 0, 0);
  backend.RunUntilDestroyed(w);
  EXPECT_TRUE(w.destroyed());
}

}  // namespace
