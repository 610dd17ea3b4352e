// The locking protocol seen from outside: which bytes an operation locks, what happens
// when someone else holds them, the RecordCount wait, and injected file errors.
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#endif

#include <atomic>
#include <chrono>

#include "record_file_test_util.h"
#include "storage/record_file_internal.h"

namespace rftest {
namespace {

using namespace recfmt;
using Clock = std::chrono::steady_clock;

#ifdef _WIN32
// Another open of the file, as another process would have: its LockFile locks conflict
// with the engine's.
class OtherOpen {
 public:
  explicit OtherOpen(const std::string& host)
      : h_(CreateFileW(WideFromGbk(ProgramPath(host)).c_str(), GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~OtherOpen() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  bool Lock(off_t at, off_t len = 1) { return LockFile(h_, Lo(at), Hi(at), Lo(len), Hi(len)); }
  bool Unlock(off_t at, off_t len = 1) { return UnlockFile(h_, Lo(at), Hi(at), Lo(len), Hi(len)); }
  // True when someone else holds a lock over a byte of [at, at + len): a lock of our
  // own over the range is then refused.
  bool Conflicts(off_t at, off_t len = 1) {
    if (!Lock(at, len)) return true;
    Unlock(at, len);
    return false;
  }

 private:
  static DWORD Lo(std::int64_t v) { return static_cast<DWORD>(v & 0xFFFFFFFF); }
  static DWORD Hi(std::int64_t v) { return static_cast<DWORD>(static_cast<std::uint64_t>(v) >> 32); }
  HANDLE h_;
};
#else
// Another open of the file, as another process would have: its OFD locks conflict with
// the engine's.
class OtherOpen {
 public:
  explicit OtherOpen(const std::string& host) : fd_(open(host.c_str(), O_RDWR)) {}
  ~OtherOpen() {
    if (fd_ >= 0) close(fd_);
  }
  bool Lock(off_t at, off_t len = 1) { return Set(F_WRLCK, at, len); }
  bool Unlock(off_t at, off_t len = 1) { return Set(F_UNLCK, at, len); }
  // True when someone else holds a lock over a byte of [at, at + len).
  bool Conflicts(off_t at, off_t len = 1) {
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = at;
    fl.l_len = len;
    EXPECT_EQ(fcntl(fd_, F_OFD_GETLK, &fl), 0);
    return fl.l_type != F_UNLCK;
  }

 private:
  bool Set(short type, off_t at, off_t len) {
    struct flock fl = {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = at;
    fl.l_len = len;
    return fcntl(fd_, F_OFD_SETLK, &fl) == 0;
  }
  int fd_;
};
#endif

class LocksTest : public RecordFileTest {
 protected:
  void SetUp() override {
    RecordFileTest::SetUp();
    p_ = Path("l.edb");
    ASSERT_TRUE(CreateRecordFile(p_, {{"n", kTypeInt}, {"m", kTypeMemo}}));
    ASSERT_TRUE(OpenRecordFile(p_));
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(AppendBlankRecord());
      ASSERT_TRUE(ModifyRecord({FieldValue(i), FieldValue(Text(700, static_cast<char>('a' + i)))}));
    }
    FirstRecord();
    other_ = std::make_unique<OtherOpen>(Host("l.edb"));
    other_memo_ = std::make_unique<OtherOpen>(Host("l.EDT"));
  }
  void TearDown() override {
    other_.reset();
    other_memo_.reset();
    RecordFileTest::TearDown();
  }
  static std::int64_t RecordAt(int k) { return DataStart(2) + 12LL * k; }
  bool AnythingLocked() { return other_->Conflicts(0, 0) || other_memo_->Conflicts(0, 0); }

  Text p_;
  std::unique_ptr<OtherOpen> other_, other_memo_;
};

TEST_F(LocksTest, NoOperationLeavesALockBehind) {
  EXPECT_FALSE(AnythingLocked());
  RecordCount();
  SkipRecords();
  ReadField(1);
  ReadField(2);
  WriteField(2, FieldValue(Text(1300, 'z')));
  ModifyRecord({FieldValue(5), FieldValue(Text(10, 'y'))});
  AppendBlankRecord();
  FindRecord([] { return ReadIntField(1) == 2; });
  DeleteRecord();
  EXPECT_FALSE(AnythingLocked());
  EXPECT_TRUE(HeldRecordFileLocksForTesting(false).empty());
  EXPECT_TRUE(HeldRecordFileLocksForTesting(true).empty());
  PurgeDeletedRecords();
  CloseRecordFile();
  ASSERT_TRUE(OpenRecordFile(p_));
  EXPECT_FALSE(AnythingLocked());
}

TEST_F(LocksTest, FindHoldsTheHeaderLockAndTheCandidatesLock) {
  std::vector<std::pair<std::int64_t, int>> held;
  bool header = false, candidate = false, previous = true, next = true;
  FindRecord([&] {
    if (CurrentRecordIndex() == 1) {
      held = HeldRecordFileLocksForTesting(false);
      header = other_->Conflicts(16);
      candidate = other_->Conflicts(RecordAt(1));
      previous = other_->Conflicts(RecordAt(0));
      next = other_->Conflicts(RecordAt(2));
    }
    return false;
  });
  EXPECT_TRUE(header);
  EXPECT_TRUE(candidate);
  EXPECT_FALSE(previous);
  EXPECT_FALSE(next);
  EXPECT_EQ(held.size(), 2u);
  EXPECT_FALSE(AnythingLocked());
}

TEST_F(LocksTest, HoldCountsNestLocksOfTheSameByte) {
  // Inside a scan the candidate's lock is held; ReadField takes it again and must not
  // release it on its way out.
  bool still_locked = false;
  FindRecord([&] {
    WriteField(1, FieldValue(42));  // locks and unlocks the candidate's byte once more
    still_locked = other_->Conflicts(RecordAt(0));
    return true;
  });
  EXPECT_TRUE(still_locked);
  EXPECT_EQ(ReadIntField(1), 42);
  EXPECT_FALSE(AnythingLocked());
}

TEST_F(LocksTest, ARecordLockedElsewhereFailsAtOnceWith13) {
  ASSERT_TRUE(other_->Lock(RecordAt(0)));
  auto start = Clock::now();
  EXPECT_EQ(ReadField(1), FieldValue(0));
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_EQ(RecordFileErrorText(), GBK("加锁文件失败"));
  EXPECT_FALSE(WriteField(1, FieldValue(1)));
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_FALSE(ModifyRecord({FieldValue(1)}));
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_FALSE(DeleteRecord());
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_FALSE(FindRecord([] { return true; }));
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_FALSE(PurgeDeletedRecords());
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));  // no waiting
  // Other records are free.
  SkipRecords();
  EXPECT_EQ(ReadIntField(1), 1);
  // A scan stops at the locked record with its error, and the index stays.
  ASSERT_TRUE(other_->Unlock(RecordAt(0)));
  ASSERT_TRUE(other_->Lock(RecordAt(2)));
  EXPECT_FALSE(FindRecord([] { return ReadIntField(1) == 2; }));
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_EQ(CurrentRecordIndex(), 1);
  EXPECT_FALSE(other_memo_->Conflicts(0, 0));
  EXPECT_FALSE(other_->Conflicts(0, RecordAt(2)));
}

TEST_F(LocksTest, TheHeaderLockSerializesAppendsAndScans) {
  ASSERT_TRUE(other_->Lock(16));
  EXPECT_FALSE(AppendBlankRecord());
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_FALSE(FindRecord([] { return true; }));
  EXPECT_EQ(RecordFileLastError(), -13);
  // Reading a field needs only the record's lock.
  EXPECT_EQ(ReadIntField(1), 0);
  EXPECT_EQ(RecordFileLastError(), 0);
  // Opening needs the whole file.
  CloseRecordFile();
  EXPECT_FALSE(OpenRecordFile(p_));
  EXPECT_EQ(RecordFileLastError(), -13);
  ASSERT_TRUE(other_->Unlock(16));
  EXPECT_TRUE(OpenRecordFile(p_));
  EXPECT_EQ(RecordCount(), 3);
}

TEST_F(LocksTest, AMemoBlockLockedElsewhereFailsTheRead) {
  ASSERT_TRUE(other_memo_->Lock(512 * 2));
  EXPECT_EQ(ReadField(2), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -13);
  // The memo header lock keeps writers of the free list apart.
  ASSERT_TRUE(other_memo_->Lock(0));
  SkipRecords();
  EXPECT_FALSE(WriteField(2, FieldValue(Text(5, 'q'))));
  EXPECT_EQ(RecordFileLastError(), -13);
  // An open needs the whole memo file too.
  CloseRecordFile();
  EXPECT_FALSE(OpenRecordFile(p_));
  EXPECT_EQ(RecordFileLastError(), -35);
}

TEST_F(LocksTest, RecordCountWaitsForTheHeaderLock) {
  ASSERT_TRUE(other_->Lock(16));
  std::atomic<bool> released{false};
  std::thread holder([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    released = true;
    other_->Unlock(16);
  });
  auto start = Clock::now();
  EXPECT_EQ(RecordCount(), 3);
  EXPECT_TRUE(released);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(250));
  holder.join();
  // SkipRecords reads the count the same way.
  ASSERT_TRUE(other_->Lock(16));
  std::thread holder2([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    other_->Unlock(16);
  });
  EXPECT_TRUE(SkipRecords());
  holder2.join();
}

TEST_F(LocksTest, RecordCountGivesUpAfterTwoSeconds) {
  ASSERT_TRUE(other_->Lock(16));
  auto start = Clock::now();
  EXPECT_EQ(RecordCount(), 0);
  EXPECT_EQ(RecordFileLastError(), -13);
  auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(2000));
  EXPECT_LT(waited, std::chrono::milliseconds(2500));
}

