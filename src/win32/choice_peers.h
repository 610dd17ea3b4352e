#pragma once
// Check boxes and drop-down combo boxes: the system's own controls.

#include <memory>

#include "win32/control_peers.h"

std::unique_ptr<ControlPeer> MakeCheckBoxPeer(CheckBox& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                              FontCache& fonts);
std::unique_ptr<ControlPeer> MakeComboBoxPeer(ComboBox& model, OpenWindow& window, TabPeer* tab, HWND parent,
                                              FontCache& fonts);
