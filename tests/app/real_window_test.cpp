// The real program under a real X server (Xvfb): one top-level window with the title,
// place and size of the layout; a click on the close button at its layout position
// ends the process with exit code 0. Skipped when Xvfb, xdotool or the program are not
// there (failed in CI). The program gets a run directory of its own (a copy beside no data), a stub
// xdg-open first on PATH and proxies on loopback, so nothing leaves the machine.

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/x_session.h"

namespace fs = std::filesystem;
using namespace x_session;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";

// Waits up to `seconds` for the process to end; true with its status.
bool WaitFor(pid_t pid, int seconds, int& status) {
  for (int i = 0; i < seconds * 20; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

class RealWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = fs::path(VK_BINARY_DIR) / "run" / "vinkabo";
    X_SESSION_REQUIRE(OnPath("Xvfb") && OnPath("xdotool"), "needs Xvfb and xdotool");
    X_SESSION_REQUIRE(fs::exists(program_), "the program is not built: " << program_);
    dir_ = fs::temp_directory_path() / ("vk_real_window_" + std::to_string(getpid()));
    fs::create_directories(dir_ / "bin");
    fs::copy_file(program_, dir_ / "vinkabo", fs::copy_options::overwrite_existing);
    std::ofstream(dir_ / "bin" / "xdg-open") << "#!/bin/sh\nexit 0\n";
    fs::permissions(dir_ / "bin" / "xdg-open", fs::perms::owner_all);

    display_ = x_.Start();
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";
  }

  void TearDown() override {
    Kill(app_, SIGKILL);
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  std::vector<std::string> Env() const { return LoopbackEnv(display_, (dir_ / "bin").string()); }
  std::vector<std::string> Xdotool(std::vector<std::string> args) const {
    args.insert(args.begin(), "xdotool");
    return OutputLines(args, Env());
  }

  fs::path program_, dir_;
  std::string display_;
  XServer x_;
  pid_t app_ = -1;
};

TEST_F(RealWindowTest, OneFramelessWindowAtItsPlaceAndTheCloseButtonEndsWithZero) {
  app_ = Spawn({(dir_ / "vinkabo").string()}, Env());
  std::vector<std::string> mains;
  for (int i = 0; i < 1200 && mains.empty(); ++i) {  // a sanitized build on a busy machine starts slowly
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    mains = Xdotool({"search", "--onlyvisible", "--name", std::string("^") + kTitle + "$"});
  }
  ASSERT_EQ(mains.size(), 1u) << "one top-level window with the title";
  const std::string main = mains[0];
  const std::vector<std::string> geometry = Xdotool({"getwindowgeometry", main});
  ASSERT_GE(geometry.size(), 3u);
  EXPECT_NE(geometry[1].find("Position: 50,50"), std::string::npos) << geometry[1];
  EXPECT_NE(geometry[2].find("Geometry: 800x650"), std::string::npos) << geometry[2];

  // A picture of the screen as the user first sees it, for a look (test_qt's grab mode).
  const fs::path grabber = fs::path(VK_BINARY_DIR) / "test_qt";
  if (fs::exists(grabber)) {
    std::vector<std::string> env = Env();
    env.push_back("VK_GRAB_TO=" + (fs::path(VK_BINARY_DIR) / "screenshots" / "real_start.png").string());
    fs::create_directories(fs::path(VK_BINARY_DIR) / "screenshots");
    OutputLines({grabber.string(), "--gtest_filter=ScreenGrab.*"}, env);
  }

  // Start-up on an empty run directory reports its missing tables: answer each box.
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> others;
    for (const std::string& w : Xdotool({"search", "--onlyvisible", "--name", "."}))
      if (w != main) others.push_back(w);
    if (others.empty()) break;
    for (const std::string& w : others) {
      Xdotool({"windowfocus", "--sync", w});
      Xdotool({"key", "--clearmodifiers", "Return"});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  // The close button 按钮1 at 760, 3 (32 x 20) in the window at 50, 50.
  Xdotool({"mousemove", "--sync", std::to_string(50 + 760 + 16), std::to_string(50 + 3 + 10)});
  Xdotool({"click", "1"});
  int status = 0;
  ASSERT_TRUE(WaitFor(app_, 20, status)) << "the program did not end";
  app_ = -1;
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
