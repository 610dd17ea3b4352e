#include <gtest/gtest.h>

#include "editor/add_page.h"
#include "editor/editor_harness.h"
#include "editor/file_picker.h"

namespace {

using namespace editor_test;

class AddPage : public ::testing::Test {
 protected:
  // Everything a complete add needs, category `item` of the list.
  void FillAll(int item = 0) {
    ASSERT_TRUE(UserType(h.w(), "编辑框_添加_网站名称", GBK("新浪")));
    ASSERT_TRUE(UserType(h.w(), "编辑框_添加_图标", GBK("\\网站图标\\a.png")));
    ASSERT_TRUE(UserType(h.w(), "编辑框_添加_网址", Text("http://127.0.0.1/a")));
    ASSERT_TRUE(UserType(h.w(), "编辑框_添加_帐号", Text("me")));
    ASSERT_TRUE(UserType(h.w(), "编辑框_添加_密码", Text("secret")));
    ASSERT_TRUE(UserType(h.w(), "编辑框_添加_点击声音", GBK("\\声音\\点击声音\\a.wav")));
    ASSERT_TRUE(UserType(h.w(), "编辑框_添加_描述", GBK("新闻")));
    ASSERT_TRUE(UserChoose(h.w(), "组合框_添加_分类", item));
  }
  Harness h;
};

TEST_F(AddPage, OpensOnTheAddPageWithBoardsOffAndKeepsDescriptionsAndKey) {
  MainWindow& w = h.w();
  w.选择夹1.SetVisible(false);
  w.编辑框_添加_描述.SetContent(Text("kept"));
  w.编辑框_修改_描述.SetContent(Text("kept too"));
  w.编辑框_修改_记录号.SetContent(Text("key"));
  w.编辑框_添加_网站名称.SetContent(Text("gone"));
  w.编辑框_修改_网址.SetContent(Text("gone"));
  w.组合框_添加_分类.SetSelection(3);
  w.组合框_修改_分类.SetSelection(2);
  w.选择框_添加_常用.SetTicked(true);
  w.选择框_修改_常用.SetTicked(true);

  OpenAddPage(h.program);
  EXPECT_TRUE(w.选择夹1.visible());
  EXPECT_EQ(w.选择夹1.containerMode(), 1);
  EXPECT_EQ(w.选择夹1.currentPage(), 1);
  EXPECT_TRUE(h.BoardsDisabled());
  EXPECT_EQ(w.编辑框_添加_描述.content(), "kept");
  EXPECT_EQ(w.编辑框_修改_描述.content(), "kept too");
  EXPECT_EQ(w.编辑框_修改_记录号.content(), "key");
  EXPECT_EQ(w.编辑框_添加_网站名称.content(), "");
  EXPECT_EQ(w.编辑框_修改_网址.content(), "");
  EXPECT_EQ(w.组合框_添加_分类.selection(), -1);
  EXPECT_EQ(w.组合框_修改_分类.selection(), -1);
  EXPECT_FALSE(w.选择框_添加_常用.ticked());
  EXPECT_FALSE(w.选择框_修改_常用.ticked());
  EXPECT_TRUE(h.messages().empty());
}

TEST_F(AddPage, ChecksStopAtTheFirstMissingValueInTheirOrder) {
  ASSERT_TRUE(CreateFavoritesTable(h.dir, {}));
  OpenAddPage(h.program);
  // Nothing typed: only the name is complained about, and the boards are on again.
  ConfirmAdd(h.program);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("网站名称不能为空"));
  EXPECT_EQ(h.messages()[0].flags, 0x10);
  EXPECT_TRUE(NoCaption(h.messages()[0]));
  EXPECT_TRUE(h.BoardsEnabled());
  EXPECT_TRUE(h.w().选择夹1.visible());

  // One blank is a name.
  ASSERT_TRUE(UserType(h.w(), "编辑框_添加_网站名称", Text(" ")));
  ConfirmAdd(h.program);
  EXPECT_EQ(h.messages().back().text, GBK("网站图标不恩那个为空"));
  ASSERT_TRUE(UserType(h.w(), "编辑框_添加_图标", Text("\\i.png")));
  ConfirmAdd(h.program);
  EXPECT_EQ(h.messages().back().text, GBK("网站地址不能为空"));
  ASSERT_TRUE(UserType(h.w(), "编辑框_添加_网址", Text("http://127.0.0.1/")));
  ConfirmAdd(h.program);
  EXPECT_EQ(h.messages().back().text, GBK("请选择分类!!"));
  EXPECT_EQ(h.messages().size(), 4u);
  for (const MessageBoxCall& m : h.messages()) EXPECT_EQ(m.flags, 0x10);
  EXPECT_TRUE(ReadFavorites(h.dir).empty());
  EXPECT_EQ(h.w().编辑框_添加_网站名称.content(), " ");
  EXPECT_FALSE(h.Ended());

