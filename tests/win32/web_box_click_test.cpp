// Whose a navigation of the web box is, and what its browser control may run.

#include <windows.h>

#include <mshtmdid.h>

#include <gtest/gtest.h>

#include "win32/web_box_navigation.h"

namespace {

TEST(WebBoxClick, OnlyAFreshClickOnTheBoxMakesOneNavigationTheUsers) {
  BoxClick none;
  EXPECT_FALSE(SpendClick(none, 1000));  // input elsewhere never got here

  BoxClick click{true, 5000};
  EXPECT_TRUE(SpendClick(click, 5000 + kUserClickMs));
  // Spent: a script navigating right after rides on nothing.
  EXPECT_FALSE(SpendClick(click, 5001 + kUserClickMs));

  BoxClick old{true, 5000};
  EXPECT_FALSE(SpendClick(old, 5001 + kUserClickMs));

  // The system's millisecond count wraps after 49 days; a click just before still counts.
  BoxClick wrapped{true, 0xFFFFFF00ul};
  EXPECT_TRUE(SpendClick(wrapped, 0x100ul));
  BoxClick future{true, 0x200ul};  // a clock that went back: not a recent click
  EXPECT_FALSE(SpendClick(future, 0x100ul));
}

TEST(WebBoxClick, ASpentClickHandsOnOneLinkAndNoScriptAfterIt) {
  BoxClick click{true, 100};
  const std::wstring link = L"http://site.example/";
  EXPECT_EQ(JudgeNavigation(true, false, link, SpendClick(click, 200)), Navigation::kHandOn);
  EXPECT_EQ(JudgeNavigation(true, false, L"http://script.example/", SpendClick(click, 300)), Navigation::kCancel);
  EXPECT_EQ(JudgeNewWindow(L"http://popup.example/", SpendClick(click, 300)), Navigation::kCancel);
}

TEST(WebBoxClick, TheControlRunsNoCodeAndDownloadsNothingButPictures) {
  const unsigned long flags = WebBoxDownloadControl();
  for (unsigned long needed : {DLCTL_NO_SCRIPTS, DLCTL_NO_JAVA, DLCTL_NO_RUNACTIVEXCTLS, DLCTL_NO_DLACTIVEXCTLS,
                               DLCTL_NO_FRAMEDOWNLOAD, DLCTL_NO_BEHAVIORS, DLCTL_NO_CLIENTPULL, DLCTL_SILENT}) {
    EXPECT_EQ(flags & needed, needed) << std::hex << needed;
  }
  // Nothing that would let more in: videos, background sounds, forced downloads.
  for (unsigned long never : {DLCTL_VIDEOS, DLCTL_BGSOUNDS, DLCTL_FORCEOFFLINE, DLCTL_RESYNCHRONIZE}) {
    EXPECT_EQ(flags & never, 0ul) << std::hex << never;
  }
}

}  // namespace
