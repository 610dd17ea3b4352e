#include <gtest/gtest.h>

#include <memory>

#include "program/program.h"
#include "forms/scripted_backend.h"
#include "forms/user_actions.h"
#include "protection/settings_window.h"
#include "storage/edit_tables_fixture.h"
#include "ui/balloon_tip.h"
#include "ui/scripted_services.h"

namespace {

using namespace edit_fixture;

class SettingsWindowTest : public ::testing::Test {
 protected:
  SettingsWindowTest() {
    program.services = fake.bundle();
    program.windows = &windows;
    windows.ShowWindow(program.mainWindow, false);
    SettingsWindowCopy() = ProtectionSettings();
  }
  // The window created and prepared, as the modal loop would have it.
  SettingsWindow& Open() {
    program.settingsWindow = std::make_unique<SettingsWindow>();
    SettingsWindowCreated(program);
    return *program.settingsWindow;
  }
  bool SettingsClosed() const { return program.settingsWindow->destroyed(); }
  const std::vector<MessageBoxCall>& messages() const { return fake.messageBox.log; }
  std::string TableBytes() const { return FileBytes(dir.HostOf("\\md5.edb")); }
  void TypeChange(SettingsWindow& w, const char* old, const char* fresh, const char* again) {
    w.编辑框1.SetContent(Text(old));
    w.编辑框2.SetContent(Text(fresh));
    w.编辑框3.SetContent(Text(again));
  }

  FixtureRunDir dir;
  ScriptedServices fake;
  ScriptedWindowBackend windows;
  Program program;
};

TEST_F(SettingsWindowTest, WithTheCheckOnThePagesAreLockedUnderTheLoginPanel) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"pw", 1, 1, 0}}));
  SettingsWindow& w = Open();
  EXPECT_TRUE(w.选择框_密码开关.ticked());
  EXPECT_TRUE(w.选择框_声音开关.ticked());
  EXPECT_TRUE(w.选择夹1.disabled());
  EXPECT_TRUE(w.选择夹2.visible());
  EXPECT_TRUE(messages().empty());
}

TEST_F(SettingsWindowTest, OnlyExactlyOneTicksAndLocks) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"pw", 2, 2, 0}}));
  SettingsWindow& w = Open();
  EXPECT_FALSE(w.选择框_密码开关.ticked());
  EXPECT_FALSE(w.选择框_声音开关.ticked());
  EXPECT_FALSE(w.选择夹1.disabled());
  EXPECT_FALSE(w.选择夹2.visible());
}

TEST_F(SettingsWindowTest, AFailedLoadSaysSoAndClosesTheWindow) {
  // Its login would otherwise take what the copy last held (at first: nothing).
  SettingsWindowCopy() = {Text(), 1, 1};
  SettingsWindow& w = Open();
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, GBK("获取验证密码失败!"));
  EXPECT_EQ(messages()[0].flags, 0x10);
  EXPECT_TRUE(w.destroyed());
  EXPECT_TRUE(w.选择夹2.visible());
  EXPECT_FALSE(program.mainWindow.destroyed());
}

TEST_F(SettingsWindowTest, UnreadSettingsAtStartKeepTheWindowShut) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"pw", 1, 1, 0}}));
  program.state.settingsUnreadable = true;
  bool opened = false;
  windows.modalScript = [&](Window&) { opened = true; };
  OpenSettingsWindow(program);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(program.settingsWindow);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, GBK("无法读取密码设置文件md5.edb，为安全起见此功能已停用。"));
  EXPECT_EQ(messages()[0].flags, 0x10);
  EXPECT_FALSE(messages()[0].captionGiven);
  // No thanks tip either: nothing was shown to thank for.
  EXPECT_TRUE(program.mainWindow.气球提示框1.model.view.text.empty());
}

TEST_F(SettingsWindowTest, LoginWithTheWrongThenTheRightPassword) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"Pass", 1, 0, 0}}));
  SettingsWindow& w = Open();
  w.编辑框4.SetContent(Text("pass"));
  SettingsLogin(program);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, GBK("密码错误"));
  EXPECT_EQ(messages()[0].caption, GBK("提示"));
  EXPECT_EQ(messages()[0].flags, 0x10);
  EXPECT_EQ(w.编辑框4.content(), "");
  EXPECT_TRUE(w.选择夹1.disabled());
  EXPECT_TRUE(w.选择夹2.visible());

  w.编辑框4.SetContent(Text("Pass"));
  SettingsLogin(program);
  EXPECT_EQ(messages().size(), 1u);
  EXPECT_EQ(w.编辑框4.content(), "");
  EXPECT_FALSE(w.选择夹1.disabled());
  EXPECT_FALSE(w.选择夹2.visible());
}

