// The Qt backend on the real layouts, offscreen: windows and peers at their places,
// real clicks and keys reaching the model's events, password masks, tab pages in both
// modes, disabled controls, and the loops ending when the main window goes.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QPainter>
#include <QTabBar>
#include <cstdlib>
#include <string>
#include <vector>

#include "forms/main_window.h"
#include "forms/settings_window.h"
#include "qt/qt_application.h"
#include "qt/qt_backend.h"
#include "qt_test_support.h"

namespace {

class WindowPeersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpQtApplication(TestApp());
    main_.超文本浏览框1.startAddress.clear();  // tests stay off the network
    backend_.ShowWindow(main_, false);
    top_ = backend_.PeerOf(main_);
    ASSERT_NE(top_, nullptr);
  }
  template <class W = QWidget>
  W* Peer(const Control& c) {
    return dynamic_cast<W*>(PeerWidget(top_, c));
  }
  // Where a control's widget lies in window coordinates, or null when not on show.
  QRect OnWindow(const Control& c) {
    QWidget* w = PeerWidget(top_, c);
    if (!w || !w->isVisibleTo(top_)) return {};
    return QRect(w->mapTo(top_, QPoint(0, 0)), w->size()).intersected(top_->rect());
  }

  QtWindowBackend backend_;
  MainWindow main_;
  WindowPeer* top_ = nullptr;
};

TEST_F(WindowPeersTest, MainWindowIsFramelessFixedAtItsPlace) {
  EXPECT_EQ(top_->windowTitle().toStdString(), "Vinkabo_Tamsor专用");
  EXPECT_TRUE(top_->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(top_->size(), QSize(800, 650));
  EXPECT_EQ(top_->minimumSize(), top_->maximumSize()) << "fixed";
  EXPECT_EQ(top_->pos(), QPoint(50, 50));
  EXPECT_STREQ(QApplication::style()->name().toStdString().c_str(), "windows");
}

TEST_F(WindowPeersTest, ControlsSitAtTheLayoutGeometry) {
  EXPECT_EQ(OnWindow(main_.按钮1), QRect(760, 3, 32, 20));
  EXPECT_EQ(OnWindow(main_.动画框1), QRect(25, 155, 750, 475));
  EXPECT_EQ(OnWindow(main_.选择夹1), QRect(200, 192, 432, 296));
  // A page child counts from the tab control's own top-left corner.
  main_.选择夹1.SetCurrentPage(0);
  EXPECT_EQ(OnWindow(main_.按钮_修改_确认修改), QRect(200 + 32, 192 + 252, 80, 30));
  main_.选择夹1.SetContainerMode(1);
  main_.选择夹1.SetCurrentPage(1);
  EXPECT_EQ(OnWindow(main_.按钮_添加_确认添加), QRect(200 + 64, 192 + 260, 80, 25));
  // Out of sight at a negative left until moved in.
  EXPECT_TRUE(OnWindow(main_.按钮_关闭帐号密码显示).isEmpty());
  main_.按钮_关闭帐号密码显示.SetLeft(488);
  EXPECT_EQ(OnWindow(main_.按钮_关闭帐号密码显示), QRect(488, 240, 40, 24));
  // The invisible kinds have no widget.
  EXPECT_EQ(PeerWidget(top_, main_.通用对话框1), nullptr);
  EXPECT_EQ(PeerWidget(top_, main_.动画物体_图标), nullptr);
}

TEST_F(WindowPeersTest, EarlierInTheTableLiesAbove) {
  // The frame buttons lie over the web box, the editor panel over the site board.
  auto above = [&](const Control& upper, const Control& lower) {
    QWidget* u = PeerWidget(top_, upper);
    QWidget* l = PeerWidget(top_, lower);
    const auto kids = top_->children();
    return kids.indexOf(u) > kids.indexOf(l);  // later children are drawn on top
  };
  EXPECT_TRUE(above(main_.按钮1, main_.超文本浏览框1));
  EXPECT_TRUE(above(main_.选择夹1, main_.动画框1));
  EXPECT_TRUE(above(main_.标签_密码查看背景, main_.动画框1));
  EXPECT_TRUE(above(main_.编辑框_密码, main_.标签_密码查看背景));
}

TEST_F(WindowPeersTest, RealClicksReachTheModelEvents) {
  std::vector<std::string> events;
  main_.按钮2.onClicked = [&] { events.push_back("按钮2"); };
  main_.图形按钮_添加.onClicked = [&] { events.push_back("图形按钮_添加"); };
  main_.按钮2.onPointerMoved = [&](int x, int y, int keys) {
    events.push_back("move " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(keys));
  };
  ClickWidget(Peer(main_.按钮2));
  ClickWidget(Peer(main_.图形按钮_添加));
  MovePointer(Peer(main_.按钮2), QPoint(5, 6), Qt::ShiftModifier);
  EXPECT_EQ(events, (std::vector<std::string>{"按钮2", "图形按钮_添加", "move 5,6 2"}));
}

TEST_F(WindowPeersTest, TypingChoosingAndTickingUpdateTheModel) {
  main_.选择夹1.SetContainerMode(1);
  main_.选择夹1.SetCurrentPage(1);
  auto* name = Peer<QLineEdit>(main_.编辑框_添加_网站名称);
  ASSERT_NE(name, nullptr);
  TypeText(name, QString::fromUtf8("新浪"));
  EXPECT_EQ(main_.编辑框_添加_网站名称.content(), GBK("新浪"));
  auto* combo = Peer<QComboBox>(main_.组合框_添加_分类);
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 7);
  EXPECT_EQ(combo->currentIndex(), -1);
  combo->activated(3);  // what the list emits when the user picks an item
  EXPECT_EQ(main_.组合框_添加_分类.selection(), 3);
  std::vector<bool> ticks;
  main_.选择框_添加_常用.onClicked = [&] { ticks.push_back(main_.选择框_添加_常用.ticked()); };
  ClickWidget(Peer(main_.选择框_添加_常用));
  EXPECT_EQ(ticks, (std::vector<bool>{true}));
  EXPECT_TRUE(Peer<QCheckBox>(main_.选择框_添加_常用)->isChecked());
  // The program's writes reach the screen.
  main_.编辑框_添加_网站名称.SetContent({});
  EXPECT_TRUE(name->text().isEmpty());
  main_.组合框_添加_分类.SetSelection(-1);
  EXPECT_EQ(combo->currentIndex(), -1);
  main_.选择框_添加_常用.SetTicked(false);
  EXPECT_FALSE(Peer<QCheckBox>(main_.选择框_添加_常用)->isChecked());
}

