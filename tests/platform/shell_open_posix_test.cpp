#include "platform/shell_open.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// A stub xdg-open first on PATH that writes its arguments, one per NUL, so that
// no browser starts and the test sees exactly what arrived.
class StubXdgOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ::testing::TempDir() + "stub_xdg_open_" + std::to_string(getpid());
    mkdir(dir_.c_str(), 0700);
    record_ = dir_ + "/argv";
    marker_ = dir_ + "/shell_ran";
    std::string script = dir_ + "/xdg-open";
    std::ofstream(script) << "#!/bin/sh\n"
                          << "printf '%s\\0' \"$#\" \"$@\" > '" << record_ << ".part'\n"
                          << "mv '" << record_ << ".part' '" << record_ << "'\n";
    chmod(script.c_str(), 0700);
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    setenv("PATH", (dir_ + ":" + savedPath_).c_str(), 1);
  }
  void TearDown() override { setenv("PATH", savedPath_.c_str(), 1); }

  // Waits for the stub to finish and returns the arguments it got (count first).
  std::vector<std::string> Arguments() {
    for (int i = 0; i < 1000 && access(record_.c_str(), F_OK) != 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(record_, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    std::vector<std::string> parts;
    std::string part;
    for (char c : content.str()) {
      if (c == '\0') parts.push_back(part), part.clear();
      else part.push_back(c);
    }
    unlink(record_.c_str());
    return parts;
  }

  static bool Reaped(pid_t child) {
    for (int i = 0; i < 1000; ++i) {
      if (kill(child, 0) != 0) return true;  // gone: not even a zombie is left
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  std::string dir_, record_, marker_, savedPath_;
};

TEST_F(StubXdgOpen, TheAddressArrivesAsOneUnchangedArgument) {
  const std::vector<std::string> addresses = {
      "http://www.example.com/a b?q=1&r=2",
      "it's \"quoted\" `here`",
      "http://x/; touch '" + marker_ + "'",
      "$(touch '" + marker_ + "') | touch '" + marker_ + "' > /dev/null",
      "file:///etc/passwd",  // not a web address, but the user agreed before it got here
  };
  for (const std::string& address : addresses) {
    pid_t child = StartXdgOpen(address);
    ASSERT_GT(child, 0);
    std::vector<std::string> got = Arguments();
    ASSERT_EQ(got.size(), 2u) << address;
    EXPECT_EQ(got[0], "1");
    EXPECT_EQ(got[1], address);
    EXPECT_TRUE(Reaped(child)) << "xdg-open left as a zombie";
  }
  EXPECT_NE(access(marker_.c_str(), F_OK), 0) << "an address was run by a shell";
}

TEST_F(StubXdgOpen, GbkTextReachesTheDesktopAsUtf8) {
  SystemShellService shell;
  shell.OpenAddress(Utf8ToGbk("http://例子.中国/收藏"));
  std::vector<std::string> got = Arguments();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1], "http://例子.中国/收藏");
}

// Whoever calls, an option, a control character or a network share never reaches the
// desktop's handler: xdg-open would read "--help" as its own option, a browser drops the
// tab in "java\tscript:".
TEST_F(StubXdgOpen, RefusedAddressesNeverReachTheHandler) {
  for (const std::string address : {"--help", "-x", "", " --new-window", "java\tscript:alert(1)",
                                     "http://a\nhttp://b", "\\\\host\\share\\setup.exe", "smb://host/share",
                                     "file://host/share/a.exe"}) {
    EXPECT_EQ(StartXdgOpen(address), -1) << address;
    EXPECT_FALSE(OpenWithDefaultHandler(address)) << address;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_NE(access(record_.c_str(), F_OK), 0) << "a refused address reached xdg-open";
  // The next web address still goes through.
  ASSERT_TRUE(OpenWithDefaultHandler("https://www.example.com/"));
  std::vector<std::string> got = Arguments();
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[1], "https://www.example.com/");
}

TEST(XdgOpenMissing, ReportsThatNothingStarted) {
  const char* path = std::getenv("PATH");
  std::string saved = path ? path : "";
  setenv("PATH", "/nonexistent", 1);
  EXPECT_EQ(StartXdgOpen("http://www.example.com/"), -1);
  setenv("PATH", saved.c_str(), 1);
}

}  // namespace
