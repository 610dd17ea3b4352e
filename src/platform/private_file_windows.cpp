#include "platform/private_file.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

// A name beside the target that no one else has made: CREATE_NEW fails on anything
// there, a link included, and then the next name is tried.
HANDLE CreateTemporary(const std::filesystem::path& target, std::filesystem::path* temp) {
  static unsigned serial = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temp = target;
    *temp += L".tmp-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(serial++);
    HANDLE h = CreateFileW(temp->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& bytes, unsigned, std::string* error,
                        bool flush) {
  const std::filesystem::path target(std::u8string(path.begin(), path.end()));
  std::filesystem::path temp;
  HANDLE h = CreateTemporary(target, &temp);
  if (h == INVALID_HANDLE_VALUE) {
    *error = "cannot write " + path;
    return false;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>((std::min<std::size_t>)(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    ok = WriteFile(h, bytes.data() + done, chunk, &written, nullptr) && written > 0;
    done += written;
  }
  ok = (!flush || FlushFileBuffers(h)) && ok;
  ok = CloseHandle(h) && ok;
  // MoveFileEx replaces the directory entry: a link at `path` goes, its target is untouched.
  if (ok && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0))) return true;
  DeleteFileW(temp.c_str());
  *error = "cannot write " + path;
  return false;
}