TEST_F(WindowPeersTest, PasswordBoxesShowStars) {
  main_.选择夹1.SetContainerMode(1);
  main_.选择夹1.SetCurrentPage(1);
  auto* pw = Peer<QLineEdit>(main_.编辑框_添加_密码);
  TypeText(pw, "s3cret");
  EXPECT_EQ(pw->displayText().toStdString(), "******");
  EXPECT_EQ(main_.编辑框_添加_密码.content(), "s3cret");
  // Switching the mode shows the text, and back.
  main_.编辑框_添加_密码.SetInputMode(EditBox::kNormal);
  EXPECT_EQ(pw->displayText().toStdString(), "s3cret");
  main_.编辑框_添加_密码.SetInputMode(EditBox::kPassword);
  EXPECT_EQ(pw->displayText().toStdString(), "******");
  EXPECT_EQ(Peer<QLineEdit>(main_.编辑框_添加_网址)->echoMode(), QLineEdit::Normal);
}

TEST_F(WindowPeersTest, OrdinaryTabsSwitchByTheirTitles) {
  main_.选择夹1.SetContainerMode(0);
  main_.选择夹1.SetCurrentPage(0);
  auto* tab = Peer<TabPeer>(main_.选择夹1);
  ASSERT_NE(tab, nullptr);
  ASSERT_TRUE(tab->bar()->isVisibleTo(top_));
  EXPECT_FALSE(OnWindow(main_.按钮_修改_删除).isEmpty());
  EXPECT_TRUE(OnWindow(main_.按钮_添加_确认添加).isEmpty()) << "the other page's children are hidden";
  ClickWidget(tab->bar(), tab->bar()->tabRect(1).center());
  EXPECT_EQ(main_.选择夹1.currentPage(), 1);
  EXPECT_TRUE(OnWindow(main_.按钮_修改_删除).isEmpty());
  EXPECT_FALSE(OnWindow(main_.按钮_添加_确认添加).isEmpty());
  // Children keep their place below the titles.
  EXPECT_EQ(OnWindow(main_.按钮_添加_确认添加), QRect(200 + 64, 192 + 260, 80, 25));
}

