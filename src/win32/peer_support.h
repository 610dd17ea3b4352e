#pragma once
// What the peer files share: finding a peer from its HWND, making a child control, and
// reading a control's text back.

#include <windows.h>

#include <string>

class ControlPeer;

// The peer attached to one of our controls; null for any other window.
ControlPeer* PeerOf(HWND hwnd);
// Detaches the peer from a window that is going.
void ForgetPeer(HWND hwnd);
// A hidden child window of `cls` with its own control id, clipping its siblings.
HWND MakeChild(const wchar_t* cls, const std::wstring& text, DWORD style, DWORD exStyle, HWND parent);
std::wstring WindowTextOf(HWND hwnd);