  ASSERT_TRUE(UserChoose(h.w(), "组合框_添加_分类", 0));
  ConfirmAdd(h.program);
  ASSERT_EQ(ReadFavorites(h.dir).size(), 1u);
  EXPECT_EQ(ReadFavorites(h.dir)[0].record.siteName, " ");
}

TEST_F(AddPage, NoCategoryTouchesNoFile) {
  // No table at all: an attempt to open it would add "打开数据库失败".
  OpenAddPage(h.program);
  FillAll();
  h.w().组合框_添加_分类.SetSelection(-1);
  ConfirmAdd(h.program);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("请选择分类!!"));
}

TEST_F(AddPage, StoresTheFirstItemAsZeroTheLastAsSixAndTheCommonTick) {
  ASSERT_TRUE(CreateFavoritesTable(h.dir, {Favorite("old")}));
  OpenAddPage(h.program);
  FillAll(6);
  ASSERT_TRUE(UserClick(h.w(), "选择框_添加_常用"));
  ConfirmAdd(h.program);
  std::vector<StoredFavorite> all = ReadFavorites(h.dir);
  ASSERT_EQ(all.size(), 2u);
  const FavoriteRecord& r = all[1].record;
  EXPECT_EQ(r.siteName, GBK("新浪"));
  EXPECT_EQ(r.iconPath, GBK("\\网站图标\\a.png"));
  EXPECT_EQ(r.address, "http://127.0.0.1/a");
  EXPECT_EQ(r.siteAccount, "me");
  EXPECT_EQ(r.sitePassword, "secret");
  EXPECT_EQ(r.category, 6);
  EXPECT_EQ(r.common, 1);
  EXPECT_EQ(r.clickSound, GBK("\\声音\\点击声音\\a.wav"));
  EXPECT_EQ(r.description, GBK("新闻"));

  Harness second;
  ASSERT_TRUE(CreateFavoritesTable(second.dir, {}));
  OpenAddPage(second.program);
  ASSERT_TRUE(UserType(second.w(), "编辑框_添加_网站名称", Text("n")));
  ASSERT_TRUE(UserType(second.w(), "编辑框_添加_图标", Text("\\i")));
  ASSERT_TRUE(UserType(second.w(), "编辑框_添加_网址", Text("a")));
  ASSERT_TRUE(UserChoose(second.w(), "组合框_添加_分类", 0));
  ConfirmAdd(second.program);
  all = ReadFavorites(second.dir);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].record.category, 0);
  EXPECT_EQ(all[0].record.common, 0);
}

TEST_F(AddPage, SuccessIsToldThenThePageClearsAndTheProgramEnds) {
  ASSERT_TRUE(CreateFavoritesTable(h.dir, {}));
  OpenAddPage(h.program);
  FillAll(2);
  bool endedWhenTold = true;
  h.fake.messageBox.onShow = [&](const MessageBoxCall&) { endedWhenTold = h.Ended(); };
  ConfirmAdd(h.program);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("恭喜,添加成功!! 重启程序才能加载新添加的收藏。"));
  EXPECT_EQ(h.messages()[0].caption, GBK("恭喜"));
  EXPECT_EQ(h.messages()[0].flags, 0x40);
  EXPECT_FALSE(endedWhenTold);
  EXPECT_TRUE(h.Ended());
  EXPECT_FALSE(h.w().选择夹1.visible());
  EXPECT_EQ(h.w().编辑框_添加_网站名称.content(), "");
  EXPECT_EQ(h.w().编辑框_添加_描述.content(), GBK("新闻"));
}

TEST_F(AddPage, AMissingTableKeepsThePageAsTyped) {
  OpenAddPage(h.program);
  FillAll(1);
  ConfirmAdd(h.program);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("打开数据库失败"));
  EXPECT_EQ(h.messages()[0].flags, 0x10);
  EXPECT_TRUE(NoCaption(h.messages()[0]));
  EXPECT_FALSE(h.Ended());
  EXPECT_EQ(h.w().编辑框_添加_网站名称.content(), GBK("新浪"));
  EXPECT_EQ(h.w().组合框_添加_分类.selection(), 1);
}