TEST_F(WindowPeersTest, ContainerModeHasNoTitlesAndTheProgramSwitches) {
  main_.选择夹1.SetContainerMode(1);
  auto* tab = Peer<TabPeer>(main_.选择夹1);
  EXPECT_FALSE(tab->bar()->isVisibleTo(top_));
  main_.选择夹1.SetCurrentPage(5);
  EXPECT_EQ(main_.选择夹1.currentPage(), 1);
  EXPECT_FALSE(OnWindow(main_.标签_添加_添加网址收藏).isEmpty());
  // A click where the titles would be changes nothing.
  ClickWidget(tab, QPoint(20, 5));
  EXPECT_EQ(main_.选择夹1.currentPage(), 1);
  main_.选择夹1.SetCurrentPage(0);
  EXPECT_FALSE(OnWindow(main_.按钮_修改_删除).isEmpty());
}

TEST_F(WindowPeersTest, DisabledTabControlsAndBoardsTakeNoInput) {
  int clicks = 0;
  main_.按钮_修改_删除.onClicked = [&] { ++clicks; };
  main_.选择夹1.SetCurrentPage(0);
  main_.选择夹1.SetDisabled(true);
  QWidget* del = Peer(main_.按钮_修改_删除);
  EXPECT_FALSE(del->isEnabled());
  ClickWidget(del);
  EXPECT_EQ(clicks, 0);
  main_.选择夹1.SetDisabled(false);
  ClickWidget(del);
  EXPECT_EQ(clicks, 1);
  main_.动画框1.SetDisabled(true);
  EXPECT_FALSE(Peer(main_.动画框1)->isEnabled());
  EXPECT_TRUE(main_.动画框1.model.disabled);
  main_.SetDisabled(true);
  EXPECT_FALSE(top_->isEnabled());
}

TEST_F(WindowPeersTest, BoardPeersFeedTheBoardModels) {
  SpriteTemplateSettings tmpl;
  tmpl.picture.width = tmpl.picture.height = 8;
  tmpl.picture.frames.push_back({std::vector<std::uint8_t>(8 * 8 * 4, 255), 0});
  const int id = main_.动画框1.model.CreateObject(&tmpl, 40, 30);
  std::vector<int> pressed;
  main_.动画框1.model.events.leftPressed = [&](int s) { pressed.push_back(s); };
  QWidget* board = Peer(main_.动画框1);
  ASSERT_NE(board, nullptr);
  EXPECT_NE(main_.动画框1.model.rasterizer, nullptr) << "texts are drawn with Qt's fonts";
  MovePointer(board, QPoint(44, 34));
  ClickWidget(board, QPoint(44, 34));
  ClickWidget(board, QPoint(300, 300));
  EXPECT_EQ(pressed, (std::vector<int>{id, 0}));
}

// How many pixels of `image` are not `colour`.
int OtherPixels(const QImage& image, QColor colour) {
  int other = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) other += image.pixelColor(x, y) != colour;
  return other;
}

// PNG bytes of a plain picture (Qt writes them; the program's decoder reads them).
Bytes PngBytes(int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_RGBA8888);
  image.fill(colour);
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return Bytes(data.begin(), data.end());
}

TEST_F(WindowPeersTest, PicturesShowOnButtonsAndTheBackground) {
  main_.SetBackgroundPicture(PngBytes(800, 650, QColor(200, 0, 0)));
  main_.选择夹1.SetVisible(false);
  QImage shot = top_->grab().toImage();
  EXPECT_EQ(shot.pixelColor(10, 640), QColor(200, 0, 0)) << "the background picture";

  auto* close = Peer<QPushButton>(main_.按钮1);
  EXPECT_EQ(close->text().toStdString(), "关闭");
  main_.按钮1.SetPicture(PngBytes(32, 20, QColor(0, 200, 0)));
  EXPECT_TRUE(close->text().isEmpty()) << "the picture takes the caption's place";
  EXPECT_EQ(OtherPixels(close->grab().toImage(), QColor(0, 200, 0)), 0);
  main_.按钮1.SetPicture({1, 2, 3});  // not a picture: the caption again
  EXPECT_EQ(close->text().toStdString(), "关闭");

  main_.图形按钮_添加.SetNormalPicture(PngBytes(80, 30, QColor(0, 0, 200)));
  QImage add = Peer(main_.图形按钮_添加)->grab().toImage();
  EXPECT_EQ(add.pixelColor(40, 15), QColor(0, 0, 200));
}

