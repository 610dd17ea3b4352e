// The editor as a user meets it, headless, through the real bindings and start-up: the
// add page, the modify sprite behind the manager login gate, the modify and delete
// page, and the whole cycle across restarts. The files are checked through the engine.

#include <gtest/gtest.h>

#include <memory>

#include "app/headless_program.h"
#include "browser/fixture_run_directory.h"
#include "storage/edit_tables_fixture.h"

namespace {

using edit_fixture::ReadFavoritesIn;
using edit_fixture::SameFavorite;
using edit_fixture::StoredFavorite;

struct Scenario {
  explicit Scenario(const std::string& name) : dir(name) { WriteSkin(dir); }

  // Tables written, then the program started: page 1 of the common list on the board.
  void Start(const std::vector<FavoriteRecord>& records, const Text& password = Text(), int check = 0,
             int sound = 1) {
    ASSERT_TRUE(dir.WriteFavorites(records));
    WriteIcons(dir, records);
    ASSERT_TRUE(dir.WriteSettings(password, check, sound));
    Restart();
  }
  void Restart() {
    run.reset();
    run = std::make_unique<HeadlessProgram>(dir.runDirectory());
    run->Start();
  }
  MainWindow& w() { return run->main(); }
  AppState& state() { return run->program.state; }
  const std::vector<MessageBoxCall>& messages() { return run->messages(); }
  std::vector<StoredFavorite> Stored() { return ReadFavoritesIn(dir.runDirectory()); }

  // The pointer goes onto slot `slot`'s modify sprite and presses it.
  bool PressModify(int slot) {
    const int sprite = state().tiles.at(slot - 1).modifySprite;
    return UserMoveOntoSprite(w(), "动画框1", sprite) && UserPressSprite(w(), "动画框1", sprite);
  }
  bool PressCategory(int button) {
    return UserPressSprite(w(), "动画框_分类", state().categoryButtons.at(button));
  }
  bool TypeAdd(const char* box, const Text& text) { return UserType(w(), box, text); }

  FixtureRunDirectory dir;
  std::unique_ptr<HeadlessProgram> run;
};

TEST(EditorScenario, AddingStoresTheNewFavoriteLastAndEndsTheProgram) {
  Scenario s("edit_add");
  s.Start({Favorite("old", 1, 1)});
  ASSERT_TRUE(UserClick(s.w(), "图形按钮_添加"));
  ASSERT_TRUE(s.w().选择夹1.visible());
  EXPECT_FALSE(UserPressSprite(s.w(), "动画框1", s.state().tiles.at(0).iconSprite)) << "boards are off";

  // Nothing typed: only the name is asked for.
  ASSERT_TRUE(UserClick(s.w(), "按钮_添加_确认添加"));
  ASSERT_EQ(s.messages().size(), 1u);
  EXPECT_EQ(s.messages()[0].text, GBK("网站名称不能为空"));

  ASSERT_TRUE(s.TypeAdd("编辑框_添加_网站名称", GBK("百度")));
  s.run->fake.fileDialog.answers.push_back(s.dir.runDirectory() + GBK("\\网站图标\\old.png"));
  ASSERT_TRUE(UserClick(s.w(), "按钮_添加_选择图片"));
  EXPECT_EQ(s.w().编辑框_添加_图标.content(), GBK("\\网站图标\\old.png"));
  s.run->fake.fileDialog.answers.push_back(s.dir.runDirectory() + GBK("\\声音\\点击声音\\x.wav"));
  ASSERT_TRUE(UserClick(s.w(), "按钮_添加_选择声音"));
  ASSERT_TRUE(s.TypeAdd("编辑框_添加_网址", Text("http://127.0.0.1/baidu")));
  ASSERT_TRUE(s.TypeAdd("编辑框_添加_描述", GBK("搜索")));
  ASSERT_TRUE(UserClick(s.w(), "按钮_添加_确认添加"));
  EXPECT_EQ(s.messages().back().text, GBK("请选择分类!!"));
  ASSERT_TRUE(UserChoose(s.w(), "组合框_添加_分类", 6));
  ASSERT_TRUE(UserClick(s.w(), "选择框_添加_常用"));
  ASSERT_TRUE(UserClick(s.w(), "按钮_添加_确认添加"));

  ASSERT_EQ(s.messages().size(), 3u);
  EXPECT_EQ(s.messages()[2].text, GBK("恭喜,添加成功!! 重启程序才能加载新添加的收藏。"));
  EXPECT_EQ(s.messages()[2].caption, GBK("恭喜"));
  EXPECT_TRUE(s.run->Ended());
  std::vector<StoredFavorite> all = s.Stored();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].record.siteName, "old");
  const FavoriteRecord& r = all[1].record;
  EXPECT_EQ(r.siteName, GBK("百度"));
  EXPECT_EQ(r.iconPath, GBK("\\网站图标\\old.png"));
  EXPECT_EQ(r.clickSound, GBK("\\声音\\点击声音\\x.wav"));
  EXPECT_EQ(r.address, "http://127.0.0.1/baidu");
  EXPECT_EQ(r.category, 6);
  EXPECT_EQ(r.common, 1);
  EXPECT_EQ(r.description, GBK("搜索"));
  EXPECT_EQ(r.siteAccount, "");
}

