#include "ui/sprite_board.h"

#include <gtest/gtest.h>

#include <memory>

#include "board_test_support.h"

using board_test::BlockRasterizer;
using board_test::EncodePng;
using board_test::EventLog;
using board_test::SetPixel;
using board_test::Solid;
using Events = std::vector<std::string>;

namespace {

constexpr board_test::Rgba kRed{255, 0, 0, 255};
constexpr board_test::Rgba kGreen{0, 255, 0, 255};
constexpr board_test::Rgba kClear{0, 0, 0, 0};

struct BoardFixture : ::testing::Test {
  BlockRasterizer text;
  SpriteBoardModel board{750, 475, RgbColour(0, 96, 192), &text};
  EventLog log;
  void SetUp() override { log.Attach(board); }

  int Square(double x, double y, int size, board_test::Rgba c = kRed, int layer = 0) {
    SpriteTemplateSettings t;
    t.picture = Solid(size, size, c);
    t.layer = layer;
    return board.CreateObject(&t, x, y);
  }
};

// ---- creation, order, ids ----

TEST_F(BoardFixture, LaterSpriteOfOneLayerLiesOnTopAndIsHitFirst) {
  const int a = Square(10, 10, 20);
  const int b = Square(15, 15, 20);
  EXPECT_EQ(board.HitTest(20, 20), b);
  EXPECT_EQ(board.HitTest(11, 11), a);
  ASSERT_EQ(board.sprites.size(), 2u);
  EXPECT_EQ(board.sprites.back().id, b);

  // A higher layer stays above sprites of lower layers created after it.
  const int high = Square(0, 0, 40, kGreen, 5);
  const int low = Square(0, 0, 40, kRed, 0);
  EXPECT_EQ(board.HitTest(20, 20), high);
  EXPECT_EQ(board.sprites.back().id, high);
  EXPECT_EQ(board.sprites[2].id, low);  // above a and b, below high
}

TEST_F(BoardFixture, IdsAreNeverReused) {
  const int a = Square(0, 0, 4);
  const int b = Square(0, 0, 4);
  board.DeleteObjects({a, b});
  const int c = board.CreateObject(nullptr, 0, 0);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(board.nextId, 4);
  EXPECT_EQ(board.Find(a), nullptr);
}

TEST_F(BoardFixture, SpriteCopiesTheTemplateAsItWasAtCreation) {
  SpriteTemplateSettings t;
  t.picture = Solid(8, 8, kRed);
  t.scaleX = t.scaleY = 2000;
  t.opacity = 30;
  const int first = board.CreateObject(&t, 1.9, -2.7, false, "n");
  t.picture = Solid(5, 5, kGreen);
  t.scaleX = t.scaleY = 1000;
  const int second = board.CreateObject(&t, 0, 0);
  const Sprite* s = board.Find(first);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(board.PictureWidth(first), 16);
  EXPECT_EQ(s->picture.pixels()[0], 255);
  EXPECT_EQ(s->opacity, 30);
  EXPECT_FALSE(s->visible);
  EXPECT_EQ(s->name, "n");
  EXPECT_EQ(s->Rect().left, 1);  // truncated toward zero
  EXPECT_EQ(s->Rect().top, -2);
  EXPECT_EQ(board.PictureWidth(second), 5);

  const int none = board.CreateObject(nullptr, 0, 0);
  EXPECT_EQ(board.PictureWidth(none), 0);
  EXPECT_EQ(board.Find(none)->scaleX, 1000);
}

TEST_F(BoardFixture, TextSpritesAndTemplateWidth) {
  SpriteTemplateSettings t;
  EXPECT_EQ(board.TemplateWidth(t), 0);  // neither text nor picture
  t.picture = Solid(119, 35, kRed);
  EXPECT_EQ(board.TemplateWidth(t), 119);
  t.scaleX = 2000;  // natural size, not the scale and not the design-time width
  t.width = 72;
  EXPECT_EQ(board.TemplateWidth(t), 119);
  t.text = "0/0";
  t.font.height = 16;
  EXPECT_EQ(board.TemplateWidth(t), 18);  // the text wins over the picture

  t.scaleX = 1000;
  const int label = board.CreateObject(&t, 280, 455);
  EXPECT_EQ(board.PictureWidth(label), 18);
  EXPECT_EQ(board.PictureHeight(label), 16);
  SpriteFont bold = t.font;
  bold.bold = true;
  board.SetObjectText(label, "12/3", bold, RgbColour(0, 255, 0));
  EXPECT_EQ(board.PictureWidth(label), 28);
  EXPECT_EQ(board.Find(label)->drawn.pixels()[1], 255);  // green
  board.SetObjectText(label, "1\r\n22");  // font and colour kept
  EXPECT_EQ(board.PictureWidth(label), 14);
  EXPECT_EQ(board.PictureHeight(label), 32);
  board.SetObjectText(label, "");
  EXPECT_EQ(board.PictureWidth(label), 0);
  EXPECT_EQ(board.HitTest(281, 456), -1);
}

TEST(SpriteBoardText, SpritesMadeBeforeTheRasterizerShowTheirTextOnceItComes) {
  SpriteBoardModel board(100, 100, 0, nullptr);
  SpriteTemplateSettings t;
  t.text = "ab";
  const int s = board.CreateObject(&t, 0, 0);
  const int pic = board.CreateObject(nullptr, 50, 50);
  board.SetObjectImage(pic, Solid(3, 3, kRed));
  EXPECT_EQ(board.PictureWidth(s), 0);
  EXPECT_EQ(board.TemplateWidth(t), 0);
  BlockRasterizer text;
  board.SetRasterizer(&text);
  EXPECT_EQ(board.PictureWidth(s), 12);
  EXPECT_EQ(board.PictureWidth(pic), 3);  // pictures stay as they are
  EXPECT_EQ(text.calls, 1);
}

// ---- pictures and scale ----

TEST_F(BoardFixture, PictureBytesGoThroughTheDecoder) {
  const int s = board.CreateObject(nullptr, 0, 0);
  Image pic = Solid(32, 24, kGreen);
  SetPixel(pic, 0, 0, {1, 2, 3, 255});
  SetPixel(pic, 5, 5, {1, 2, 3, 255});
  board.SetObjectPicture(s, EncodePng(pic), kTopLeftPixelColour);
  EXPECT_EQ(board.PictureWidth(s), 32);
  EXPECT_EQ(board.PictureHeight(s), 24);
  EXPECT_EQ(board.Find(s)->transparentColour, static_cast<int>(RgbColour(1, 2, 3)));
  EXPECT_EQ(board.HitTest(5, 5), -1);  // the top-left pixel's colour passes through
  EXPECT_EQ(board.HitTest(6, 5), s);

  // Omitting the colour drops the transparent colour.
  board.SetObjectPicture(s, EncodePng(pic));
  EXPECT_EQ(board.HitTest(5, 5), s);

  SpriteTemplateSettings t;
  SetTemplatePicture(t, EncodePng(pic));
  EXPECT_EQ(board.TemplateWidth(t), 32);
  SetTemplatePicture(t, Bytes{'n', 'o', 't'});
  EXPECT_EQ(board.TemplateWidth(t), 0);
}

TEST_F(BoardFixture, EmptyOrBadBytesEmptyTheSprite) {
  const int below = Square(0, 0, 30, kGreen);
  const int top = Square(0, 0, 30);
  EXPECT_EQ(board.HitTest(3, 3), top);
  board.SetObjectPicture(top, Bytes{});
  EXPECT_EQ(board.PictureWidth(top), 0);
  EXPECT_EQ(board.PictureHeight(top), 0);
  EXPECT_EQ(board.HitTest(3, 3), below);
  board.LeftButtonDown(3, 3);
  EXPECT_EQ(log.Take(), (Events{"0:" + std::to_string(below)}));

  board.SetObjectPicture(below, Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0});
  EXPECT_EQ(board.PictureWidth(below), 0);
  EXPECT_EQ(board.HitTest(3, 3), -1);
  // Unknown ids do nothing.
  board.SetObjectPicture(99, EncodePng(Solid(2, 2, kRed)));
  board.SetObjectText(99, "x");
  board.SetScale(99, 2000);
  EXPECT_EQ(board.PictureWidth(99), 0);
  EXPECT_EQ(board.sprites.size(), 2u);
}