// A picture button shows its picture and nothing else: no bevel around it, no focus
// rectangle from start-up; beside a smaller picture the window shows through. The
// focus rectangle comes once the keyboard moves the focus.
TEST_F(WindowPeersTest, PictureButtonsShowOnlyTheirPicture) {
  const QColor back(200, 0, 0), green(0, 200, 0), yellow(200, 200, 0);
  main_.SetBackgroundPicture(PngBytes(800, 650, back));
  main_.超文本浏览框1.SetVisible(false);  // offline: the window's own picture lies below
  main_.按钮1.SetPicture(PngBytes(28, 16, green));  // in a 32 x 20 button
  main_.按钮2.SetPicture(PngBytes(80, 20, yellow));
  auto* settings = Peer<QPushButton>(main_.按钮2);
  QApplication::setActiveWindow(top_);
  settings->setFocus(Qt::ActiveWindowFocusReason);  // where the focus lands at start-up
  ASSERT_TRUE(settings->hasFocus());
  const QImage shot = top_->grab().toImage();
  int wrong = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 32; ++x) {
      const bool onPicture = x >= 2 && x < 30 && y >= 2 && y < 18;
      wrong += shot.pixelColor(760 + x, 3 + y) != (onPicture ? green : back);
    }
  EXPECT_EQ(wrong, 0) << "pixels of 按钮1 that are neither its picture nor the window";
  EXPECT_EQ(OtherPixels(shot.copy(667, 3, 80, 20), yellow), 0) << "按钮2 with the focus";
  // The user presses Tab (wherever it leads), and the focus is on 按钮2 again.
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
  QApplication::sendEvent(settings, &tab);
  settings->setFocus(Qt::OtherFocusReason);
  ASSERT_TRUE(settings->hasFocus());
  EXPECT_GT(OtherPixels(settings->grab().toImage(), yellow), 0) << "a focus cue";
}

// The rows a text inks in `box` (pixels that differ from the empty box), as
// first..last; {0, -1} when none.
std::pair<int, int> InkedRows(QLineEdit* box, const QString& text) {
  box->setText(QString());
  const QImage empty = box->grab().toImage();
  box->setText(text);
  const QImage shown = box->grab().toImage();
  int first = 0, last = -1;
  for (int y = 0; y < shown.height(); ++y)
    for (int x = 0; x < shown.width(); ++x)
      if (shown.pixel(x, y) != empty.pixel(x, y)) {
        if (last < first) first = y;
        last = y;
        break;
      }
  return {first, last};
}

// The same text drawn with the same font where nothing can cut it.
int WholeInkHeight(const QFont& font, const QString& text) {
  QImage canvas(400, 100, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  QPainter p(&canvas);
  p.setFont(font);
  p.setPen(Qt::black);
  p.drawText(10, 60, text);
  p.end();
  int first = -1, last = -1;
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x)
      if (canvas.pixel(x, y) != qRgb(255, 255, 255)) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return first < 0 ? 0 : last - first + 1;
}

// Every edit box of both layouts shows a whole line at its laid-out size: Latin
// descenders ("jd.com" must not read "id.com") and the full height of ideographs.
TEST_F(WindowPeersTest, EditBoxesShowAWholeLine) {
  SettingsWindow settings;
  backend_.ShowWindow(settings, false);
  settings.选择夹2.SetVisible(false);
  QWidget* settingsTop = backend_.PeerOf(settings);
  main_.选择夹1.SetVisible(true);
  int checked = 0;
  for (auto [window, top] : {std::pair<Window*, QWidget*>{&main_, top_}, {&settings, settingsTop}}) {
    for (Control* c : window->controls()) {
      if (c->kind() != ControlKind::EditBox) continue;
      auto& box = static_cast<EditBox&>(*c);
      if (TabControl* tab = box.parentTab()) tab->SetCurrentPage(box.page());
      box.SetInputMode(EditBox::kNormal);
      auto* w = dynamic_cast<QLineEdit*>(PeerWidget(top, box));
      ASSERT_NE(w, nullptr) << box.name();
      ASSERT_EQ(w->height(), box.height()) << box.name();
      for (const char* text : {"gjpqy", "jd.com", "网站图标"}) {
        SCOPED_TRACE(std::string(box.name()) + " " + text);
        const QString q = QString::fromUtf8(text);
        const auto [first, last] = InkedRows(w, q);
        EXPECT_EQ(last - first + 1, WholeInkHeight(w->font(), q)) << "rows " << first << ".." << last;
      }
      // The descenders hang below the letters without them.
      EXPECT_GT(InkedRows(w, "gjpqy").second, InkedRows(w, "aceno").second) << box.name();
      ++checked;
    }
  }
  EXPECT_GE(checked, 20);
}

