// Start-up on fixture run directories, headless, through the real bindings: what the
// main window shows after its creation-finished event, the web box and its tips, the
// tables missing, and the user's first steps on the boards.

#include <gtest/gtest.h>

#include "app/headless_program.h"
#include "base/paths.h"
#include "browser/fixture_run_directory.h"
#include "ui/balloon_tip.h"

namespace {

struct StartUp {
  explicit StartUp(const std::string& name) : dir(name), run(dir.runDirectory()) { WriteSkin(dir); }

  void WriteSkinFiles() {
    const char* files[] = {"\\配置图片\\背景.JPG", "\\配置图片\\关闭.jpg", "\\配置图片\\设置.gif",
                           "\\配置图片\\添加收藏1.gif", "\\配置图片\\添加收藏2.gif", "\\配置图片\\添加收藏3.gif"};
    std::uint8_t shade = 10;
    for (const char* f : files) dir.WriteFile(Utf8ToGbk(f), SolidPicture(8, 8, shade += 10));
  }
  Bytes File(const char* utf8Relative) { return ReadFileBytes(dir.runDirectory() + Utf8ToGbk(utf8Relative)); }

  AppState& state() { return run.program.state; }
  MainWindow& w() { return run.main(); }
  SpriteBoardModel& board() { return w().动画框1.model; }
  Text Label() { return board().Find(state().pageLabel)->text; }
  BalloonTipModel& tip() { return w().气球提示框1.model; }
  BalloonView TipShown() { return BalloonTick(tip(), tip().showAtMs); }
  Text Run(const char* utf8Relative) { return dir.runDirectory() + Utf8ToGbk(utf8Relative); }

