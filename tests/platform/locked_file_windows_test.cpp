// The Windows file layer against the real LockFile/UnlockFile: what the record-file
// engine relies on, checked on the system it was written for.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>

#include "base/text.h"
#include "base/wide_text.h"
#include "platform/locked_file.h"
#include "support/scratch_dir.h"

namespace {

class WindowsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeScratchDir("vk-lock"); }
  void TearDown() override { RemoveScratchDir(dir_); }

  // A program path (backslashes, GBK) in the scratch directory, holding `content`.
  std::string Make(const Text& name, const std::string& content) {
    std::string p = Path(name);
    EXPECT_EQ(SystemFileSystem().CreateNew(p, content.data(), content.size(), 0600), kFileOk);
    return p;
  }
  std::string Path(const Text& name) const {
    std::string p = dir_ + "\\" + name;
    for (char& c : p)
      if (c == '/') c = '\\';
    return p;
  }
  std::unique_ptr<LockedFile> Open(const std::string& p) {
    int rc = -99;
    auto f = SystemFileSystem().OpenExisting(p, &rc);
    EXPECT_EQ(rc, kFileOk);
    return f;
  }

  std::string dir_;
};

TEST_F(WindowsFileTest, TwoOpensOfOneFileExcludeEachOtherByteByByte) {
  std::string p = Make("a.edb", std::string(64, 'x'));
  auto a = Open(p), b = Open(p);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Lock(16, 1), kFileOk);
  EXPECT_EQ(b->Lock(16, 1), kFileLockViolation);
  EXPECT_EQ(b->Lock(0, 0x7FFFFFFF), kFileLockViolation);  // a range over a held byte
  EXPECT_EQ(b->Lock(17, 1), kFileOk);                      // the byte beside it is free
  // Windows locks do not stack within one handle either: the same byte twice is refused.
  EXPECT_EQ(a->Lock(16, 1), kFileLockViolation);
  EXPECT_EQ(a->Unlock(16, 1), kFileOk);
  EXPECT_EQ(b->Lock(16, 1), kFileOk);
  EXPECT_EQ(b->Write(16, "y", 1), kFileOk);  // the holder writes its own byte
}

TEST_F(WindowsFileTest, UnlockingWhatIsNotLockedFailsAndRangesStayApart) {
  std::string p = Make("b.edb", "0123456789");
  auto a = Open(p), b = Open(p);
  ASSERT_TRUE(a && b);
  EXPECT_NE(a->Unlock(3, 1), kFileOk);
  ASSERT_EQ(a->Lock(3, 1), kFileOk);
  ASSERT_EQ(a->Lock(4, 4), kFileOk);
  // Unlike POSIX, unlocking a wider range does not drop the ranges inside it.
  EXPECT_NE(a->Unlock(0, 100), kFileOk);
  EXPECT_EQ(b->Lock(3, 1), kFileLockViolation);
  EXPECT_EQ(a->Unlock(4, 4), kFileOk);
  EXPECT_EQ(b->Lock(5, 1), kFileOk);
  // Closing a handle drops its locks.
  a.reset();
  EXPECT_EQ(b->Lock(3, 1), kFileOk);
}

TEST_F(WindowsFileTest, LocksReachBeyondTheEndOfTheFile) {
  std::string p = Make("c.edb", "abc");
  auto a = Open(p), b = Open(p);
  ASSERT_TRUE(a && b);
  // The memo lock of block n sits at n * 512, wherever the file ends.
  EXPECT_EQ(a->Lock(512 * 1000, 1), kFileOk);
  EXPECT_EQ(b->Lock(512 * 1000, 1), kFileLockViolation);
  EXPECT_EQ(a->Lock(0x7FFFFFFF, 1), kFileOk);
}

TEST_F(WindowsFileTest, ReadsWritesLengthAndTruncate) {
  std::string p = Make("d.edb", "hello world");
  auto f = Open(p);
  ASSERT_TRUE(f);
  char buf[32] = {};
  std::size_t got = 0;
  EXPECT_EQ(f->Read(6, buf, sizeof buf, &got), kFileOk);
  EXPECT_EQ(std::string(buf, got), "world");
  EXPECT_EQ(f->Read(100, buf, 4, &got), kFileOk);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(f->Write(20, "!", 1), kFileOk);  // past the end: the gap reads as zeros
  std::int64_t length = 0;
  EXPECT_EQ(f->Length(&length), kFileOk);
  EXPECT_EQ(length, 21);
  EXPECT_EQ(f->Read(11, buf, 10, &got), kFileOk);
  EXPECT_EQ(std::string(buf, got), std::string(9, '\0') + "!");
  EXPECT_EQ(f->Truncate(5), kFileOk);
  EXPECT_EQ(f->Length(&length), kFileOk);
  EXPECT_EQ(length, 5);
  EXPECT_EQ(f->Read(-1, buf, 1, &got), kFileBadSeek);
  EXPECT_EQ(f->Lock(-1, 1), kFileBadSeek);
}