TEST_F(LocksTest, TwoOpensInOneProcessExcludeEachOther) {
  // The engine refuses a second open (-38); a second open description of the same file,
  // as a second engine would have, is excluded by the locks.
  EXPECT_FALSE(OpenRecordFile(p_));
  EXPECT_EQ(RecordFileLastError(), -38);
  ASSERT_TRUE(other_->Lock(0, 0x80000000LL));
  CloseRecordFile();
  EXPECT_FALSE(OpenRecordFile(p_));
  EXPECT_EQ(RecordFileLastError(), -13);
}

// ---- The lock table itself ----

class LockTableTest : public RecordFileTest {
 protected:
  void SetUp() override {
    RecordFileTest::SetUp();
    WriteAll(Host("f"), std::vector<unsigned char>(4096, 0));
    int rc = 0;
    h_.file = SystemFileSystem().OpenExisting(Host("f"), &rc);
    ASSERT_TRUE(h_.file);
    other_ = std::make_unique<OtherOpen>(Host("f"));
  }
  recfile::LockedHandle h_;
  std::unique_ptr<OtherOpen> other_;
};

TEST_F(LockTableTest, CountsHoldsAndReleasesAtZero) {
  using namespace recfile;
  EXPECT_EQ(LockByte(h_, 100), 0);
  EXPECT_EQ(LockByte(h_, 100), 0);
  EXPECT_TRUE(other_->Conflicts(100));
  EXPECT_EQ(UnlockByte(h_, 100), 0);
  EXPECT_TRUE(other_->Conflicts(100));
  EXPECT_EQ(UnlockByte(h_, 100), 0);
  EXPECT_FALSE(other_->Conflicts(100));
  EXPECT_EQ(UnlockByte(h_, 100), -29);
  EXPECT_EQ(UnlockByte(h_, 7), -29);
  EXPECT_EQ(RecordFileErrorTextOf(-29), GBK("解锁失败"));
}

