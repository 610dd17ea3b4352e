#include <gtest/gtest.h>

#include "browser/browser_harness.h"

namespace {

struct ViewerHarness : BrowserHarness {
  explicit ViewerHarness(const std::string& name, ProtectionSettings settings) : BrowserHarness(name) {
    std::vector<FavoriteRecord> records = Favorites(3, 0, 1);
    records[1].siteAccount = GBK("张三");
    records[1].sitePassword = "s3cret";
    records[2].siteAccount = "";
    Start(records, settings);
    SelectCategory(program, 0);
  }
  bool PressAccount(int slot) { return UserPressSprite(w(), "动画框1", state().tiles[slot - 1].accountSprite); }
  bool Shown() {
    return w().编辑框_帐号.left() == 320 && w().编辑框_密码.left() == 320 && w().按钮_关闭帐号密码显示.left() == 488 &&
           w().标签_密码查看背景.left() == 307;
  }
  bool Hidden() {
    return w().编辑框_帐号.left() == -320 && w().编辑框_密码.left() == -320 &&
           w().按钮_关闭帐号密码显示.left() == -488 && w().标签_密码查看背景.left() == -307;
  }
  bool BoardsDisabled() { return w().动画框1.disabled() && w().动画框_分类.disabled(); }
  bool BoardsEnabled() { return !w().动画框1.disabled() && !w().动画框_分类.disabled(); }
};

TEST(AccountViewer, WithoutTheCheckOpensAtOnceAfterTheSound) {
  ViewerHarness h("viewer_open", {"pw", 0, 1});
  ASSERT_TRUE(h.PressAccount(2));
  EXPECT_TRUE(h.fake.inputBox.log.empty());
  EXPECT_EQ(h.SoundsPlayed(), std::vector<Text>{h.Run("\\声音\\查看帐号密码.wav")});
  EXPECT_TRUE(h.Shown());
  EXPECT_TRUE(h.BoardsDisabled());
  EXPECT_EQ(h.w().编辑框_帐号.content(), GBK("帐号:张三"));
  EXPECT_EQ(h.w().编辑框_密码.content(), GBK("密码:") + "s3cret");
  // The close button is in sight and clickable; the boards take no press meanwhile.
  EXPECT_FALSE(UserPressSprite(h.w(), "动画框1", h.state().tiles[0].iconSprite));
  ASSERT_TRUE(UserClick(h.w(), "按钮_关闭帐号密码显示"));
  EXPECT_TRUE(h.Hidden());
  EXPECT_TRUE(h.BoardsEnabled());
  EXPECT_EQ(h.w().编辑框_帐号.content(), GBK("帐号:"));
  EXPECT_EQ(h.w().编辑框_密码.content(), GBK("密码:"));
  EXPECT_FALSE(UserClick(h.w(), "按钮_关闭帐号密码显示"));  // out of sight again

  // An empty account shows the prefix alone.
  ASSERT_TRUE(h.PressAccount(3));
  EXPECT_EQ(h.w().编辑框_帐号.content(), GBK("帐号:"));
}

TEST(AccountViewer, TheGateAsksAndRefusesAnyDifference) {
  ViewerHarness h("viewer_gate", {"Pass", 1, 0});
  const Text wrong[] = {"pass", "Pass ", "", "Pas"};
  for (const Text& typed : wrong) {
    h.fake.inputBox.answers.push_back({true, typed});
    ASSERT_TRUE(h.PressAccount(2));
    EXPECT_TRUE(h.Hidden()) << typed;
    EXPECT_TRUE(h.BoardsEnabled());
  }
  ASSERT_EQ(h.fake.inputBox.log.size(), 4u);
  const InputBoxCall& ask = h.fake.inputBox.log[0];
  EXPECT_EQ(ask.prompt, GBK("请输入密码获取查看权限："));
  EXPECT_EQ(ask.title, GBK("帐号密码查看登入"));
  EXPECT_EQ(ask.initial, "");
  EXPECT_TRUE(ask.masked);
  ASSERT_EQ(h.fake.messageBox.log.size(), 4u);
  for (const MessageBoxCall& m : h.fake.messageBox.log) {
    EXPECT_EQ(m.text, GBK("密码错误"));
    EXPECT_EQ(m.caption, GBK("想偷窥吗?"));
    EXPECT_EQ(m.flags, 0);
  }
  EXPECT_TRUE(h.fake.sound.played.empty());  // sound off

  h.fake.inputBox.answers.push_back({true, "Pass"});
  ASSERT_TRUE(h.PressAccount(1));
  EXPECT_TRUE(h.Shown());
  EXPECT_EQ(h.w().编辑框_帐号.content(), GBK("帐号:") + "acct-n1");
  EXPECT_EQ(h.fake.messageBox.log.size(), 4u);
}

TEST(AccountViewer, CancelShowsNothingButTheSoundCameFirst) {
  ViewerHarness h("viewer_cancel", {"pw", 2, 1});
  h.fake.inputBox.answers.push_back({false, "pw"});
  ASSERT_TRUE(h.PressAccount(1));
  EXPECT_EQ(h.fake.inputBox.log.size(), 1u);  // check 2 asks too
  EXPECT_TRUE(h.fake.messageBox.log.empty());
  EXPECT_TRUE(h.Hidden());
  EXPECT_TRUE(h.BoardsEnabled());
  EXPECT_EQ(h.SoundsPlayed(), std::vector<Text>{h.Run("\\声音\\查看帐号密码.wav")});
}

TEST(AccountViewer, AnEmptyStoredPasswordOpensWithAnEmptyEntry) {
  ViewerHarness h("viewer_empty", {"", 1, 0});
  h.fake.inputBox.answers.push_back({true, ""});
  ASSERT_TRUE(h.PressAccount(1));
  EXPECT_TRUE(h.Shown());
  EXPECT_TRUE(h.fake.messageBox.log.empty());
}

TEST(AccountViewer, TheAccountButtonHasItsHoverPicture) {
  ViewerHarness h("viewer_hover", {"", 0, 0});
  const int account = h.state().tiles[0].accountSprite;
  ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框1", account));
  EXPECT_EQ(h.board().Find(account)->picture.width, 24);
  ASSERT_TRUE(UserLeaveBoard(h.w(), "动画框1"));
  EXPECT_EQ(h.board().Find(account)->picture.width, 20);
}

}  // namespace
