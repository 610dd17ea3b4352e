#include "qt/board_widget.h"
#include "qt_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "qt/qt_text_rasterizer.h"
#include "ui/board_test_support.h"

// fontconfig keeps a few blocks of its cache until the process ends; under the leak
// checker that is not ours to answer for. (Read only by sanitized builds.)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

using board_test::Solid;

// What the window system would send: delivered through the application, so mouse
// tracking and the widget's own handlers decide what arrives.
void Send(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
  QMouseEvent e(type, QPointF(at), QPointF(w.mapToGlobal(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(&w, &e);
}
void Move(QWidget& w, QPoint at, Qt::MouseButtons held = Qt::NoButton) {
  Send(w, QEvent::MouseMove, at, Qt::NoButton, held);
}
void Press(QWidget& w, QPoint at) { Send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
void Release(QWidget& w, QPoint at) { Send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }

struct BoardWidgetTest : ::testing::Test {
  QtTextRasterizer text;
  std::unique_ptr<SpriteBoardModel> board;
  board_test::EventLog log;
  int a = 0, b = 0;

  void SetUp() override {
    TestApp();
    board = std::make_unique<SpriteBoardModel>(200, 100, RgbColour(0, 96, 192), &text);
    SpriteTemplateSettings t;
    t.picture = Solid(20, 20, {255, 0, 0, 255});
    a = board->CreateObject(&t, 10, 10);
    t.picture = Solid(20, 20, {0, 255, 0, 255});
    b = board->CreateObject(&t, 30, 10);
    log.Attach(*board);
  }
  std::vector<std::string> Take() { return log.Take(); }
};

TEST_F(BoardWidgetTest, PointerInputReachesTheModelAsBoardEvents) {
  BoardWidget w(*board);
  w.show();
  EXPECT_TRUE(w.hasMouseTracking());
  const std::string A = std::to_string(a), B = std::to_string(b);

  Move(w, {15, 15});
  Move(w, {35, 15});  // straight from a onto b
  Press(w, {35, 15});
  Move(w, {80, 50}, Qt::LeftButton);
  Release(w, {80, 50});
  EXPECT_EQ(Take(), (std::vector<std::string>{"5:" + A + ",0", "7:15,15,0", "6:" + A + ",0",
                                              "5:" + B + ",0", "7:35,15,0", "0:" + B,
                                              "6:" + B + "," + B, "7:80,50," + B,
                                              "2:0," + B}));

  Press(w, {12, 12});
  Release(w, {12, 12});
  Send(w, QEvent::MouseButtonDblClick, {12, 12}, Qt::LeftButton, Qt::LeftButton);
  Release(w, {12, 12});
  // No move came onto a: the press enters it first.
  EXPECT_EQ(Take(), (std::vector<std::string>{"5:" + A + ",0", "0:" + A, "2:" + A + "," + A, "0:" + A,
                                              "4:" + A, "2:" + A + "," + A}));

  // Leaving the widget leaves the sprite the pointer was on.
  Move(w, {12, 12});
  Take();
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&w, &leave);
  EXPECT_EQ(Take(), (std::vector<std::string>{"6:" + A + ",0"}));

  board->disabled = true;
  Move(w, {15, 15});
  Press(w, {15, 15});
  EXPECT_TRUE(Take().empty());
}

TEST_F(BoardWidgetTest, PaintsTheComposedBoardAndItsChanges) {
  BoardWidget w(*board);
  w.show();
  QImage shot = w.grab().toImage();
  EXPECT_EQ(shot.pixelColor(5, 5), QColor(0, 96, 192));
  EXPECT_EQ(shot.pixelColor(15, 15), QColor(255, 0, 0));
  EXPECT_EQ(shot.pixelColor(45, 15), QColor(0, 255, 0));

  board->SetObjectImage(a, Solid(20, 20, {255, 255, 0, 255}));
  board->MoveObject(b, 100, 50);
  shot = w.grab().toImage();
  EXPECT_EQ(shot.pixelColor(15, 15), QColor(255, 255, 0));
  EXPECT_EQ(shot.pixelColor(45, 15), QColor(0, 96, 192));
  EXPECT_EQ(shot.pixelColor(110, 60), QColor(0, 255, 0));
}

// The pointer reached b while the window took no input (a modal box was open), so no
// move came: the press still leaves a and enters b before it is reported.
TEST_F(BoardWidgetTest, PressWithNoMoveBeforeItEntersThePressedSpriteFirst) {
  BoardWidget w(*board);
  w.show();
  const std::string A = std::to_string(a), B = std::to_string(b);
  Move(w, {15, 15});
  Take();
  Press(w, {35, 15});
  Release(w, {35, 15});
  EXPECT_EQ(Take(), (std::vector<std::string>{"6:" + A + ",0", "5:" + B + ",0", "0:" + B,
                                              "2:" + B + "," + B}));
  // Onto the background: b is left before the press that hits nothing.
  Press(w, {100, 80});
  EXPECT_EQ(Take(), (std::vector<std::string>{"6:" + B + ",0", "0:0"}));
  Release(w, {100, 80});
  Take();
  // A double-click's press too; a press where the pointer already is adds nothing.
  Send(w, QEvent::MouseButtonDblClick, {12, 12}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(Take(), (std::vector<std::string>{"5:" + A + ",0", "0:" + A, "4:" + A}));
  Release(w, {12, 12});
  Take();
  Press(w, {13, 13});
  EXPECT_EQ(Take(), (std::vector<std::string>{"0:" + A}));
}

// An enter handler that destroys the board ends the press there.
TEST_F(BoardWidgetTest, EnterHandlerThatDestroysTheBoardEndsThePress) {
  BoardWidget w(*board);
  w.show();
  bool pressedAfter = false;
  board->events.pointerEntered = [this](int, int) { board.reset(); };
  board->events.leftPressed = [&pressedAfter](int) { pressedAfter = true; };
  Press(w, {15, 15});
  EXPECT_EQ(board, nullptr);
  EXPECT_FALSE(pressedAfter);
  Release(w, {15, 15});
}

TEST_F(BoardWidgetTest, HandlerThatDestroysTheBoardLeavesTheWidgetSafe) {
  BoardWidget w(*board);
  w.show();
  (void)w.grab();
  board->events.leftPressed = [this](int) { board.reset(); };
  Press(w, {15, 15});
  EXPECT_EQ(board, nullptr);
  Release(w, {15, 15});
  Move(w, {40, 15});
  const QImage shot = w.grab().toImage();  // the last picture stays
  EXPECT_EQ(shot.pixelColor(15, 15), QColor(255, 0, 0));
}

TEST(QtTextRasterizer, ChineseFacesAndRenderedText) {
  TestApp();
  SpriteFont song;
  song.name = GBK("宋体");
  const QString face = QtFontFamily(song);
  ASSERT_FALSE(face.isEmpty());
  EXPECT_TRUE(QFontDatabase::writingSystems(face).contains(QFontDatabase::SimplifiedChinese))
      << face.toStdString();
  SpriteFont tooLong;
  tooLong.name = std::string(32, 'A');
  EXPECT_EQ(QtFontFamily(tooLong), QtFontFamily(SpriteFont{}));

  QtTextRasterizer text;
  song.height = 12;
  const Image one = text.Render(GBK("网站"), song, RgbColour(255, 0, 0));
  ASSERT_FALSE(one.empty());
  EXPECT_GE(one.width, 20);  // two full-width glyphs of 12 pixels
  EXPECT_LE(one.height, 20);
  int inked = 0, clear = 0;
  for (int i = 0; i < one.width * one.height; ++i) {
    const std::uint8_t* p = one.pixels() + i * 4;
    if (p[3] == 0) ++clear;
    if (p[3] == 255) {
      ++inked;
      EXPECT_EQ(p[0], 255);
      EXPECT_EQ(p[1], 0);
    }
  }
  EXPECT_GT(inked, 10);
  EXPECT_GT(clear, 10);  // the background stays transparent, so it is not hit

  const Image two = text.Render(GBK("网站\r\n网"), song, RgbColour(0, 0, 0));
  EXPECT_EQ(two.width, one.width);
  EXPECT_GT(two.height, one.height + 8);
  EXPECT_TRUE(text.Render("", song, 0).empty());

  // The board asks the rasterizer for a template's text width.
  SpriteBoardModel board(100, 100, 0, &text);
  SpriteTemplateSettings t;
  t.text = GBK("网站");
  t.font = song;
  EXPECT_EQ(board.TemplateWidth(t), one.width);
}

}  // namespace
