#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "editor/gate_fixture.h"
#include "editor/modify_page.h"

namespace {

using namespace editor_test;

class ModifyPage : public ::testing::Test {
 protected:
  // The table holds `records`; the board shows them; slot `slot` is opened for editing.
  void OpenOn(const std::vector<FavoriteRecord>& records, int slot) {
    ASSERT_TRUE(CreateFavoritesTable(h.dir, records));
    ShowPageOf(h.program, records, 1);
    PressModify(h.program, slot);
    ASSERT_TRUE(h.w().选择夹1.visible());
    ASSERT_TRUE(h.messages().empty());
  }
  std::string TableBytes() const { return FileBytes(h.dir.HostOf("\\数据库.edb")); }
  Harness h;
};

TEST_F(ModifyPage, ChecksRunNameAddressIconCategory) {
  OpenOn({Favorite("a", 1)}, 1);
  MainWindow& w = h.w();
  w.编辑框_修改_网站名称.SetContent(Text());
  w.编辑框_修改_网址.SetContent(Text());
  w.编辑框_修改_网站图标.SetContent(Text());
  w.组合框_修改_分类.SetSelection(-1);
  const std::string before = TableBytes();
  SaveModifiedFavorite(h.program);
  w.编辑框_修改_网站名称.SetContent(Text("a"));
  SaveModifiedFavorite(h.program);
  w.编辑框_修改_网址.SetContent(Text("http://127.0.0.1/"));
  SaveModifiedFavorite(h.program);
  w.编辑框_修改_网站图标.SetContent(Text("\\i.png"));
  SaveModifiedFavorite(h.program);
  ASSERT_EQ(h.messages().size(), 4u);
  EXPECT_EQ(h.messages()[0].text, GBK("网站名不能为空"));
  EXPECT_EQ(h.messages()[1].text, GBK("网址不能为空"));
  EXPECT_EQ(h.messages()[2].text, GBK("请插入网站图标"));
  EXPECT_EQ(h.messages()[3].text, GBK("请选着分类"));
  for (const MessageBoxCall& m : h.messages()) {
    EXPECT_EQ(m.flags, 0x10);
    EXPECT_TRUE(NoCaption(m));
  }
  EXPECT_EQ(TableBytes(), before);
  EXPECT_FALSE(h.Ended());
  EXPECT_TRUE(w.选择夹1.visible());
}

TEST_F(ModifyPage, SaveRewritesOnlyTheFirstOfTwoWithOneNameFoundByTheKey) {
  FavoriteRecord second = Favorite("same", 3);
  second.address = "http://127.0.0.1/second";
  OpenOn({Favorite("x"), Favorite("same", 1), second}, 3);
  // The page shows the third favorite, but the key is its name: the first "same" is rewritten.
  MainWindow& w = h.w();
  w.编辑框_修改_网站名称.SetContent(GBK("改名"));
  w.编辑框_修改_帐号.SetContent(Text("new account"));
  w.组合框_修改_分类.SetSelection(5);
  w.选择框_修改_常用.SetTicked(false);
  bool endedWhenTold = true;
  h.fake.messageBox.onShow = [&](const MessageBoxCall&) { endedWhenTold = h.Ended(); };
  SaveModifiedFavorite(h.program);

  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("修改成功!...但要重新打开收藏夹修改数据才生效。"));
  EXPECT_EQ(h.messages()[0].caption, GBK("恭喜!!"));
  EXPECT_EQ(h.messages()[0].flags, 0x40);
  EXPECT_FALSE(endedWhenTold);
  EXPECT_TRUE(h.Ended());
  EXPECT_FALSE(w.选择夹1.visible());
  EXPECT_TRUE(h.BoardsEnabled());

  std::vector<StoredFavorite> all = ReadFavorites(h.dir);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_TRUE(SameFavorite(all[0].record, Favorite("x")));
  EXPECT_EQ(all[1].record.siteName, GBK("改名"));
  EXPECT_EQ(all[1].record.siteAccount, "new account");
  EXPECT_EQ(all[1].record.address, second.address);  // the page showed the third one's
  EXPECT_EQ(all[1].record.category, 5);
  EXPECT_EQ(all[1].record.common, 0);
  EXPECT_TRUE(SameFavorite(all[2].record, second));
}

