// What the Qt backend does around its windows: work run aside while the loop goes on,
// dialogs and modal windows owned by the window they block, the balloon a pop-up of its
// window, the frameless skin moving its window.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <chrono>
#include <thread>

#include "forms/main_window.h"
#include "forms/settings_window.h"
#include "qt/app_icon.h"
#include "qt/balloon_widget.h"
#include "qt/qt_backend.h"
#include "qt/qt_dialogs.h"
#include "qt_test_support.h"
#include "support/encode_pictures.h"

namespace {

// Runs the loop until `done` holds or `ms` have passed.
void SpinUntil(const std::function<bool()>& done, int ms = 5000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(QtRunAside, TheLoopGoesOnWhileTheWorkBlocksAndTheResultComesBackOnItsThread) {
  TestApp();
  QtWindowBackend backend;
  std::atomic<bool> release{false};
  QThread* workThread = nullptr;
  QThread* doneThread = nullptr;
  int result = -1;
  backend.RunAside(
      [&] {
        workThread = QThread::currentThread();
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return 7;
      },
      [&](int r) {
        doneThread = QThread::currentThread();
        result = r;
      });
  // Back at once: the loop turns (a timer fires) while the work still waits.
  bool ticked = false;
  QTimer::singleShot(30, [&] { ticked = true; });
  SpinUntil([&] { return ticked; });
  EXPECT_TRUE(ticked);
  EXPECT_EQ(result, -1) << "the result came before the work ended";
  release = true;
  SpinUntil([&] { return result != -1; });
  EXPECT_EQ(result, 7);
  EXPECT_NE(workThread, QThread::currentThread()) << "the work ran on the loop's thread";
  EXPECT_EQ(doneThread, QThread::currentThread());
}

TEST(QtRunAside, WorkThatEndsAfterTheBackendHasGoneTellsNobody) {
  TestApp();
  std::atomic<bool> release{false}, finished{false};
  bool told = false;
  {
    QtWindowBackend backend;
    backend.RunAside(
        [&] {
          while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
          finished = true;
          return 1;
        },
        [&](int) { told = true; });
  }
  release = true;
  SpinUntil([&] { return finished.load(); });
  ASSERT_TRUE(finished);
  // Whatever it posted would be delivered now.
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  EXPECT_FALSE(told);
}

class OwnershipTest : public ::testing::Test {
 protected:
  void SetUp() override { TestApp(); }
  QtWindowBackend backend;
  MainWindow main;
};

TEST_F(OwnershipTest, TheSettingsWindowAndTheDialogsBelongToTheWindowTheyBlock) {
  backend.ShowWindow(main, false);
  QWidget* mainPeer = backend.PeerOf(main);
  ASSERT_NE(mainPeer, nullptr);
  EXPECT_EQ(backend.TopWindow(), mainPeer);

  SettingsWindow settings;
  backend.ShowWindow(settings, true);
  QWidget* settingsPeer = backend.PeerOf(settings);
  ASSERT_NE(settingsPeer, nullptr);
  ASSERT_NE(settingsPeer->windowHandle(), nullptr);
  EXPECT_EQ(settingsPeer->windowHandle()->transientParent(), mainPeer->windowHandle());
  // A dialog now blocks the settings window, the top one.
  EXPECT_EQ(backend.TopWindow(), settingsPeer);

  QtMessageBox box;
  box.owner = [this] { return backend.TopWindow(); };
  QWidget* boxParent = nullptr;
  QTimer::singleShot(0, [&] {
    if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxParent = shown->parentWidget();
      shown->done(0);
    }
  });
  box.Show(Text("x"), 0, nullptr);
  EXPECT_EQ(boxParent, settingsPeer);

  QtInputBox input;
  input.owner = [this] { return backend.TopWindow(); };
  QWidget* inputParent = nullptr;
  QTimer::singleShot(0, [&] {
    if (QWidget* shown = QApplication::activeModalWidget()) {
      inputParent = shown->parentWidget();
      shown->close();
    }
  });
  Text typed;
  input.Ask(nullptr, nullptr, Text(), typed, 0);
  EXPECT_EQ(inputParent, settingsPeer);

  settings.Destroy();
  EXPECT_EQ(backend.TopWindow(), mainPeer);
  main.Destroy();
  EXPECT_EQ(backend.TopWindow(), nullptr);
}

TEST_F(OwnershipTest, TheBalloonIsAPopUpOfItsWindow) {
  backend.ShowWindow(main, false);
  QWidget* mainPeer = backend.PeerOf(main);
  ASSERT_NE(mainPeer, nullptr);
  BalloonWidget* balloon = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* b = dynamic_cast<BalloonWidget*>(w); b && w->windowTitle() == QString::fromUtf8("气球提示框1"))
      balloon = b;
  ASSERT_NE(balloon, nullptr);
  ASSERT_NE(balloon->windowHandle(), nullptr);
  EXPECT_EQ(balloon->windowHandle()->transientParent(), mainPeer->windowHandle());
  EXPECT_TRUE(balloon->windowFlags() & Qt::WindowTransparentForInput);
  main.Destroy();
}

TEST_F(OwnershipTest, APressOnTheBareSkinMovesTheFramelessWindow) {
  backend.ShowWindow(main, false);
  QWidget* peer = backend.PeerOf(main);
  ASSERT_NE(peer, nullptr);
  const QPoint start = peer->pos();
  // The offscreen platform has no window manager to move it: the window follows the
  // pointer itself, and the model learns where it went.
  const QPoint grab(12, 400);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(grab), QPointF(peer->mapToGlobal(grab)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(peer, &press);
  const QPoint to = peer->mapToGlobal(grab) + QPoint(40, 25);
  QMouseEvent move(QEvent::MouseMove, QPointF(peer->mapFromGlobal(to)), QPointF(to), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(peer, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(peer->mapFromGlobal(to)), QPointF(to), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(peer, &release);
  QCoreApplication::processEvents();
  EXPECT_EQ(peer->pos(), start + QPoint(40, 25));
  EXPECT_EQ(main.left(), start.x() + 40);
  EXPECT_EQ(main.top(), start.y() + 25);
  // Once released, moving the pointer moves nothing.
  QMouseEvent after(QEvent::MouseMove, QPointF(10, 10), QPointF(peer->mapToGlobal(QPoint(10, 10))), Qt::NoButton,
                    Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(peer, &after);
  EXPECT_EQ(peer->pos(), start + QPoint(40, 25));
  main.Destroy();
}

TEST(AppIcon, EveryPictureThatDecodesBecomesASizeOfTheIcon) {
  TestApp();
  // A 2 x 2 PNG, and bytes that are none.
  const std::uint8_t rgba[16] = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
  const Bytes png = EncodePngRgba(2, 2, rgba);
  static const unsigned char junk[] = {1, 2, 3};
  QIcon icon = IconOf({{png.data(), png.size()}, {junk, sizeof junk}});
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(2, 2)});
  EXPECT_TRUE(IconOf({{junk, sizeof junk}}).isNull());
}

}  // namespace
