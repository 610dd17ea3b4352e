#include "base/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <mutex>

namespace {

std::mutex run_dir_mu;
Text run_dir_override;

bool Exists(const std::string& p) {
  struct stat st;
  return lstat(p.c_str(), &st) == 0;
}

// ASCII case folding: the names the program builds are ASCII or CJK, and CJK has no case.
std::string Fold(const std::string& s) {
  std::string r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

// Entry of `dir` whose name equals `name` ignoring case, or `name` itself.
std::string MatchEntry(const std::string& dir, const std::string& name) {
  DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
  if (!d) return name;
  std::string want = Fold(name), found = name;
  while (dirent* e = readdir(d)) {
    if (Fold(e->d_name) == want) {
      found = e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}

}  // namespace

Text RunDirectory() {
  {
    std::lock_guard<std::mutex> lock(run_dir_mu);
    if (!run_dir_override.empty()) return run_dir_override;
  }
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return Text();
  std::string exe(buf, n);
  size_t slash = exe.rfind('/');
  std::string dir = slash == std::string::npos ? std::string() : exe.substr(0, slash);
  return ProgramPath(dir);
}

void SetRunDirectory(const Text& directory) {
  std::lock_guard<std::mutex> lock(run_dir_mu);
  run_dir_override = directory;
  while (run_dir_override.size() > 1 &&
         (run_dir_override.back() == '\\' || run_dir_override.back() == '/'))
    run_dir_override.pop_back();
}

Text ProgramPath(const std::string& host_path) {
  Text p = Utf8ToGbk(host_path);
  // Only ASCII '/' is replaced; GBK trail bytes never equal 0x2F.
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

Text ProgramPathFromUtf8(const std::string& utf8_path) { return ProgramPath(utf8_path); }

std::string HostPath(const Text& program_path) {
  // GBK trail bytes may be 0x5C ('\'), so the conversion comes first and the
  // separators are replaced in the UTF-8 text, where 0x5C is always a backslash.
  std::string p = GbkToUtf8(program_path);
  for (char& c : p)
    if (c == '\\') c = '/';
  if (p.empty() || Exists(p)) return p;

  // Walk the components, fixing the case of each one that does not exist as written.
  const bool absolute = p[0] == '/';
  std::string out;
  bool matching = true;
  size_t i = 0;
  while (i <= p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string comp = p.substr(i, j - i);
    i = j + 1;
    if (comp.empty()) continue;
    std::string prefix = out.empty() ? (absolute ? "/" : "") : out + "/";
    std::string next = prefix + comp;
    if (matching && comp != "." && comp != ".." && !Exists(next)) {
      std::string dir = out.empty() ? (absolute ? "/" : ".") : out;
      next = prefix + MatchEntry(dir, comp);
      if (!Exists(next)) matching = false;  // nothing further down can exist either
    }
    out = next;
  }
  if (out.empty() && absolute) out = "/";
  return out;
}

Text CurrentDirectory() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof buf) ? ProgramPath(buf) : Text();
}

Bytes ReadFileBytes(const Text& program_path, std::size_t max_bytes) {
  Bytes data;
  if (program_path.empty()) return data;
  // Non-blocking, so that a FIFO planted under a picture's name cannot hold the open.
  int fd = open(HostPath(program_path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return data;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      static_cast<std::uint64_t>(st.st_size) > max_bytes) {
    close(fd);
    return data;
  }
  data.reserve(static_cast<size_t>(st.st_size));
  unsigned char buf[65536];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    // A file that grows while we read is held to the same bound.
    if (n < 0 || data.size() + static_cast<size_t>(n) > max_bytes) {
      data.clear();
      break;
    }
    if (n == 0) break;
    data.insert(data.end(), buf, buf + n);
  }
  close(fd);
  return data;
}
