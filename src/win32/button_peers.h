#pragma once
// Push buttons (a caption, or only the program's picture) and graphic buttons (drawn from
// their normal, hover and pressed pictures).

#include <memory>

#include "win32/control_peers.h"

std::unique_ptr<ControlPeer> MakeButtonPeer(Button& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                            FontCache& fonts);
std::unique_ptr<ControlPeer> MakeGraphicButtonPeer(GraphicButton& model, OpenWindow& window, HWND parent);
// The window class the graphic buttons are made of. Once per process.
void RegisterGraphicButtonClass();
