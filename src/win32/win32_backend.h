#pragma once
// The Win32 window backend: each window of the model becomes a top-level window with
// one native control per control, and each message loop is a GetMessage loop that ends
// when its window is destroyed. Destroying the main window (the first window shown that
// is not modal) destroys every other open window too, so every loop returns and the
// program ends.
//
// A handler may destroy a window in the middle of one of its messages: the model is let
// go at once (nothing touches it again), the HWND is hidden and destroyed only once no
// procedure of that window is on the stack.

#include <windows.h>

#include <memory>
#include <vector>

#include "forms/window_backend.h"
#include "win32/fonts.h"
#include "win32/open_window.h"
#include "win32/parts.h"

class Win32WindowBackend : public WindowBackend {
 public:
  Win32WindowBackend();
  ~Win32WindowBackend() override;
  void ShowWindow(Window& window, bool modal) override;
  void RunUntilDestroyed(Window& window) override;

  // The top-level window of an open window; null when not open.
  HWND HandleOf(const Window& window) const;

 private:
  std::shared_ptr<OpenWindow> Find(const Window& window) const;
  void Destroyed(Window& window);
  void UpdateEnabled(OpenWindow& window);
  // Destroys the HWNDs of destroyed windows no procedure is running in, and forgets them.
  void Reap();
  bool DialogMessage(MSG& msg);

  std::vector<std::shared_ptr<OpenWindow>> open_;
  Window* main_ = nullptr;
  FontCache fonts_;
  GdiTextRasterizer rasterizer_;
  std::shared_ptr<bool> backendAlive_;
};