TEST_F(ModifyPage, ARenamedFavoriteIsStillFoundByItsKey) {
  OpenOn({Favorite("a", 2, 1), Favorite("b", 2)}, 2);
  h.w().编辑框_修改_网站名称.SetContent(Text("b2"));
  h.w().编辑框_修改_描述.SetContent(Text("new words"));
  SaveModifiedFavorite(h.program);
  std::vector<StoredFavorite> all = ReadFavorites(h.dir);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[1].record.siteName, "b2");
  EXPECT_EQ(all[1].record.description, "new words");
  EXPECT_TRUE(SameFavorite(all[0].record, Favorite("a", 2, 1)));
}

TEST_F(ModifyPage, CategorySevenStopsAtTheCategoryCheck) {
  OpenOn({Favorite("seven", 7)}, 1);
  EXPECT_EQ(h.w().组合框_修改_分类.selection(), -1);
  SaveModifiedFavorite(h.program);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("请选着分类"));
  EXPECT_FALSE(h.Ended());
}

TEST_F(ModifyPage, AKeyThatNamesNothingEndsWithoutWritingOrMessage) {
  OpenOn({Favorite("a", 1)}, 1);
  const std::string before = TableBytes();
  h.w().编辑框_修改_记录号.SetContent(Text("nobody"));
  SaveModifiedFavorite(h.program);
  EXPECT_TRUE(h.messages().empty());
  EXPECT_TRUE(h.Ended());
  EXPECT_EQ(TableBytes(), before);
}

TEST_F(ModifyPage, AMissingTableKeepsThePageOpen) {
  OpenOn({Favorite("a", 1)}, 1);
  std::filesystem::remove(h.dir.HostOf("\\数据库.edb"));
  SaveModifiedFavorite(h.program);
  DeleteShownFavorite(h.program);
  ASSERT_EQ(h.messages().size(), 2u);
  for (const MessageBoxCall& m : h.messages()) {
    EXPECT_EQ(m.text, GBK("打开数据库失败"));
    EXPECT_EQ(m.flags, 0x10);
  }
  EXPECT_FALSE(h.Ended());
  EXPECT_TRUE(h.w().选择夹1.visible());
}

TEST_F(ModifyPage, AFailedRewriteIsToldWithTheEngineTextAndStillEnds) {
  ASSERT_TRUE(CreateFavoritesTable(h.dir, {Favorite("a", 1)}, /*categoryAsText=*/true));
  ShowPageOf(h.program, {Favorite("a", 1)}, 1);
  PressModify(h.program, 1);
  const std::string before = TableBytes();
  SaveModifiedFavorite(h.program);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("修改失败,") + RecordFileErrorTextOf(-72));
  EXPECT_EQ(h.messages()[0].flags, 0x10);
  EXPECT_TRUE(NoCaption(h.messages()[0]));
  EXPECT_TRUE(h.Ended());
  EXPECT_EQ(TableBytes(), before);
}

TEST_F(ModifyPage, DeleteAnsweredWithCancelKeepsTheFavoriteAndThePage) {
  OpenOn({Favorite("a", 1), Favorite("b", 1)}, 2);
  const std::string before = TableBytes();
  h.fake.messageBox.answers.push_back(kMbCancel);
  DeleteShownFavorite(h.program);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("你确认删除此收藏?"));
  EXPECT_EQ(h.messages()[0].flags, 0x31);
  EXPECT_TRUE(NoCaption(h.messages()[0]));
  EXPECT_EQ(TableBytes(), before);
  EXPECT_FALSE(h.Ended());
  EXPECT_TRUE(h.w().选择夹1.visible());
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "b");
}

