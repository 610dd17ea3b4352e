#pragma once
// A user's hands under wine: xdotool, a program of the X session wine draws into, moves
// the pointer and presses its buttons for real. Wine starts it like any program.

#include <windows.h>

#include <functional>
#include <string>

namespace x_input {

inline const wchar_t* XdotoolPath() { return L"Z:\\usr\\bin\\xdotool"; }

inline bool Available() {
  return GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) > 0 &&
         GetFileAttributesW(XdotoolPath()) != INVALID_FILE_ATTRIBUTES;
}

inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Pumps this thread's messages until `done` holds or `ms` have passed.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  return true;
}

// Starts xdotool with `args` ("mousemove 10 20 click 1"). Wine runs it as a Unix
// process whose handle tells nothing of its end: callers pump until they see its effect.
inline bool Xdotool(const std::wstring& args) {
  std::wstring command = L"xdotool " + args;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(XdotoolPath(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

}  // namespace x_input
