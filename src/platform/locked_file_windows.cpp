#include "platform/locked_file.h"

#include <windows.h>

#include <algorithm>

#include "base/wide_text.h"

int FileErrorFromWin32(unsigned long err) {
  switch (err) {
    case ERROR_SUCCESS: return kFileOk;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return kFileNotFound;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_DRIVE:
    case ERROR_DIRECTORY: return kFileBadPath;
    case ERROR_TOO_MANY_OPEN_FILES: return kFileTooManyOpen;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return kFileAccessDenied;
    case ERROR_INVALID_HANDLE: return kFileInvalid;
    case ERROR_CURRENT_DIRECTORY: return kFileCurrentDirectory;
    case ERROR_CANNOT_MAKE: return kFileDirectoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return kFileBadSeek;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE: return kFileHardware;
    case ERROR_SHARING_VIOLATION: return kFileSharingViolation;
    case ERROR_LOCK_VIOLATION: return kFileLockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return kFileDiskFull;
    case ERROR_HANDLE_EOF: return kFileEndOfFile;
    default: return kFileGeneric;
  }
}

namespace {

int LastFileError() { return FileErrorFromWin32(GetLastError()); }

OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED o = {};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFF);
  o.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return o;
}

// Reads and writes go in pieces a DWORD can count.
constexpr std::size_t kMaxPiece = 1u << 30;

class WindowsLockedFile final : public LockedFile {
 public:
  explicit WindowsLockedFile(HANDLE h) : h_(h) {}
  ~WindowsLockedFile() override { CloseHandle(h_); }

  int Read(std::int64_t offset, void* data, std::size_t n, std::size_t* got) override {
    *got = 0;
    if (offset < 0) return kFileBadSeek;
    auto* p = static_cast<char*>(data);
    while (*got < n) {
      OVERLAPPED o = At(offset + static_cast<std::int64_t>(*got));
      DWORD want = static_cast<DWORD>(std::min(n - *got, kMaxPiece)), r = 0;
      if (!ReadFile(h_, p + *got, want, &r, &o)) {
        if (GetLastError() == ERROR_HANDLE_EOF) break;
        return LastFileError();
      }
      if (r == 0) break;
      *got += r;
    }
    return kFileOk;
  }

  int Write(std::int64_t offset, const void* data, std::size_t n) override {
    if (offset < 0) return kFileBadSeek;
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < n) {
      OVERLAPPED o = At(offset + static_cast<std::int64_t>(done));
      DWORD want = static_cast<DWORD>(std::min(n - done, kMaxPiece)), w = 0;
      if (!WriteFile(h_, p + done, want, &w, &o)) return LastFileError();
      if (w == 0) return kFileDiskFull;
      done += w;
    }
    return kFileOk;
  }

  int Length(std::int64_t* length) override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(h_, &size)) return LastFileError();
    *length = size.QuadPart;
    return kFileOk;
  }

  int Truncate(std::int64_t length) override {
    if (length < 0) return kFileBadSeek;
    FILE_END_OF_FILE_INFO eof = {};
    eof.EndOfFile.QuadPart = length;
    if (!SetFileInformationByHandle(h_, FileEndOfFileInfo, &eof, sizeof eof)) return LastFileError();
    return kFileOk;
  }

  int Sync() override { return FlushFileBuffers(h_) ? kFileOk : LastFileError(); }

  int Permissions(unsigned* mode) override {
    *mode = 0600;
    return kFileOk;
  }

  // LockFile locks are exclusive, per handle, and never merge: each range is unlocked
  // exactly as it was locked, which is how the engine keeps them.
  int Lock(std::int64_t offset, std::int64_t length) override {
    if (offset < 0 || length <= 0) return kFileBadSeek;
    if (LockFile(h_, Low(offset), High(offset), Low(length), High(length))) return kFileOk;
    DWORD err = GetLastError();
    if (err == ERROR_LOCK_VIOLATION) return kFileLockViolation;
    if (err == ERROR_NOT_SUPPORTED || err == ERROR_INVALID_FUNCTION) return kLockUnsupported;
    return FileErrorFromWin32(err);
  }

  int Unlock(std::int64_t offset, std::int64_t length) override {
    if (offset < 0 || length <= 0) return kFileBadSeek;
    if (UnlockFile(h_, Low(offset), High(offset), Low(length), High(length))) return kFileOk;
    return LastFileError();
  }

 private:
  static DWORD Low(std::int64_t v) { return static_cast<DWORD>(v & 0xFFFFFFFF); }
  static DWORD High(std::int64_t v) { return static_cast<DWORD>(static_cast<std::uint64_t>(v) >> 32); }

  HANDLE h_;
};

class WindowsFileSystemImpl final : public FileSystem {
 public:
  std::unique_ptr<LockedFile> OpenExisting(const std::string& host_path, int* error) override {
    *error = kFileOk;
    if (host_path.empty()) {
      *error = kFileNotFound;
      return nullptr;
    }
    HANDLE h = CreateFileW(WidePath(host_path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      *error = LastFileError();
      return nullptr;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
      // Devices and pipes are not files the engine can lock and seek in.
      CloseHandle(h);
      *error = kFileAccessDenied;
      return nullptr;
    }
    return std::make_unique<WindowsLockedFile>(h);
  }

  int CreateNew(const std::string& host_path, const void* data, std::size_t n, unsigned) override {
    if (host_path.empty()) return kFileBadPath;
    std::wstring path = WidePath(host_path);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastFileError();
    int rc;
    {
      WindowsLockedFile f(h);
      rc = f.Write(0, data, n);
      if (rc == kFileOk) rc = f.Sync();
    }
    if (rc != kFileOk) DeleteFileW(path.c_str());
    return rc;
  }

  int Remove(const std::string& host_path) override {
    return DeleteFileW(WidePath(host_path).c_str()) ? kFileOk : LastFileError();
  }

  // A directory cannot be flushed here: the engine's order of file flushes alone keeps
  // what a power cut leaves sound.
  int SyncDirectoryOf(const std::string&) override { return kFileOk; }

  std::vector<std::string> List(const std::string& host_dir) override {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(WidePath((host_dir.empty() ? std::string(".") : host_dir) + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      names.push_back(GbkFromWide(found.cFileName));
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return names;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WindowsFileSystemImpl fs;
  return fs;
}
