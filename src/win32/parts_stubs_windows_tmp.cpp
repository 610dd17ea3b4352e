// TEMPORARY stand-ins for the parts of win32/parts.h until their own files land; delete at merge.
// Nothing here is shown: no board, no balloon, no web box, no dialogs.

#include "win32/parts.h"

HWND CreateBoardWindow(SpriteBoard&, HWND, std::shared_ptr<bool>) { return nullptr; }
std::unique_ptr<BalloonWindow> CreateBalloonWindow(BalloonTip&) { return nullptr; }
std::unique_ptr<WebBoxHost> CreateWebBoxHost(WebBox&, HWND, std::shared_ptr<bool>) { return nullptr; }
Image GdiTextRasterizer::Render(const Text&, const SpriteFont&, Colour) { return {}; }
int Win32MessageBox::Show(const Text&, int, const Text*) { return kMbOk; }
bool Win32InputBox::Ask(const Text*, const Text*, const Text&, Text&, int) { return false; }
bool Win32FileDialog::Open(const Text&, Text&) { return false; }
int Win32Pointer::PointerX() { return 0; }
int Win32Pointer::PointerY() { return 0; }
