// Pictures of both windows as the backend draws them, offscreen, written to
// <build>/screenshots/ for a look, with a few pixels checked: the design-time colours.

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>

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
  m.选择夹1.SetContainerMode(1);
  m.选择夹1.SetCurrentPage(2);
  m.选择夹1.SetVisible(true);
  m.编辑框_添加_密码.SetContent("secret");
  Grab(top, "main_add_page");
  // The modify page with its titles.
  m.选择夹1.SetContainerMode(0);
  m.选择夹1.SetCurrentPage(0);
  Grab(top, "main_modify_page");
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
  s.选择夹1.SetCurrentPage(1);
  s.编辑框1.SetContent("abc");
  QImage locked = Grab(backend.PeerOf(s), "settings_locked");
  EXPECT_EQ(locked.size(), QtWindowBackend::DialogClientSize(300, 172));
  s.选择夹2.SetVisible(false);
  Grab(backend.PeerOf(s), "settings_password_page");
}

}  // namespace
