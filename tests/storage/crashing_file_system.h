#pragma once
// A file system that ends the process at a chosen write, as a kill or a power cut does.
// Every change to a file counts as one write: Write, Truncate, CreateNew and Remove. The
// process ends (exit code kCrashedExitCode) just before the Nth of them; the torn variant
// first writes half of that write's bytes, as a disk that loses power mid-sector might.

#include <unistd.h>

#include <memory>
#include <string>

#include "forwarding_file.h"
#include "platform/locked_file.h"

namespace rftest {

constexpr int kCrashedExitCode = 77;

class CrashingFileSystem : public FileSystem {
 public:
  // 0: never crash; only count.
  CrashingFileSystem(int crash_at, bool torn) : crash_at_(crash_at), torn_(torn) {}

  std::unique_ptr<LockedFile> OpenExisting(const std::string& p, int* error) override {
    auto real = PosixFileSystem().OpenExisting(p, error);
    if (!real) return nullptr;
    return std::make_unique<File>(std::move(real), this);
  }
  int CreateNew(const std::string& p, const void* d, std::size_t n, unsigned mode) override {
    if (Reached()) {
      // A torn creation leaves a file with half its bytes.
      if (torn_) PosixFileSystem().CreateNew(p, d, n / 2, mode);
      _exit(kCrashedExitCode);
    }
    return PosixFileSystem().CreateNew(p, d, n, mode);
  }
  int Remove(const std::string& p) override {
    if (Reached()) _exit(kCrashedExitCode);
    return PosixFileSystem().Remove(p);
  }

  int SyncDirectoryOf(const std::string& p) override { return PosixFileSystem().SyncDirectoryOf(p); }
  std::vector<std::string> List(const std::string& d) override { return PosixFileSystem().List(d); }

  int writes() const { return writes_; }

 private:
  class File : public ForwardingFile {
   public:
    File(std::unique_ptr<LockedFile> real, CrashingFileSystem* fs) : ForwardingFile(std::move(real)), fs_(fs) {}
    int Write(std::int64_t o, const void* d, std::size_t n) override {
      if (fs_->Reached()) {
        if (fs_->torn_) ForwardingFile::Write(o, d, n / 2);
        _exit(kCrashedExitCode);
      }
      return ForwardingFile::Write(o, d, n);
    }
    int Truncate(std::int64_t l) override {
      if (fs_->Reached()) _exit(kCrashedExitCode);
      return ForwardingFile::Truncate(l);
    }

   private:
    CrashingFileSystem* fs_;
  };

  bool Reached() { return ++writes_ == crash_at_; }

  int crash_at_;
  bool torn_;
  int writes_ = 0;
};

}  // namespace rftest
