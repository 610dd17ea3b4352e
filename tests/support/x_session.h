#pragma once
// Running the real program under a private Xvfb for the tests that act as a user:
// child processes, their output, the X server, and an environment that keeps every
// request on loopback (a stub xdg-open first on PATH, every proxy at a loopback port
// nobody listens on).

#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace x_session {

// True in a CI run (CI=true, as CI services set it).
inline bool InCi() {
  const char* ci = std::getenv("CI");
  return ci && (std::string(ci) == "true" || std::string(ci) == "1");
}

// Skips the test when `condition` does not hold, saying why; in CI it fails instead,
// so a machine without Xvfb or xdotool cannot pass the real-window tests by skipping.
#define X_SESSION_REQUIRE(condition, why)                                        \
  do {                                                                            \
    if (!(condition)) {                                                           \
      if (::x_session::InCi()) GTEST_FAIL() << why << " (required when CI=true)"; \
      GTEST_SKIP() << why;                                                        \
    }                                                                             \
  } while (0)

inline bool OnPath(const std::string& tool) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');)
    if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
  return false;
}

// Starts argv with `env` added; stdout into `outFd` (else /dev/null), stderr to
// /dev/null, every other descriptor but `keepFd` closed.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env, int outFd = -1,
                   int keepFd = -1) {
  pid_t pid = fork();
  if (pid == 0) {
    for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
    int devnull = open("/dev/null", O_WRONLY);
    dup2(outFd >= 0 ? outFd : devnull, 1);
    dup2(devnull, 2);
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

// Runs a tool to its end; the non-empty lines it printed.
inline std::vector<std::string> OutputLines(const std::vector<std::string>& argv,
                                            const std::vector<std::string>& env) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  pid_t pid = Spawn(argv, env, fds[1]);
  close(fds[1]);
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, n);
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  std::vector<std::string> lines;
  std::stringstream in(out);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

inline void Kill(pid_t& pid, int signal) {
  if (pid <= 0) return;
  kill(pid, signal);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

// A private X server on a free display, which Xvfb picks and reports. It must not reset
// when its last client leaves: a program connecting during that reset is refused, and Qt
// aborts at start.
class XServer {
 public:
  ~XServer() { Kill(pid_, SIGTERM); }
  // "DISPLAY=:N", or empty when Xvfb did not start.
  std::string Start() {
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-noreset", "-screen", "0", "1280x1024x24", "-nolisten",
                  "tcp"},
                 {}, -1, fds[1]);
    close(fds[1]);
    std::string number;
    for (char c; read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
    close(fds[0]);
    return number.empty() ? std::string() : "DISPLAY=:" + number;
  }

 private:
  pid_t pid_ = -1;
};

// A proxy that leads nowhere: a loopback port this process keeps bound, never listening,
// for its whole life. No other program can take it, and every connection is refused.
inline std::string DeadProxy() {
  static const std::string proxy = [] {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return std::string("http://127.0.0.1:0");  // nothing can listen on port 0 either
    return "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
  }();
  return proxy;
}

// The program's environment: the display, `binDir` (with the stub xdg-open) first on
// PATH, the xcb platform, and proxies that lead nowhere but loopback.
inline std::vector<std::string> LoopbackEnv(const std::string& display, const std::string& binDir) {
  const char* path = std::getenv("PATH");
  const std::string p = DeadProxy();
  return {display, "PATH=" + binDir + ":" + (path ? path : ""), "QT_QPA_PLATFORM=xcb",
          "http_proxy=" + p, "https_proxy=" + p, "HTTP_PROXY=" + p, "HTTPS_PROXY=" + p, "all_proxy=" + p,
          "ALL_PROXY=" + p, "no_proxy=", "NO_PROXY="};
}

}  // namespace x_session