  FixtureRunDirectory dir;
  HeadlessProgram run;
};

std::vector<FavoriteRecord> Mixed() {
  std::vector<FavoriteRecord> records;
  for (int i = 1; i <= 35; ++i) records.push_back(Favorite("c" + std::to_string(i), i % 7, 1));
  records.push_back(Favorite("game", 5, 0));
  return records;
}

TEST(StartUp, OfflineShowsTheSkinTheBarAndPageOneOfTheCommonList) {
  StartUp s("start_offline");
  s.WriteSkinFiles();
  std::vector<FavoriteRecord> records = Mixed();
  ASSERT_TRUE(s.dir.WriteFavorites(records));
  WriteIcons(s.dir, records);
  ASSERT_TRUE(s.dir.WriteSettings("pw", 0, 1));
  s.run.fake.network.online = 0;
  s.run.Start();

  EXPECT_TRUE(s.run.messages().empty());
  EXPECT_FALSE(s.w().超文本浏览框1.visible());
  // The offline tip, for 2500 ms, at the window's left + 200 and top + 40.
  EXPECT_EQ(BalloonSetting(s.tip(), kBalloonDisplayTime), 2500);
  BalloonView tip = s.TipShown();
  EXPECT_TRUE(tip.visible);
  EXPECT_EQ(tip.text, GBK("阿哦,你好像断网了!!!"));
  EXPECT_EQ(tip.layout.tipX, 50 + 200);
  EXPECT_EQ(tip.layout.tipY, 50 + 40);

  EXPECT_EQ(s.w().backgroundPicture(), s.File("\\配置图片\\背景.JPG"));
  EXPECT_EQ(s.w().按钮1.picture(), s.File("\\配置图片\\关闭.jpg"));
  EXPECT_EQ(s.w().按钮2.picture(), s.File("\\配置图片\\设置.gif"));
  EXPECT_EQ(s.w().图形按钮_添加.normalPicture(), s.File("\\配置图片\\添加收藏1.gif"));
  EXPECT_EQ(s.w().图形按钮_添加.hoverPicture(), s.File("\\配置图片\\添加收藏2.gif"));
  EXPECT_EQ(s.w().图形按钮_添加.pressedPicture(), s.File("\\配置图片\\添加收藏3.gif"));
  EXPECT_FALSE(s.w().选择夹1.visible());

  EXPECT_EQ(s.state().allRecords.size(), 36u);
  EXPECT_EQ(s.state().categoryButtons.size(), 8u);
  EXPECT_EQ(s.state().pageButtons.size(), 4u);
  EXPECT_EQ(s.state().protection.password, "pw");
  EXPECT_EQ(s.state().categoryRecords.size(), 35u);
  EXPECT_EQ(s.state().tiles.size(), 30u);
  EXPECT_EQ(s.Label(), "2/1");
  // The page controls are the site board's first sprites, before any tile.
  EXPECT_EQ(s.state().pageButtons[0], 1);
  EXPECT_EQ(s.state().pageLabel, 5);
}

// Online, the box stays hidden until its page has loaded: an empty box or an error page
// must never stand over the skin's heading.
TEST(StartUp, OnlineTheWebBoxShowsOnlyOnceItsPageLoadedAndThenPopsTheAdvertTip) {
  StartUp s("start_online");
  ASSERT_TRUE(s.dir.WriteFavorites({}));
  ASSERT_TRUE(s.dir.WriteSettings("", 0, 0));
  s.run.fake.network.online = 1;
  s.run.Start();
  EXPECT_FALSE(s.w().超文本浏览框1.visible());
  EXPECT_EQ(s.tip().phase, BalloonTipModel::kIdle);  // no tip at start
  EXPECT_EQ(s.Label(), "0/0");

  s.run.fake.clock.now = 5000;
  s.w().超文本浏览框1.PageLoaded();
  EXPECT_TRUE(s.w().超文本浏览框1.visible());
  BalloonView tip = s.TipShown();
  EXPECT_TRUE(tip.visible);
  EXPECT_EQ(tip.text, GBK("如果觉得软件好使,请点击广告给力作者!!谢谢"));
  EXPECT_EQ(tip.layout.tipX, 50 + 280);
  EXPECT_EQ(tip.layout.tipY, 50 + 50);
  EXPECT_EQ(s.run.fake.network.calls, 2);
}

// A link clicked in the web box opens in the user's browser; the box is not navigated.
TEST(StartUp, ALinkClickedInTheWebBoxGoesToTheBrowser) {
  StartUp s("start_link");
  ASSERT_TRUE(s.dir.WriteFavorites({}));
  ASSERT_TRUE(s.dir.WriteSettings("", 0, 0));
  s.run.fake.network.online = 1;
  s.run.Start();
  const Text before = s.w().超文本浏览框1.startAddress;
  s.w().超文本浏览框1.LinkClicked("http://shop.example.test/buy?a=1");
  ASSERT_EQ(s.run.fake.shell.opened.size(), 1u);
  EXPECT_EQ(s.run.fake.shell.opened[0], "http://shop.example.test/buy?a=1");
  EXPECT_EQ(s.w().超文本浏览框1.startAddress, before);
}

TEST(StartUp, APageLoadedLaterShowsAWebBoxHiddenAtStartOnlyWhenOnline) {
  StartUp s("start_later");
  ASSERT_TRUE(s.dir.WriteFavorites({}));
  ASSERT_TRUE(s.dir.WriteSettings("", 0, 0));
  s.run.fake.network.online = 0;
  s.run.Start();
  ASSERT_FALSE(s.w().超文本浏览框1.visible());
  const std::int64_t offlineTipAt = s.tip().showAtMs;

  s.run.fake.clock.now = 9000;
  s.w().超文本浏览框1.PageLoaded();  // still offline: nothing
  EXPECT_FALSE(s.w().超文本浏览框1.visible());
  EXPECT_EQ(s.tip().showAtMs, offlineTipAt);

  s.run.fake.network.online = 1;
  s.w().超文本浏览框1.PageLoaded();
  EXPECT_TRUE(s.w().超文本浏览框1.visible());
  // The advert tip writes no settings: the offline tip's display time still holds.
  EXPECT_EQ(BalloonSetting(s.tip(), kBalloonDisplayTime), 2500);
  EXPECT_EQ(s.TipShown().text, GBK("如果觉得软件好使,请点击广告给力作者!!谢谢"));
}

TEST(StartUp, AMissingFavoritesTableIsReportedAndEveryListIsEmpty) {
  StartUp s("start_nofavorites");
  ASSERT_TRUE(s.dir.WriteSettings("pw", 1, 1));
  s.run.Start();
  ASSERT_EQ(s.run.messages().size(), 1u);
  EXPECT_EQ(s.run.messages()[0].text, GBK("打开数据库失败"));
  EXPECT_EQ(s.run.messages()[0].flags, 0x10);
  EXPECT_FALSE(s.run.messages()[0].captionGiven);
  EXPECT_TRUE(s.state().allRecords.empty());
  EXPECT_EQ(s.state().protection.passwordCheck, 1);  // start-up went on
  EXPECT_EQ(s.state().categoryButtons.size(), 8u);
  EXPECT_EQ(s.Label(), "0/0");
}

TEST(StartUp, AMissingSettingsTableStopsBeforeTheFirstCategory) {
  StartUp s("start_nosettings");
  s.WriteSkinFiles();
  std::vector<FavoriteRecord> records = Mixed();
  ASSERT_TRUE(s.dir.WriteFavorites(records));
  WriteIcons(s.dir, records);
  s.run.Start();
  ASSERT_EQ(s.run.messages().size(), 1u);
  EXPECT_EQ(s.run.messages()[0].text, GBK("获取验证密码失败!"));
  EXPECT_EQ(s.run.messages()[0].flags, 0x10);
  EXPECT_FALSE(s.run.messages()[0].captionGiven);
  // Bar, page controls and skin are in place; no list was chosen.
  EXPECT_EQ(s.state().allRecords.size(), 36u);
  EXPECT_EQ(s.state().categoryButtons.size(), 8u);
  EXPECT_EQ(s.state().pageButtons.size(), 4u);
  EXPECT_EQ(s.w().按钮1.picture(), s.File("\\配置图片\\关闭.jpg"));
  EXPECT_TRUE(s.state().categoryRecords.empty());
  EXPECT_TRUE(s.state().tiles.empty());
  EXPECT_EQ(s.Label(), "0/0");

  // Silent, and shut where the password would guard: a button press shows its list,
  // the account stays hidden, no prompt is shown.
  ASSERT_TRUE(UserPressSprite(s.w(), "动画框_分类", s.state().categoryButtons[6]));  // category 5
  ASSERT_EQ(s.state().tiles.size(), 6u);
  EXPECT_EQ(s.board().Find(s.state().tiles[5].nameSprite)->text, "game");
  ASSERT_TRUE(UserPressSprite(s.w(), "动画框1", s.state().tiles[5].accountSprite));
  EXPECT_TRUE(s.run.fake.inputBox.log.empty());
  EXPECT_EQ(s.w().编辑框_帐号.content().find("acct-game"), Text::npos);
  ASSERT_EQ(s.run.messages().size(), 2u);
  EXPECT_EQ(s.run.messages()[1].text, GBK("无法读取密码设置文件md5.edb，为安全起见此功能已停用。"));
  EXPECT_TRUE(s.run.fake.sound.played.empty());
}

TEST(StartUp, TheLastSettingsRecordIsInForceWhateverItsNumberType) {
  struct Case {
    std::int32_t type;
    FieldValue check, sound;
    bool asks, sounds;
  };
  const Case cases[] = {
      {kTypeLong, FieldValue::Long((std::int64_t{1} << 32) | 2), FieldValue::Long(1), true, true},
      {kTypeDouble, FieldValue::Double(0.9), FieldValue::Double(1.7), false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    StartUp s("start_types" + std::to_string(c.type));
    std::vector<FavoriteRecord> records = Mixed();
    ASSERT_TRUE(s.dir.WriteFavorites(records));
    WriteIcons(s.dir, records);
    // The first record would say the opposite.
    ASSERT_TRUE(s.dir.WriteSettings({{"first", FieldValue::Int(c.asks ? 0 : 1), FieldValue::Int(c.sounds ? 0 : 1)},
                                     {"second", c.check, c.sound}},
                                    c.type));
    s.run.Start();
    EXPECT_TRUE(s.run.messages().empty());
    EXPECT_EQ(s.state().protection.password, "second");
    s.run.fake.inputBox.answers.push_back({true, "second"});
    ASSERT_TRUE(UserPressSprite(s.w(), "动画框1", s.state().tiles[0].accountSprite));
    EXPECT_EQ(s.run.fake.inputBox.log.size(), c.asks ? 1u : 0u);
    EXPECT_EQ(s.w().编辑框_帐号.content(), GBK("帐号:") + "acct-c1");
    EXPECT_EQ(!s.run.fake.sound.played.empty(), c.sounds);
  }
}

TEST(StartUp, AnEmptySettingsTableLeavesNoPasswordAndBothSwitchesOff) {
  StartUp s("start_emptysettings");
  std::vector<FavoriteRecord> records = Mixed();
  ASSERT_TRUE(s.dir.WriteFavorites(records));
  WriteIcons(s.dir, records);
  ASSERT_TRUE(s.dir.WriteSettings(std::vector<FixtureRunDirectory::SettingsRow>{}));
  s.run.Start();
  EXPECT_TRUE(s.run.messages().empty());
  EXPECT_EQ(s.state().tiles.size(), 30u);  // start-up went on to page 1
  EXPECT_EQ(s.state().protection.passwordCheck, 0);
  EXPECT_EQ(s.state().protection.soundOn, 0);
}

TEST(StartUp, TheBoardsWorkThroughTheBindings) {
  StartUp s("start_user");
  std::vector<FavoriteRecord> records = Mixed();
  records[0].address = "https://example.com/a b?c='d'&e=$(f)";
  ASSERT_TRUE(s.dir.WriteFavorites(records));
  WriteIcons(s.dir, records);
  ASSERT_TRUE(s.dir.WriteSettings("pw", 1, 1));
  s.run.fake.pointer = {};
  s.run.fake.pointer.x = 300;
  s.run.fake.pointer.y = 200;
  s.run.Start();

  // Hover and press the first icon: the tip, the address as stored, the click sound.
  const int icon = s.state().tiles[0].iconSprite;
  ASSERT_TRUE(UserMoveOntoSprite(s.w(), "动画框1", icon));
  EXPECT_EQ(s.board().Find(icon)->picture.width, 64);
  EXPECT_EQ(s.TipShown().text, "about c1");
  EXPECT_EQ(s.TipShown().layout.tipX, 290);
  ASSERT_TRUE(UserPressSprite(s.w(), "动画框1", icon));
  ASSERT_EQ(s.run.fake.shell.opened.size(), 1u);
  EXPECT_EQ(s.run.fake.shell.opened[0], records[0].address);
  EXPECT_EQ(s.run.fake.sound.played.back().path, s.dir.runDirectory() + records[0].clickSound);

  // Next page, then the account viewer behind the gate, then closed again.
  ASSERT_TRUE(UserPressSprite(s.w(), "动画框1", s.state().pageButtons[2]));
  EXPECT_EQ(s.Label(), "2/2");
  EXPECT_EQ(s.run.fake.sound.played.back().path, s.Run("\\声音\\翻页.wav"));
  s.run.fake.inputBox.answers.push_back({true, "pw"});
  ASSERT_TRUE(UserPressSprite(s.w(), "动画框1", s.state().tiles[2].accountSprite));
  EXPECT_EQ(s.w().编辑框_帐号.content(), GBK("帐号:") + "acct-c33");
  EXPECT_TRUE(s.w().动画框1.disabled());
  EXPECT_TRUE(s.w().动画框_分类.disabled());
  EXPECT_FALSE(UserPressSprite(s.w(), "动画框_分类", s.state().categoryButtons[0]));
  ASSERT_TRUE(UserClick(s.w(), "按钮_关闭帐号密码显示"));
  EXPECT_EQ(s.w().编辑框_帐号.left(), -320);
  EXPECT_FALSE(s.w().动画框1.disabled());
  EXPECT_TRUE(UserPressSprite(s.w(), "动画框_分类", s.state().categoryButtons[0]));

  // The modify sprite reaches the editor's step, last in the dispatch.
  s.run.fake.inputBox.answers.push_back({true, "pw"});
  ASSERT_TRUE(UserPressSprite(s.w(), "动画框1", s.state().tiles[4].modifySprite));
  EXPECT_EQ(s.run.fake.inputBox.log.back().prompt, GBK("请输入密码获取修改和删除权限："));
  EXPECT_TRUE(s.w().选择夹1.visible());
  EXPECT_EQ(s.w().编辑框_修改_记录号.content(), "c5");
}

}  // namespace
