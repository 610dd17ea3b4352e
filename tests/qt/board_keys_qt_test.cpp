// Keys pressed in the board's window reach the board model, from whichever widget has
// the focus, except a text box; Qt's key events become the board's keys.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <vector>

#include "qt/board_keys_qt.h"
#include "qt/board_widget.h"
#include "qt/qt_test_support.h"

namespace {

BoardKey Of(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
  QKeyEvent e(QEvent::KeyPress, key, mods, text);
  return BoardKeyOf(e);
}

TEST(BoardKeysQt, KeysBecomeTheBoardsKeys) {
  TestApp();  // the key events' keyboard is the application's; without one Qt makes an orphan
  EXPECT_EQ(Of(Qt::Key_Left).code, BoardKeyCode::kLeft);
  EXPECT_EQ(Of(Qt::Key_Enter, Qt::KeypadModifier).code, BoardKeyCode::kReturn);
  EXPECT_EQ(Of(Qt::Key_PageDown).code, BoardKeyCode::kPageDown);
  EXPECT_EQ(Of(Qt::Key_End).code, BoardKeyCode::kEnd);
  const BoardKey ctrl3 = Of(Qt::Key_3, Qt::ControlModifier, "\x03");
  EXPECT_EQ(ctrl3.code, BoardKeyCode::kCtrlDigit);
  EXPECT_EQ(ctrl3.digit, 3);
  EXPECT_EQ(Of(Qt::Key_9, Qt::ControlModifier).code, BoardKeyCode::kNone);
  EXPECT_EQ(Of(Qt::Key_B, Qt::ControlModifier, "\x02").code, BoardKeyCode::kNone);
  EXPECT_EQ(Of(Qt::Key_B, Qt::AltModifier, "b").code, BoardKeyCode::kNone);
  const BoardKey upper = Of(Qt::Key_B, Qt::ShiftModifier, "B");
  EXPECT_EQ(upper.code, BoardKeyCode::kText);
  EXPECT_EQ(upper.text, "B");
  EXPECT_EQ(Of(0, Qt::NoModifier, QString::fromUtf8("百")).text, GBK("百"));
  EXPECT_EQ(Of(Qt::Key_Tab, Qt::NoModifier, "\t").code, BoardKeyCode::kNone);
  EXPECT_EQ(Of(Qt::Key_F5).code, BoardKeyCode::kNone);
}

TEST(BoardKeysQt, TheWindowsKeysReachTheBoardButATextBoxKeepsItsOwn) {
  TestApp();
  SpriteBoardModel model(100, 80, RgbColour(0, 0, 255), nullptr);
  std::vector<BoardKey> heard;
  model.events.keyPressed = [&](const BoardKey& k) {
    heard.push_back(k);
    return k.code != BoardKeyCode::kEscape;  // Escape without a search: not used
  };
  QWidget window;
  auto* board = new BoardWidget(model, &window);
  auto* button = new QPushButton("b", &window);
  auto* edit = new QLineEdit(&window);
  auto* page = new QTextBrowser(&window);
  window.show();
  QWidget other;  // another window of the program
  other.show();

  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QCoreApplication::sendEvent(button, &right);
  EXPECT_TRUE(right.isAccepted());
  QKeyEvent typed(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
  QCoreApplication::sendEvent(page, &typed);
  QCoreApplication::sendEvent(&window, &typed);
  QKeyEvent inBox(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
  QCoreApplication::sendEvent(edit, &inBox);
  QCoreApplication::sendEvent(&other, &inBox);
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].code, BoardKeyCode::kRight);
  EXPECT_EQ(heard[1].text, "a");
  EXPECT_EQ(heard[2].text, "a");
  EXPECT_EQ(edit->text(), "x");

  // A key the board did not use goes on to the widget it was meant for.
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(edit, &escape);
  QCoreApplication::sendEvent(button, &escape);
  EXPECT_EQ(heard.back().code, BoardKeyCode::kEscape);

  model.disabled = true;
  const size_t before = heard.size();
  QCoreApplication::sendEvent(button, &right);
  EXPECT_EQ(heard.size(), before);
  (void)board;
}

}  // namespace
