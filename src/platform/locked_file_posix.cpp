#include "platform/locked_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

int FileErrorFromErrno(int err) {
  switch (err) {
    case 0: return kFileOk;
    case ENOENT: return kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return kFileBadPath;
    case EMFILE:
    case ENFILE: return kFileTooManyOpen;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST: return kFileAccessDenied;
    case EBADF: return kFileInvalid;
    case EBUSY: return kFileCurrentDirectory;
    case EMLINK: return kFileDirectoryFull;
    case ESPIPE:
    case EOVERFLOW:
    case ENXIO: return kFileBadSeek;
    case EIO: return kFileHardware;
    case ETXTBSY: return kFileSharingViolation;
    case EAGAIN: return kFileLockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return kFileDiskFull;
    default: return kFileGeneric;
  }
}

namespace {

class PosixLockedFile final : public LockedFile {
 public:
  explicit PosixLockedFile(int fd) : fd_(fd) {}
  ~PosixLockedFile() override { close(fd_); }

  int Read(std::int64_t offset, void* data, std::size_t n, std::size_t* got) override {
    *got = 0;
    if (offset < 0) return kFileBadSeek;
    auto* p = static_cast<char*>(data);
    while (*got < n) {
      ssize_t r = pread(fd_, p + *got, n - *got, offset + static_cast<std::int64_t>(*got));
      if (r < 0) {
        if (errno == EINTR) continue;
        return FileErrorFromErrno(errno);
      }
      if (r == 0) break;
      *got += static_cast<std::size_t>(r);
    }
    return kFileOk;
  }

  int Write(std::int64_t offset, const void* data, std::size_t n) override {
    if (offset < 0) return kFileBadSeek;
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < n) {
      ssize_t r = pwrite(fd_, p + done, n - done, offset + static_cast<std::int64_t>(done));
      if (r < 0) {
        if (errno == EINTR) continue;
        return FileErrorFromErrno(errno);
      }
      if (r == 0) return kFileDiskFull;
      done += static_cast<std::size_t>(r);
    }
    return kFileOk;
  }

  int Length(std::int64_t* length) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return FileErrorFromErrno(errno);
    *length = st.st_size;
    return kFileOk;
  }

  int Truncate(std::int64_t length) override {
    if (length < 0) return kFileBadSeek;
    while (ftruncate(fd_, length) != 0) {
      if (errno != EINTR) return FileErrorFromErrno(errno);
    }
    return kFileOk;
  }

  int Sync() override {
    while (fdatasync(fd_) != 0) {
      if (errno != EINTR) return FileErrorFromErrno(errno);
    }
    return kFileOk;
  }

  int Permissions(unsigned* mode) override {
    struct stat st;
    if (fstat(fd_, &st) != 0) return FileErrorFromErrno(errno);
    *mode = static_cast<unsigned>(st.st_mode) & 0777u;
    return kFileOk;
  }

  int Lock(std::int64_t offset, std::int64_t length) override { return SetLock(F_WRLCK, offset, length); }
  int Unlock(std::int64_t offset, std::int64_t length) override { return SetLock(F_UNLCK, offset, length); }

 private:
  int SetLock(short type, std::int64_t offset, std::int64_t length) {
    if (offset < 0 || length <= 0) return kFileBadSeek;
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = offset;
    fl.l_len = length;
    fl.l_pid = 0;  // required for OFD locks
    while (fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
      switch (errno) {
        case EINTR: continue;
        case EAGAIN:
        case EACCES: return kFileLockViolation;
        case EOPNOTSUPP:
        case ENOSYS: return kLockUnsupported;
        default: return FileErrorFromErrno(errno);
      }
    }
    return kFileOk;
  }

  int fd_;
};

class PosixFileSystemImpl final : public FileSystem {
 public:
  std::unique_ptr<LockedFile> OpenExisting(const std::string& host_path, int* error) override {
    *error = kFileOk;
    if (host_path.empty()) {
      *error = kFileNotFound;
      return nullptr;
    }
    int fd;
    do {
      // Non-blocking: a FIFO or device under a table's name must not hold the open.
      fd = open(host_path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      *error = FileErrorFromErrno(errno);
      return nullptr;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || fcntl(fd, F_SETFL, 0) != 0) {
      // Devices and pipes are not files the engine can lock and seek in.
      close(fd);
      *error = kFileAccessDenied;
      return nullptr;
    }
    return std::make_unique<PosixLockedFile>(fd);
  }

  int CreateNew(const std::string& host_path, const void* data, std::size_t n, unsigned mode) override {
    if (host_path.empty()) return kFileBadPath;
    // Created private; the wanted bits are set before a byte is written.
    int fd = open(host_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return FileErrorFromErrno(errno);
    PosixLockedFile f(fd);
    int rc = fchmod(fd, static_cast<mode_t>(mode & 0777u)) == 0 ? kFileOk : FileErrorFromErrno(errno);
    if (rc == kFileOk) rc = f.Write(0, data, n);
    if (rc == kFileOk) rc = f.Sync();
    if (rc == kFileOk) rc = SyncDirectoryOf(host_path);
    if (rc != kFileOk) unlink(host_path.c_str());
    return rc;
  }

  int Remove(const std::string& host_path) override {
    return unlink(host_path.c_str()) == 0 ? kFileOk : FileErrorFromErrno(errno);
  }

  int SyncDirectoryOf(const std::string& host_path) override {
    const auto slash = host_path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : host_path.substr(0, slash);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return FileErrorFromErrno(errno);
    int rc = kFileOk;
    while (fsync(fd) != 0) {
      // Some file systems cannot flush a directory at all; nothing more can be done there.
      if (errno == EINVAL || errno == EROFS) break;
      if (errno != EINTR) {
        rc = FileErrorFromErrno(errno);
        break;
      }
    }
    close(fd);
    return rc;
  }

  std::vector<std::string> List(const std::string& host_dir) override {
    std::vector<std::string> names;
    DIR* d = opendir(host_dir.empty() ? "." : host_dir.c_str());
    if (!d) return names;
    while (const dirent* e = readdir(d)) names.emplace_back(e->d_name);
    closedir(d);
    return names;
  }
};

}  // namespace

FileSystem& SystemFileSystem() { return PosixFileSystem(); }

FileSystem& PosixFileSystem() {
  static PosixFileSystemImpl fs;
  return fs;
}