TEST_F(SettingsWindowTest, PasswordChangeChecksRunInTheirOrderAndKeepTheBoxes) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"old", 0, 1, 0}}));
  SettingsWindow& w = Open();
  const std::string before = TableBytes();
  // Empty old password first, even with both new ones typed.
  TypeChange(w, "", "new", "new");
  ChangePassword(program);
  TypeChange(w, "old", "", "");
  ChangePassword(program);
  TypeChange(w, "old", "new", "");
  ChangePassword(program);
  TypeChange(w, "Old", "new", "new");
  ChangePassword(program);
  TypeChange(w, "old", "newA", "newa");
  ChangePassword(program);
  ASSERT_EQ(messages().size(), 5u);
  EXPECT_EQ(messages()[0].text, GBK("原密码不能为空!"));
  EXPECT_EQ(messages()[1].text, GBK("新密码不能为空!"));
  EXPECT_EQ(messages()[2].text, GBK("新密码确认不能为空"));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(messages()[i].flags, 0x40);
    EXPECT_FALSE(messages()[i].captionGiven);
  }
  EXPECT_EQ(messages()[3].text, GBK("原密码错误!!"));
  EXPECT_EQ(messages()[3].caption, GBK("请重新输入"));
  EXPECT_EQ(messages()[3].flags, 0x10);
  EXPECT_EQ(messages()[4].text, GBK("新密码两次输入不一样!"));
  EXPECT_EQ(messages()[4].caption, GBK("请再次确认"));
  EXPECT_EQ(messages()[4].flags, 0x10);
  EXPECT_EQ(w.编辑框1.content(), "old");
  EXPECT_EQ(w.编辑框2.content(), "newA");
  EXPECT_EQ(w.编辑框3.content(), "newa");
  EXPECT_EQ(TableBytes(), before);
  EXPECT_FALSE(SettingsClosed());
  EXPECT_FALSE(program.mainWindow.destroyed());
}

TEST_F(SettingsWindowTest, TheFirstPasswordCanBeSetWhenNoneIsStored) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"", 0, 1, 0}}));
  SettingsWindow& w = Open();
  // A typed old password still has to match the empty one.
  TypeChange(w, "x", "first", "first");
  ChangePassword(program);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, GBK("原密码错误!!"));
  TypeChange(w, "", "first", "first");
  ChangePassword(program);
  ASSERT_EQ(messages().size(), 3u);
  EXPECT_EQ(messages()[1].text, GBK("密码修改成功!!"));
  EXPECT_TRUE(program.mainWindow.destroyed());
  std::vector<StoredSettings> all = ReadSettings(dir);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].password, "first");
  EXPECT_EQ(all[0].passwordCheck, 0);
  EXPECT_EQ(all[0].soundOn, 1);
}

TEST_F(SettingsWindowTest, ANewPasswordIsStoredWithItsBlanksAndEndsTheProgram) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"old", 1, 1, 42}}));
  SettingsWindow& w = Open();
  w.编辑框4.SetContent(Text("old"));
  SettingsLogin(program);
  TypeChange(w, "old", " a b ", " a b ");
  std::vector<bool> settingsOpenWhenTold;
  fake.messageBox.onShow = [&](const MessageBoxCall&) { settingsOpenWhenTold.push_back(!SettingsClosed()); };
  ChangePassword(program);
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[0].text, GBK("密码修改成功!!"));
  EXPECT_EQ(messages()[0].caption, GBK("恭喜!"));
  EXPECT_EQ(messages()[0].flags, 0x40);
  EXPECT_EQ(messages()[1].text, GBK("需要重新运行程序才能使用新密码"));
  EXPECT_EQ(messages()[1].caption, GBK("提示!!"));
  EXPECT_EQ(messages()[1].flags, 0x40);
  EXPECT_EQ(settingsOpenWhenTold, (std::vector<bool>{true, false}));
  EXPECT_TRUE(program.mainWindow.destroyed());
  std::vector<StoredSettings> all = ReadSettings(dir);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].password, " a b ");
  EXPECT_EQ(all[0].passwordCheck, 1);
  EXPECT_EQ(all[0].soundOn, 1);
  EXPECT_EQ(all[0].extra, 42);
}