TEST_F(BoardFixture, ScaleIsPerMilleOfTheDrawnImage) {
  const int s = Square(0, 0, 32);
  board.SetScale(s, 2000, 2000);
  EXPECT_EQ(board.PictureWidth(s), 64);
  EXPECT_EQ(board.PictureHeight(s), 64);
  EXPECT_EQ(board.HitTest(63, 63), s);
  EXPECT_EQ(board.HitTest(64, 10), -1);

  board.SetScale(s, 0, -5);  // ignored
  EXPECT_EQ(board.PictureWidth(s), 64);
  board.TakeDirty();
  board.SetScale(s, 2000);  // same scale: nothing, not even a repaint
  EXPECT_TRUE(board.Dirty().empty());

  board.SetScale(s, 1562, 500);  // a 32 x 32 icon fitted to 50 x 50 draws 50 wide
  EXPECT_EQ(board.PictureWidth(s), 50);
  EXPECT_EQ(board.PictureHeight(s), 16);
  // A wild scale stays bounded, and the reported size is still the size drawn.
  board.SetScale(s, 2000000000, 500);
  EXPECT_LE(board.PictureWidth(s), 4096);
  EXPECT_EQ(board.PictureWidth(s), board.Find(s)->drawn.width);
  board.SetScale(s, 1562, 500);
  // A new picture keeps the sprite's scale.
  board.SetObjectImage(s, Solid(10, 10, kGreen));
  EXPECT_EQ(board.PictureWidth(s), 16);
  EXPECT_EQ(board.PictureHeight(s), 5);
}

