#pragma once
// The Win32 peers that are more than a native control: the sprite board, the balloon
// tip, the web box, the sprite texts and the dialogs. The window backend
// (win32/win32_backend.h) creates them while it builds a window's peers.

#include <windows.h>

#include <memory>

#include "forms/controls.h"
#include "ui/services.h"
#include "ui/text_rasterizer.h"

// A child window at the board control's rectangle that shows the board's composed
// surface and feeds it the pointer. It never owns the model and stops touching it once
// `alive` is false. Destroyed with its parent.
HWND CreateBoardWindow(SpriteBoard& board, HWND parent, std::shared_ptr<bool> alive);

// The balloon tip: a layered, non-activating tool window transparent to input, ticking
// the model on its own timer, owned by the window `owner` it belongs to. Deleting it
// destroys the window.
class BalloonWindow {
 public:
  virtual ~BalloonWindow() = default;
};
std::unique_ptr<BalloonWindow> CreateBalloonWindow(BalloonTip& tip, HWND owner);

// The web box: the system's web browser control in a child window at the control's
// rectangle. Null when the control cannot be created: the program runs on without it.
class WebBoxHost {
 public:
  virtual ~WebBoxHost() = default;
  virtual HWND window() const = 0;
  virtual void SetShown(bool shown) = 0;
};
std::unique_ptr<WebBoxHost> CreateWebBoxHost(WebBox& box, HWND parent, std::shared_ptr<bool> alive);

// Sprite texts through GDI.
class GdiTextRasterizer : public TextRasterizer {
 public:
  Image Render(const Text& text, const SpriteFont& font, Colour colour) override;
};

// The dialogs of the services bundle.
class Win32MessageBox : public MessageBoxService {
 public:
  int Show(const Text& text, int flags, const Text* caption) override;
};
class Win32InputBox : public InputBoxService {
 public:
  bool Ask(const Text* prompt, const Text* title, const Text& initial, Text& target,
           int inputMode) override;
};
class Win32FileDialog : public FileDialogService {
 public:
  bool Open(const Text& initialDirectory, Text& fileName) override;
};
class Win32Pointer : public PointerService {
 public:
  int PointerX() override;
  int PointerY() override;
};
