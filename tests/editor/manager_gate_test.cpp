#include <gtest/gtest.h>

#include "editor/gate_fixture.h"

namespace {

using namespace editor_test;

std::vector<FavoriteRecord> Numbered(int n) {
  std::vector<FavoriteRecord> out;
  for (int i = 1; i <= n; ++i) out.push_back(Favorite(("site" + std::to_string(i)).c_str(), i % 7, 0));
  return out;
}

class Gate : public ::testing::Test {
 protected:
  Harness h;
};

TEST_F(Gate, Tile5OnPage3OpensElement65) {
  ShowPageOf(h.program, Numbered(70), 3);
  PressModify(h.program, 5);
  EXPECT_EQ(h.w().编辑框_修改_网站名称.content(), "site65");
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "site65");
}

TEST_F(Gate, TheElementFollowsTheHoveredSlotNotThePressedTile) {
  ShowPageOf(h.program, Numbered(10), 1);
  h.program.state.hoveredTile = 7;
  ManagerLoginGate(h.program, kModifySpriteBase + 2);
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "site7");
}

TEST_F(Gate, CheckOffOpensTheFilledPageAtOnceAfterTheModifySound) {
  h.program.state.protection = {Text("pw"), 0, 1};
  FavoriteRecord r = Favorite("好站", 4, 1);
  ShowPageOf(h.program, {Favorite("a"), r}, 1);
  h.w().选择夹1.SetVisible(false);
  h.w().选择夹1.SetContainerMode(1);
  PressModify(h.program, 2);

  EXPECT_TRUE(h.fake.inputBox.log.empty());
  ASSERT_EQ(h.fake.sound.played.size(), 1u);
  EXPECT_EQ(h.fake.sound.played[0].path, h.dir.Path("\\声音\\修改.wav"));
  MainWindow& w = h.w();
  EXPECT_TRUE(w.选择夹1.visible());
  EXPECT_EQ(w.选择夹1.currentPage(), 0);
  EXPECT_EQ(w.选择夹1.containerMode(), 0);
  EXPECT_TRUE(h.BoardsDisabled());
  EXPECT_EQ(w.编辑框_修改_网站名称.content(), r.siteName);
  EXPECT_EQ(w.编辑框_修改_记录号.content(), r.siteName);
  EXPECT_EQ(w.编辑框_修改_帐号.content(), r.siteAccount);
  EXPECT_EQ(w.编辑框_修改_密码.content(), r.sitePassword);
  EXPECT_EQ(w.编辑框_修改_网址.content(), r.address);
  EXPECT_EQ(w.编辑框_修改_网站图标.content(), r.iconPath);
  EXPECT_EQ(w.编辑框_修改_点击声音.content(), r.clickSound);
  EXPECT_EQ(w.编辑框_修改_描述.content(), r.description);
  EXPECT_TRUE(w.选择框_修改_常用.ticked());
  EXPECT_EQ(w.组合框_修改_分类.selection(), 4);
  EXPECT_TRUE(h.messages().empty());
}

TEST_F(Gate, OnlyASoundSwitchOfExactlyOnePlays) {
  h.program.state.protection = {Text(), 0, 2};
  ShowPageOf(h.program, Numbered(3), 1);
  PressModify(h.program, 1);
  EXPECT_TRUE(h.fake.sound.played.empty());
  EXPECT_TRUE(h.w().选择夹1.visible());
}

TEST_F(Gate, EmptyStoredPasswordLetsNothingTypedThrough) {
  h.program.state.protection = {Text(), 1, 0};
  ShowPageOf(h.program, Numbered(3), 1);
  h.fake.inputBox.answers.push_back({true, Text()});
  PressModify(h.program, 3);
  ASSERT_EQ(h.fake.inputBox.log.size(), 1u);
  const InputBoxCall& ask = h.fake.inputBox.log[0];
  EXPECT_EQ(ask.prompt, GBK("请输入密码获取修改和删除权限："));
  EXPECT_EQ(ask.title, GBK("收藏夹管理登入"));
  EXPECT_TRUE(ask.masked);
  EXPECT_TRUE(h.w().选择夹1.visible());
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "site3");
}

TEST_F(Gate, AWrongPasswordOrCancelOpensNothing) {
  h.program.state.protection = {Text("Secret"), 2, 1};
  ShowPageOf(h.program, Numbered(3), 1);
  h.w().选择夹1.SetVisible(false);
  h.fake.inputBox.answers.push_back({true, Text("secret")});
  PressModify(h.program, 1);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("密码错误"));
  EXPECT_EQ(h.messages()[0].caption, GBK("你想做什么?"));
  EXPECT_EQ(h.messages()[0].flags, 0);
  h.fake.inputBox.answers.push_back({false, Text("Secret")});
  PressModify(h.program, 1);
  EXPECT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.fake.inputBox.log.size(), 2u);
  EXPECT_FALSE(h.w().选择夹1.visible());
  EXPECT_TRUE(h.BoardsEnabled());
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "");
  // The sound comes before the question, refused or not.
  EXPECT_EQ(h.fake.sound.played.size(), 2u);
}

TEST_F(Gate, EveryPressHidesTheAddTitleAndTurnsContainerModeOff) {
  ShowPageOf(h.program, Numbered(3), 1);
  h.w().选择夹1.SetContainerMode(1);
  h.program.state.hoveredTile = 1;
  ManagerLoginGate(h.program, 0);
  EXPECT_FALSE(h.w().标签_添加_添加网址收藏.visible());
  EXPECT_EQ(h.w().选择夹1.containerMode(), 0);
  // An icon press is not a modify press.
  ManagerLoginGate(h.program, 1001);
  EXPECT_TRUE(h.fake.sound.played.empty());
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "");
}

TEST_F(Gate, CategoriesOutsideTheListLeaveTheSelectionAsItWas) {
  ShowPageOf(h.program, {Favorite("zero", 0), Favorite("six", 6), Favorite("seven", 7)}, 1);
  PressModify(h.program, 1);
  EXPECT_EQ(h.w().组合框_修改_分类.selection(), 0);
  PressModify(h.program, 2);
  EXPECT_EQ(h.w().组合框_修改_分类.selection(), 6);
  h.w().组合框_修改_分类.SetSelection(-1);
  PressModify(h.program, 3);
  EXPECT_EQ(h.w().组合框_修改_分类.selection(), -1);
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "seven");
}

TEST_F(Gate, TilesWithoutRecordsBehindThemOpenNothing) {
  h.program.state.protection = {Text(), 0, 1};
  ShowPageOf(h.program, Numbered(3), 1);
  h.w().选择夹1.SetVisible(false);
  h.program.state.categoryRecords.clear();  // an empty category was chosen since
  PressModify(h.program, 2);
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "");
  EXPECT_TRUE(h.fake.sound.played.empty());
  EXPECT_FALSE(h.w().选择夹1.visible());
  EXPECT_TRUE(h.BoardsEnabled());
}

}  // namespace