TEST_F(SettingsWindowTest, TickingSoundWithTheCheckOnKeepsTheCheckInTheFile) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"pw", 1, 0, 0}}));
  SettingsWindow& w = Open();
  w.编辑框4.SetContent(Text("pw"));
  SettingsLogin(program);
  bool tableOpenWhenTold = false;
  fake.messageBox.onShow = [&](const MessageBoxCall& m) {
    if (m.text == GBK("声音功能已开启")) tableOpenWhenTold = HasCurrentRecordFile() && !SettingsClosed();
  };
  w.选择框_声音开关.SetTicked(true);
  StoreSoundSwitch(program);
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[0].text, GBK("声音功能已开启"));
  EXPECT_EQ(messages()[0].caption, GBK("操作成功"));
  EXPECT_EQ(messages()[0].flags, 0x40);
  EXPECT_TRUE(tableOpenWhenTold);
  EXPECT_EQ(messages()[1].text, GBK("需要重新运行程序声音设置才能生效"));
  EXPECT_EQ(messages()[1].caption, GBK("提示!!"));
  EXPECT_TRUE(SettingsClosed());
  EXPECT_TRUE(program.mainWindow.destroyed());
  std::vector<StoredSettings> all = ReadSettings(dir);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].password, "pw");
  EXPECT_EQ(all[0].passwordCheck, 1);
  EXPECT_EQ(all[0].soundOn, 1);
}

TEST_F(SettingsWindowTest, UntickingThePasswordCheckStoresZeroAndKeepsTheRest) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"p w", 1, 1, 0}, {"p w", 1, 1, 0}}));
  SettingsWindow& w = Open();
  w.编辑框4.SetContent(Text("p w"));
  SettingsLogin(program);
  w.选择框_密码开关.SetTicked(false);
  StorePasswordCheckSwitch(program);
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[0].text, GBK("密码验证功能已关闭"));
  EXPECT_EQ(messages()[1].text, GBK("需要重新运行程序密码验证设置才能生效"));
  std::vector<StoredSettings> all = ReadSettings(dir);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].passwordCheck, 0);
  EXPECT_EQ(all[0].soundOn, 1);
  EXPECT_EQ(all[0].password, "p w");
  EXPECT_EQ(all[1].passwordCheck, 1);  // writers change the first record only
}

TEST_F(SettingsWindowTest, TickingThePasswordCheckOnStoresOneAndSaysSo) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"pw", 0, 1, 0}}));
  SettingsWindow& w = Open();
  ASSERT_FALSE(w.选择夹1.disabled());
  ASSERT_FALSE(w.选择框_密码开关.ticked());
  w.选择框_密码开关.SetTicked(true);
  StorePasswordCheckSwitch(program);
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[0].text, GBK("密码验证功能已开启"));
  EXPECT_EQ(messages()[0].caption, GBK("操作成功"));
  EXPECT_EQ(messages()[0].flags, 0x40);
  EXPECT_EQ(messages()[1].text, GBK("需要重新运行程序密码验证设置才能生效"));
  EXPECT_EQ(messages()[1].caption, GBK("提示!!"));
  EXPECT_EQ(messages()[1].flags, 0x40);
  EXPECT_TRUE(program.mainWindow.destroyed());
  std::vector<StoredSettings> all = ReadSettings(dir);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].password, "pw");
  EXPECT_EQ(all[0].passwordCheck, 1);
  EXPECT_EQ(all[0].soundOn, 1);
}

TEST_F(SettingsWindowTest, AFailedSaveIsToldAndBothWindowsStayOpen) {
  ASSERT_TRUE(CreateSettingsTable(dir, {}));  // no record to rewrite
  SettingsWindow& w = Open();
  w.选择框_声音开关.SetTicked(true);
  StoreSoundSwitch(program);
  TypeChange(w, "x", "y", "y");
  SettingsWindowCopy().password = "x";
  ChangePassword(program);
  ASSERT_EQ(messages().size(), 2u);
  const Text prefix = GBK("修改失败,");
  for (const MessageBoxCall& m : messages()) {
    EXPECT_EQ(m.text.substr(0, prefix.size()), prefix);
    EXPECT_GT(m.text.size(), prefix.size());
    EXPECT_EQ(m.flags, 0x10);
    EXPECT_FALSE(m.captionGiven);
  }
  EXPECT_FALSE(w.选择框_声音开关.ticked());
  EXPECT_FALSE(SettingsClosed());
  EXPECT_FALSE(program.mainWindow.destroyed());
  EXPECT_TRUE(ReadSettings(dir).empty());
}

