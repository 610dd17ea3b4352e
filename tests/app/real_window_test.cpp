// The real program under a real X server (Xvfb): one top-level window with the title,
// place and size of the layout; a click on the close button at its layout position
// ends the process with exit code 0. Skipped when Xvfb, xdotool or the program are not
// there. The program gets a run directory of its own (a copy beside no data), a stub
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

namespace fs = std::filesystem;

namespace {

const char kTitle[] = "Vinkabo_Tamsor专用";

bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
  return false;
}

// Starts argv with `env` added to the environment; stdout into `outFd` when >= 0.
pid_t Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, int outFd = -1,
            int keepFd = -1) {
  pid_t pid = fork();
  if (pid == 0) {
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    if (outFd >= 0) dup2(outFd, 1);
    int devnull = open("/dev/null", O_WRONLY);
    dup2(devnull, 2);
    if (outFd < 0) dup2(devnull, 1);
    for (int fd = 3; fd < 256; ++fd)
      if (fd != keepFd) close(fd);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

// Runs a tool to its end and returns what it printed.
std::string Output(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t pid = Start(argv, env, fds[1]);
  close(fds[1]);
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) out.push_back(line);
  return out;
}

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
    if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "needs Xvfb and xdotool";
    if (!fs::exists(program_)) GTEST_SKIP() << "the program is not built: " << program_;
    dir_ = fs::temp_directory_path() / ("vk_real_window_" + std::to_string(getpid()));
    fs::create_directories(dir_ / "bin");
    fs::copy_file(program_, dir_ / "vinkabo", fs::copy_options::overwrite_existing);
    std::ofstream(dir_ / "bin" / "xdg-open") << "#!/bin/sh\nexit 0\n";
    fs::permissions(dir_ / "bin" / "xdg-open", fs::perms::owner_all);

    // A free display: Xvfb picks it and tells it through the pipe.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    xvfb_ = Start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                   "-nolisten", "tcp"},
                  {}, -1, fds[1]);
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start";
    display_ = "DISPLAY=:" + number;
  }

  void TearDown() override {
    if (app_ > 0) {
      kill(app_, SIGKILL);
      waitpid(app_, nullptr, 0);
    }
    if (xvfb_ > 0) {
      kill(xvfb_, SIGTERM);
      waitpid(xvfb_, nullptr, 0);
    }
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  std::vector<std::string> Env() const {
    const char* path = std::getenv("PATH");
    return {display_, "PATH=" + (dir_ / "bin").string() + ":" + (path ? path : ""),
            "QT_QPA_PLATFORM=xcb", "http_proxy=http://127.0.0.1:9", "https_proxy=http://127.0.0.1:9",
            "HTTP_PROXY=http://127.0.0.1:9", "HTTPS_PROXY=http://127.0.0.1:9",
            "all_proxy=http://127.0.0.1:9", "ALL_PROXY=http://127.0.0.1:9", "no_proxy=", "NO_PROXY="};
  }
  std::vector<std::string> Xdotool(std::vector<std::string> args) const {
    args.insert(args.begin(), "xdotool");
    return Lines(Output(args, Env()));
  }

  fs::path program_, dir_;
  std::string display_;
  pid_t xvfb_ = -1, app_ = -1;
};

TEST_F(RealWindowTest, OneFramelessWindowAtItsPlaceAndTheCloseButtonEndsWithZero) {
  app_ = Start({(dir_ / "vinkabo").string()}, Env());
  std::vector<std::string> mains;
  for (int i = 0; i < 400 && mains.empty(); ++i) {  // start-up may wait on the network test
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
    Output({grabber.string(), "--gtest_filter=ScreenGrab.*"}, env);
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
