#pragma once
// The peer of the balloon tip: a frameless top-level window that draws the model's
// current view, a rounded bubble whose pointer touches the pop-up point. While a
// pop-up waits or shows, a timer asks the model for its view and feeds it the
// pointer's movements.
//
// The model outlives the widget. Pop-up times must come from the same clock the
// widget ticks with: by default the steady clock in milliseconds, which is what the
// program's ClockService gives.

#include <QPainterPath>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "ui/balloon_tip.h"

class BalloonWidget : public QWidget {
 public:
  // `screen`: the area the balloon keeps to; empty = the screen of each pop-up point.
  explicit BalloonWidget(BalloonTipModel& model, QRect screen = QRect(),
                         std::function<std::int64_t()> clock = nullptr);
  ~BalloonWidget() override;

  // One timer step: reads the view for the clock's current time and shows, moves,
  // repaints or hides the window. Public so that tests can step it.
  void Tick();

  // The window the balloon belongs to: it shows as that window's pop-up (never a
  // window of its own that takes the focus), and where the window system keeps
  // windows' places to itself (Wayland) it stays inside that window.
  void SetOwner(QWidget* owner);

  // Whether the window system tells where windows are (not on Wayland).
  static bool PositionsKnown();

  const BalloonView& view() const { return view_; }
  bool ticking() const { return timer_.isActive(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // The bubble and its pointer, in the widget's coordinates when it sits at `origin`.
  static QPainterPath Shape(const BalloonLayout& layout, QPoint origin);

  // Gives the shown window's surface an empty input region (Wayland): clicks and moves
  // go to what lies below.
  void ClearInputRegion();
  // A modal window other than the owner is open: the owner takes no input now.
  bool Blocked() const;

  // The area of the owner window, in the coordinates pop-up points are given in.
  BalloonRect OwnerArea() const;

  BalloonTipModel& model_;
  QPointer<QWidget> owner_;
  std::function<std::int64_t()> clock_;
  QTimer timer_;
  BalloonView view_;
  QPoint lastPointer_;
  QFont font_;
};

// Milliseconds of the steady clock: the clock pop-ups of the real program use.
std::int64_t SteadyClockMs();
