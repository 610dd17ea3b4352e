// What the two boards tell a screen reader: the category buttons by their lists' names,
// each tile's icon by the site's name with its address, its account and modify buttons,
// the page buttons and the page label in words; and that pressing a told item does what
// a click does.

#include <gtest/gtest.h>

#include "browser/board_description.h"
#include "browser/browser_harness.h"
#include "ui/board_items.h"

namespace {

std::vector<Text> Names(const std::vector<BoardItem>& items) {
  std::vector<Text> names;
  for (const BoardItem& i : items) names.push_back(i.name);
  return names;
}

TEST(BoardDescription, CategoryButtonsAreNamedByTheirLists) {
  BrowserHarness h("desc_bar");
  h.Start(Favorites(3, 0, 1));
  const std::vector<BoardItem> items = CategoryBarItems(h.program);
  EXPECT_EQ((std::vector<Text>{GBK("常用"), GBK("学习"), GBK("论坛"), GBK("资源"), GBK("影音"), GBK("购物"),
                               GBK("游戏"), GBK("手机")}),
            Names(items));
  for (std::size_t k = 0; k < items.size(); ++k) {
    EXPECT_EQ(h.state().categoryButtons[k], items[k].sprite);
    EXPECT_EQ(BoardItemRole::Button, items[k].role);
  }
}

TEST(BoardDescription, TilesPageButtonsAndLabelOfThePageOnShow) {
  BrowserHarness h("desc_board");
  h.Start(Favorites(37, 0, 1));
  EXPECT_EQ((std::vector<Text>{GBK("首页"), GBK("上一页"), GBK("下一页"), GBK("尾页"), GBK("第0页，共0页")}),
            Names(SiteBoardItems(h.program)))
      << "before the first page: the page controls, the label as it reads";
  SelectCategory(h.program, 0);
  std::vector<BoardItem> items = SiteBoardItems(h.program);
  ASSERT_EQ(30u * 3 + 5, items.size());
  for (int slot = 1; slot <= 30; ++slot) {
    const SiteTile& tile = h.state().tiles[slot - 1];
    const FavoriteRecord& r = h.state().categoryRecords[slot - 1];
    const BoardItem* t = &items[(slot - 1) * 3];
    EXPECT_EQ(tile.iconSprite, t[0].sprite);
    EXPECT_EQ(r.siteName, t[0].name);
    EXPECT_EQ(r.address, t[0].description);
    EXPECT_EQ(tile.accountSprite, t[1].sprite);
    EXPECT_EQ(GBK("帐号：") + r.siteName, t[1].name);
    EXPECT_EQ(tile.modifySprite, t[2].sprite);
    EXPECT_EQ(GBK("修改：") + r.siteName, t[2].name);
  }
  EXPECT_EQ(h.state().pageButtons[3], items[93].sprite);
  EXPECT_EQ(h.state().pageLabel, items[94].sprite);
  EXPECT_EQ(BoardItemRole::Text, items[94].role);
  EXPECT_EQ(GBK("第1页，共2页"), items[94].name);

  // Page 2 tells its own seven favorites, n31 to n37.
  ASSERT_TRUE(h.PressPageButton(3));
  items = SiteBoardItems(h.program);
  ASSERT_EQ(7u * 3 + 5, items.size());
  EXPECT_EQ("n31", items[0].name);
  EXPECT_EQ("n37", items[18].name);
  EXPECT_EQ(GBK("第2页，共2页"), items.back().name);
}

TEST(BoardDescription, TilesWithNoFavoriteBehindThemAreNotTold) {
  BrowserHarness h("desc_empty");
  h.Start(Favorites(4, 0, 1));
  SelectCategory(h.program, 0);
  SelectCategory(h.program, 3);  // an empty list
  EXPECT_EQ((std::vector<Text>{GBK("首页"), GBK("上一页"), GBK("下一页"), GBK("尾页"), GBK("第0页，共0页")}),
            Names(SiteBoardItems(h.program)));
  // Tiles whose favorites the list no longer holds are not read beside the list.
  SelectCategory(h.program, 0);
  h.state().categoryRecords.resize(2);
  ASSERT_EQ(4u, h.state().tiles.size());
  EXPECT_EQ((std::vector<Text>{"n1", GBK("帐号：n1"), GBK("修改：n1"), "n2", GBK("帐号：n2"), GBK("修改：n2"),
                               GBK("首页"), GBK("上一页"), GBK("下一页"), GBK("尾页"), GBK("第1页，共1页")}),
            Names(SiteBoardItems(h.program)));
}

TEST(BoardDescription, ThePageLabelInWords) {
  EXPECT_EQ(GBK("第3页，共12页"), PageLabelWords("12/3"));
  EXPECT_EQ(GBK("第0页，共0页"), PageLabelWords("0/0"));
  EXPECT_EQ("12/", PageLabelWords("12/")) << "not a count and a page: told as it reads";
  EXPECT_EQ("x/1", PageLabelWords("x/1"));
  EXPECT_EQ("123", PageLabelWords("123"));
}

TEST(BoardDescription, PressingAToldItemDoesWhatAClickDoes) {
  BrowserHarness h("desc_press");
  std::vector<FavoriteRecord> records = Favorites(40, 0, 1);
  records[34].category = 2;
  h.Start(records);
  SelectCategory(h.program, 0);
  // The icon of slot 5: its favorite's address goes to the shell.
  std::vector<BoardItem> items = SiteBoardItems(h.program);
  ASSERT_TRUE(PressSprite(h.board(), items[4 * 3].sprite));
  ASSERT_EQ(1u, h.fake.shell.opened.size());
  EXPECT_EQ(records[4].address, h.fake.shell.opened[0]);
  // 尾页 turns to page 2; the icon of its slot 1 opens favorite 31.
  ASSERT_TRUE(PressSprite(h.board(), SiteBoardItems(h.program)[30 * 3 + 3].sprite));
  EXPECT_EQ(2, h.state().currentPage);
  ASSERT_TRUE(PressSprite(h.board(), SiteBoardItems(h.program)[0].sprite));
  EXPECT_EQ(records[30].address, h.fake.shell.opened.back());
  // 资源 lists category 2: the one favorite moved there.
  ASSERT_TRUE(PressSprite(h.bar(), CategoryBarItems(h.program)[3].sprite));
  ASSERT_EQ(1u, h.state().categoryRecords.size());
  EXPECT_EQ(records[34].siteName, SiteBoardItems(h.program)[0].name);
}

}  // namespace
