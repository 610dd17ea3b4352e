#include <gtest/gtest.h>

#include "browser/browser_harness.h"
#include "browser/open_site.h"
#include "ui/balloon_tip.h"

namespace {

TEST(OpenSite, HoveringAnIconShowsTheClickPictureAndPopsTheDescription) {
  BrowserHarness h("hover");
  h.Start(Favorites(8, 0, 1));
  SelectCategory(h.program, 0);
  BalloonTipModel& tip = h.w().气球提示框1.model;
  SetBalloonSetting(tip, kBalloonFadeInStep, 70);  // something else wrote these before
  SetBalloonSetting(tip, kBalloonDisplayTime, 9000);
  h.fake.pointer.x = 500;
  h.fake.pointer.y = 400;
  h.fake.clock.now = 1000;
  const int icon = h.state().tiles[6].iconSprite;
  ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框1", icon));

  // The click-to-open picture (64 wide) at the icon's own scale (32 -> 50).
  EXPECT_EQ(h.board().Find(icon)->picture.width, 64);
  EXPECT_EQ(h.board().PictureWidth(icon), 100);
  // Settings written in this order: fade-in, fade-out, delay, display time, keep.
  const std::vector<BalloonSettingWrite>& writes = DescriptionTipSettings();
  ASSERT_EQ(writes.size(), 5u);
  const int order[] = {62, 63, 60, 61, 44};
  const int values[] = {0, 0, 100, 2500, 1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(writes[i].number, order[i]);
    EXPECT_EQ(writes[i].value, values[i]);
    EXPECT_EQ(BalloonSetting(tip, order[i]), values[i]) << order[i];
  }
  // Shown 100 ms after the pop-up, at the pointer less 10, with the description.
  EXPECT_FALSE(BalloonTick(tip, 1099).visible);
  BalloonView view = BalloonTick(tip, 1100);
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.text, "about n7");
  EXPECT_EQ(view.icon, -1);
  EXPECT_EQ(view.layout.tipX, 490);
  EXPECT_EQ(view.layout.tipY, 390);

  // Leaving brings the site's icon back at the same scale.
  ASSERT_TRUE(UserLeaveBoard(h.w(), "动画框1"));
  EXPECT_EQ(h.board().Find(icon)->picture.width, 32);
  EXPECT_EQ(h.board().PictureWidth(icon), 50);
}

TEST(OpenSite, MovingToTheNextIconShowsItsOwnDescription) {
  BrowserHarness h("neighbour");
  h.Start(Favorites(31, 0, 1));
  SelectCategory(h.program, 0);
  BalloonTipModel& tip = h.w().气球提示框1.model;
  ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框1", h.state().tiles[0].iconSprite));
  ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框1", h.state().tiles[1].iconSprite));
  EXPECT_EQ(h.board().Find(h.state().tiles[0].iconSprite)->picture.width, 32);
  EXPECT_EQ(BalloonTick(tip, 100).text, "about n2");
  // After a page change the first icon entered shows its own record.
  ASSERT_TRUE(h.PressPageButton(3));
  ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框1", h.state().tiles[0].iconSprite));
  EXPECT_EQ(BalloonTick(tip, 200).text, "about n31");
}

TEST(OpenSite, PressingTheIconOpensTheAddressAsStoredAndPlaysItsSoundWithSoundOn) {
  std::vector<FavoriteRecord> records = Favorites(3, 0, 1);
  records[0].address = "http://www.example/a b?x=\"1\";$(rm -rf x)";
  records[1].address = "HTTPS://例子.cn/";
  records[2].clickSound = "";
  for (int soundOn : {1, 0}) {
    BrowserHarness h("press" + std::to_string(soundOn));
    h.Start(records, {"", 0, soundOn});
    SelectCategory(h.program, 0);
    for (int slot = 1; slot <= 3; ++slot) ASSERT_TRUE(UserPressSprite(h.w(), "动画框1", h.state().tiles[slot - 1].iconSprite));
    ASSERT_EQ(h.fake.shell.opened.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(h.fake.shell.opened[i], records[i].address);
    EXPECT_TRUE(h.fake.messageBox.log.empty()) << "a web address opens without a question";
    if (soundOn == 1) {
      // An empty sound path names no file below the run directory: nothing is asked for.
      EXPECT_EQ(h.SoundsPlayed(), (std::vector<Text>{h.dir.runDirectory() + records[0].clickSound,
                                                     h.dir.runDirectory() + records[1].clickSound}));
    } else {
      EXPECT_TRUE(h.fake.sound.played.empty());
    }
  }
}

// A favorite from someone else's bookmarks file may hold any address: only web addresses
// open at once; a file, a program or another scheme opens after the user has read it and
// agreed; an option, a control character or a network share never opens.
TEST(OpenSite, AddressesThatAreNotWebAddressesAskFirstOrNeverOpen) {
  std::vector<FavoriteRecord> records = Favorites(6, 0, 1);
  records[0].address = "file:///etc/passwd";
  records[1].address = "C:\\Windows\\System32\\calc.exe";
  records[2].address = "--help";
  records[3].address = "\\\\host\\share\\setup.exe";
  records[4].address = "java\tscript:alert(1)";
  records[5].address = "";
  BrowserHarness h("kinds");
  h.Start(records, {"", 0, 1});
  SelectCategory(h.program, 0);
  h.fake.messageBox.answers = {kMbCancel, kMbOk};
  for (int slot = 1; slot <= 6; ++slot)
    ASSERT_TRUE(UserPressSprite(h.w(), "动画框1", h.state().tiles[slot - 1].iconSprite));

  // Cancelled: nothing opened; agreed: handed on unchanged, with its sound.
  EXPECT_EQ(h.fake.shell.opened, (std::vector<Text>{records[1].address}));
  EXPECT_EQ(h.SoundsPlayed(), (std::vector<Text>{h.dir.runDirectory() + records[1].clickSound}));
  ASSERT_EQ(h.fake.messageBox.log.size(), 6u);
  for (int i = 0; i < 2; ++i) {
    const MessageBoxCall& ask = h.fake.messageBox.log[i];
    EXPECT_EQ(ask.flags, 0x31);
    EXPECT_NE(ask.text.find(records[i].address), Text::npos) << "the question shows the whole address";
  }
  for (int i = 2; i < 6; ++i) {
    const MessageBoxCall& refusal = h.fake.messageBox.log[i];
    EXPECT_EQ(refusal.flags, 0x10) << i;
    EXPECT_EQ(refusal.text.find('\t'), Text::npos) << "control characters are shown as '?'";
  }
}

TEST(OpenSite, OnlyIconsOpen) {
  BrowserHarness h("onlyicons");
  h.Start(Favorites(2, 0, 1));
  SelectCategory(h.program, 0);
  ASSERT_TRUE(UserPressSprite(h.w(), "动画框1", h.state().tiles[0].modifySprite));
  ASSERT_TRUE(UserPressSprite(h.w(), "动画框1", h.state().pageButtons[0]));
  OpenSiteOfTile(h.program, h.state().tiles[0].nameSprite);
  OpenSiteOfTile(h.program, 0);
  EXPECT_TRUE(h.fake.shell.opened.empty());
}

}  // namespace
