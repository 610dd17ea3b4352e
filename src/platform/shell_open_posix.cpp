#include "platform/shell_open.h"

#include "base/address_rule.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>

extern char** environ;

bool OpenWithDefaultHandler(const Text& address) { return StartXdgOpen(address) > 0; }

pid_t StartXdgOpen(const Text& address) {
  if (JudgeAddress(address).kind == AddressKind::kRefused) return -1;
  std::string program = "xdg-open";
  std::string argument = GbkToUtf8(address);
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = -1;
  if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
  // xdg-open may live as long as the browser it started; one small waiter per
  // child reaps it whenever it ends, without holding up the window.
  std::thread([child] {
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return child;
}
