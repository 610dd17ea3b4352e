// The frameless window moves where its bare skin is dragged, by real pointer input
// (xdotool on wine's X display): the system's own move, which the skin's caption hit
// test starts. A press on a control stays the control's.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "base/text.h"
#include "win32/win32_backend.h"
#include "win32/x_input.h"

namespace {

struct SkinWindow : Window {
  SkinWindow() : Window("skin drag", {100, 80, 320, 200}, WindowBorder::None, RgbColour(192, 192, 192)) {
    controls_ = {&button};
  }
  Button button{"button", {10, 10, 80, 20}, Utf8ToGbk("设置")};
};

// xdotool's words for a drag from (x, y) by (dx, dy) in ten steps, as a hand makes it.
std::wstring DragWords(int x, int y, int dx, int dy) {
  std::wstring words = L"mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                       L" sleep 0.2 mousedown 1 sleep 0.2";
  for (int step = 1; step <= 10; ++step)
    words += L" mousemove " + std::to_wstring(x + dx * step / 10) + L" " + std::to_wstring(y + dy * step / 10) +
             L" sleep 0.05";
  return words + L" sleep 0.2 mouseup 1";
}

RECT RectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

TEST(SkinDrag, DraggingTheBareSkinMovesTheWindowAndAPressOnAControlDoesNot) {
  if (!x_input::Available()) GTEST_SKIP() << "needs xdotool on an X display";
  Win32WindowBackend backend;
  SkinWindow w;
  int clicks = 0;
  w.button.onClicked = [&] { ++clicks; };
  backend.ShowWindow(w, false);
  const HWND hwnd = backend.HandleOf(w);
  ASSERT_TRUE(x_input::PumpUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, 3000));
  x_input::PumpUntil([] { return false; }, 300);
  const RECT before = RectOf(hwnd);

  ASSERT_TRUE(x_input::Xdotool(DragWords(before.left + 200, before.top + 150, 130, 70)));
  const bool moved = x_input::PumpUntil(
      [&] {
        const RECT r = RectOf(hwnd);
        return r.left == before.left + 130 && r.top == before.top + 70;
      },
      8000);
  const RECT after = RectOf(hwnd);
  EXPECT_TRUE(moved) << "the window is at " << after.left << "," << after.top << ", was at " << before.left << ","
                     << before.top;
  // The model knows where it is now: tips and the settings window count from there.
  EXPECT_EQ(w.left(), after.left);
  EXPECT_EQ(w.top(), after.top);

  // A drag from the button, then a click on it: once the click is in, the drag is over.
  const int bx = after.left + 10 + 40, by = after.top + 10 + 10;
  ASSERT_TRUE(x_input::Xdotool(DragWords(bx, by, 60, 40) + L" mousemove " + std::to_wstring(bx) + L" " +
                               std::to_wstring(by) + L" sleep 0.2 click 1"));
  ASSERT_TRUE(x_input::PumpUntil([&] { return clicks > 0; }, 8000)) << "the click on the button never came";
  const RECT still = RectOf(hwnd);
  EXPECT_EQ(still.left, after.left);
  EXPECT_EQ(still.top, after.top);
  EXPECT_EQ(clicks, 1) << "the drag that left the button clicked it";
  w.Destroy();
}

}  // namespace
