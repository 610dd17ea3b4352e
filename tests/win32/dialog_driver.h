#pragma once
// Drives the program's modal dialogs from inside their own message loops: a thread
// timer finds the dialog the call under test opened and acts on it as a user would.

#include <windows.h>

#include <functional>
#include <string>

namespace dialog_driver {

inline std::function<void(HWND)>& Script() {
  static std::function<void(HWND)> script;
  return script;
}

inline BOOL CALLBACK FindDialog(HWND w, LPARAM out) {
  wchar_t cls[32] = {};
  GetClassNameW(w, cls, 32);
  if (std::wstring(cls) == L"#32770" && IsWindowVisible(w)) {
    *reinterpret_cast<HWND*>(out) = w;
    return FALSE;
  }
  return TRUE;
}

inline void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog || !Script()) return;  // not open yet
  KillTimer(nullptr, timer);
  auto script = std::move(Script());
  Script() = nullptr;
  script(dialog);
}

// Runs `script` on the next dialog of this thread, once it is shown.
inline void OnNextDialog(std::function<void(HWND)> script) {
  Script() = std::move(script);
  SetTimer(nullptr, 0, 30, Tick);
}

inline std::wstring TextOf(HWND w) {
  std::wstring s(static_cast<size_t>(GetWindowTextLengthW(w)) + 1, L'\0');
  s.resize(GetWindowTextW(w, s.data(), static_cast<int>(s.size())));
  return s;
}

// A click on a button of the dialog, as the button itself reports it.
inline void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

}  // namespace dialog_driver
