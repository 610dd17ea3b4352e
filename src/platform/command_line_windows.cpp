#include "platform/command_line.h"

#include <windows.h>
#include <shellapi.h>

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  int n = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &n);
  if (!wide) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> args;
  for (int i = 1; i < n; ++i) {
    int len = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(len > 0 ? len - 1 : 0, '\0');
    if (len > 1) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8.data(), len, nullptr, nullptr);
    args.push_back(std::move(utf8));
  }
  LocalFree(wide);
  return args;
}
