#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWindow>

#include "qt/balloon_widget.h"
#include "qt_test_support.h"

namespace {

int AlphaAt(const QImage& image, int x, int y) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return -1;
  return qAlpha(image.pixel(x, y));
}

TEST(BalloonWidget, DrawsTheBubbleWithItsPointerOnThePointThenCloses) {
  TestApp();
  std::int64_t now = 1000;
  BalloonTipModel model;
  SetBalloonSetting(model, kBalloonInitialDelay, 100);
  SetBalloonSetting(model, kBalloonDisplayTime, 2500);
  SetBalloonSetting(model, kBalloonFadeInStep, 0);
  SetBalloonSetting(model, kBalloonFadeOutStep, 0);
  BalloonWidget widget(model, QRect(0, 0, 1000, 800), [&] { return now; });
  EXPECT_EQ(1000, model.screen.width);
  EXPECT_FALSE(widget.ticking());  // nothing to show, nothing to poll

  for (int placement : {2, 9}) {
    SCOPED_TRACE(placement);
    SetBalloonSetting(model, kBalloonPlacement, placement);
    ASSERT_TRUE(BalloonPopUp(model, now, 500, 400, GBK("网站说明"), -1, true));
    EXPECT_TRUE(widget.ticking());
    widget.Tick();
    EXPECT_FALSE(widget.isVisible());  // still in the initial delay
    now += 100;
    widget.Tick();
    ASSERT_TRUE(widget.isVisible());
    // Clicks and moves go through it to whatever lies below: the window system gives
    // it an empty input region, and it never takes the keyboard.
    ASSERT_NE(widget.windowHandle(), nullptr);
    EXPECT_TRUE(widget.windowHandle()->flags() & Qt::WindowTransparentForInput);
    EXPECT_TRUE(widget.windowHandle()->flags() & Qt::WindowDoesNotAcceptFocus);
    QRect g = widget.geometry();
    ASSERT_TRUE(g.contains(500, 400));
    // The text was measured with the widget's font, so the body is wider than the padding.
    EXPECT_GT(model.view.layout.body.width, 40);

    QImage image = widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    const double dpr = image.devicePixelRatio();
    auto at = [&](int sx, int sy) {
      return AlphaAt(image, static_cast<int>((sx - g.x()) * dpr), static_cast<int>((sy - g.y()) * dpr));
    };
    EXPECT_GT(at(500, 400), 0);  // the pointer's tip is drawn on the point
    const BalloonRect& b = model.view.layout.body;
    EXPECT_GT(at(b.left + b.width / 2, b.top + b.height / 2), 200);  // the bubble is filled
    // Beside the tip, on the pointer's side of the body, nothing is drawn.
    int outsideY = placement == 2 ? b.top - 2 : b.bottom() + 1;
    EXPECT_EQ(0, at(b.left + 2, outsideY));

    now += 2500;
    widget.Tick();
    EXPECT_FALSE(widget.isVisible());
    EXPECT_FALSE(widget.ticking());
  }
}

}  // namespace