// ---- hit test ----

TEST_F(BoardFixture, TransparentPixelsPassTheHitToTheSpriteBelow) {
  const int below = Square(0, 0, 10, kGreen);
  Image holed = Solid(10, 10, kRed);
  SetPixel(holed, 2, 2, kClear);
  SetPixel(holed, 4, 4, {9, 9, 9, 255});
  const int top = board.CreateObject(nullptr, 0, 0);
  board.SetObjectImage(top, holed, static_cast<int>(RgbColour(9, 9, 9)));
  EXPECT_EQ(board.HitTest(1, 1), top);
  EXPECT_EQ(board.HitTest(2, 2), below);  // alpha 0
  EXPECT_EQ(board.HitTest(4, 4), below);  // the transparent colour

  board.LeftButtonDown(2, 2);
  board.DeleteObject(below);
  log.Take();
  board.LeftButtonDown(2, 2);  // nothing below any more
  EXPECT_EQ(log.Take(), (Events{"0:0"}));
  EXPECT_EQ(board.HitTest(-1, 0), -1);
  EXPECT_EQ(board.HitTest(10, 0), -1);

  board.SetObjectVisible(top, false);
  EXPECT_EQ(board.HitTest(1, 1), -1);
}

// ---- pointer events ----

TEST_F(BoardFixture, PressOnBackgroundReportsZeroAndReleaseCarriesPressed) {
  const int s = Square(100, 100, 10);
  board.LeftButtonDown(5, 5);
  EXPECT_EQ(board.pressed, -1);
  board.LeftButtonUp(105, 105);
  EXPECT_EQ(board.pressed, 0);
  EXPECT_EQ(log.Take(), (Events{"0:0", "2:" + std::to_string(s) + ",-1"}));

  board.LeftButtonDown(101, 101);
  board.LeftButtonUp(101, 101);  // a click: both equal and > 0
  board.RightButtonDown(101, 101);
  board.RightButtonUp(0, 0);
  board.LeftDoubleClick(102, 102);
  const std::string id = std::to_string(s);
  EXPECT_EQ(log.Take(), (Events{"0:" + id, "2:" + id + "," + id, "1:" + id, "3:0", "0:" + id,
                                "4:" + id}));
}

TEST_F(BoardFixture, MovingFromOneSpriteOntoAnotherLeavesThenEnters) {
  const int a = Square(0, 0, 10);
  const int b = Square(10, 0, 10);
  board.PointerMove(5, 5, false);
  board.PointerMove(6, 5, false);  // within a: no enter, no leave
  board.PointerMove(15, 5, false);
  board.PointerMove(50, 50, false);
  const std::string A = std::to_string(a), B = std::to_string(b);
  EXPECT_EQ(log.Take(), (Events{"5:" + A + ",0", "7:5,5,0", "7:6,5,0", "6:" + A + ",0",
                                "5:" + B + ",0", "7:15,5,0", "6:" + B + ",0", "7:50,50,0"}));
  EXPECT_EQ(board.hovered, 0);

  // With the button held the pressed sprite travels along.
  board.LeftButtonDown(5, 5);
  log.Take();
  board.PointerMove(15, 5, true);
  EXPECT_EQ(log.Take(), (Events{"5:" + B + "," + A, "7:15,5," + A}));
  board.PointerMove(16, 5, false);  // released elsewhere: pressed drops to 0
  EXPECT_EQ(log.Take(), (Events{"7:16,5,0"}));
}

TEST_F(BoardFixture, SpriteDeletedUnderThePointerGivesNoLeave) {
  const int a = Square(0, 0, 10);
  const int b = Square(0, 0, 10);  // on top of a
  board.PointerMove(3, 3, true);
  board.LeftButtonDown(3, 3);
  board.DeleteObject(b);
  EXPECT_EQ(board.hovered, b);  // noticed only at the next move
  log.Take();
  board.PointerMove(4, 4, true);
  const std::string A = std::to_string(a);
  // Hovered restarts from 0 silently; the pressed sprite is gone, so pressed is -1.
  EXPECT_EQ(log.Take(), (Events{"5:" + A + ",-1", "7:4,4,-1"}));
  EXPECT_EQ(board.hovered, a);

  board.DeleteObject(a);
  board.PointerMove(5, 5, false);
  EXPECT_EQ(log.Take(), (Events{"10:" + A, "7:5,5,0"}));
  EXPECT_EQ(board.hovered, 0);
}

