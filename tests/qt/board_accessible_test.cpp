// The boards through Qt's accessibility interface, as the AT-SPI bridge asks it: the
// described sprites as children with names, descriptions and places, their Press run
// from the event loop (never while a modal box holds the window, never on a disabled
// board), and children of sprites that are gone let go.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <memory>
#include <vector>

#include "qt/board_widget.h"
#include "qt/control_peers.h"
#include "qt_test_support.h"
#include "ui/board_test_support.h"

namespace {

using board_test::Solid;

struct BoardAccessibleTest : ::testing::Test {
  SpriteBoardModel model{200, 100, RgbColour(0, 0, 0), nullptr};
  std::unique_ptr<QWidget> window;
  BoardWidget* widget = nullptr;
  int icon = 0, label = 0;
  std::vector<int> pressed;

  void SetUp() override {
    TestApp();
    icon = model.CreateObject(nullptr, 10, 20);
    model.SetObjectImage(icon, Solid(20, 20, {255, 0, 0, 255}));
    label = model.CreateObject(nullptr, 100, 20);
    model.SetObjectImage(label, Solid(30, 10, {0, 255, 0, 255}));
    model.describeItems = [this] {
      std::vector<BoardItem> items;
      if (model.Find(icon)) items.push_back({icon, BoardItemRole::Button, GBK("百度"), "http://127.0.0.1:9/"});
      items.push_back({label, BoardItemRole::Text, GBK("第1页，共2页"), {}});
      return items;
    };
    model.events.leftPressed = [this](int s) { pressed.push_back(s); };
    window = std::make_unique<QWidget>();
    window->resize(300, 200);
    widget = new BoardWidget(model, window.get());
    widget->move(5, 7);
    window->show();
  }
  QAccessibleInterface* Board() { return QAccessible::queryAccessibleInterface(widget); }
  void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
};

TEST_F(BoardAccessibleTest, ChildrenAreTheDescribedSprites) {
  QAccessibleInterface* board = Board();
  ASSERT_NE(nullptr, board);
  EXPECT_EQ(QAccessible::Grouping, board->role());
  ASSERT_EQ(2, board->childCount());
  QAccessibleInterface* first = board->child(0);
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(QString::fromUtf8("百度"), first->text(QAccessible::Name));
  EXPECT_EQ(QString("http://127.0.0.1:9/"), first->text(QAccessible::Description));
  EXPECT_EQ(QAccessible::Button, first->role());
  EXPECT_EQ(board, first->parent());
  EXPECT_EQ(0, board->indexOfChild(first));
  EXPECT_EQ(first, board->child(0)) << "one interface per sprite";
  EXPECT_EQ(QRect(widget->mapToGlobal(QPoint(10, 20)), QSize(20, 20)), first->rect());
  EXPECT_EQ(first, board->childAt(first->rect().center().x(), first->rect().center().y()));

  QAccessibleInterface* text = board->child(1);
  EXPECT_EQ(QAccessible::StaticText, text->role());
  ASSERT_NE(nullptr, text->textInterface());
  EXPECT_EQ(QString::fromUtf8("第1页，共2页"), text->textInterface()->text(0, text->textInterface()->characterCount()));
  EXPECT_TRUE(text->actionInterface()->actionNames().isEmpty()) << "the label has nothing to press";
}

TEST_F(BoardAccessibleTest, PressRunsFromTheEventLoopAsAClick) {
  QAccessibleInterface* first = Board()->child(0);
  ASSERT_EQ(QStringList{QAccessibleActionInterface::pressAction()}, first->actionInterface()->actionNames());
  first->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(pressed.empty()) << "the caller has its answer first";
  Settle();
  EXPECT_EQ(std::vector<int>{icon}, pressed);

  // A disabled board is told so and takes no press.
  model.disabled = true;
  EXPECT_TRUE(first->state().disabled);
  first->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  Settle();
  EXPECT_EQ(1u, pressed.size());
  model.disabled = false;

  // Nor while a modal box holds the window.
  QDialog box;
  box.setModal(true);
  box.show();
  first->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  Settle();
  EXPECT_EQ(1u, pressed.size());
  box.hide();
  first->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  Settle();
  EXPECT_EQ(2u, pressed.size());
}

TEST_F(BoardAccessibleTest, ChildrenOfGoneSpritesAreLetGo) {
  QAccessibleInterface* board = Board();
  QAccessibleInterface* first = board->child(0);
  const QAccessible::Id id = QAccessible::uniqueId(first);
  model.DeleteObject(icon);
  EXPECT_FALSE(first->isValid());
  ASSERT_EQ(1, board->childCount());
  EXPECT_EQ(nullptr, QAccessible::accessibleInterface(id)) << "released once the board is asked again";
  EXPECT_EQ(QAccessible::StaticText, board->child(0)->role());
}

TEST_F(BoardAccessibleTest, ATopLevelWindowIsAFrameNamedByItsTitle) {
  Window main("Vinkabo_Tamsor专用", ControlRect{50, 50, 800, 650}, WindowBorder::None, kDefaultColour);
  WindowPeer peer(main, std::make_shared<bool>(true));
  QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&peer);
  ASSERT_NE(nullptr, frame);
  EXPECT_EQ(QAccessible::Window, frame->role()) << "a frame to AT-SPI, not a filler";
  EXPECT_EQ(QString::fromUtf8("Vinkabo_Tamsor专用"), frame->text(QAccessible::Name));
}

}  // namespace
