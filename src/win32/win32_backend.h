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

#include <functional>
#include <memory>
#include <mutex>
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
  // `work` on a thread of its own; `done` posted back to the loop's thread.
  void RunAside(std::function<int()> work, std::function<void(int)> done) override;

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
  // A message-only window that finished work posts its result to; gone with the
  // backend, so a thread still waiting on the network then finds nobody to tell.
  struct Mailbox {
    std::mutex mutex;
    HWND hwnd = nullptr;
  };
  std::shared_ptr<Mailbox> mailbox_;
};