TEST_F(BoardFixture, DisabledBoardReportsNothing) {
  const int a = Square(0, 0, 10);
  board.disabled = true;
  board.PointerMove(2, 2, false);
  board.LeftButtonDown(2, 2);
  board.LeftButtonUp(2, 2);
  board.LeftDoubleClick(2, 2);
  board.RightButtonDown(2, 2);
  board.RightButtonUp(2, 2);
  board.PointerLeftBoard();
  EXPECT_TRUE(log.Take().empty());
  EXPECT_EQ(board.hovered, 0);
  EXPECT_EQ(board.pressed, 0);
  board.disabled = false;
  board.PointerMove(2, 2, false);
  EXPECT_EQ(log.Take(), (Events{"5:" + std::to_string(a) + ",0", "7:2,2,0"}));
  board.PointerLeftBoard();
  EXPECT_EQ(log.Take(), (Events{"6:" + std::to_string(a) + ",0"}));
  EXPECT_EQ(board.hovered, 0);
}

// ---- delete ----

TEST_F(BoardFixture, DeleteReportsFirstAndSkipsUnknownIds) {
  const int a = Square(0, 0, 10);
  const int b = Square(20, 0, 10);
  bool presentDuringEvent = false;
  board.events.toBeDeleted = [&](int id) {
    log.lines.push_back("10:" + std::to_string(id));
    if (id == a) presentDuringEvent = board.Find(a) != nullptr;
    if (id == a) board.DeleteObject(b);  // deletes b before its own turn comes
  };
  board.DeleteObjects({77, a, b, a});
  EXPECT_TRUE(presentDuringEvent);
  EXPECT_TRUE(board.sprites.empty());
  EXPECT_EQ(log.Take(), (Events{"10:" + std::to_string(a), "10:" + std::to_string(b)}));
}

TEST(SpriteBoardLifetime, HandlerThatDestroysTheBoardEndsTheRemainingSteps) {
  BlockRasterizer text;
  auto board = std::make_unique<SpriteBoardModel>(100, 100, 0, &text);
  SpriteTemplateSettings t;
  t.picture = Solid(10, 10, kRed);
  const int a = board->CreateObject(&t, 0, 0);
  const int b = board->CreateObject(&t, 10, 0);
  std::vector<std::string> seen;
  board->events.pointerLeft = [&](int id, int) {
    seen.push_back("6:" + std::to_string(id));
    board.reset();  // the window closes inside the handler
  };
  board->events.pointerEntered = [&](int id, int) { seen.push_back("5:" + std::to_string(id)); };
  board->events.pointerMoved = [&](int, int, int) { seen.push_back("7"); };
  board->PointerMove(2, 2, false);
  SpriteBoardModel* raw = board.get();
  std::weak_ptr<void> alive = raw->Liveness();
  raw->PointerMove(12, 2, false);
  EXPECT_EQ(board, nullptr);
  EXPECT_TRUE(alive.expired());
  EXPECT_EQ(seen, (Events{"5:" + std::to_string(a), "7", "6:" + std::to_string(a)}));

  // The same inside delete-object: the list stops, nothing is touched afterwards.
  board = std::make_unique<SpriteBoardModel>(100, 100, 0, &text);
  board->CreateObject(&t, 0, 0);
  board->CreateObject(&t, 0, 0);
  int reports = 0;
  board->events.toBeDeleted = [&](int) {
    ++reports;
    board.reset();
  };
  board->DeleteObjects({1, 2});
  EXPECT_EQ(board, nullptr);
  EXPECT_EQ(reports, 1);
  (void)b;
}

// ---- repaint areas ----

TEST_F(BoardFixture, ChangesMarkOnlyTheirRectanglesDirty) {
  std::vector<BoardRect> told;
  board.areaInvalidated = [&](const BoardRect& r) { told.push_back(r); };
  board.TakeDirty();
  const int a = Square(740, 470, 20);  // clipped to the board
  std::vector<BoardRect> d = board.TakeDirty();
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].left, 740);
  EXPECT_EQ(d[0].top, 470);
  EXPECT_EQ(d[0].width, 10);
  EXPECT_EQ(d[0].height, 5);
  ASSERT_EQ(told.size(), 1u);

  board.MoveObject(a, 0, 0);  // old and new place, far apart: two areas
  d = board.TakeDirty();
  EXPECT_EQ(d.size(), 2u);
  Square(5, 5, 10);
  Square(10, 10, 10);  // overlapping areas merge
  d = board.TakeDirty();
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].width, 15);
  board.MoveObject(a, -100, -100);  // fully off the board: only the old place
  d = board.TakeDirty();
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].left, 0);
  EXPECT_EQ(d[0].width, 20);
}

}  // namespace