TEST_F(AddPage, AFailedWriteLeavesNoHalfFavoriteAndKeepsThePage) {
  ASSERT_TRUE(CreateFavoritesTable(h.dir, {Favorite("old")}, /*categoryAsText=*/true));
  OpenAddPage(h.program);
  FillAll(3);
  ConfirmAdd(h.program);
  ASSERT_EQ(h.messages().size(), 1u);
  EXPECT_EQ(h.messages()[0].text, GBK("哦,不,添加失败"));
  EXPECT_EQ(h.messages()[0].caption, GBK("错误"));
  EXPECT_EQ(h.messages()[0].flags, 0x10);
  EXPECT_FALSE(h.Ended());
  EXPECT_TRUE(h.w().选择夹1.visible());
  EXPECT_EQ(h.w().编辑框_添加_网址.content(), "http://127.0.0.1/a");
  std::vector<StoredFavorite> all = ReadFavorites(h.dir);
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0].record.siteName, "old");
  EXPECT_FALSE(HasCurrentRecordFile());
}

TEST_F(AddPage, TheDescriptionSurvivesCancelAndReopening) {
  OpenAddPage(h.program);
  FillAll(4);
  CancelAdd(h.program);
  EXPECT_FALSE(h.w().选择夹1.visible());
  EXPECT_TRUE(h.BoardsEnabled());
  OpenAddPage(h.program);
  EXPECT_EQ(h.w().编辑框_添加_描述.content(), GBK("新闻"));
  EXPECT_EQ(h.w().编辑框_添加_网站名称.content(), "");
  EXPECT_EQ(h.w().编辑框_添加_图标.content(), "");
  EXPECT_EQ(h.w().编辑框_添加_密码.content(), "");
  EXPECT_EQ(h.w().组合框_添加_分类.selection(), -1);
  EXPECT_TRUE(h.messages().empty());
}

TEST_F(AddPage, PickersPutThePathBelowTheRunDirectory) {
  OpenAddPage(h.program);
  h.fake.fileDialog.answers.push_back(h.dir.Path("\\网站图标\\a.png"));
  PickAddIcon(h.program);
  EXPECT_EQ(h.w().编辑框_添加_图标.content(), GBK("\\网站图标\\a.png"));
  h.fake.fileDialog.answers.push_back(h.dir.Path("\\声音\\点击声音\\b.wav"));
  PickAddSound(h.program);
  EXPECT_EQ(h.w().编辑框_添加_点击声音.content(), GBK("\\声音\\点击声音\\b.wav"));
  ASSERT_EQ(h.fake.fileDialog.initialDirectories.size(), 2u);
  EXPECT_EQ(h.fake.fileDialog.initialDirectories[0], h.dir.Path("\\网站图标"));
  EXPECT_EQ(h.fake.fileDialog.initialDirectories[1], h.dir.Path("\\声音\\点击声音"));

  PickModifyIcon(h.program);
  PickModifySound(h.program);
  EXPECT_EQ(h.fake.fileDialog.initialDirectories[2], h.dir.Path("\\网站图标"));
  EXPECT_EQ(h.fake.fileDialog.initialDirectories[3], h.dir.Path("\\声音\\点击声音"));
  EXPECT_TRUE(h.messages().empty());
}

TEST_F(AddPage, PickersRefuseFilesOutsideTheRunDirectoryAndCancelChangesNothing) {
  OpenAddPage(h.program);
  h.w().编辑框_添加_图标.SetContent(Text("\\before.png"));
  h.fake.fileDialog.answers.push_back(Text("\\usr\\share\\pixmaps\\debian-logo.png"));
  // A sibling whose name merely begins like the run directory is outside as well.
  h.fake.fileDialog.answers.push_back(h.dir.program() + "x\\a.png");
  h.fake.fileDialog.answers.push_back(std::nullopt);
  PickAddIcon(h.program);
  PickAddIcon(h.program);
  PickAddIcon(h.program);
  EXPECT_EQ(h.w().编辑框_添加_图标.content(), "\\before.png");
  ASSERT_EQ(h.messages().size(), 2u);
  for (const MessageBoxCall& m : h.messages()) {
    EXPECT_EQ(m.text, GBK("请选择程序目录中的文件"));
    EXPECT_EQ(m.flags, 0x10);
    EXPECT_TRUE(NoCaption(m));
  }
  // The modify page's pickers fill their own boxes.
  h.fake.fileDialog.answers.push_back(h.dir.Path("\\网站图标\\m.png"));
  PickModifyIcon(h.program);
  EXPECT_EQ(h.w().编辑框_修改_网站图标.content(), GBK("\\网站图标\\m.png"));
  EXPECT_EQ(h.w().编辑框_添加_图标.content(), "\\before.png");
}

}  // namespace
