// The settings table cannot be read at start-up while it asks for the password: a
// damaged md5.edb, and one held locked by another open. Nobody knows the password
// then, so the account viewer, the modify page and the settings window refuse; the
// favorites still browse and open.

#include <gtest/gtest.h>

#include <memory>

#include "app/headless_program.h"
#include "browser/fixture_run_directory.h"
#include "platform/locked_file.h"
#include "protection/settings_window.h"

namespace {

const Text& Refusal() {
  static const Text text = GBK("无法读取密码设置文件md5.edb，为安全起见此功能已停用。");
  return text;
}

struct UnreadableSettings {
  explicit UnreadableSettings(const std::string& name) : dir(name), run(dir.runDirectory()) {
    WriteSkin(dir);
    records = {Favorite("a", 0, 1), Favorite("b", 0, 1)};
    EXPECT_TRUE(dir.WriteFavorites(records));
    WriteIcons(dir, records);
    // The check on, with sounds: what the file would say if it could be read.
    EXPECT_TRUE(dir.WriteSettings(Text("pw"), 1, 1));
    SettingsWindowCopy() = ProtectionSettings();
  }

  // Starts, then checks what every guarded way in does and that browsing goes on.
  void StartAndTryEverything() {
    run.Start();
    AppState& s = run.program.state;
    ASSERT_GE(run.messages().size(), 1u);
    EXPECT_EQ(run.messages()[0].text, GBK("获取验证密码失败!"));
    EXPECT_EQ(run.messages()[0].flags, 0x10);
    EXPECT_TRUE(s.settingsUnreadable);
    size_t seen = run.messages().size();

    // Browsing: the first button shows its list, a click opens the site.
    ASSERT_TRUE(UserPressSprite(run.main(), "动画框_分类", s.categoryButtons.at(0)));
    ASSERT_EQ(s.tiles.size(), 2u);
    ASSERT_TRUE(UserPressSprite(run.main(), "动画框1", s.tiles[1].iconSprite));
    ASSERT_EQ(run.fake.shell.opened.size(), 1u);
    EXPECT_EQ(run.fake.shell.opened[0], records[1].address);
    EXPECT_EQ(run.messages().size(), seen);

    // The account viewer: refused with the reason, no prompt, nothing shown.
    ASSERT_TRUE(UserPressSprite(run.main(), "动画框1", s.tiles[0].accountSprite));
    ASSERT_EQ(run.messages().size(), seen + 1);
    EXPECT_EQ(run.messages().back().text, Refusal());
    EXPECT_EQ(run.messages().back().flags, 0x10);
    EXPECT_TRUE(run.fake.inputBox.log.empty());
    EXPECT_EQ(run.main().编辑框_帐号.content().find(records[0].siteAccount), Text::npos);
    EXPECT_EQ(run.main().编辑框_密码.content().find(records[0].sitePassword), Text::npos);
    EXPECT_LT(run.main().编辑框_密码.left(), 0);
    EXPECT_FALSE(run.main().动画框1.disabled());

    // The modify page: refused the same way, the editor stays closed.
    ASSERT_TRUE(UserPressSprite(run.main(), "动画框1", s.tiles[0].modifySprite));
    ASSERT_EQ(run.messages().size(), seen + 2);
    EXPECT_EQ(run.messages().back().text, Refusal());
    EXPECT_FALSE(run.main().选择夹1.visible());
    EXPECT_TRUE(run.main().编辑框_修改_密码.content().empty());
    EXPECT_FALSE(run.main().动画框1.disabled());

    // The settings window is never made.
    bool opened = false;
    run.windows.modalScript = [&](Window&) { opened = true; };
    ASSERT_TRUE(UserClick(run.main(), "按钮2"));
    EXPECT_FALSE(opened);
    ASSERT_EQ(run.messages().size(), seen + 3);
    EXPECT_EQ(run.messages().back().text, Refusal());
    EXPECT_FALSE(run.Ended());

    // The add page is no way round: after a refused add the boards take presses again,
    // and a press must not give the panel the modify page's title to click.
    ASSERT_TRUE(UserClick(run.main(), "图形按钮_添加"));
    ASSERT_TRUE(UserClick(run.main(), "按钮_添加_确认添加"));
    EXPECT_EQ(run.messages().back().text, GBK("网站名称不能为空"));
    ASSERT_FALSE(run.main().动画框1.disabled());
    ASSERT_TRUE(UserPressSprite(run.main(), "动画框1", s.tiles[1].iconSprite));
    EXPECT_TRUE(run.main().选择夹1.visible());
    EXPECT_FALSE(UserSelectPage(run.main(), "选择夹1", 0));
    EXPECT_EQ(run.main().选择夹1.currentPage(), 1);
  }

  FixtureRunDirectory dir;
  HeadlessProgram run;
  std::vector<FavoriteRecord> records;
};

TEST(UnreadableSettings, ADamagedTableShutsEverythingThePasswordGuards) {
  UnreadableSettings t("unreadable_damaged");
  // The header's magic number overwritten: no record file any more.
  t.dir.WriteFile(GBK("\\md5.edb"), Bytes(64, 0x5A));
  t.StartAndTryEverything();
}

TEST(UnreadableSettings, ATableLockedByAnotherOpenShutsEverythingThePasswordGuards) {
  UnreadableSettings t("unreadable_locked");
  int error = 0;
  std::unique_ptr<LockedFile> other =
      SystemFileSystem().OpenExisting(HostPath(t.dir.runDirectory() + GBK("\\md5.edb")), &error);
  ASSERT_TRUE(other) << error;
  ASSERT_EQ(other->Lock(0, 0x80000000LL), 0);
  t.StartAndTryEverything();
}

TEST(UnreadableSettings, ReadableSettingsKeepTheGatesAsTheyWere) {
  UnreadableSettings t("unreadable_control");
  t.run.fake.inputBox.answers.push_back({true, Text("pw")});
  t.run.Start();
  AppState& s = t.run.program.state;
  EXPECT_FALSE(s.settingsUnreadable);
  ASSERT_EQ(s.tiles.size(), 2u);
  ASSERT_TRUE(UserPressSprite(t.run.main(), "动画框1", s.tiles[0].accountSprite));
  EXPECT_EQ(t.run.fake.inputBox.log.size(), 1u);
  EXPECT_EQ(t.run.main().编辑框_密码.content(), GBK("密码:") + "pw-a");
  EXPECT_TRUE(t.run.messages().empty());
}

}  // namespace