TEST_F(LockTableTest, TheWholeFileLockSparesTheBytesAlreadyHeld) {
  using namespace recfile;
  ASSERT_EQ(LockByte(h_, 100), 0);
  ASSERT_EQ(LockByte(h_, 2000), 0);
  ASSERT_EQ(LockWhole(h_), 0);
  EXPECT_TRUE(other_->Conflicts(0));
  EXPECT_TRUE(other_->Conflicts(0x7FFFFFFF));
  EXPECT_FALSE(other_->Conflicts(0x80000000LL));
  // A byte taken and released under the whole-file lock stays covered by it.
  ASSERT_EQ(LockByte(h_, 300), 0);
  ASSERT_EQ(UnlockByte(h_, 300), 0);
  EXPECT_TRUE(other_->Conflicts(300));
  ASSERT_EQ(UnlockWhole(h_), 0);
  // Releasing it drops only the gaps: the byte locks held before stay.
  EXPECT_TRUE(other_->Conflicts(100));
  EXPECT_TRUE(other_->Conflicts(2000));
  EXPECT_FALSE(other_->Conflicts(99));
  EXPECT_FALSE(other_->Conflicts(101));
  EXPECT_FALSE(other_->Conflicts(300));
  EXPECT_FALSE(other_->Conflicts(0, 100));
  EXPECT_FALSE(other_->Conflicts(101, 1899));
  EXPECT_FALSE(other_->Conflicts(2001, 0x7FFFFFFF - 2001));
  EXPECT_EQ(UnlockByte(h_, 100), 0);
  EXPECT_EQ(UnlockByte(h_, 2000), 0);
  EXPECT_FALSE(other_->Conflicts(0, 0));
}

