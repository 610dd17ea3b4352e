#include "win32/web_box_navigation.h"

#include <windows.h>

#include <cwchar>

bool WebAddress(const std::wstring& url) {
  auto starts = [&](const wchar_t* p) { return _wcsnicmp(url.c_str(), p, std::wcslen(p)) == 0; };
  return starts(L"http://") || starts(L"https://");
}

Navigation JudgeNavigation(bool topFrame, bool ownLoad, const std::wstring& url, bool byUser) {
  if (!topFrame) {
    // The page's own frames load what they name, from the web only.
    return WebAddress(url) || _wcsicmp(url.c_str(), L"about:blank") == 0 ? Navigation::kAllow
                                                                          : Navigation::kCancel;
  }
  if (ownLoad) return Navigation::kAllow;
  return JudgeNewWindow(url, byUser);
}

Navigation JudgeNewWindow(const std::wstring& url, bool byUser) {
  return WebAddress(url) && byUser ? Navigation::kHandOn : Navigation::kCancel;
}
