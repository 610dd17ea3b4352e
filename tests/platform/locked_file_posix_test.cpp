// The file stand-in: opening without creating, positioned reads and writes, length,
// truncation, OFD byte-range locks, and the mapping of OS errors to file codes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/locked_file.h"

namespace {

class LockedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vk-lockedfile-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = dir_ + "/f.bin";
    std::ofstream(path_, std::ios::binary) << "0123456789";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::unique_ptr<LockedFile> Open(const std::string& p) {
    int rc = 0;
    auto f = PosixFileSystem().OpenExisting(p, &rc);
    last_rc_ = rc;
    return f;
  }

  std::string dir_, path_;
  int last_rc_ = 0;
};

TEST_F(LockedFileTest, OpensExistingFilesOnlyAndNeverCreates) {
  EXPECT_EQ(Open(dir_ + "/missing"), nullptr);
  EXPECT_EQ(last_rc_, kFileNotFound);
  struct stat st;
  EXPECT_NE(stat((dir_ + "/missing").c_str(), &st), 0);
  EXPECT_EQ(Open(dir_ + "/no/such/dir/f"), nullptr);
  EXPECT_EQ(last_rc_, kFileNotFound);
  EXPECT_EQ(Open(path_ + "/below-a-file"), nullptr);
  EXPECT_EQ(last_rc_, kFileBadPath);
  EXPECT_EQ(Open(dir_), nullptr);  // a directory
  EXPECT_EQ(last_rc_, kFileAccessDenied);
  EXPECT_EQ(Open(""), nullptr);
  EXPECT_EQ(last_rc_, kFileNotFound);
  EXPECT_NE(Open(path_), nullptr);
  EXPECT_EQ(last_rc_, kFileOk);
}

TEST_F(LockedFileTest, ReadOnlyFilesAreRefusedWithAccessDenied) {
  ASSERT_EQ(chmod(path_.c_str(), 0444), 0);
  if (geteuid() != 0) {
    EXPECT_EQ(Open(path_), nullptr);
    EXPECT_EQ(last_rc_, kFileAccessDenied);
    return;
  }
  // Root may write anything, and CI runs as root: open it from a child that has become
  // nobody (the scratch directory made reachable for it first).
  ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
  constexpr uid_t kNobody = 65534;
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(3);
    int rc = 0;
    auto f = PosixFileSystem().OpenExisting(path_, &rc);
    _exit(f ? 1 : rc == kFileAccessDenied ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3) GTEST_SKIP() << "this machine does not let root become uid " << kNobody;
  EXPECT_NE(WEXITSTATUS(status), 1) << "a read-only file was opened for writing";
  EXPECT_NE(WEXITSTATUS(status), 2) << "refused, but not with access denied";
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(LockedFileTest, ReadsWritesLengthAndTruncate) {
  auto f = Open(path_);
  ASSERT_TRUE(f);
  char buf[16] = {};
  std::size_t got = 0;
  EXPECT_EQ(f->Read(3, buf, 4, &got), kFileOk);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(std::string(buf, 4), "3456");
  // A read past the end is short, not an error.
  EXPECT_EQ(f->Read(8, buf, 8, &got), kFileOk);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(f->Read(100, buf, 8, &got), kFileOk);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(f->Read(-1, buf, 1, &got), kFileBadSeek);

  EXPECT_EQ(f->Write(12, "ab", 2), kFileOk);  // leaves a hole of zeros
  std::int64_t len = 0;
  EXPECT_EQ(f->Length(&len), kFileOk);
  EXPECT_EQ(len, 14);
  EXPECT_EQ(f->Read(10, buf, 4, &got), kFileOk);
  EXPECT_EQ(std::string(buf, 4), std::string("\0\0ab", 4));
  EXPECT_EQ(f->Truncate(5), kFileOk);
  EXPECT_EQ(f->Length(&len), kFileOk);
  EXPECT_EQ(len, 5);
  EXPECT_EQ(f->Truncate(-1), kFileBadSeek);
  EXPECT_EQ(f->Write(-5, "x", 1), kFileBadSeek);
}

TEST_F(LockedFileTest, TwoOpensInOneProcessExcludeEachOther) {
  auto a = Open(path_);
  auto b = Open(path_);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Lock(16, 1), kFileOk);
  EXPECT_EQ(b->Lock(16, 1), kFileLockViolation);
  EXPECT_EQ(b->Lock(0, 100), kFileLockViolation);
  EXPECT_EQ(b->Lock(17, 1), kFileOk);  // the next byte is free
  // The same open locks its own byte again without trouble.
  EXPECT_EQ(a->Lock(16, 1), kFileOk);
  EXPECT_EQ(a->Unlock(16, 1), kFileOk);
  EXPECT_EQ(b->Lock(16, 1), kFileOk);
  // Locks may lie beyond the end of the file, up to and past 2 GiB.
  EXPECT_EQ(a->Lock(0x7FFFFFFF, 1), kFileOk);
  EXPECT_EQ(b->Lock(0x7FFFFFFF, 1), kFileLockViolation);
  EXPECT_EQ(a->Lock(0, 0), kFileBadSeek);
}