TEST(EditorScenario, TheDescriptionSurvivesCancelAndReopening) {
  Scenario s("edit_cancel");
  s.Start({Favorite("a", 0, 1)});
  ASSERT_TRUE(UserClick(s.w(), "图形按钮_添加"));
  ASSERT_TRUE(s.TypeAdd("编辑框_添加_网站名称", Text("n")));
  ASSERT_TRUE(s.TypeAdd("编辑框_添加_描述", Text("words")));
  ASSERT_TRUE(UserChoose(s.w(), "组合框_添加_分类", 2));
  ASSERT_TRUE(UserClick(s.w(), "按钮_添加_取消添加"));
  EXPECT_FALSE(s.w().选择夹1.visible());
  ASSERT_TRUE(UserPressSprite(s.w(), "动画框1", s.state().tiles.at(0).iconSprite)) << "boards on again";
  ASSERT_TRUE(UserClick(s.w(), "图形按钮_添加"));
  EXPECT_EQ(s.w().编辑框_添加_描述.content(), "words");
  EXPECT_EQ(s.w().编辑框_添加_网站名称.content(), "");
  EXPECT_EQ(s.w().组合框_添加_分类.selection(), -1);
  // The press on the board hid the add page's title for the rest of the run.
  EXPECT_FALSE(s.w().标签_添加_添加网址收藏.visible());
  EXPECT_EQ(s.Stored().size(), 1u);
}

TEST(EditorScenario, Tile5OnPage3OpensElement65) {
  Scenario s("edit_gate_65");
  std::vector<FavoriteRecord> records;
  for (int i = 1; i <= 70; ++i) records.push_back(Favorite("s" + std::to_string(i), 0, 1));
  s.Start(records);
  for (int turn = 0; turn < 2; ++turn)
    ASSERT_TRUE(UserPressSprite(s.w(), "动画框1", s.state().pageButtons.at(2)));
  ASSERT_EQ(s.state().currentPage, 3);
  ASSERT_TRUE(s.PressModify(5));
  EXPECT_EQ(s.w().编辑框_修改_记录号.content(), "s65");
  EXPECT_EQ(s.w().编辑框_修改_网站名称.content(), "s65");
}

TEST(EditorScenario, DeletingTwinsRemovesTheFirstAfterTheQuestionAndEnds) {
  Scenario s("edit_delete");
  FavoriteRecord first = Favorite("twin", 1, 1), second = Favorite("twin", 2, 1);
  s.Start({first, second, Favorite("other", 0, 1)});
  ASSERT_TRUE(s.PressModify(2));
  s.run->fake.messageBox.answers.push_back(kMbCancel);
  ASSERT_TRUE(UserClick(s.w(), "按钮_修改_删除"));
  EXPECT_EQ(s.Stored().size(), 3u);
  EXPECT_TRUE(s.w().选择夹1.visible());
  ASSERT_TRUE(UserClick(s.w(), "按钮_修改_删除"));
  ASSERT_EQ(s.messages().size(), 4u);
  EXPECT_EQ(s.messages()[1].text, GBK("你确认删除此收藏?"));
  EXPECT_EQ(s.messages()[2].text, GBK("修改成功"));
  EXPECT_EQ(s.messages()[3].text, GBK("请选[确认]重新打开收藏夹"));
  EXPECT_TRUE(s.run->Ended());
  std::vector<StoredFavorite> all = s.Stored();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_TRUE(SameFavorite(all[0].record, second));
  EXPECT_EQ(all[1].record.siteName, "other");
}

TEST(EditorScenario, AddRestartFindModifyRestartDelete) {
  Scenario s("edit_cycle");
  s.Start({Favorite("keep", 0, 1)});
  ASSERT_TRUE(UserClick(s.w(), "图形按钮_添加"));
  ASSERT_TRUE(s.TypeAdd("编辑框_添加_网站名称", GBK("新站")));
  ASSERT_TRUE(s.TypeAdd("编辑框_添加_图标", GBK("\\网站图标\\keep.png")));
  ASSERT_TRUE(s.TypeAdd("编辑框_添加_网址", Text("http://127.0.0.1/new")));
  ASSERT_TRUE(UserChoose(s.w(), "组合框_添加_分类", 4));
  ASSERT_TRUE(UserClick(s.w(), "按钮_添加_确认添加"));
  ASSERT_TRUE(s.run->Ended());

  s.Restart();
  ASSERT_TRUE(s.PressCategory(5));  // category button 6 shows category 4
  ASSERT_EQ(s.state().categoryRecords.size(), 1u);
  EXPECT_EQ(s.state().categoryRecords[0].siteName, GBK("新站"));
  ASSERT_TRUE(s.PressModify(1));
  ASSERT_TRUE(UserType(s.w(), "编辑框_修改_网址", Text("http://127.0.0.1/changed")));
  ASSERT_TRUE(UserClick(s.w(), "按钮_修改_确认修改"));
  ASSERT_TRUE(s.run->Ended());

  s.Restart();
  ASSERT_TRUE(s.PressCategory(5));
  ASSERT_EQ(s.state().categoryRecords.size(), 1u);
  EXPECT_EQ(s.state().categoryRecords[0].address, "http://127.0.0.1/changed");
  ASSERT_TRUE(s.PressModify(1));
  ASSERT_TRUE(UserClick(s.w(), "按钮_修改_删除"));
  ASSERT_TRUE(s.run->Ended());

  s.Restart();
  ASSERT_EQ(s.state().allRecords.size(), 1u);
  EXPECT_EQ(s.state().allRecords[0].siteName, "keep");
}

}  // namespace
