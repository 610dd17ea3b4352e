#pragma once
// What the program asks of a window backend: show a window from its model, run the
// message loop until a window has been destroyed. The Qt backend does it on screen;
// the scripted backend (forms/scripted_backend.h) does it in tests without a toolkit.

#include <functional>

#include "forms/controls.h"

class WindowBackend {
 public:
  virtual ~WindowBackend() = default;
  // Creates the window's peers at the layout's geometry and shows it. A modal window
  // blocks input to every other window of the program while it is open.
  virtual void ShowWindow(Window& window, bool modal) = 0;
  // Runs the message loop until `window` has been destroyed (at once if it already
  // is). Destroying the main window also ends every loop running inside this one.
  virtual void RunUntilDestroyed(Window& window) = 0;
  // Runs `work`, which may block for seconds (the network), away from the message loop,
  // so the windows keep painting and answering meanwhile; `done` then gets its result
  // inside the loop, unless the program has ended by then. Without a loop of its own a
  // backend runs both at once, in place.
  virtual void RunAside(std::function<int()> work, std::function<void(int)> done) { done(work()); }
};
