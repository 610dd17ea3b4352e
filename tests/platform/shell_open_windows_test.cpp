#include "platform/shell_open.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

namespace {

// Under wine the shell's "open" verb for a web address ends in the host's xdg-open. The
// Windows build's tests put a stub first on PATH that notes each address it gets in the
// file VINKABO_OPEN_LOG names (a host path, reached here through wine's Z: drive; wine
// hands no VK_ variable on to Windows programs).
TEST(ShellOpenWindows, AWebAddressReachesTheDefaultHandlerUnchanged) {
  const char* log = std::getenv("VINKABO_OPEN_LOG");
  if (!log) GTEST_SKIP() << "needs the stub handler the Windows build's tests set up";
  const std::string file = std::string("Z:") + log;
  std::remove(file.c_str());

  const std::string address = "https://www.example.com/a/b?q=1&r=two#part";
  OpenWithDefaultHandler(address);

  std::string line;
  for (int i = 0; i < 300 && line.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(file);
    std::getline(in, line);
  }
  EXPECT_EQ(line, address);
}

// "open" on a UNC path hands the user's login to the share's host and runs what is
// there; an option or a control character confuses the handler. None of them reaches
// the shell, and a web address after them still does.
TEST(ShellOpenWindows, RefusedAddressesNeverReachTheShell) {
  const char* log = std::getenv("VINKABO_OPEN_LOG");
  if (!log) GTEST_SKIP() << "needs the stub handler the Windows build's tests set up";
  const std::string file = std::string("Z:") + log;
  std::remove(file.c_str());

  for (const std::string address : {"\\\\127.0.0.1\\share\\setup.exe", "//127.0.0.1/share/x.exe",
                                     "file://127.0.0.1/share/x.exe", "smb://host/share", "--help",
                                     "http://a\nhttp://b", "java\tscript:alert(1)", ""})
    EXPECT_FALSE(OpenWithDefaultHandler(address)) << address;
  const std::string address = "http://www.example.com/after";
  EXPECT_TRUE(OpenWithDefaultHandler(address));

  std::string line;
  for (int i = 0; i < 300 && line.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::ifstream in(file);
    std::getline(in, line);
  }
  EXPECT_EQ(line, address) << "something reached the shell before the web address";
}

}  // namespace
