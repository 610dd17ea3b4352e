// The board's items for a screen reader, and the press their action makes: only shown
// sprites are told, and a press is the pointer's own sequence (leave, enter, press,
// release) at a pixel of the sprite, or nothing where a click could not land either.

#include <gtest/gtest.h>

#include "ui/board_items.h"
#include "ui/board_test_support.h"

namespace {

using namespace board_test;

struct BoardItemsTest : ::testing::Test {
  SpriteBoardModel board{200, 100, RgbColour(0, 0, 0), nullptr};
  EventLog log;

  int Square(int x, int y, int side) {
    const int id = board.CreateObject(nullptr, x, y);
    board.SetObjectImage(id, Solid(side, side, {255, 0, 0, 255}));
    return id;
  }
  void Describe(const std::vector<int>& sprites) {
    board.describeItems = [sprites] {
      std::vector<BoardItem> items;
      for (int s : sprites) items.push_back({s, BoardItemRole::Button, "n" + std::to_string(s), {}});
      return items;
    };
  }
};

TEST_F(BoardItemsTest, ToldAreTheDescribedSpritesThatAreShownInTheProgramsOrder) {
  EXPECT_TRUE(ShownItems(board).empty()) << "nothing described, nothing told";
  const int a = Square(0, 0, 10), b = Square(20, 0, 10), c = Square(40, 0, 10), d = Square(60, 0, 10);
  Describe({c, a, b, d, 999});
  board.SetObjectVisible(b, false);
  board.DeleteObject(d);
  const std::vector<BoardItem> items = ShownItems(board);
  ASSERT_EQ(2u, items.size()) << "hidden, deleted and unknown sprites are left out";
  EXPECT_EQ(c, items[0].sprite);
  EXPECT_EQ("n" + std::to_string(c), items[0].name);
  EXPECT_EQ(a, items[1].sprite);
}

TEST_F(BoardItemsTest, APressIsThePointersOwnSequenceOnTheSprite) {
  const int a = Square(0, 0, 20), b = Square(50, 10, 20);
  log.Attach(board);
  ASSERT_TRUE(PressSprite(board, a));
  const std::string A = std::to_string(a), B = std::to_string(b);
  EXPECT_EQ((std::vector<std::string>{"5:" + A + ",0", "0:" + A, "2:" + A + "," + A}), log.Take());
  // From one sprite to the next: the first is left before the second is entered.
  ASSERT_TRUE(PressSprite(board, b));
  EXPECT_EQ((std::vector<std::string>{"6:" + A + ",0", "5:" + B + ",0", "0:" + B, "2:" + B + "," + B}), log.Take());
  // Pressing the sprite already under the pointer enters nothing again.
  ASSERT_TRUE(PressSprite(board, b));
  EXPECT_EQ((std::vector<std::string>{"0:" + B, "2:" + B + "," + B}), log.Take());
}

TEST_F(BoardItemsTest, ThePressLandsOnAVisiblePixelOfACoveredSprite) {
  const int under = Square(10, 10, 30);
  const int over = Square(15, 15, 20);  // created later: drawn above, covers the middle
  int x = -1, y = -1;
  ASSERT_TRUE(SpritePoint(board, under, x, y));
  EXPECT_EQ(under, board.HitTest(x, y));
  ASSERT_TRUE(SpritePoint(board, over, x, y));
  EXPECT_EQ(25, x);
  EXPECT_EQ(25, y);
  log.Attach(board);
  ASSERT_TRUE(PressSprite(board, under));
  ASSERT_EQ(3u, log.lines.size());
  EXPECT_EQ("0:" + std::to_string(under), log.lines[1]);
}

TEST_F(BoardItemsTest, NoPressWhereAClickCouldNotLand) {
  const int covered = Square(10, 10, 10);
  Square(5, 5, 20);  // lies over all of it
  const int empty = board.CreateObject(nullptr, 60, 10);  // no picture: never hit
  const int shown = Square(100, 10, 10);
  log.Attach(board);
  int x = 0, y = 0;
  EXPECT_FALSE(SpritePoint(board, covered, x, y));
  EXPECT_FALSE(PressSprite(board, covered));
  EXPECT_FALSE(PressSprite(board, empty));
  EXPECT_FALSE(PressSprite(board, 12345));
  board.disabled = true;
  EXPECT_FALSE(PressSprite(board, shown));
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(BoardItemsTest, AHandlerThatTakesTheBoardAwayEndsThePress) {
  const int a = Square(0, 0, 20);
  log.Attach(board);
  // Entering disables the board (a panel opens over it): no press follows.
  board.events.pointerEntered = [this](int, int) { board.disabled = true; };
  EXPECT_FALSE(PressSprite(board, a));
  EXPECT_TRUE(log.lines.empty());

  auto owned = std::make_unique<SpriteBoardModel>(100, 100, RgbColour(0, 0, 0), nullptr);
  const int s = owned->CreateObject(nullptr, 0, 0);
  owned->SetObjectImage(s, Solid(10, 10, {0, 255, 0, 255}));
  bool released = false;
  owned->events.leftPressed = [&owned](int) { owned.reset(); };
  owned->events.leftReleased = [&released](int, int) { released = true; };
  EXPECT_FALSE(PressSprite(*owned, s)) << "the press handler destroyed the board";
  EXPECT_FALSE(released);
}

}  // namespace