TEST_F(SettingsWindowTest, AMissingTableOnSavingIsAFailureToo) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"", 0, 0, 0}}));
  SettingsWindow& w = Open();
  std::filesystem::remove(dir.HostOf("\\md5.edb"));
  w.选择框_密码开关.SetTicked(true);
  StorePasswordCheckSwitch(program);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, GBK("修改失败,") + RecordFileErrorTextOf(-3));
  EXPECT_FALSE(w.选择框_密码开关.ticked());
  EXPECT_FALSE(program.mainWindow.destroyed());
}

TEST_F(SettingsWindowTest, ShowPasswordsUnmasksTheThreeBoxesOnly) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"", 0, 0, 0}}));
  SettingsWindow& w = Open();
  w.选择框1.SetTicked(true);
  ShowOrMaskPasswords(program);
  EXPECT_FALSE(w.编辑框1.masked());
  EXPECT_FALSE(w.编辑框2.masked());
  EXPECT_FALSE(w.编辑框3.masked());
  EXPECT_TRUE(w.编辑框4.masked());
  w.选择框1.SetTicked(false);
  ShowOrMaskPasswords(program);
  EXPECT_TRUE(w.编辑框1.masked());
  EXPECT_TRUE(w.编辑框2.masked());
  EXPECT_TRUE(w.编辑框3.masked());
}

TEST_F(SettingsWindowTest, ThanksTipAfterClosingAndSettingsTipOnEveryMove) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"", 0, 0, 0}}));
  fake.clock.now = 1000;
  program.bindSettingsWindow = [](Program& p, SettingsWindow& w) {
    w.onCreated = [&p] { SettingsWindowCreated(p); };
  };
  int scriptRuns = 0;
  windows.modalScript = [&](Window&) {
    ++scriptRuns;
    CloseSettings(program);
  };
  OpenSettingsWindow(program);
  EXPECT_EQ(scriptRuns, 1);
  EXPECT_FALSE(program.settingsWindow);
  BalloonTipModel& tip = program.mainWindow.气球提示框1.model;
  EXPECT_EQ(tip.phase, BalloonTipModel::kWaiting);
  EXPECT_EQ(tip.view.text, GBK("功能不错?那就给力作者吧!"));
  EXPECT_EQ(tip.view.layout.tipX, program.mainWindow.left() + 350);
  EXPECT_EQ(tip.view.layout.tipY, program.mainWindow.top() + 50);
  EXPECT_EQ(tip.displayTimeMs, 1000);
  EXPECT_EQ(tip.initialDelayMs, 10);
  EXPECT_EQ(tip.placement, 9);
  EXPECT_EQ(tip.showAtMs, 1010);

  BalloonClose(tip);
  program.mainWindow.SetPosition(100, 120);
  SettingsButtonPointerMoved(program, 3, 4, 0);
  EXPECT_EQ(tip.view.text, GBK("设置是否开启密码验证/声音功能和修改密码!"));
  EXPECT_EQ(tip.view.layout.tipX, 100 + 667);
  EXPECT_EQ(tip.view.layout.tipY, 120 + 30);
  EXPECT_EQ(tip.placement, 2);
  fake.clock.now = 5000;
  BalloonClose(tip);
  SettingsButtonPointerMoved(program, 5, 4, 0);
  EXPECT_EQ(tip.phase, BalloonTipModel::kWaiting);
  EXPECT_EQ(tip.showAtMs, 5010);
}

TEST_F(SettingsWindowTest, NoThanksTipOnceAStoredChangeEndedTheProgram) {
  ASSERT_TRUE(CreateSettingsTable(dir, {{"", 0, 0, 0}}));
  program.bindSettingsWindow = [](Program& p, SettingsWindow& w) {
    w.onCreated = [&p] { SettingsWindowCreated(p); };
  };
  windows.modalScript = [&](Window& w) {
    static_cast<SettingsWindow&>(w).选择框_声音开关.SetTicked(true);
    StoreSoundSwitch(program);
  };
  OpenSettingsWindow(program);
  EXPECT_TRUE(program.mainWindow.destroyed());
  EXPECT_EQ(program.mainWindow.气球提示框1.model.phase, BalloonTipModel::kIdle);
  EXPECT_EQ(ReadSettings(dir)[0].soundOn, 1);
}

}  // namespace
