// Where the web box lets its browser control go.

#include "win32/web_box_navigation.h"

#include <gtest/gtest.h>

namespace {

TEST(WebBoxNavigation, OnlyItsOwnLoadMovesTheBoxAndAUsersLinkIsHandedOn) {
  const std::wstring page = L"http://ads.example/rj_gg/Vinkabo.html";
  EXPECT_EQ(JudgeNavigation(true, true, page, false), Navigation::kAllow);
  // The user clicked a link: handed on, whatever the case of its scheme.
  EXPECT_EQ(JudgeNavigation(true, false, L"https://site.example/", true), Navigation::kHandOn);
  EXPECT_EQ(JudgeNavigation(true, false, L"HTTP://site.example/", true), Navigation::kHandOn);
  // The page going elsewhere by itself, or to no web address at all, stays where it is.
  EXPECT_EQ(JudgeNavigation(true, false, L"http://elsewhere.example/", false), Navigation::kCancel);
  EXPECT_EQ(JudgeNavigation(true, false, L"file:///C:/windows/win.ini", true), Navigation::kCancel);
  EXPECT_EQ(JudgeNavigation(true, false, L"javascript:alert(1)", true), Navigation::kCancel);
  EXPECT_EQ(JudgeNavigation(true, false, L"httpx://odd", true), Navigation::kCancel);
  EXPECT_EQ(JudgeNavigation(true, false, L"", true), Navigation::kCancel);
}

TEST(WebBoxNavigation, FramesLoadFromTheWebOnlyAndNewWindowsNeverOpen) {
  EXPECT_EQ(JudgeNavigation(false, false, L"https://ads.example/frame.html", false), Navigation::kAllow);
  EXPECT_EQ(JudgeNavigation(false, false, L"about:blank", false), Navigation::kAllow);
  EXPECT_EQ(JudgeNavigation(false, false, L"file:///etc/passwd", false), Navigation::kCancel);
  EXPECT_EQ(JudgeNavigation(false, false, L"res://ieframe.dll/", true), Navigation::kCancel);

  EXPECT_EQ(JudgeNewWindow(L"http://site.example/", true), Navigation::kHandOn);
  EXPECT_EQ(JudgeNewWindow(L"http://popup.example/", false), Navigation::kCancel);
  EXPECT_EQ(JudgeNewWindow(L"mailto:someone@example.com", true), Navigation::kCancel);
}

}  // namespace