TEST_F(LockedFileTest, ClosingReleasesTheLocks) {
  auto a = Open(path_);
  auto b = Open(path_);
  ASSERT_EQ(a->Lock(0, 0x80000000LL), kFileOk);
  EXPECT_EQ(b->Lock(5, 1), kFileLockViolation);
  a.reset();
  EXPECT_EQ(b->Lock(5, 1), kFileOk);
}

TEST_F(LockedFileTest, OwnLocksMergeSoARangeUnlockDropsThem) {
  // The reason the engine's whole-file lock only covers the gaps between its byte locks.
  auto a = Open(path_);
  auto b = Open(path_);
  ASSERT_EQ(a->Lock(100, 1), kFileOk);
  ASSERT_EQ(a->Lock(0, 1000), kFileOk);
  ASSERT_EQ(a->Unlock(0, 1000), kFileOk);
  EXPECT_EQ(b->Lock(100, 1), kFileOk);
}

TEST_F(LockedFileTest, LocksConflictAcrossProcesses) {
  auto a = Open(path_);
  ASSERT_EQ(a->Lock(40, 1), kFileOk);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    int rc = 0;
    auto c = PosixFileSystem().OpenExisting(path_, &rc);
    int r1 = c ? c->Lock(40, 1) : 99;
    int r2 = c ? c->Lock(41, 1) : 99;
    _exit(r1 == kFileLockViolation && r2 == kFileOk ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(LockedFileTest, CreateNewRefusesExistingFiles) {
  std::string p = dir_ + "/new.bin";
  EXPECT_EQ(PosixFileSystem().CreateNew(p, "abc", 3, 0600), kFileOk);
  auto f = Open(p);
  ASSERT_TRUE(f);
  std::int64_t len = 0;
  f->Length(&len);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(PosixFileSystem().CreateNew(p, "x", 1, 0600), kFileAccessDenied);
  f->Length(&len);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(PosixFileSystem().CreateNew(dir_ + "/no/dir/x", "x", 1, 0600), kFileNotFound);
  EXPECT_EQ(PosixFileSystem().Remove(p), kFileOk);
  EXPECT_EQ(PosixFileSystem().Remove(p), kFileNotFound);
}

TEST(FileErrorMapping, OsErrorsMapToTheEngineCodes) {
  EXPECT_EQ(FileErrorFromErrno(0), 0);
  EXPECT_EQ(FileErrorFromErrno(ENOENT), -3);
  EXPECT_EQ(FileErrorFromErrno(ENOTDIR), -4);
  EXPECT_EQ(FileErrorFromErrno(ENAMETOOLONG), -4);
  EXPECT_EQ(FileErrorFromErrno(EMFILE), -5);
  EXPECT_EQ(FileErrorFromErrno(ENFILE), -5);
  EXPECT_EQ(FileErrorFromErrno(EACCES), -6);
  EXPECT_EQ(FileErrorFromErrno(EROFS), -6);
  EXPECT_EQ(FileErrorFromErrno(EBADF), -7);
  EXPECT_EQ(FileErrorFromErrno(EBUSY), -8);
  EXPECT_EQ(FileErrorFromErrno(EMLINK), -9);
  EXPECT_EQ(FileErrorFromErrno(ESPIPE), -10);
  EXPECT_EQ(FileErrorFromErrno(EIO), -11);
  EXPECT_EQ(FileErrorFromErrno(ETXTBSY), -12);
  EXPECT_EQ(FileErrorFromErrno(EAGAIN), -13);
  EXPECT_EQ(FileErrorFromErrno(ENOSPC), -14);
  EXPECT_EQ(FileErrorFromErrno(EDQUOT), -14);
  EXPECT_EQ(FileErrorFromErrno(EPIPE), -1);
  EXPECT_EQ(FileErrorFromErrno(12345), -1);
}

}  // namespace
