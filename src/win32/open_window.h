#pragma once
// The backend's record of one open window: its model, its top-level HWND, its peers
// and the windows of their own it owns. Shared by the window procedures, which find it
// through their HWNDs, and the backend, which frees it only once no procedure of the
// window is running (depth 0) and its HWND is gone.

#include <windows.h>

#include <memory>
#include <vector>

#include "forms/controls.h"
#include "win32/dib_picture.h"
#include "win32/parts.h"

// False once the window's model is destroyed: from then on nothing touches the model.
using Liveness = std::shared_ptr<bool>;

class ControlPeer;

struct OpenWindow {
  Window* model = nullptr;
  HWND hwnd = nullptr;
  Liveness alive = std::make_shared<bool>(true);
  bool modal = false;
  bool ended = false;  // the model was destroyed; the HWND goes once depth is 0
  int depth = 0;       // procedures of this window now on the stack

  DibPicture background;
  int backgroundVersion = -1;

  std::vector<std::unique_ptr<ControlPeer>> peers;
  std::vector<std::unique_ptr<BalloonWindow>> balloons;
  std::vector<std::unique_ptr<WebBoxHost>> webBoxes;
};

// Counts a window procedure of `window` as running while it lives.
class DepthGuard {
 public:
  explicit DepthGuard(OpenWindow* window) : window_(window) {
    if (window_) ++window_->depth;
  }
  ~DepthGuard() {
    if (window_) --window_->depth;
  }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  OpenWindow* window_;
};

// Asks a container window (the top-level window or a tab page) to paint its background
// into the device context in WPARAM: controls that show what lies behind them use it.
inline constexpr UINT kPaintBackgroundMessage = WM_APP + 0x10;
// Posted to the thread to wake a message loop after a window was destroyed.
inline constexpr UINT kWakeMessage = WM_APP + 0x11;
// Posted to the backend's mailbox window by work that ran aside: LPARAM is its result.
inline constexpr UINT kAsideDoneMessage = WM_APP + 0x12;

// Paints the parent's background under `child` into `dc` (in the child's coordinates).
void PaintParentBackground(HWND child, HDC dc);
