#include <gtest/gtest.h>

#include "browser/browser_harness.h"
#include "browser/page_turning.h"

namespace {

TEST(SiteBoard, PagesRowsAndLabelsFollowTheListSize) {
  struct Case {
    int records, fullPages, lastPageCount;
    std::vector<int> tilesPerPage;
    std::vector<const char*> labels;
  };
  const Case cases[] = {
      {7, 0, 7, {7}, {"1/1"}},
      {30, 1, 0, {30}, {"1/1"}},
      {31, 1, 1, {30, 1}, {"2/1", "2/2"}},
      {65, 2, 5, {30, 30, 5}, {"3/1", "3/2", "3/3"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.records);
    BrowserHarness h("paging" + std::to_string(c.records));
    h.Start(Favorites(c.records, 0, 1));
    SelectCategory(h.program, 0);
    EXPECT_EQ(h.state().fullPages, c.fullPages);
    EXPECT_EQ(h.state().lastPageCount, c.lastPageCount);
    for (size_t page = 1; page <= c.tilesPerPage.size(); ++page) {
      if (page > 1) {
        ASSERT_TRUE(h.PressPageButton(3));
      }
      EXPECT_EQ(h.state().currentPage, static_cast<int>(page));
      ASSERT_EQ(h.state().tiles.size(), static_cast<size_t>(c.tilesPerPage[page - 1]));
      EXPECT_EQ(h.Label(), c.labels[page - 1]);
      // The first tile of a page shows record (page - 1) * 30 + 1, the last its last.
      EXPECT_EQ(h.NameOnTile(1), "n" + std::to_string((page - 1) * 30 + 1));
      EXPECT_EQ(h.NameOnTile(static_cast<int>(h.state().tiles.size())),
                "n" + std::to_string((page - 1) * 30 + h.state().tiles.size()));
    }
  }
}

TEST(SiteBoard, TilesStandInRowsOfSixAtTheirPositions) {
  BrowserHarness h("positions");
  h.Start(Favorites(31, 0, 1));
  SelectCategory(h.program, 0);
  // Slot 8 is column 1, row 1: x 110, y 80.
  const SiteTile& t = h.state().tiles.at(7);
  EXPECT_EQ(h.SpriteOf(t.iconSprite).x, 110 + 55);
  EXPECT_EQ(h.SpriteOf(t.iconSprite).y, 80 + 25);
  EXPECT_EQ(h.SpriteOf(t.nameSprite).x, 110 + 55);
  EXPECT_EQ(h.SpriteOf(t.nameSprite).y, 80 + 80);
  EXPECT_EQ(h.SpriteOf(t.accountSprite).x, 110 + 110);
  EXPECT_EQ(h.SpriteOf(t.accountSprite).y, 80 + 54);
  EXPECT_EQ(h.SpriteOf(t.modifySprite).x, 110 + 110);
  EXPECT_EQ(h.SpriteOf(t.modifySprite).y, 80 + 25);
  // The last tile of page 1 is column 5, row 4.
  const SiteTile& last = h.state().tiles.at(29);
  EXPECT_EQ(h.SpriteOf(last.iconSprite).x, 550 + 55);
  EXPECT_EQ(h.SpriteOf(last.iconSprite).y, 320 + 25);
  // Page 2's only tile starts again at column 0 of row 0.
  ASSERT_TRUE(h.PressPageButton(4));
  ASSERT_EQ(h.state().tiles.size(), 1u);
  EXPECT_EQ(h.SpriteOf(h.state().tiles[0].iconSprite).x, 55);
  EXPECT_EQ(h.SpriteOf(h.state().tiles[0].iconSprite).y, 25);
  EXPECT_EQ(h.SpriteOf(h.state().tiles[0].accountSprite).picture.width, 20);
  EXPECT_EQ(h.SpriteOf(h.state().tiles[0].modifySprite).picture.height, 16);
}

TEST(SiteBoard, PageControlsStandSeventyApartWithTheLabelBeforeThem) {
  BrowserHarness h("controls");
  h.Start({});
  ASSERT_EQ(h.state().pageButtons.size(), 4u);
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(h.SpriteOf(h.state().pageButtons[k - 1]).x, 320 + 70 * (k - 1));
    EXPECT_EQ(h.SpriteOf(h.state().pageButtons[k - 1]).y, 448);
    EXPECT_EQ(h.SpriteOf(h.state().pageButtons[k - 1]).picture.width, 40);
  }
  EXPECT_EQ(h.SpriteOf(h.state().pageLabel).x, 280);
  EXPECT_EQ(h.SpriteOf(h.state().pageLabel).y, 455);
  EXPECT_EQ(h.Label(), "0/0");  // the template's text until a page is laid out
}

TEST(SiteBoard, IconsAreScaledToTheTemplate) {
  BrowserHarness h("scale");
  h.Start(Favorites(1, 0, 1), {}, 32);
  SelectCategory(h.program, 0);
  const Sprite& icon = h.SpriteOf(h.state().tiles[0].iconSprite);
  EXPECT_EQ(icon.scaleX, 1562);
  EXPECT_EQ(icon.scaleY, 1562);

  // Not square: each direction has its own factor (50 / 40 and 50 / 20).
  FavoriteRecord wide = Favorite("wide", 0, 1);
  h.dir.WriteFile(wide.iconPath, SolidPicture(40, 20));
  h.state().allRecords = {wide};
  SelectCategory(h.program, 0);
  const Sprite& scaled = h.SpriteOf(h.state().tiles[0].iconSprite);
  EXPECT_EQ(scaled.scaleX, 1250);
  EXPECT_EQ(scaled.scaleY, 2500);

  // A missing icon keeps the template's scale and shows nothing.
  FavoriteRecord missing = Favorite("missing", 0, 1);
  missing.iconPath = GBK("\\网站图标\\nothing.png");
  h.state().allRecords = {missing};
  SelectCategory(h.program, 0);
  const Sprite& none = h.SpriteOf(h.state().tiles[0].iconSprite);
  EXPECT_EQ(none.scaleX, 1000);
  EXPECT_TRUE(none.picture.empty());
}

TEST(SiteBoard, CategoriesFilterInFileOrder) {
  BrowserHarness h("filter");
  std::vector<FavoriteRecord> records = {Favorite("both", 3, 1), Favorite("plain5", 3, 0), Favorite("nine", 9, 1),
                                         Favorite("nineOnly", 9, 0), Favorite("zero", 0, 0)};
  h.Start(records);
  auto names = [&] {
    std::vector<Text> n;
    for (const FavoriteRecord& r : h.state().categoryRecords) n.push_back(r.siteName);
    return n;
  };
  SelectCategory(h.program, 0);
  EXPECT_EQ(names(), (std::vector<Text>{"both", "nine"}));
  SelectCategory(h.program, 4);  // button 5: category 3
  EXPECT_EQ(names(), (std::vector<Text>{"both", "plain5"}));
  SelectCategory(h.program, 1);  // button 2: category 0
  EXPECT_EQ(names(), (std::vector<Text>{"zero"}));
  for (int button = 1; button <= 7; ++button) {
    SelectCategory(h.program, button);
    for (const FavoriteRecord& r : h.state().categoryRecords) EXPECT_NE(r.category, 9);
  }
  // A number outside 0 to 7 changes nothing.
  SelectCategory(h.program, 0);
  SelectCategory(h.program, 8);
  SelectCategory(h.program, -1);
  EXPECT_EQ(names(), (std::vector<Text>{"both", "nine"}));
}

TEST(SiteBoard, AnEmptyCategoryClearsTheBoard) {
  BrowserHarness h("empty");
  h.Start(Favorites(7, 0, 1));
  SelectCategory(h.program, 0);
  ASSERT_EQ(h.state().tiles.size(), 7u);
  std::vector<int> before;
  for (const SiteTile& t : h.state().tiles) before.push_back(t.iconSprite);

  SelectCategory(h.program, 6);  // nothing in category 5
  EXPECT_TRUE(h.state().tiles.empty());
  for (int id : before) EXPECT_EQ(h.board().Find(id), nullptr);
  EXPECT_EQ(h.Label(), "0/0");
  // The page buttons only sound.
  h.state().protection.soundOn = 1;
  for (int k = 1; k <= 4; ++k) ASSERT_TRUE(h.PressPageButton(k));
  EXPECT_TRUE(h.state().tiles.empty());
  EXPECT_EQ(h.Label(), "0/0");
  EXPECT_EQ(h.SoundsPlayed(), std::vector<Text>(4, h.Run("\\声音\\翻页.wav")));
  // No tile of the old list is left to press.
  EXPECT_EQ(h.board().sprites.size(), 5u);
}

TEST(SiteBoard, NoCommonRecordsLeaveTheLabelAtZero) {
  BrowserHarness h("nocommon");
  h.Start(Favorites(3, 2, 0));
  SelectCategory(h.program, 0);
  EXPECT_TRUE(h.state().tiles.empty());
  EXPECT_EQ(h.Label(), "0/0");
  SelectCategory(h.program, 3);
  EXPECT_EQ(h.state().tiles.size(), 3u);
  EXPECT_EQ(h.Label(), "1/1");
}

TEST(PageTurning, PreviousOnPageOneRebuildsItAndLastOnTheLastOnlySounds) {
  BrowserHarness h("turning");
  h.Start(Favorites(65, 0, 1), {"", 0, 1});
  SelectCategory(h.program, 0);
  const int firstIcon = h.state().tiles[0].iconSprite;

  ASSERT_TRUE(h.PressPageButton(2));  // previous on page 1
  EXPECT_EQ(h.state().currentPage, 1);
  EXPECT_NE(h.state().tiles[0].iconSprite, firstIcon) << "page 1 was not rebuilt";
  EXPECT_EQ(h.board().Find(firstIcon), nullptr);

  ASSERT_TRUE(h.PressPageButton(4));  // last
  EXPECT_EQ(h.state().currentPage, 3);
  EXPECT_EQ(h.Label(), "3/3");
  const int lastPageIcon = h.state().tiles[0].iconSprite;
  const size_t spritesOnLast = h.board().sprites.size();
  h.fake.sound.played.clear();
  ASSERT_TRUE(h.PressPageButton(4));  // last again
  ASSERT_TRUE(h.PressPageButton(3));  // next on the last page
  EXPECT_EQ(h.state().tiles[0].iconSprite, lastPageIcon) << "the last page was rebuilt";
  EXPECT_EQ(h.board().sprites.size(), spritesOnLast);
  EXPECT_EQ(h.SoundsPlayed(), std::vector<Text>(2, h.Run("\\声音\\翻页.wav")));

  ASSERT_TRUE(h.PressPageButton(2));  // previous on page 3 shows page 2
  EXPECT_EQ(h.state().currentPage, 2);
  EXPECT_EQ(h.NameOnTile(1), "n31");
  ASSERT_TRUE(h.PressPageButton(1));
  EXPECT_EQ(h.state().currentPage, 1);
  EXPECT_EQ(h.Label(), "3/1");
}

TEST(PageTurning, ThePageSoundNeedsSoundExactlyOn) {
  for (int soundOn : {0, 2, -1}) {
    BrowserHarness h("turnsilent" + std::to_string(soundOn + 1));
    h.Start(Favorites(40, 0, 1), {"", 0, soundOn});
    SelectCategory(h.program, 0);
    ASSERT_TRUE(h.PressPageButton(3));
    EXPECT_EQ(h.state().currentPage, 2);
    EXPECT_TRUE(h.fake.sound.played.empty()) << soundOn;
  }
}

TEST(TilePressed, StepsRunInOrderAndThePageTurnComesBeforeTheModifyStep) {
  BrowserHarness h("dispatch");
  h.Start(Favorites(31, 0, 1));
  SelectCategory(h.program, 0);
  ASSERT_TRUE(h.PressPageButton(3));
  // The modify step saw the tiles of the new page (one tile), for every press.
  ASSERT_EQ(BrowserHarness::modifySteps().size(), 1u);
  EXPECT_EQ(BrowserHarness::modifySteps()[0].tiles, 1u);
  ASSERT_TRUE(UserPressBoardAt(h.w(), "动画框1", 740, 10));  // the background
  ASSERT_EQ(BrowserHarness::modifySteps().size(), 2u);
  EXPECT_EQ(BrowserHarness::modifySteps()[1].sprite, 0);
  EXPECT_TRUE(h.fake.shell.opened.empty());
}

TEST(TileEntered, SetsTheSlotForAnyOfTheFourSpritesAndKeepsItAcrossPages) {
  BrowserHarness h("hovered");
  h.Start(Favorites(31, 0, 1));
  SelectCategory(h.program, 0);
  // Names are texts, drawn only with a rasterizer: the event comes straight in.
  TileEntered(h.program, h.state().tiles[8].nameSprite, 0);
  EXPECT_EQ(h.state().hoveredTile, 9);
  ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框1", h.state().tiles[3].modifySprite));
  EXPECT_EQ(h.state().hoveredTile, 4);
  ASSERT_TRUE(UserMoveOntoSprite(h.w(), "动画框1", h.state().pageButtons[2]));
  EXPECT_EQ(h.state().hoveredTile, 4);
  ASSERT_TRUE(h.PressPageButton(3));
  EXPECT_EQ(h.state().hoveredTile, 4);
}

TEST(ListAccess, AnElementOutsideTheListIsAFatalError) {
  BrowserHarness h("fatal");
  h.Start(Favorites(2, 0, 1));
  SelectCategory(h.program, 0);
  h.state().hoveredTile = 3;  // a slot with no record behind it
  try {
    HoveredRecord(h.state());
    FAIL() << "no fatal error";
  } catch (const FatalErrorSeen& seen) {
    EXPECT_NE(seen.message.find(GBK("运行时出错!")), Text::npos);
  }
  h.state().hoveredTile = 2;
  EXPECT_EQ(HoveredRecord(h.state()).siteName, "n2");
}

}  // namespace
