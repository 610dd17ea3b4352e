#include <gtest/gtest.h>

#include "browser/browser_harness.h"

namespace {

TEST(CategoryBar, ButtonsStandTenPixelsApartWhateverTheirWidths) {
  BrowserHarness h("bar_gaps");
  h.Start({});
  ASSERT_EQ(h.state().categoryButtons.size(), 8u);
  int x = 10;  // the template's left
  for (int k = 1; k <= 8; ++k) {
    const Sprite* button = h.bar().Find(h.state().categoryButtons[k - 1]);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->x, x) << k;
    EXPECT_EQ(button->y, 6);
    EXPECT_EQ(button->picture.width, 60 + 7 * k);
    x += 60 + 7 * k + 10;
  }
}

TEST(CategoryBar, MissingPicturesStillGiveEightButtonsTenApart) {
  BrowserHarness h("bar_missing");
  std::string command = "rm -rf '" + h.dir.host() + "/配置图片/分类'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  h.Start({});
  ASSERT_EQ(h.state().categoryButtons.size(), 8u);
  for (int k = 1; k <= 8; ++k) EXPECT_EQ(h.bar().Find(h.state().categoryButtons[k - 1])->x, 10 + 10 * (k - 1));
}

TEST(CategoryBar, EnteringLightsTheButtonAndPlaysItsSoundOnlyWithSoundOn) {
  const char* sounds[] = {"\\声音\\常用.wav", "\\声音\\学习.wav", "\\声音\\论坛.wav", "\\声音\\资源.wav",
                          "\\声音\\影音.wav", "\\声音\\购物.wav", "\\声音\\游戏.wav", "\\声音\\手机.wav"};
  BrowserHarness h("bar_enter");
  h.Start({}, {"", 0, 1});
  for (int k = 1; k <= 8; ++k) {
    const int id = h.state().categoryButtons[k - 1];
    ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框_分类", id));
    EXPECT_EQ(h.bar().Find(id)->picture.width, 90) << "button " << k << " not lit";
    ASSERT_EQ(h.fake.sound.played.size(), static_cast<size_t>(k));
    EXPECT_EQ(h.fake.sound.played.back().path, h.Run(sounds[k - 1]));
    ASSERT_TRUE(UserLeaveBoard(h.w(), "动画框_分类"));
    EXPECT_EQ(h.bar().Find(id)->picture.width, 60 + 7 * k) << "button " << k << " still lit";
    EXPECT_EQ(h.fake.sound.played.size(), static_cast<size_t>(k)) << "leaving made a sound";
  }
  for (int soundOn : {0, 2}) {
    h.state().protection.soundOn = soundOn;
    h.fake.sound.played.clear();
    const int id = h.state().categoryButtons[2];
    ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框_分类", id));
    EXPECT_EQ(h.bar().Find(id)->picture.width, 90);
    EXPECT_TRUE(h.fake.sound.played.empty()) << soundOn;
    ASSERT_TRUE(UserLeaveBoard(h.w(), "动画框_分类"));
  }
}

TEST(CategoryBar, HoverPressAndLeaveMakeExactlyTheEnteringSound) {
  BrowserHarness h("bar_sounds");
  h.Start(Favorites(3, 1, 0), {"", 0, 1});
  const int id = h.state().categoryButtons[2];
  const Text forum = h.Run("\\声音\\论坛.wav");
  ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框_分类", id));
  EXPECT_EQ(h.SoundsPlayed(), std::vector<Text>{forum}) << "hover";
  ASSERT_TRUE(h.PressCategory(3));
  EXPECT_EQ(h.state().categoryRecords.size(), 3u);
  EXPECT_EQ(h.SoundsPlayed(), std::vector<Text>{forum}) << "press";
  EXPECT_EQ(h.bar().Find(id)->picture.width, 90) << "a press leaves the button lit";
  ASSERT_TRUE(UserLeaveBoard(h.w(), "动画框_分类"));
  EXPECT_EQ(h.SoundsPlayed(), std::vector<Text>{forum}) << "leave";
  // A press from outside the bar: the pointer enters first, then the button goes down.
  ASSERT_TRUE(h.PressCategory(3));
  EXPECT_EQ(h.SoundsPlayed(), (std::vector<Text>{forum, forum}));
}

TEST(CategoryBar, PressingAButtonShowsPageOneOfItsList) {
  BrowserHarness h("bar_press");
  std::vector<FavoriteRecord> records = Favorites(65, 0, 1, "c");
  for (FavoriteRecord& r : Favorites(3, 3, 0, "v")) records.push_back(r);
  h.Start(records, {"", 0, 1});
  ASSERT_TRUE(h.PressCategory(5));
  EXPECT_EQ(h.state().categoryRecords.size(), 3u);
  EXPECT_EQ(h.NameOnTile(1), "v1");
  ASSERT_TRUE(h.PressCategory(1));
  EXPECT_EQ(h.state().fullPages, 2);
  EXPECT_EQ(h.state().lastPageCount, 5);
  EXPECT_EQ(h.NameOnTile(30), "c30");
  // Pressing the button of the list on show rebuilds its page 1.
  ASSERT_TRUE(h.PressPageButton(3));
  ASSERT_TRUE(h.PressCategory(1));
  EXPECT_EQ(h.state().currentPage, 1);
  EXPECT_EQ(h.NameOnTile(1), "c1");
  // Entering played each button's sound and the page turn its own; the presses, the
  // second one on the button already lit included, played nothing more.
  EXPECT_EQ(h.SoundsPlayed(), (std::vector<Text>{h.Run("\\声音\\影音.wav"), h.Run("\\声音\\常用.wav"),
                                                 h.Run("\\声音\\翻页.wav")}));
  // The background of the bar is no button.
  ASSERT_TRUE(UserPressBoardAt(h.w(), "动画框_分类", 795, 2));
  EXPECT_EQ(h.NameOnTile(1), "c1");
}

}  // namespace
