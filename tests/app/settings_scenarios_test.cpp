// The settings window as a user meets it, headless, through the real bindings: opened
// from the main window's 按钮2, acted on inside its modal loop, the settings table
// checked through the engine afterwards.

#include <gtest/gtest.h>

#include "app/headless_program.h"
#include "browser/fixture_run_directory.h"
#include "protection/settings_window.h"
#include "storage/edit_tables_fixture.h"
#include "ui/balloon_tip.h"

namespace {

using edit_fixture::ReadSettingsIn;

struct SettingsScenario {
  SettingsScenario(const std::string& name, const Text& password, int check, int sound)
      : dir(name), run(dir.runDirectory()) {
    WriteSkin(dir);
    EXPECT_TRUE(dir.WriteFavorites({Favorite("a", 0, 1)}));
    EXPECT_TRUE(dir.WriteSettings(password, check, sound));
    SettingsWindowCopy() = ProtectionSettings();
    run.Start();
  }
  // Opens the settings window and runs `script` in its modal loop.
  void InSettings(const std::function<void(SettingsWindow&)>& script) {
    run.windows.modalScript = [script](Window& w) { script(static_cast<SettingsWindow&>(w)); };
    ASSERT_TRUE(UserClick(run.main(), "按钮2"));
  }
  FixtureRunDirectory dir;
  HeadlessProgram run;
};

TEST(SettingsScenario, LoginThenSoundOnKeepsTheCheckAndEndsTheProgram) {
  SettingsScenario s("settings_sound", Text("pw"), 1, 0);
  bool lockedAtFirst = false, wrongKeptLocked = false;
  s.InSettings([&](SettingsWindow& w) {
    lockedAtFirst = !UserClick(w, "选择框_声音开关");
    ASSERT_TRUE(UserType(w, "编辑框4", Text("PW")));
    ASSERT_TRUE(UserClick(w, "按钮3"));
    wrongKeptLocked = w.选择夹1.disabled();
    ASSERT_TRUE(UserType(w, "编辑框4", Text("pw")));
    ASSERT_TRUE(UserClick(w, "按钮3"));
    ASSERT_TRUE(UserSelectPage(w, "选择夹1", 2));
    ASSERT_TRUE(UserClick(w, "选择框_声音开关"));
  });
  EXPECT_TRUE(lockedAtFirst);
  EXPECT_TRUE(wrongKeptLocked);
  ASSERT_EQ(s.run.messages().size(), 3u);
  EXPECT_EQ(s.run.messages()[0].text, GBK("密码错误"));
  EXPECT_EQ(s.run.messages()[1].text, GBK("声音功能已开启"));
  EXPECT_EQ(s.run.messages()[2].text, GBK("需要重新运行程序声音设置才能生效"));
  EXPECT_TRUE(s.run.Ended());
  auto all = ReadSettingsIn(s.dir.runDirectory());
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].password, "pw");
  EXPECT_EQ(all[0].passwordCheck, 1);
  EXPECT_EQ(all[0].soundOn, 1);
  // The main copy was never touched.
  EXPECT_EQ(s.run.program.state.protection.soundOn, 0);
}

TEST(SettingsScenario, CancelClosesOnlyTheSettingsWindowAndTheThanksTipFollows) {
  SettingsScenario s("settings_cancel", Text(), 0, 0);
  s.InSettings([&](SettingsWindow& w) {
    ASSERT_TRUE(UserSelectPage(w, "选择夹1", 1));
    ASSERT_TRUE(UserClick(w, "按钮2"));
  });
  EXPECT_FALSE(s.run.Ended());
  EXPECT_TRUE(s.run.messages().empty());
  BalloonTipModel& tip = s.run.main().气球提示框1.model;
  EXPECT_EQ(tip.view.text, GBK("功能不错?那就给力作者吧!"));
  ASSERT_TRUE(UserMovePointer(s.run.main(), "按钮2", 4, 4));
  EXPECT_EQ(tip.view.text, GBK("设置是否开启密码验证/声音功能和修改密码!"));
}

}  // namespace
