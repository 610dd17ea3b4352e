#include <gtest/gtest.h>

#include "browser/board_keys.h"
#include "browser/browser_harness.h"
#include "browser/find_by_typing.h"
#include "browser/page_turning.h"
#include "browser/tile_light.h"
#include "ui/balloon_tip.h"

namespace {

BoardKey Key(BoardKeyCode code) { return BoardKey{code, 0, {}}; }
BoardKey Typed(const char* utf8) { return BoardKey{BoardKeyCode::kText, 0, Utf8ToGbk(utf8)}; }
BoardKey CtrlDigit(int d) { return BoardKey{BoardKeyCode::kCtrlDigit, d, {}}; }

// The harness with the keys and the pointer's moves bound as the program binds them.
struct KeysHarness : BrowserHarness {
  explicit KeysHarness(const std::string& name) : BrowserHarness(name) {
    Program& p = program;
    board().events.keyPressed = [&p](const BoardKey& k) { return BoardKeyPressed(p, k); };
    board().events.pointerMoved = [&p](int x, int y, int pressed) { BoardPointerMoved(p, x, y, pressed); };
    w().选择夹1.SetVisible(false);  // as start-up leaves the editor panel
  }
  bool Press(const BoardKey& k) { return board().KeyPressed(k); }
  void TypeEach(const char* ascii) {
    for (const char* c = ascii; *c; ++c) Press(BoardKey{BoardKeyCode::kText, 0, Text(1, *c)});
  }
  std::vector<Text> Opened() { return fake.shell.opened; }
  Text TypedOnBoard() {
    const int id = state().keyboard.typedSprite;
    return id ? SpriteOf(id).text : Text();
  }
  // Whether the icon of `slot` shows the hover picture (it is 1 x 1 in the fixture's skin
  // only if written; compare the picture against the tile's own icon instead).
  bool ShowsOwnIcon(int slot) {
    const Sprite& s = SpriteOf(state().tiles.at(slot - 1).iconSprite);
    return s.picture.width == 32;
  }
};

// Common favorites c1..c40, then 百度, 淘宝网, QQ空间 in category 3, 中国银行 in category 6.
std::vector<FavoriteRecord> Mixed() {
  std::vector<FavoriteRecord> r = Favorites(40, 0, 1, "c");
  r.push_back(Favorite(GBK("百度"), 3, 0));
  r.push_back(Favorite(GBK("淘宝网"), 3, 0));
  r.push_back(Favorite(GBK("QQ空间"), 3, 0));
  r.push_back(Favorite(GBK("中国银行"), 6, 0));
  r.back().address = "http://www.boc.cn/";
  return r;
}

TEST(FindByTyping, FindsInEveryCategoryAndOpensTheFirstWithItsSound) {
  KeysHarness h("find");
  h.Start(Mixed(), ProtectionSettings{"", 0, 1});
  SelectCategory(h.program, 0);
  h.TypeEach("bd");
  ASSERT_EQ(h.state().tiles.size(), 1u);
  EXPECT_EQ(h.NameOnTile(1), GBK("百度"));
  EXPECT_EQ(h.TypedOnBoard(), GBK("查找：bd"));
  EXPECT_EQ(h.Label(), "1/1");
  EXPECT_TRUE(h.Press(Key(BoardKeyCode::kReturn)));
  ASSERT_EQ(h.Opened().size(), 1u);
  EXPECT_EQ(h.Opened()[0], Text("http://") + GBK("百度") + ".example/");
  // Opened as a click on the icon: the click sound plays, the modify step heard the press.
  ASSERT_FALSE(h.SoundsPlayed().empty());
  EXPECT_EQ(h.SoundsPlayed().back(), h.Run("\\声音\\点击声音\\百度.wav"));
  ASSERT_EQ(BrowserHarness::modifySteps().size(), 1u);
  EXPECT_EQ(BrowserHarness::modifySteps()[0].sprite, h.state().tiles[0].iconSprite);
}

TEST(FindByTyping, MatchesShowInFileOrderAsPages) {
  KeysHarness h("pages");
  std::vector<FavoriteRecord> r = Favorites(70, 2, 0, "x");
  for (int i = 1; i <= 70; i += 2) r[i - 1].category = 5;  // spread over two categories
  h.Start(r);
  SelectCategory(h.program, 3);  // category 2: the even ones
  h.TypeEach("X");  // every one, whatever its category
  EXPECT_EQ(h.state().categoryRecords.size(), 70u);
  EXPECT_EQ(h.state().tiles.size(), 30u);
  EXPECT_EQ(h.Label(), "3/1");
  EXPECT_EQ(h.NameOnTile(1), "x1");
  EXPECT_EQ(h.NameOnTile(2), "x2");
  h.Press(Key(BoardKeyCode::kEnd));
  EXPECT_EQ(h.Label(), "3/3");
  ASSERT_EQ(h.state().tiles.size(), 10u);
  EXPECT_EQ(h.NameOnTile(10), "x70");
  // Turned with the pointer, nothing lit: Return still opens the first favorite found.
  ASSERT_TRUE(h.PressPageButton(2));
  EXPECT_EQ(LitSlot(h.state()), 0);
  h.Press(Key(BoardKeyCode::kReturn));
  EXPECT_EQ(h.Label(), "3/1");
  ASSERT_EQ(h.Opened().size(), 1u);
  EXPECT_EQ(h.Opened()[0], "http://x1.example/");
  h.Press(Key(BoardKeyCode::kEnd));
  h.TypeEach("7");  // "x7": x7 and x70
  EXPECT_EQ(h.state().categoryRecords.size(), 2u);
  h.Press(Key(BoardKeyCode::kEscape));
  EXPECT_EQ(h.state().categoryRecords.size(), 35u);  // category 2 again
  h.TypeEach("7");
  std::vector<Text> names;
  for (const FavoriteRecord& f : h.state().categoryRecords) names.push_back(f.siteName);
  const std::vector<Text> expected = {"x7", "x17", "x27", "x37", "x47", "x57", "x67", "x70"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(h.state().currentPage, 1);
}

TEST(FindByTyping, EscapeOrTheLastBackspaceGivesTheBoardBack) {
  KeysHarness h("restore");
  h.Start(Mixed());
  SelectCategory(h.program, 0);
  h.PressPageButton(3);
  ASSERT_EQ(h.Label(), "2/2");
  h.TypeEach("tbw");
  EXPECT_EQ(h.NameOnTile(1), GBK("淘宝网"));
  EXPECT_TRUE(h.Press(Key(BoardKeyCode::kBackspace)));
  EXPECT_EQ(h.TypedOnBoard(), GBK("查找：tb"));
  EXPECT_EQ(h.NameOnTile(1), GBK("淘宝网"));
  EXPECT_TRUE(h.Press(Key(BoardKeyCode::kEscape)));
  EXPECT_EQ(h.Label(), "2/2");
  EXPECT_EQ(h.NameOnTile(1), "c31");
  EXPECT_EQ(h.state().categoryRecords.size(), 40u);
  EXPECT_EQ(h.state().keyboard.typedSprite, 0);
  EXPECT_EQ(h.board().Find(h.state().keyboard.typedSprite), nullptr);
  EXPECT_FALSE(h.Press(Key(BoardKeyCode::kEscape)));  // nothing left to end

  h.TypeEach("qq");
  EXPECT_EQ(h.NameOnTile(1), GBK("QQ空间"));
  h.Press(Key(BoardKeyCode::kBackspace));
  EXPECT_EQ(h.state().tiles.size(), 1u);
  h.Press(Key(BoardKeyCode::kBackspace));
  EXPECT_EQ(h.Label(), "2/2");
  EXPECT_EQ(h.NameOnTile(1), "c31");
  EXPECT_FALSE(h.Press(Key(BoardKeyCode::kBackspace)));
}

TEST(FindByTyping, ChineseTypedTextIsErasedACharacterAtATime) {
  KeysHarness h("chinese");
  h.Start(Mixed());
  SelectCategory(h.program, 0);
  h.Press(Typed("银行"));
  EXPECT_EQ(h.NameOnTile(1), GBK("中国银行"));
  h.Press(Key(BoardKeyCode::kBackspace));
  EXPECT_EQ(h.TypedOnBoard(), GBK("查找：银"));
  EXPECT_EQ(h.NameOnTile(1), GBK("中国银行"));
}

TEST(FindByTyping, NothingFoundShowsAnEmptyBoardAndReturnOpensNothing) {
  KeysHarness h("nothing");
  h.Start(Mixed());
  SelectCategory(h.program, 0);
  h.TypeEach("zzzq");
  EXPECT_TRUE(h.state().tiles.empty());
  EXPECT_EQ(h.Label(), "0/0");
  EXPECT_EQ(h.TypedOnBoard(), GBK("查找：zzzq"));
  h.Press(Key(BoardKeyCode::kReturn));
  h.Press(Key(BoardKeyCode::kDown));
  h.Press(Key(BoardKeyCode::kReturn));
  h.Press(Key(BoardKeyCode::kPageDown));
  h.Press(Key(BoardKeyCode::kReturn));
  EXPECT_TRUE(h.Opened().empty());
  h.Press(Key(BoardKeyCode::kEscape));
  EXPECT_EQ(h.Label(), "2/1");
}

TEST(FindByTyping, AChosenCategoryEndsTheSearchWithoutGivingBack) {
  KeysHarness h("category");
  h.Start(Mixed());
  SelectCategory(h.program, 0);
  h.TypeEach("bd");
  ASSERT_TRUE(h.PressCategory(5));  // category 3
  EXPECT_EQ(h.state().categoryRecords.size(), 3u);
  EXPECT_EQ(h.state().keyboard.typedSprite, 0);
  EXPECT_FALSE(Searching(h.state()));
  EXPECT_FALSE(h.Press(Key(BoardKeyCode::kEscape)));
  EXPECT_EQ(h.state().categoryRecords.size(), 3u);
}

TEST(FindByTyping, ALoneSpaceStartsNothingAndTheTextHasALimit) {
  KeysHarness h("limits");
  h.Start(Mixed());
  SelectCategory(h.program, 0);
  EXPECT_FALSE(h.Press(Typed(" ")));
  EXPECT_FALSE(Searching(h.state()));
  const std::string full(kMostTypedBytes, 'c');
  EXPECT_TRUE(h.Press(Typed(full.c_str())));
  EXPECT_FALSE(h.Press(Typed("c")));
  EXPECT_EQ(h.state().keyboard.typed, full);
}

TEST(BoardKeys, ArrowsLightTilesAndReturnOpensTheLitOne) {
  KeysHarness h("arrows");
  h.Start(Mixed(), ProtectionSettings{"", 0, 1});
  SelectCategory(h.program, 0);
  EXPECT_FALSE(h.Press(Key(BoardKeyCode::kReturn)));  // nothing lit, no search
  h.Press(Key(BoardKeyCode::kRight));
  EXPECT_EQ(LitSlot(h.state()), 1);
  EXPECT_FALSE(h.ShowsOwnIcon(1));  // the hover picture
  // The tip shows the description where the pointer would be on the icon.
  BalloonTipModel& tip = h.w().气球提示框1.model;
  BalloonView view = BalloonTick(tip, tip.showAtMs);
  EXPECT_TRUE(view.visible);
  EXPECT_EQ(view.text, "about c1");
  const Sprite& first = h.SpriteOf(h.state().tiles[0].iconSprite);
  EXPECT_EQ(view.layout.tipX, h.w().left() + h.w().动画框1.left() + static_cast<int>(first.x) + 15);
  EXPECT_EQ(view.layout.tipY, h.w().top() + h.w().动画框1.top() + static_cast<int>(first.y) + 15);
  h.Press(Key(BoardKeyCode::kRight));
  EXPECT_EQ(LitSlot(h.state()), 2);
  EXPECT_TRUE(h.ShowsOwnIcon(1));
  EXPECT_EQ(BalloonTick(tip, tip.showAtMs).text, "about c2");
  h.Press(Key(BoardKeyCode::kDown));
  EXPECT_EQ(LitSlot(h.state()), 8);
  h.Press(Key(BoardKeyCode::kUp));
  h.Press(Key(BoardKeyCode::kUp));  // top row: stays
  EXPECT_EQ(LitSlot(h.state()), 2);
  h.Press(Key(BoardKeyCode::kLeft));
  h.Press(Key(BoardKeyCode::kLeft));
  EXPECT_EQ(LitSlot(h.state()), 1);
  for (int i = 0; i < 40; ++i) h.Press(Key(BoardKeyCode::kRight));
  EXPECT_EQ(LitSlot(h.state()), 30);
  h.Press(Key(BoardKeyCode::kDown));
  EXPECT_EQ(LitSlot(h.state()), 30);
  h.Press(Key(BoardKeyCode::kReturn));
  ASSERT_EQ(h.Opened().size(), 1u);
  EXPECT_EQ(h.Opened()[0], "http://c30.example/");
  EXPECT_EQ(h.SoundsPlayed().back(), h.Run("\\声音\\点击声音\\c30.wav"));
}

TEST(BoardKeys, DownAtTheShortLastRowStays) {
  KeysHarness h("short");
  h.Start(Favorites(8, 0, 1));
  SelectCategory(h.program, 0);
  h.Press(Key(BoardKeyCode::kDown));  // lights 1
  h.Press(Key(BoardKeyCode::kRight));
  h.Press(Key(BoardKeyCode::kRight));
  h.Press(Key(BoardKeyCode::kDown));  // 3 + 6 = 9: no such tile
  EXPECT_EQ(LitSlot(h.state()), 3);
  h.Press(Key(BoardKeyCode::kLeft));
  h.Press(Key(BoardKeyCode::kDown));
  EXPECT_EQ(LitSlot(h.state()), 8);
}

TEST(BoardKeys, PageKeysTurnAsTheButtonsDoAndLightTheFirstTile) {
  KeysHarness h("pagekeys");
  h.Start(Favorites(65, 0, 1), ProtectionSettings{"", 0, 1});
  SelectCategory(h.program, 0);
  h.Press(Key(BoardKeyCode::kPageDown));
  EXPECT_EQ(h.Label(), "3/2");
  EXPECT_EQ(LitSlot(h.state()), 1);
  EXPECT_EQ(h.SoundsPlayed().back(), h.Run("\\声音\\翻页.wav"));
  h.Press(Key(BoardKeyCode::kReturn));
  ASSERT_EQ(h.Opened().size(), 1u);
  EXPECT_EQ(h.Opened()[0], "http://n31.example/");
  h.Press(Key(BoardKeyCode::kEnd));
  EXPECT_EQ(h.Label(), "3/3");
  h.Press(Key(BoardKeyCode::kRight));
  EXPECT_EQ(LitSlot(h.state()), 2);
  h.Press(Key(BoardKeyCode::kPageUp));
  EXPECT_EQ(h.Label(), "3/2");
  EXPECT_EQ(LitSlot(h.state()), 1);
  h.Press(Key(BoardKeyCode::kHome));
  EXPECT_EQ(h.Label(), "3/1");
  h.Press(Key(BoardKeyCode::kPageUp));  // on page 1: page 1 again, as 上一页
  EXPECT_EQ(h.Label(), "3/1");
  EXPECT_EQ(LitSlot(h.state()), 1);
}

TEST(BoardKeys, CtrlDigitsPressTheCategoryButtonsAndLeaveNothingLit) {
  KeysHarness h("ctrl");
  h.Start(Mixed());
  SelectCategory(h.program, 0);
  h.Press(Key(BoardKeyCode::kRight));
  h.Press(Key(BoardKeyCode::kRight));
  EXPECT_TRUE(h.Press(CtrlDigit(5)));  // category 3
  EXPECT_EQ(h.state().categoryRecords.size(), 3u);
  EXPECT_EQ(LitSlot(h.state()), 0);
  h.Press(Key(BoardKeyCode::kRight));
  EXPECT_EQ(LitSlot(h.state()), 1);
  h.Press(Key(BoardKeyCode::kRight));
  h.Press(Key(BoardKeyCode::kReturn));
  ASSERT_EQ(h.Opened().size(), 1u);
  EXPECT_EQ(h.Opened()[0], Text("http://") + GBK("淘宝网") + ".example/");
  EXPECT_TRUE(h.Press(CtrlDigit(8)));  // category 6: 中国银行 only
  EXPECT_EQ(h.NameOnTile(1), GBK("中国银行"));
  EXPECT_FALSE(h.Press(CtrlDigit(9)));
  EXPECT_FALSE(h.Press(CtrlDigit(0)));
}

TEST(BoardKeys, ThePointerTakesTheLightOver) {
  KeysHarness h("pointer");
  h.Start(Mixed());
  SelectCategory(h.program, 0);
  h.Press(Key(BoardKeyCode::kRight));
  h.Press(Key(BoardKeyCode::kRight));
  ASSERT_EQ(LitSlot(h.state()), 2);
  // Onto tile 3's icon: its own light, and tile 2 shows its icon again.
  const Sprite& third = h.SpriteOf(h.state().tiles[2].iconSprite);
  h.board().PointerMove(static_cast<int>(third.x) + 5, static_cast<int>(third.y) + 5, false);
  EXPECT_EQ(LitSlot(h.state()), 0);
  EXPECT_TRUE(h.ShowsOwnIcon(2));
  EXPECT_FALSE(h.ShowsOwnIcon(3));
  EXPECT_EQ(h.state().hoveredTile, 3);
  // The keys take it back: the pointer's tile gives its light up through its leave step.
  h.Press(Key(BoardKeyCode::kDown));
  EXPECT_EQ(LitSlot(h.state()), 1);
  EXPECT_TRUE(h.ShowsOwnIcon(3));
  EXPECT_FALSE(h.ShowsOwnIcon(1));
  EXPECT_EQ(h.board().hovered, 0);
}

TEST(BoardKeys, NothingWhileAPanelOrAWindowIsOpen) {
  KeysHarness h("panel");
  h.Start(Mixed());
  SelectCategory(h.program, 0);
  h.w().选择夹1.SetVisible(true);  // the editor panel
  EXPECT_FALSE(h.Press(Typed("b")));
  EXPECT_FALSE(h.Press(Key(BoardKeyCode::kRight)));
  h.w().选择夹1.SetVisible(false);
  h.w().动画框1.SetDisabled(true);  // the account viewer
  EXPECT_FALSE(h.Press(Typed("b")));
  h.w().动画框1.SetDisabled(false);
  h.w().modalBlocks = 1;  // a message box
  EXPECT_FALSE(h.Press(Key(BoardKeyCode::kPageDown)));
  EXPECT_FALSE(h.Press(CtrlDigit(2)));
  h.w().modalBlocks = 0;
  EXPECT_FALSE(Searching(h.state()));
  EXPECT_EQ(h.Label(), "2/1");
  EXPECT_TRUE(h.Press(Typed("b")));
}

}  // namespace