TEST_F(ModifyPage, DeleteRemovesTheFirstWithTheNameThenTellsInOrderAndEnds) {
  FavoriteRecord later = Favorite("dup", 4);
  later.address = "http://127.0.0.1/later";
  OpenOn({Favorite("dup", 1), later, Favorite("z")}, 2);
  std::vector<bool> disabledWhenTold;
  h.fake.messageBox.onShow = [&](const MessageBoxCall&) { disabledWhenTold.push_back(h.w().disabled()); };
  DeleteShownFavorite(h.program);
  ASSERT_EQ(h.messages().size(), 3u);
  EXPECT_EQ(h.messages()[0].text, GBK("你确认删除此收藏?"));
  EXPECT_EQ(h.messages()[1].text, GBK("修改成功"));
  EXPECT_EQ(h.messages()[1].caption, GBK("恭喜!!"));
  EXPECT_EQ(h.messages()[1].flags, 0x40);
  EXPECT_EQ(h.messages()[2].text, GBK("请选[确认]重新打开收藏夹"));
  EXPECT_EQ(h.messages()[2].flags, 0);
  EXPECT_TRUE(NoCaption(h.messages()[2]));
  EXPECT_EQ(disabledWhenTold, (std::vector<bool>{false, false, false}));
  EXPECT_TRUE(h.w().disabled());
  EXPECT_TRUE(h.Ended());
  EXPECT_FALSE(h.w().选择夹1.visible());

  std::vector<StoredFavorite> all = ReadFavorites(h.dir);
  ASSERT_EQ(all.size(), 2u);
  EXPECT_TRUE(SameFavorite(all[0].record, later));
  EXPECT_EQ(all[1].record.siteName, "z");
}

TEST_F(ModifyPage, DeleteOfAKeyThatNamesNothingStopsQuietly) {
  OpenOn({Favorite("a", 1)}, 1);
  const std::string before = TableBytes();
  h.w().编辑框_修改_记录号.SetContent(Text("gone"));
  DeleteShownFavorite(h.program);
  ASSERT_EQ(h.messages().size(), 1u);  // only the question
  EXPECT_EQ(TableBytes(), before);
  EXPECT_FALSE(h.Ended());
  EXPECT_TRUE(h.w().选择夹1.visible());
}

TEST_F(ModifyPage, AFailedDeleteIsToldAndTheProgramGoesOn) {
  OpenOn({Favorite("a", 1)}, 1);
  int lockFd = -1;
  h.fake.messageBox.onShow = [&](const MessageBoxCall& m) {
    if (m.text != GBK("你确认删除此收藏?")) return;
    // Another process holds the magic bytes: the compaction cannot lock the whole file.
    lockFd = open(h.dir.HostOf("\\数据库.edb").c_str(), O_RDWR);
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 4;
    ASSERT_EQ(fcntl(lockFd, F_OFD_SETLK, &fl), 0);
  };
  DeleteShownFavorite(h.program);
  if (lockFd >= 0) close(lockFd);
  ASSERT_EQ(h.messages().size(), 2u);
  const Text prefix = GBK("删除失败,");
  EXPECT_EQ(h.messages()[1].text.substr(0, prefix.size()), prefix);
  EXPECT_GT(h.messages()[1].text.size(), prefix.size());
  EXPECT_EQ(h.messages()[1].flags, 0x10);
  EXPECT_TRUE(NoCaption(h.messages()[1]));
  EXPECT_FALSE(h.Ended());
  EXPECT_FALSE(h.w().disabled());
  EXPECT_TRUE(h.w().选择夹1.visible());
  EXPECT_FALSE(HasCurrentRecordFile());
}

TEST_F(ModifyPage, CancelReturnsToBrowsingWithBothPagesCleared) {
  OpenOn({Favorite("a", 1, 1)}, 1);
  h.w().编辑框_添加_网站名称.SetContent(Text("typed on add"));
  CancelModify(h.program);
  EXPECT_FALSE(h.w().选择夹1.visible());
  EXPECT_TRUE(h.BoardsEnabled());
  EXPECT_EQ(h.w().编辑框_修改_网站名称.content(), "");
  EXPECT_EQ(h.w().编辑框_添加_网站名称.content(), "");
  EXPECT_FALSE(h.w().选择框_修改_常用.ticked());
  EXPECT_EQ(h.w().组合框_修改_分类.selection(), -1);
  // The key and the description are not cleared.
  EXPECT_EQ(h.w().编辑框_修改_记录号.content(), "a");
  EXPECT_EQ(h.w().编辑框_修改_描述.content(), Favorite("a").description);
  EXPECT_FALSE(h.Ended());
}

}  // namespace
