#pragma once
// Labels (painted here: colours, gradient, font, caption, the parent showing through) and
// edit boxes (the system's EDIT, masked with "*" in password mode).

#include <memory>

#include "win32/control_peers.h"

std::unique_ptr<ControlPeer> MakeLabelPeer(Label& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                           FontCache& fonts);
std::unique_ptr<ControlPeer> MakeEditBoxPeer(EditBox& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                             FontCache& fonts);
// The window class the labels are made of. Once per process.
void RegisterLabelClass();