TEST_F(WindowPeersTest, HiddenEditorPanelHidesItsChildren) {
  main_.选择夹1.SetVisible(false);
  EXPECT_TRUE(OnWindow(main_.按钮_修改_删除).isEmpty());
  main_.选择夹1.SetVisible(true);
  EXPECT_FALSE(OnWindow(main_.按钮_修改_删除).isEmpty());
}

TEST_F(WindowPeersTest, SettingsWindowIsAFixedDialogAndMasksItsBoxes) {
  SettingsWindow s;
  bool checkedInside = false;
  QTimer::singleShot(0, [&] {
    WindowPeer* peer = backend_.PeerOf(s);
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(peer->windowTitle().toStdString(), "收藏夹设置");
    EXPECT_TRUE(peer->windowFlags() & Qt::Dialog);
    EXPECT_EQ(peer->size(), QtWindowBackend::DialogClientSize(300, 172));
    EXPECT_EQ(peer->windowModality(), Qt::ApplicationModal);
    EXPECT_GT(main_.modalBlocks, 0) << "the main window takes no input meanwhile";
    auto* box4 = qobject_cast<QLineEdit*>(PeerWidget(peer, s.编辑框4));
    TypeText(box4, "abc");
    EXPECT_EQ(box4->displayText().toStdString(), "***");
    EXPECT_EQ(s.编辑框4.content(), "abc");
    // The login panel lies over the pages.
    const auto kids = peer->children();
    EXPECT_GT(kids.indexOf(PeerWidget(peer, s.选择夹2)), kids.indexOf(PeerWidget(peer, s.选择夹1)));
    checkedInside = true;
    s.Destroy();
  });
  backend_.ShowWindow(s, true);
  backend_.RunUntilDestroyed(s);
  EXPECT_TRUE(checkedInside);
  EXPECT_EQ(main_.modalBlocks, 0);
  EXPECT_EQ(backend_.PeerOf(s), nullptr);
}

TEST_F(WindowPeersTest, DestroyingTheMainWindowEndsEveryLoop) {
  SettingsWindow s;
  bool modalReturned = false;
  // Inside the main loop: open the modal window; inside its loop destroy the main window.
  QTimer::singleShot(0, [&] {
    QTimer::singleShot(0, [&] { main_.Destroy(); });
    backend_.ShowWindow(s, true);
    backend_.RunUntilDestroyed(s);
    modalReturned = true;
  });
  // Should the loops not end, fail instead of hanging.
  QTimer::singleShot(5000, [] { ADD_FAILURE() << "loops did not end"; std::exit(1); });
  backend_.RunUntilDestroyed(main_);
  EXPECT_TRUE(modalReturned);
  EXPECT_TRUE(s.destroyed()) << "the settings window went with the main window";
  EXPECT_EQ(backend_.PeerOf(main_), nullptr);
}

TEST_F(WindowPeersTest, ClosingTheSettingsFrameEndsOnlyItsLoop) {
  SettingsWindow s;
  QTimer::singleShot(0, [&] { backend_.PeerOf(s)->close(); });
  backend_.ShowWindow(s, true);
  backend_.RunUntilDestroyed(s);
  EXPECT_TRUE(s.destroyed());
  EXPECT_FALSE(main_.destroyed());
  EXPECT_NE(backend_.PeerOf(main_), nullptr);
}

TEST_F(WindowPeersTest, ClosingTheFrameDestroysTheWindow) {
  top_->close();
  EXPECT_TRUE(main_.destroyed());
}

}  // namespace
