#include "win32/web_box_navigation.h"

#include <windows.h>

#include <mshtmdid.h>

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

bool SpendClick(BoxClick& click, unsigned long now) {
  if (!click.pending) return false;
  click.pending = false;
  return static_cast<DWORD>(now - click.tick) <= kUserClickMs;
}

unsigned long WebBoxDownloadControl() {
  return DLCTL_DLIMAGES | DLCTL_NO_SCRIPTS | DLCTL_NO_JAVA | DLCTL_NO_RUNACTIVEXCTLS | DLCTL_NO_DLACTIVEXCTLS |
         DLCTL_NO_FRAMEDOWNLOAD | DLCTL_NO_BEHAVIORS | DLCTL_NO_CLIENTPULL | DLCTL_SILENT;
}
