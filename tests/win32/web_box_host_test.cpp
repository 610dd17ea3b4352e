// The web box host: the browser control in a child window at the box's rectangle, or
// nothing at all where the system has no such control; never a hang either way.

#include <gtest/gtest.h>

#include <iostream>

#include "win32/parts.h"

namespace {

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (GetTickCount() - start < ms) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
}

TEST(WebBoxHost, ChildWindowAtTheBoxOrNoneAndTheProgramRunsOn) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"main", WS_POPUP, 0, 0, 800, 650, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(parent, nullptr);
  WebBox box("超文本浏览框1", ControlRect{-2, -2, 820, 128});
  // Nothing listens there: the load fails at once, on this machine.
  box.startAddress = "http://127.0.0.1:9/rj_gg/Vinkabo.html";
  int links = 0;
  box.onLinkClicked = [&](Text) { ++links; };
  auto alive = std::make_shared<bool>(true);
  std::unique_ptr<WebBoxHost> host = CreateWebBoxHost(box, parent, alive);
  PumpFor(300);
  if (!host) {
    std::cout << "[   NOTE   ] no web browser control on this system\n";
  } else {
    std::cout << "[   NOTE   ] the web browser control runs in the box\n";
    HWND w = host->window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(GetParent(w), parent);
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, -2);
    EXPECT_EQ(r.top, -2);
    EXPECT_EQ(r.right - r.left, 820);
    EXPECT_EQ(r.bottom - r.top, 128);
    host->SetShown(false);
    EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE);
    host->SetShown(true);
    EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(links, 0) << "the box's own load is no click";
  }
  // Deleting the host after its parent went is safe too.
  DestroyWindow(parent);
  host.reset();
}

}  // namespace
