// What a user can and cannot do to the model, and what the model does with it.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/main_window.h"
#include "forms/scripted_backend.h"
#include "forms/settings_window.h"
#include "forms/user_actions.h"
#include "ui/scripted_services.h"

namespace {

TEST(UserActions, ClickFiresTheEventOfThatControlOnly) {
  MainWindow m;
  std::vector<std::string> fired;
  m.按钮1.onClicked = [&] { fired.push_back("main 按钮1"); };
  m.按钮2.onClicked = [&] { fired.push_back("main 按钮2"); };
  SettingsWindow s;
  s.按钮2.onClicked = [&] { fired.push_back("settings 按钮2"); };
  s.选择夹1.SetCurrentPage(1);
  EXPECT_TRUE(UserClick(s, "按钮2"));
  EXPECT_TRUE(UserClick(m, "按钮1"));
  EXPECT_EQ(fired, (std::vector<std::string>{"settings 按钮2", "main 按钮1"}));
  EXPECT_FALSE(UserClick(m, "标签1")) << "a label is not clicked";
  EXPECT_FALSE(UserClick(m, "没有这个"));
}

TEST(UserActions, CheckBoxTicksBeforeItsEvent) {
  SettingsWindow s;
  std::vector<bool> seen;
  s.选择框_密码开关.onClicked = [&] { seen.push_back(s.选择框_密码开关.ticked()); };
  ASSERT_TRUE(UserClick(s, "选择框_密码开关"));
  ASSERT_TRUE(UserClick(s, "选择框_密码开关"));
  EXPECT_EQ(seen, (std::vector<bool>{true, false}));
}

TEST(UserActions, OnlyTheCurrentPageCanBeReached) {
  MainWindow m;
  int clicks = 0;
  m.按钮_添加_确认添加.onClicked = [&] { ++clicks; };
  m.选择夹1.SetCurrentPage(0);
  EXPECT_FALSE(UserClick(m, "按钮_添加_确认添加"));
  EXPECT_FALSE(UserType(m, "编辑框_添加_网站名称", "x"));
  m.选择夹1.SetCurrentPage(1);
  EXPECT_TRUE(UserClick(m, "按钮_添加_确认添加"));
  m.选择夹1.SetVisible(false);
  EXPECT_FALSE(UserClick(m, "按钮_添加_确认添加")) << "hidden panel";
  m.选择夹1.SetVisible(true);
  m.选择夹1.SetDisabled(true);
  EXPECT_FALSE(UserClick(m, "按钮_添加_确认添加")) << "a disabled tab control disables its pages";
  EXPECT_EQ(clicks, 1);
}

TEST(UserActions, OutOfSightUntilMovedIn) {
  MainWindow m;
  int clicks = 0;
  m.按钮_关闭帐号密码显示.onClicked = [&] { ++clicks; };
  EXPECT_FALSE(UserClick(m, "按钮_关闭帐号密码显示"));
  m.编辑框_帐号.SetContent(GBK("帐号"));
  EXPECT_EQ(m.编辑框_帐号.content(), GBK("帐号")) << "holds text while out of sight";
  m.按钮_关闭帐号密码显示.SetLeft(488);
  EXPECT_TRUE(UserClick(m, "按钮_关闭帐号密码显示"));
  // The web box at -2, -2 still shows most of itself.
  EXPECT_TRUE(UserCanReach(m, m.超文本浏览框1));
  EXPECT_EQ(clicks, 1);
}

TEST(UserActions, DisabledOrBlockedWindowTakesNoInput) {
  MainWindow m;
  int clicks = 0;
  m.按钮2.onClicked = [&] { ++clicks; };
  m.SetDisabled(true);
  EXPECT_FALSE(UserClick(m, "按钮2"));
  m.SetDisabled(false);
  m.modalBlocks = 1;
  EXPECT_FALSE(UserClick(m, "按钮2"));
  m.modalBlocks = 0;
  EXPECT_TRUE(UserClick(m, "按钮2"));
  m.Destroy();
  EXPECT_FALSE(UserClick(m, "按钮2"));
  EXPECT_EQ(clicks, 1);
}

TEST(UserActions, TypingChoosingAndInvisibleKinds) {
  MainWindow m;
  m.选择夹1.SetCurrentPage(1);
  EXPECT_TRUE(UserType(m, GBK("编辑框_添加_网址"), GBK("http://a/")));
  EXPECT_EQ(m.编辑框_添加_网址.content(), GBK("http://a/"));
  EXPECT_TRUE(UserChoose(m, "组合框_添加_分类", 6));
  EXPECT_EQ(m.组合框_添加_分类.selection(), 6);
  EXPECT_FALSE(UserChoose(m, "组合框_添加_分类", 7)) << "only the seven items";
  EXPECT_EQ(m.组合框_添加_分类.selection(), 6);
  EXPECT_FALSE(UserType(m, "组合框_添加_分类", "x")) << "wrong kind";
  EXPECT_FALSE(UserCanReach(m, m.通用对话框1));
  EXPECT_FALSE(UserCanReach(m, m.气球提示框1));
  EXPECT_FALSE(UserCanReach(m, m.动画物体_图标));
}

TEST(TabControlModel, CurrentPageClampsAndContainerModeRefusesTitleClicks) {
  MainWindow m;
  m.选择夹1.SetContainerMode(1);
  m.选择夹1.SetCurrentPage(2);
  EXPECT_EQ(m.选择夹1.currentPage(), 1) << "beyond the last page: the last";
  m.选择夹1.SetCurrentPage(-5);
  EXPECT_EQ(m.选择夹1.currentPage(), 0);
  EXPECT_FALSE(UserSelectPage(m, "选择夹1", 1)) << "no titles to click in container mode";
  EXPECT_EQ(m.选择夹1.currentPage(), 0);
  m.选择夹1.SetContainerMode(0);
  EXPECT_TRUE(UserSelectPage(m, "选择夹1", 1));
  EXPECT_EQ(m.选择夹1.currentPage(), 1);
  EXPECT_FALSE(UserSelectPage(m, "选择夹1", 2));
}

TEST(ModelChanges, EveryWriteReachesThePeer) {
  MainWindow m;
  int updates = 0;
  m.编辑框_帐号.peerUpdate = [&] { ++updates; };
  m.编辑框_帐号.SetLeft(10);
  m.编辑框_帐号.SetContent(GBK("a"));
  m.编辑框_帐号.SetInputMode(EditBox::kPassword);
  EXPECT_EQ(updates, 3);
  // The user's own typing is already on screen: no echo back.
  m.编辑框_帐号.UserType(GBK("b"));
  EXPECT_EQ(updates, 3);
  m.动画框1.SetDisabled(true);
  EXPECT_TRUE(m.动画框1.model.disabled) << "a disabled board reports nothing";
}

TEST(FileDialogModel, CancelKeepsTheFileName) {
  MainWindow m;
  ScriptedFileDialog files;
  m.通用对话框1.SetFileName(GBK("C:\\old.png"));
  m.通用对话框1.SetInitialDirectory(GBK("C:\\网站图标"));
  files.answers.push_back(std::nullopt);
  files.answers.push_back(GBK("C:\\网站图标\\new.png"));
  EXPECT_FALSE(m.通用对话框1.Open(files));
  EXPECT_EQ(m.通用对话框1.fileName(), GBK("C:\\old.png"));
  EXPECT_TRUE(m.通用对话框1.Open(files));
  EXPECT_EQ(m.通用对话框1.fileName(), GBK("C:\\网站图标\\new.png"));
  EXPECT_EQ(files.initialDirectories, (std::vector<Text>{GBK("C:\\网站图标"), GBK("C:\\网站图标")}));
}

TEST(ScriptedBackend, ModalWindowBlocksTheMainWindowUntilClosed) {
  MainWindow m;
  ScriptedWindowBackend windows;
  windows.ShowWindow(m, false);
  int mainClicks = 0;
  m.按钮2.onClicked = [&] { ++mainClicks; };
  bool ran = false;
  windows.modalScript = [&](Window& w) {
    ran = true;
    EXPECT_FALSE(UserClick(m, "按钮2")) << "blocked while the modal window is open";
    EXPECT_TRUE(UserSelectPage(w, "选择夹1", 1));
  };
  {
    SettingsWindow s;
    windows.ShowWindow(s, true);
    windows.RunUntilDestroyed(s);
    EXPECT_TRUE(s.destroyed()) << "closed by the user when the script left it open";
  }
  EXPECT_TRUE(ran);
  EXPECT_TRUE(UserClick(m, "按钮2"));
  EXPECT_EQ(mainClicks, 1);
}

TEST(BoardActions, PressASpriteByItsId) {
  MainWindow m;
  SpriteTemplateSettings tmpl;
  tmpl.picture.width = 4;
  tmpl.picture.height = 4;
  tmpl.picture.frames.push_back({std::vector<std::uint8_t>(4 * 4 * 4, 255), 0});
  int id = m.动画框1.model.CreateObject(&tmpl, 10, 10);
  std::vector<int> pressed;
  m.动画框1.model.events.leftPressed = [&](int s) { pressed.push_back(s); };
  EXPECT_TRUE(UserPressSprite(m, "动画框1", id));
  EXPECT_TRUE(UserPressBoardAt(m, "动画框1", 100, 100));
  EXPECT_FALSE(UserPressSprite(m, "动画框1", id + 1)) << "no such sprite";
  m.动画框1.SetDisabled(true);
  EXPECT_FALSE(UserPressSprite(m, "动画框1", id));
  EXPECT_EQ(pressed, (std::vector<int>{id, 0}));
}

}  // namespace
