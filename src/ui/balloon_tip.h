#pragma once
// The balloon tip `气球提示框1` without a toolkit: its numbered settings, where the
// balloon goes for a pop-up point, and what it shows at a given moment. The Qt peer
// asks BalloonTick for the view on every timer tick and draws it; tests pass a fake
// clock.

#include <cstdint>
#include <functional>

#include "base/text.h"

// Setting numbers as the program writes them.
enum BalloonSettingNumber {
  kBalloonPlacement = 18,        // 0..11, see BalloonPlacementEdge
  kBalloonKeepWhileMoving = 44,  // non-zero: a pointer move restarts the display time
  kBalloonInitialDelay = 60,     // ms from pop-up to showing
  kBalloonDisplayTime = 61,      // ms shown before closing or fading out
  kBalloonFadeInStep = 62,       // ms per fade-in step, 0 = at once
  kBalloonFadeOutStep = 63,      // ms per fade-out step, 0 = at once
};

constexpr int kBalloonFadeSteps = 5;  // of 20 percent each

struct BalloonRect {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
};

struct BalloonSize {
  int width = 0, height = 0;
};

// The edge that carries the pointer.
enum BalloonEdge { kEdgeTop = 0, kEdgeLeft = 1, kEdgeRight = 2, kEdgeBottom = 3 };
inline BalloonEdge BalloonPlacementEdge(int placement) { return static_cast<BalloonEdge>(placement / 3); }

// Pointer geometry in screen pixels.
constexpr int kBalloonPointerLength = 14;  // from the body's edge to the tip
constexpr int kBalloonPointerBase = 16;    // width of the pointer where it meets the body
constexpr int kBalloonEndInset = 20;       // tip distance from the corner for the "near an end" placements

// Where a balloon of a given body size goes for a pop-up point on a screen.
struct BalloonLayout {
  int placement = 0;      // after mirroring at the screen borders
  BalloonRect body;       // the bubble without its pointer
  int tipX = 0, tipY = 0;  // the pointer's tip, on the pop-up point unless the screen forbids it
  int baseX1 = 0, baseY1 = 0, baseX2 = 0, baseY2 = 0;  // the pointer's base on the body's edge
};

BalloonLayout LayOutBalloon(int placement, int x, int y, BalloonSize body, const BalloonRect& screen);

struct BalloonView {
  bool visible = false;
  int opacity = 0;  // percent: 100 = opaque
  BalloonLayout layout;
  Text text;  // GBK, shown unchanged
  int icon = -1;
};

struct BalloonTipModel {
  // Settings; these defaults hold until the program writes a value.
  int placement = 9;
  bool keepWhileMoving = false;
  int initialDelayMs = 500;
  int displayTimeMs = 5000;
  int fadeInStepMs = 30;
  int fadeOutStepMs = 30;

  BalloonRect screen{0, 0, 1920, 1080};
  // The screen that holds a pop-up point, where there are several; unset: `screen`.
  std::function<BalloonRect(int x, int y)> screenAt;
  // Called after every accepted pop-up: the peer wakes its timer.
  std::function<void()> poppedUp;
  // Size of the bubble for a text and an icon; the peer sets one that measures with
  // its font, the default estimates 12-pixel text.
  std::function<BalloonSize(const Text& text, int icon)> measure;

  // The current pop-up.
  enum Phase { kIdle, kWaiting, kShowing } phase = kIdle;
  std::int64_t showAtMs = 0;   // when it appears
  std::int64_t closeAtMs = 0;  // when the display time ends (closeAutomatically only)
  bool closeAutomatically = true;
  int fadeInStepOfPopUp = 0, fadeOutStepOfPopUp = 0;
  BalloonView view;
};

// Writes setting `number`; false (and nothing changes) for an unknown number or a
// placement outside 0..11. Negative times count as 0.
bool SetBalloonSetting(BalloonTipModel& tip, int number, int value);
int BalloonSetting(const BalloonTipModel& tip, int number);  // -1 for an unknown number

// Replaces whatever balloon is showing or waiting. An empty text shows nothing:
// false, and the balloon showing closes.
bool BalloonPopUp(BalloonTipModel& tip, std::int64_t nowMs, int x, int y, const Text& text, int icon,
                  bool closeAutomatically);
// The pointer moved while the balloon may be shown.
void BalloonPointerMoved(BalloonTipModel& tip, std::int64_t nowMs);
void BalloonClose(BalloonTipModel& tip);
// The balloon as it is at `nowMs`; ends the pop-up when it has closed.
BalloonView BalloonTick(BalloonTipModel& tip, std::int64_t nowMs);

BalloonSize EstimateBalloonSize(const Text& text, int icon);
