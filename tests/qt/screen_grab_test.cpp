// A tiny grab mode for the real-window test, not a test (ctest leaves it out): run
//   test_qt --gtest_filter=ScreenGrab.* with VK_GRAB_TO=<file.png> and
// QT_QPA_PLATFORM=xcb on a display, it saves a picture of the whole screen, or of the
// part VK_GRAB_RECT="x,y,width,height" names. Skipped otherwise.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "qt_test_support.h"

TEST(ScreenGrab, WholeScreenToAFile) {
  const char* target = std::getenv("VK_GRAB_TO");
  if (!target || !*target) GTEST_SKIP() << "only when asked for with VK_GRAB_TO";
  TestApp();
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  int x = 0, y = 0, w = -1, h = -1;
  if (const char* rect = std::getenv("VK_GRAB_RECT")) std::sscanf(rect, "%d,%d,%d,%d", &x, &y, &w, &h);
  QPixmap shot = screen->grabWindow(0, x, y, w, h);
  ASSERT_FALSE(shot.isNull());
  EXPECT_TRUE(shot.save(QString::fromLocal8Bit(target)));
}
