#pragma once
// The program's window classes: this module's, with the arrow cursor.

#include <windows.h>

// True once the class exists (registered now or before).
inline bool RegisterProgramClass(const wchar_t* name, WNDPROC proc, UINT style = 0, HICON icon = nullptr,
                                 HBRUSH background = nullptr) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hIcon = icon;
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
