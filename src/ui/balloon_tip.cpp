#include "ui/balloon_tip.h"

#include <algorithm>

namespace {

constexpr int kCornerRadius = 6;

int Along(int position, int length) {
  int a = std::min(kBalloonEndInset, length / 4);
  return position == 0 ? a : position == 1 ? length / 2 : length - a;
}

// The balloon's extent, pointer included.
BalloonRect Bounds(const BalloonLayout& l) {
  int x0 = std::min(l.body.left, l.tipX), y0 = std::min(l.body.top, l.tipY);
  int x1 = std::max(l.body.right(), l.tipX + 1), y1 = std::max(l.body.bottom(), l.tipY + 1);
  return {x0, y0, x1 - x0, y1 - y0};
}

int OverflowX(const BalloonRect& b, const BalloonRect& s) {
  return std::max(0, s.left - b.left) + std::max(0, b.right() - s.right());
}
int OverflowY(const BalloonRect& b, const BalloonRect& s) {
  return std::max(0, s.top - b.top) + std::max(0, b.bottom() - s.bottom());
}

// Across the vertical axis: left and right swap.
int MirrorVertical(int p) {
  switch (BalloonPlacementEdge(p)) {
    case kEdgeTop:
    case kEdgeBottom: return p - p % 3 + (2 - p % 3);
    case kEdgeLeft: return p + 3;
    case kEdgeRight: return p - 3;
  }
  return p;
}

// Across the horizontal axis: top and bottom swap.
int MirrorHorizontal(int p) {
  switch (BalloonPlacementEdge(p)) {
    case kEdgeTop: return p + 9;
    case kEdgeBottom: return p - 9;
    case kEdgeLeft:
    case kEdgeRight: return p - p % 3 + (2 - p % 3);
  }
  return p;
}

BalloonLayout Place(int p, int x, int y, BalloonSize s) {
  BalloonLayout l;
  l.placement = p;
  l.tipX = x, l.tipY = y;
  l.body.width = s.width, l.body.height = s.height;
  const int pos = p % 3, P = kBalloonPointerLength;
  switch (BalloonPlacementEdge(p)) {
    case kEdgeTop: l.body.left = x - Along(pos, s.width), l.body.top = y + P; break;
    case kEdgeBottom: l.body.left = x - Along(pos, s.width), l.body.top = y - P - s.height; break;
    case kEdgeLeft: l.body.left = x + P, l.body.top = y - Along(pos, s.height); break;
    case kEdgeRight: l.body.left = x - P - s.width, l.body.top = y - Along(pos, s.height); break;
  }
  return l;
}

// Shift needed along one axis to bring [lo, hi) inside [min, max).
int ShiftInto(int lo, int hi, int min, int max) {
  if (hi - lo >= max - min || lo < min) return min - lo;
  if (hi > max) return max - hi;
  return 0;
}

void SetBase(BalloonLayout& l) {
  const int half = kBalloonPointerBase / 2;
  const BalloonRect& b = l.body;
  auto centre = [&](int tip, int lo, int hi) {
    return std::clamp(tip, lo + kCornerRadius + half, std::max(lo + kCornerRadius + half, hi - kCornerRadius - half));
  };
  switch (BalloonPlacementEdge(l.placement)) {
    case kEdgeTop:
    case kEdgeBottom: {
      int c = centre(l.tipX, b.left, b.right());
      l.baseX1 = c - half, l.baseX2 = c + half;
      l.baseY1 = l.baseY2 = BalloonPlacementEdge(l.placement) == kEdgeTop ? b.top : b.bottom();
      break;
    }
    case kEdgeLeft:
    case kEdgeRight: {
      int c = centre(l.tipY, b.top, b.bottom());
      l.baseY1 = c - half, l.baseY2 = c + half;
      l.baseX1 = l.baseX2 = BalloonPlacementEdge(l.placement) == kEdgeLeft ? b.left : b.right();
      break;
    }
  }
}

}  // namespace

BalloonLayout LayOutBalloon(int placement, int x, int y, BalloonSize size, const BalloonRect& screen) {
  size.width = std::max(size.width, 2 * (kCornerRadius + kBalloonPointerBase));
  size.height = std::max(size.height, 2 * kCornerRadius + kBalloonPointerBase);
  int p = std::clamp(placement, 0, 11);
  // Mirror only when that makes the balloon leave the screen less.
  int over = OverflowX(Bounds(Place(p, x, y, size)), screen);
  if (over > 0 && OverflowX(Bounds(Place(MirrorVertical(p), x, y, size)), screen) < over) p = MirrorVertical(p);
  over = OverflowY(Bounds(Place(p, x, y, size)), screen);
  if (over > 0 && OverflowY(Bounds(Place(MirrorHorizontal(p), x, y, size)), screen) < over)
    p = MirrorHorizontal(p);
  BalloonLayout l = Place(p, x, y, size);

  // Then shift. Along the pointer's edge only the body slides and the tip stays on
  // the point as long as it still meets the edge; across it the whole balloon moves.
  BalloonRect b = Bounds(l);
  int dx = ShiftInto(b.left, b.right(), screen.left, screen.right());
  int dy = ShiftInto(b.top, b.bottom(), screen.top, screen.bottom());
  l.body.left += dx, l.body.top += dy;
  const int keep = kCornerRadius + kBalloonPointerBase / 2;
  BalloonEdge edge = BalloonPlacementEdge(p);
  if (edge == kEdgeTop || edge == kEdgeBottom) {
    l.tipX = std::clamp(l.tipX, l.body.left + keep, l.body.right() - keep);
    l.tipY += dy;
  } else {
    l.tipY = std::clamp(l.tipY, l.body.top + keep, l.body.bottom() - keep);
    l.tipX += dx;
  }
  SetBase(l);
  return l;
}

