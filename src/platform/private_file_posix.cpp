#include "platform/private_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

bool WritePrivateFile(const std::string& path, const std::string& bytes, std::string* error) {
  const std::string temp = path + ".tmp-" + std::to_string(getpid());
  // O_EXCL: never write into a file (or through a link) someone else put there.
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    *error = "cannot create " + temp + ": " + std::strerror(errno);
    return false;
  }
  bool ok = fchmod(fd, 0600) == 0;  // the mode, whatever the umask
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && fsync(fd) == 0;
  const int saved = errno;
  ok = close(fd) == 0 && ok;
  if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
  *error = "cannot write " + path + ": " + std::strerror(ok ? errno : saved);
  unlink(temp.c_str());
  return false;
}