TEST_F(LockTableTest, AFailedWholeFileLockTakesNothing) {
  using namespace recfile;
  ASSERT_EQ(LockByte(h_, 10), 0);
  ASSERT_TRUE(other_->Lock(5000));
  EXPECT_EQ(LockWhole(h_), -13);
  EXPECT_FALSE(h_.whole);
  other_->Unlock(5000);
  EXPECT_TRUE(other_->Conflicts(10));
  EXPECT_FALSE(other_->Conflicts(0, 10));
  EXPECT_FALSE(other_->Conflicts(11, 4000));
}

// ---- Injected file errors ----

// Passes everything to the real files, failing chosen calls with chosen codes.
class FaultyFile : public LockedFile {
 public:
  FaultyFile(std::unique_ptr<LockedFile> real, int* write_fault, int* read_fault, int* lock_fault)
      : real_(std::move(real)), write_fault_(write_fault), read_fault_(read_fault), lock_fault_(lock_fault) {}
  int Read(std::int64_t o, void* d, std::size_t n, std::size_t* got) override {
    if (*read_fault_) return *got = 0, *read_fault_;
    return real_->Read(o, d, n, got);
  }
  int Write(std::int64_t o, const void* d, std::size_t n) override {
    return *write_fault_ ? *write_fault_ : real_->Write(o, d, n);
  }
  int Length(std::int64_t* l) override { return real_->Length(l); }
  int Truncate(std::int64_t l) override { return *write_fault_ ? *write_fault_ : real_->Truncate(l); }
  int Sync() override { return *write_fault_ ? *write_fault_ : real_->Sync(); }
  int Permissions(unsigned* m) override { return real_->Permissions(m); }
  int Lock(std::int64_t o, std::int64_t l) override { return *lock_fault_ ? *lock_fault_ : real_->Lock(o, l); }
  // A file system that cannot lock cannot unlock either (Windows refuses to unlock a
  // range that was never locked).
  int Unlock(std::int64_t o, std::int64_t l) override {
    return *lock_fault_ == kLockUnsupported ? kLockUnsupported : real_->Unlock(o, l);
  }

 private:
  std::unique_ptr<LockedFile> real_;
  int* write_fault_;
  int* read_fault_;
  int* lock_fault_;
};

class FaultyFileSystem : public FileSystem {
 public:
  std::unique_ptr<LockedFile> OpenExisting(const std::string& p, int* error) override {
    if (open_fault) return *error = open_fault, nullptr;
    auto real = SystemFileSystem().OpenExisting(p, error);
    if (!real) return nullptr;
    return std::make_unique<FaultyFile>(std::move(real), &write_fault, &read_fault, &lock_fault);
  }
  int CreateNew(const std::string& p, const void* d, std::size_t n, unsigned mode) override {
    return SystemFileSystem().CreateNew(p, d, n, mode);
  }
  int Remove(const std::string& p) override { return SystemFileSystem().Remove(p); }
  int SyncDirectoryOf(const std::string& p) override { return SystemFileSystem().SyncDirectoryOf(p); }
  std::vector<std::string> List(const std::string& d) override { return SystemFileSystem().List(d); }
  int open_fault = 0, write_fault = 0, read_fault = 0, lock_fault = 0;
};