bool SetBalloonSetting(BalloonTipModel& tip, int number, int value) {
  int ms = std::max(0, value);
  switch (number) {
    case kBalloonPlacement:
      if (value < 0 || value > 11) return false;
      tip.placement = value;
      return true;
    case kBalloonKeepWhileMoving: tip.keepWhileMoving = value != 0; return true;
    case kBalloonInitialDelay: tip.initialDelayMs = ms; return true;
    case kBalloonDisplayTime: tip.displayTimeMs = ms; return true;
    case kBalloonFadeInStep: tip.fadeInStepMs = ms; return true;
    case kBalloonFadeOutStep: tip.fadeOutStepMs = ms; return true;
  }
  return false;
}

int BalloonSetting(const BalloonTipModel& tip, int number) {
  switch (number) {
    case kBalloonPlacement: return tip.placement;
    case kBalloonKeepWhileMoving: return tip.keepWhileMoving ? 1 : 0;
    case kBalloonInitialDelay: return tip.initialDelayMs;
    case kBalloonDisplayTime: return tip.displayTimeMs;
    case kBalloonFadeInStep: return tip.fadeInStepMs;
    case kBalloonFadeOutStep: return tip.fadeOutStepMs;
  }
  return -1;
}

BalloonSize EstimateBalloonSize(const Text& text, int icon) {
  int lines = 1, widest = 0, current = 0;
  for (char c : text) {
    if (c == '\n') {
      ++lines, current = 0;
    } else if (c != '\r') {
      widest = std::max(widest, ++current);
    }
  }
  // A GBK character is two bytes and about 12 pixels wide.
  return {widest * 6 + 16 + (icon >= 0 ? 20 : 0), lines * 16 + 12};
}

namespace {

// Fully opaque from this moment on: the last of the fade-in steps.
std::int64_t FullAt(const BalloonTipModel& tip) {
  return tip.showAtMs + static_cast<std::int64_t>(kBalloonFadeSteps - 1) * tip.fadeInStepOfPopUp;
}

}  // namespace

bool BalloonPopUp(BalloonTipModel& tip, std::int64_t nowMs, int x, int y, const Text& text, int icon,
                  bool closeAutomatically) {
  // Nothing to show, but the balloon of the previous request must not linger for this one.
  if (text.empty()) {
    BalloonClose(tip);
    return false;
  }
  BalloonSize size = tip.measure ? tip.measure(text, icon) : EstimateBalloonSize(text, icon);
  tip.view = BalloonView();
  tip.view.text = text;
  tip.view.icon = icon < 0 ? -1 : icon;
  const BalloonRect screen = tip.screenAt ? tip.screenAt(x, y) : tip.screen;
  tip.view.layout = LayOutBalloon(tip.placement, x, y, size, screen.width > 0 && screen.height > 0 ? screen : tip.screen);
  tip.phase = BalloonTipModel::kWaiting;
  tip.closeAutomatically = closeAutomatically;
  tip.fadeInStepOfPopUp = tip.fadeInStepMs;
  tip.fadeOutStepOfPopUp = tip.fadeOutStepMs;
  tip.showAtMs = nowMs + tip.initialDelayMs;
  tip.closeAtMs = FullAt(tip) + tip.displayTimeMs;
  if (tip.poppedUp) tip.poppedUp();
  return true;
}

void BalloonClose(BalloonTipModel& tip) {
  tip.phase = BalloonTipModel::kIdle;
  tip.view.visible = false;
  tip.view.opacity = 0;
}

BalloonView BalloonTick(BalloonTipModel& tip, std::int64_t nowMs) {
  BalloonView& v = tip.view;
  v.visible = false;
  v.opacity = 0;
  if (tip.phase == BalloonTipModel::kIdle) return v;
  if (tip.phase == BalloonTipModel::kWaiting) {
    if (nowMs < tip.showAtMs) return v;
    tip.phase = BalloonTipModel::kShowing;
  }
  const int stepPercent = 100 / kBalloonFadeSteps;
  if (tip.fadeInStepOfPopUp > 0 && nowMs < FullAt(tip)) {
    v.opacity = stepPercent * static_cast<int>(1 + (nowMs - tip.showAtMs) / tip.fadeInStepOfPopUp);
  } else if (!tip.closeAutomatically || nowMs < tip.closeAtMs) {
    v.opacity = 100;
  } else {
    std::int64_t out = tip.fadeOutStepOfPopUp;
    if (out == 0 || nowMs >= tip.closeAtMs + (kBalloonFadeSteps - 1) * out) {
      BalloonClose(tip);
      return v;
    }
    v.opacity = 100 - stepPercent * static_cast<int>(1 + (nowMs - tip.closeAtMs) / out);
  }
  v.visible = true;
  return v;
}

void BalloonPointerMoved(BalloonTipModel& tip, std::int64_t nowMs) {
  if (!tip.keepWhileMoving || !tip.closeAutomatically) return;
  if (!BalloonTick(tip, nowMs).visible) return;
  tip.closeAtMs = std::max(FullAt(tip), nowMs) + tip.displayTimeMs;
}
