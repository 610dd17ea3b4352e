#include "platform/shell_open.h"

#include <windows.h>
#include <shellapi.h>

#include "base/wide_text.h"

void OpenWithDefaultHandler(const Text& address) {
  // The shell answers nothing the program could use; a failure shows nothing either.
  ShellExecuteW(nullptr, L"open", WideFromGbk(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
