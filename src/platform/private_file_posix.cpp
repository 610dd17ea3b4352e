#include "platform/private_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

// A name beside the target that no one else has made: O_EXCL fails on anything there,
// a link included, and then the next name is tried.
int CreateTemporary(const std::string& path, unsigned mode, std::string* temp) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
    const int fd = open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& bytes, unsigned mode, std::string* error,
                        bool flush) {
  std::string temp;
  const int fd = CreateTemporary(path, mode & 0777, &temp);
  if (fd < 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && (!flush || fsync(fd) == 0);
  const int saved = errno;
  ok = close(fd) == 0 && ok;
  // rename() replaces the directory entry: a link at `path` goes, its target is untouched.
  if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
  *error = "cannot write " + path + ": " + std::strerror(ok ? errno : saved);
  unlink(temp.c_str());
  return false;
}
