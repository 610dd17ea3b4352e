#include "platform/shell_open.h"

#include <windows.h>
#include <shellapi.h>

#include "base/address_rule.h"
#include "base/wide_text.h"

bool OpenWithDefaultHandler(const Text& address) {
  // A UNC path would hand the user's login to its host as soon as the shell looks at it.
  if (JudgeAddress(address).kind == AddressKind::kRefused) return false;
  // The shell answers nothing the program could use; a failure shows nothing either.
  ShellExecuteW(nullptr, L"open", WideFromGbk(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return true;
}
