// Pictures of both windows as the backend draws them, offscreen, written to
// <build>/screenshots/ for a look, with a few pixels checked: the design-time colours.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <cstdlib>

#include "forms/main_window.h"
#include "forms/settings_window.h"
#include "qt/qt_application.h"
#include "qt/qt_backend.h"
#include "qt_test_support.h"

namespace {

QImage Grab(QWidget* w, const char* name) {
  QImage image = w->grab().toImage();
  const QString dir = QString(VK_BINARY_DIR) + "/screenshots";
  QDir().mkpath(dir);
  image.save(dir + "/" + name + ".png");
  return image;
}

// Where a control lies in its window's client area.
QRect PlaceOf(const Control& c) {
  QRect r(c.left(), c.top(), c.width(), c.height());
  if (const TabControl* tab = c.parentTab()) r.translate(tab->left(), tab->top());
  return r;
}

// A password box shows its text masked: it looks exactly as a plain box holding as
// many "*" as the text has characters, and not as an empty one. The box is left
// masked with `text` in it.
void ExpectMasked(QWidget* top, EditBox& box, const Text& text) {
  ASSERT_TRUE(box.masked()) << box.name();
  const QRect place = PlaceOf(box);
  box.SetContent(text);
  const QImage masked = top->grab(place).toImage();
  box.SetInputMode(EditBox::kNormal);
  box.SetContent(Text(QString::fromStdString(GbkToUtf8(text)).size(), '*'));
  const QImage stars = top->grab(place).toImage();
  box.SetContent(Text());
  const QImage empty = top->grab(place).toImage();
  box.SetContent(text);
  const QImage plain = top->grab(place).toImage();
  box.SetInputMode(EditBox::kPassword);
  EXPECT_TRUE(masked == stars) << box.name() << ": the text is not shown as '*'";
  EXPECT_FALSE(masked == empty) << box.name() << ": nothing is shown";
  EXPECT_FALSE(masked == plain) << box.name() << ": the text itself is shown";
}

// The colour near the right end of a control, on its middle line: clear of its text.
QColor RightEndOf(const QImage& image, const Control& c) {
  const QRect r = PlaceOf(c);
  return image.pixelColor(r.right() - 3, r.center().y());
}

TEST(Screenshot, MainWindowInItsStates) {
  SetUpQtApplication(TestApp());
  MainWindow m;
  m.超文本浏览框1.startAddress.clear();
  m.超文本浏览框1.SetVisible(false);  // offline: the web box stays hidden
  QtWindowBackend backend;
  backend.ShowWindow(m, false);
  QWidget* top = backend.PeerOf(m);
  m.选择夹1.SetVisible(false);
  QImage plain = Grab(top, "main_design_time");
  ASSERT_EQ(plain.size(), QSize(800, 650));
  EXPECT_EQ(plain.pixelColor(10, 640), QColor(192, 192, 192)) << "window background";
  EXPECT_EQ(plain.pixelColor(400, 127), QColor(128, 128, 255)) << "category bar";
  EXPECT_EQ(plain.pixelColor(400, 400), QColor(0, 96, 192)) << "site board";

  // The add page as the add button opens it: container mode, no titles.
  const QColor white(255, 255, 255);
  m.选择夹1.SetContainerMode(1);
  m.选择夹1.SetCurrentPage(2);
  m.选择夹1.SetVisible(true);
  ExpectMasked(top, m.编辑框_添加_密码, "secret");
  QImage add = Grab(top, "main_add_page");
  EXPECT_EQ(RightEndOf(add, m.编辑框_添加_网站名称), white) << "the add page is up";
  EXPECT_NE(RightEndOf(add, m.编辑框_修改_记录号), white) << "the modify page is not";
  EXPECT_EQ(RightEndOf(add, m.编辑框_添加_描述), white);
  // The modify page with its titles.
  m.选择夹1.SetContainerMode(0);
  m.选择夹1.SetCurrentPage(0);
  ExpectMasked(top, m.编辑框_修改_密码, "secret");
  QImage modify = Grab(top, "main_modify_page");
  EXPECT_EQ(RightEndOf(modify, m.编辑框_修改_记录号), white) << "the modify page is up";
  EXPECT_NE(RightEndOf(modify, m.编辑框_添加_网站名称), white) << "the add page is not";
  // The account viewer moved in.
  m.选择夹1.SetVisible(false);
  m.标签_密码查看背景.SetLeft(307);
  m.编辑框_帐号.SetLeft(320);
  m.编辑框_密码.SetLeft(320);
  m.按钮_关闭帐号密码显示.SetLeft(488);
  m.编辑框_帐号.SetContent(GBK("my_account"));
  m.编辑框_密码.SetContent(GBK("my_password"));
  QImage viewer = Grab(top, "main_account_viewer");
  EXPECT_EQ(viewer.pixelColor(307 + 3, 234 + 100), QColor(255, 128, 192)) << "viewer background";
}

TEST(Screenshot, SettingsWindowWithItsLoginPanel) {
  SetUpQtApplication(TestApp());
  SettingsWindow s;
  QtWindowBackend backend;
  backend.ShowWindow(s, false);
  QWidget* top = backend.PeerOf(s);
  const QColor white(255, 255, 255);
  s.选择夹1.SetCurrentPage(1);
  s.编辑框1.SetContent("abc");
  ExpectMasked(top, s.编辑框4, "pw");
  s.编辑框4.SetContent("");
  QImage locked = Grab(top, "settings_locked");
  EXPECT_EQ(locked.size(), QtWindowBackend::DialogClientSize(300, 172));
  // The login panel lies over the pages: its label runs from white at the top through
  // RGB(192,192,192) to RGB(128,128,128) at the bottom.
  const QRect label = PlaceOf(s.标签4);
  const int x = label.right() - 3;
  auto grey = [&](int y) { return locked.pixelColor(x, y); };
  // A few pixels in from the ends: the page's own frame may shift its children a little.
  auto near = [](QColor c, int level) {
    return std::abs(c.red() - level) <= 12 && c.green() == c.red() && c.blue() == c.red();
  };
  EXPECT_TRUE(near(grey(label.top() + 4), 250)) << grey(label.top() + 4).name().toStdString();
  EXPECT_TRUE(near(grey(label.center().y()), 192)) << grey(label.center().y()).name().toStdString();
  EXPECT_TRUE(near(grey(label.bottom() - 4), 134)) << grey(label.bottom() - 4).name().toStdString();
  EXPECT_EQ(RightEndOf(locked, s.编辑框4), white) << "the password box on the panel";

  // Without the panel the password page is up, its three boxes masked.
  s.选择夹2.SetVisible(false);
  QImage page = Grab(top, "settings_password_page");
  EXPECT_EQ(RightEndOf(page, s.编辑框1), white) << "the password page is up";
  ExpectMasked(top, s.编辑框1, "abc");
  ExpectMasked(top, s.编辑框2, "new one");
  ExpectMasked(top, s.编辑框3, GBK("新的"));
  s.选择夹1.SetCurrentPage(0);
  EXPECT_NE(RightEndOf(top->grab().toImage(), s.编辑框1), white) << "the first page has no boxes there";
}

}  // namespace
