// The balloon tip of a window shown through the backend belongs to that window: owned
// by it, so it stays with it and never stands on the task bar or takes the focus.

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "base/text.h"
#include "win32/win32_backend.h"

namespace {

// A skinned main window with its balloon tip, as the program's main window has.
struct TipWindow : Window {
  explicit TipWindow(const char* title)
      : Window(title, {70, 50, 320, 200}, WindowBorder::None, RgbColour(192, 192, 192)) {
    controls_ = {&tip, &button};
  }
  BalloonTip tip{"气球提示框1", ControlRect{}};
  Button button{"button", {10, 10, 80, 20}, Utf8ToGbk("设置")};
};

// The balloon windows of this thread.
std::vector<HWND> Balloons() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM out) -> BOOL {
        wchar_t cls[64] = {};
        GetClassNameW(hwnd, cls, 64);
        if (std::wstring(cls) == L"VinkaboBalloonTip") reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

class BalloonOwnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (!probe) GTEST_SKIP() << "no display to make windows on";
    DestroyWindow(probe);
  }
};

TEST_F(BalloonOwnerTest, EachWindowsTipIsOwnedByItAndKeptOffTheTaskBar) {
  Win32WindowBackend backend;
  TipWindow main("main"), dialog("dialog");
  backend.ShowWindow(main, false);
  ASSERT_EQ(Balloons().size(), 1u);
  const HWND mainTip = Balloons()[0];
  EXPECT_EQ(GetWindow(mainTip, GW_OWNER), backend.HandleOf(main));
  const LONG ex = GetWindowLongW(mainTip, GWL_EXSTYLE);
  EXPECT_FALSE(ex & WS_EX_APPWINDOW) << "the tip would stand on the task bar";
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
  EXPECT_TRUE(ex & WS_EX_TRANSPARENT);
  EXPECT_FALSE(GetWindowLongW(mainTip, GWL_STYLE) & WS_CHILD) << "a child would be cut to its window";

  // A modal window's tip is its own window's, not the main one's.
  backend.ShowWindow(dialog, true);
  std::vector<HWND> tips = Balloons();
  ASSERT_EQ(tips.size(), 2u);
  const HWND dialogTip = tips[0] == mainTip ? tips[1] : tips[0];
  EXPECT_EQ(GetWindow(dialogTip, GW_OWNER), backend.HandleOf(dialog));

  // They go with their windows.
  dialog.Destroy();
  main.Destroy();
  EXPECT_TRUE(Balloons().empty());
}

}  // namespace