TEST_F(WindowsFileTest, OpeningAndCreatingMapErrorsToTheEngineCodes) {
  int rc = 0;
  EXPECT_EQ(SystemFileSystem().OpenExisting(Path("missing.edb"), &rc), nullptr);
  EXPECT_EQ(rc, kFileNotFound);
  EXPECT_EQ(SystemFileSystem().OpenExisting(Path("no\\dir\\x.edb"), &rc), nullptr);
  EXPECT_EQ(rc, kFileNotFound);
  EXPECT_EQ(SystemFileSystem().OpenExisting("", &rc), nullptr);
  EXPECT_EQ(rc, kFileNotFound);
  // A directory is no record file.
  EXPECT_EQ(SystemFileSystem().OpenExisting(dir_, &rc), nullptr);
  EXPECT_EQ(rc, kFileAccessDenied);

  std::string p = Make("e.edb", "abc");
  EXPECT_EQ(SystemFileSystem().CreateNew(p, "x", 1, 0600), kFileAccessDenied);
  EXPECT_EQ(SystemFileSystem().CreateNew(Path("no\\dir\\x"), "x", 1, 0600), kFileNotFound);

  // Somebody who opened the file without sharing it keeps the engine out.
  HANDLE alone = CreateFileW(WidePath(p).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(alone, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SystemFileSystem().OpenExisting(p, &rc), nullptr);
  EXPECT_EQ(rc, kFileSharingViolation);
  CloseHandle(alone);

  EXPECT_EQ(SystemFileSystem().Remove(p), kFileOk);
  EXPECT_EQ(SystemFileSystem().Remove(p), kFileNotFound);
}

TEST_F(WindowsFileTest, ChineseNamesGoThroughCodePage936WhateverTheSystemCodePage) {
  // "数据库.edb" as the program holds it: GBK bytes.
  std::string p = Make(Utf8ToGbk("数据库.edb"), "data");
  // The file carries the Unicode name, whichever ANSI code page this system has.
  std::wstring wide = WideFromGbk(p);
  EXPECT_NE(wide.find(L"\u6570\u636e\u5e93.edb"), std::wstring::npos);
  EXPECT_NE(GetFileAttributesW(wide.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(Open(p));
}

TEST(WindowsFileErrors, SystemCodesMapToTheEngineCodes) {
  EXPECT_EQ(FileErrorFromWin32(ERROR_SUCCESS), kFileOk);
  EXPECT_EQ(FileErrorFromWin32(ERROR_FILE_NOT_FOUND), kFileNotFound);
  EXPECT_EQ(FileErrorFromWin32(ERROR_PATH_NOT_FOUND), kFileNotFound);
  EXPECT_EQ(FileErrorFromWin32(ERROR_INVALID_NAME), kFileBadPath);
  EXPECT_EQ(FileErrorFromWin32(ERROR_TOO_MANY_OPEN_FILES), kFileTooManyOpen);
  EXPECT_EQ(FileErrorFromWin32(ERROR_ACCESS_DENIED), kFileAccessDenied);
  EXPECT_EQ(FileErrorFromWin32(ERROR_INVALID_HANDLE), kFileInvalid);
  EXPECT_EQ(FileErrorFromWin32(ERROR_CURRENT_DIRECTORY), kFileCurrentDirectory);
  EXPECT_EQ(FileErrorFromWin32(ERROR_SEEK), kFileBadSeek);
  EXPECT_EQ(FileErrorFromWin32(ERROR_CRC), kFileHardware);
  EXPECT_EQ(FileErrorFromWin32(ERROR_SHARING_VIOLATION), kFileSharingViolation);
  EXPECT_EQ(FileErrorFromWin32(ERROR_LOCK_VIOLATION), kFileLockViolation);
  EXPECT_EQ(FileErrorFromWin32(ERROR_DISK_FULL), kFileDiskFull);
  EXPECT_EQ(FileErrorFromWin32(ERROR_HANDLE_EOF), kFileEndOfFile);
  EXPECT_EQ(FileErrorFromWin32(ERROR_NOT_ENOUGH_MEMORY), kFileGeneric);
}

}  // namespace