class FaultTest : public RecordFileTest {
 protected:
  void SetUp() override {
    RecordFileTest::SetUp();
    p_ = MakeExample();
    SetRecordFileSystemForTesting(&fs_);
    ASSERT_TRUE(OpenRecordFile(p_));
    AppendTexts({"a"});
  }
  Text p_;
  FaultyFileSystem fs_;
};

TEST_F(FaultTest, WriteErrorsKeepTheirFileCodes) {
  fs_.write_fault = kFileDiskFull;
  EXPECT_FALSE(AppendBlankRecord());
  EXPECT_EQ(RecordFileLastError(), -14);
  EXPECT_EQ(RecordFileErrorText(), GBK("磁盘空间不够"));
  EXPECT_FALSE(WriteField(1, FieldValue("b")));
  EXPECT_EQ(RecordFileLastError(), -14);
  fs_.write_fault = kFileHardware;
  EXPECT_FALSE(ModifyRecord({FieldValue("c")}));
  EXPECT_EQ(RecordFileLastError(), -11);
  EXPECT_FALSE(DeleteRecord());
  EXPECT_EQ(RecordFileLastError(), -11);
  fs_.write_fault = 0;
  EXPECT_EQ(RecordCount(), 1);
  EXPECT_EQ(ReadTextField(1), "a");
  EXPECT_TRUE(HeldRecordFileLocksForTesting(false).empty());
}

TEST_F(FaultTest, ReadErrorsKeepTheirFileCodes) {
  fs_.read_fault = kFileHardware;
  EXPECT_EQ(RecordCount(), 0);
  EXPECT_EQ(RecordFileLastError(), -11);
  EXPECT_EQ(ReadField(1), FieldValue(Text()));
  EXPECT_EQ(RecordFileLastError(), -11);
  EXPECT_FALSE(FindRecord([] { return true; }));
  EXPECT_EQ(RecordFileLastError(), -11);
  fs_.read_fault = 0;
  EXPECT_EQ(ReadTextField(1), "a");
}

TEST_F(FaultTest, OpenErrorsMapToTheirCodes) {
  CloseRecordFile();
  fs_.open_fault = kFileAccessDenied;
  EXPECT_FALSE(OpenRecordFile(p_));
  EXPECT_EQ(RecordFileLastError(), -6);
  EXPECT_EQ(RecordFileErrorText(), GBK("指定文件不能被访问"));
  fs_.open_fault = kFileTooManyOpen;
  EXPECT_FALSE(OpenRecordFile(p_));
  EXPECT_EQ(RecordFileLastError(), -5);
  fs_.open_fault = 0;
  fs_.read_fault = kFileHardware;
  EXPECT_FALSE(OpenRecordFile(p_));
  EXPECT_EQ(RecordFileLastError(), -11);
  fs_.read_fault = 0;
  EXPECT_TRUE(OpenRecordFile(p_));
}

TEST_F(FaultTest, AFileSystemWithoutLocksCountsAsLocked) {
  fs_.lock_fault = kLockUnsupported;
  EXPECT_TRUE(AppendBlankRecord());
  EXPECT_TRUE(ModifyRecord({FieldValue("u")}));
  EXPECT_EQ(ReadTextField(1), "u");
  EXPECT_TRUE(PurgeDeletedRecords());
  fs_.lock_fault = kFileGeneric;
  EXPECT_FALSE(PurgeDeletedRecords());
  EXPECT_EQ(RecordFileLastError(), -28);  // a whole-file lock refused for another reason
  EXPECT_EQ(RecordFileErrorText(), GBK("加锁失败"));
  EXPECT_FALSE(AppendBlankRecord());
  EXPECT_EQ(RecordFileLastError(), -1);
}

}  // namespace
}  // namespace rftest
