#pragma once
// The balloon tip's window, open to the tests that step and inspect it.

#include <windows.h>

#include <cstdint>
#include <functional>

#include "win32/parts.h"

class Win32BalloonWindow : public BalloonWindow {
 public:
  // `clock`: milliseconds the pop-up times come from; null: the steady clock, which is
  // what the program's ClockService gives. `owner`: the window the tip belongs to; the
  // tip stays with it (above it, hidden while it is minimized) and off the task bar.
  explicit Win32BalloonWindow(BalloonTipModel& model, std::function<std::int64_t()> clock = nullptr,
                              HWND owner = nullptr);
  ~Win32BalloonWindow() override;

  HWND window() const { return hwnd_; }
  // One timer step: reads the view for the clock's current time and shows, moves,
  // repaints or hides the window.
  void Tick();
  const BalloonView& view() const { return view_; }
  bool ticking() const { return ticking_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void Paint();
  void StartTimer();
  void StopTimer();

  BalloonTipModel& model_;
  std::function<std::int64_t()> clock_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  BalloonView view_;
  POINT lastPointer_{};
  bool ticking_ = false;
};

// Milliseconds of the steady clock.
std::int64_t SteadyClockMs();
