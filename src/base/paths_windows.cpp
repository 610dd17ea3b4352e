#include "base/paths.h"

#include <windows.h>

#include <mutex>

#include "base/wide_text.h"

// On Windows program paths are the system's own paths: they go to the W functions as
// they are (through code page 936), and the file system itself ignores case.

namespace {

std::mutex run_dir_mu;
Text run_dir_override;

}  // namespace

Text RunDirectory() {
  {
    std::lock_guard<std::mutex> lock(run_dir_mu);
    if (!run_dir_override.empty()) return run_dir_override;
  }
  std::wstring exe(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, exe.data(), static_cast<DWORD>(exe.size()));
    if (n == 0) return Text();
    if (n < exe.size()) {
      exe.resize(n);
      break;
    }
    exe.resize(exe.size() * 2);  // a long path was cut; ask again with more room
  }
  size_t slash = exe.find_last_of(L"\\/");
  return GbkFromWide(slash == std::wstring::npos ? std::wstring() : exe.substr(0, slash));
}

void SetRunDirectory(const Text& directory) {
  std::lock_guard<std::mutex> lock(run_dir_mu);
  run_dir_override = directory;
  while (run_dir_override.size() > 1 &&
         (run_dir_override.back() == '\\' || run_dir_override.back() == '/'))
    run_dir_override.pop_back();
}

Text ProgramPath(const std::string& host_path) {
  Text p = host_path;
  // Only ASCII '/' is replaced; GBK trail bytes never equal 0x2F.
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

std::string HostPath(const Text& program_path) { return program_path; }

Text ProgramPathFromUtf8(const std::string& utf8_path) { return ProgramPath(Utf8ToGbk(utf8_path)); }

Text CurrentDirectory() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return Text();
  std::wstring dir(n, L'\0');
  n = GetCurrentDirectoryW(n, dir.data());
  dir.resize(n);
  return GbkFromWide(dir);
}

Bytes ReadFileBytes(const Text& program_path, std::size_t max_bytes) {
  Bytes data;
  if (program_path.empty()) return data;
  HANDLE h = CreateFileW(WidePath(program_path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return data;
  // Only files on a disk, and none larger than the bound (a sparse file is cheap to make).
  LARGE_INTEGER size;
  if (GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size) && size.QuadPart >= 0 &&
      static_cast<unsigned long long>(size.QuadPart) <= max_bytes) {
    data.reserve(static_cast<size_t>(size.QuadPart));
    unsigned char buf[65536];
    for (;;) {
      DWORD n = 0;
      if (!ReadFile(h, buf, sizeof buf, &n, nullptr) || data.size() + n > max_bytes) {
        data.clear();
        break;
      }
      if (n == 0) break;
      data.insert(data.end(), buf, buf + n);
    }
  }
  CloseHandle(h);
  return data;
}
