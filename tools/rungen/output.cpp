#include "output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {
[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  std::fprintf(stderr, "rungen: %s %s: %s\n", what.c_str(), path.c_str(), std::strerror(errno));
  std::exit(1);
}
}  // namespace

void Output::MakeDirs(const std::string& relative) const {
  std::error_code ec;
  std::filesystem::create_directories(Host(relative), ec);
  if (ec) Fail("cannot create", Host(relative));
}

void Output::Write(const std::string& relative, const Bytes& bytes, mode_t mode) const {
  size_t slash = relative.rfind('/');
  if (slash != std::string::npos) MakeDirs(relative.substr(0, slash));
  std::string path = Host(relative);
  // Replace, never reuse, so the mode is exactly the one asked for.
  unlink(path.c_str());
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0) Fail("cannot write", path);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) Fail("cannot write", path);
    done += static_cast<size_t>(n);
  }
  if (fchmod(fd, mode) != 0) Fail("cannot set the mode of", path);
  if (close(fd) != 0) Fail("cannot write", path);
}
