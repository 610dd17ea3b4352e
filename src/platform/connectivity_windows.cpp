#include "platform/connectivity.h"

#include <windows.h>
#include <wininet.h>

#include "base/wide_text.h"

int RunConnectivityTest(const ConnectivityProbe& probe) {
  DWORD state = 0;
  if (!InternetGetConnectedState(&state, 0)) return 0;
  HINTERNET internet = InternetOpenW(L"test", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!internet) return 0;
  // Only whether the request opens counts: nothing is read and the status is not looked at.
  int result = 0;
  std::wstring url(probe.url.begin(), probe.url.end());  // an ASCII address
  if (HINTERNET request = InternetOpenUrlW(internet, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0)) {
    InternetCloseHandle(request);
    result = 1;
  }
  InternetCloseHandle(internet);
  return result;
}
