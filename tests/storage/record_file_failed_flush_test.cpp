// A flush that fails is a failed operation: for every flush an operation makes (of the
// memo file, the journal, the main file or the directory), the run where that one flush
// fails must report the failure, and the table must then hold exactly what it held before,
// sound, with the next append working.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "table_audit.h"

namespace rftest {
namespace {

using namespace recfmt;

// The system's files, with the Nth flush (file or directory) failing as a disk error.
class FailingFlushFileSystem : public FileSystem {
 public:
  explicit FailingFlushFileSystem(int fail_at) : fail_at_(fail_at) {}

  std::unique_ptr<LockedFile> OpenExisting(const std::string& p, int* error) override {
    auto real = SystemFileSystem().OpenExisting(p, error);
    if (!real) return nullptr;
    return std::make_unique<File>(std::move(real), this);
  }
  int CreateNew(const std::string& p, const void* d, std::size_t n, unsigned mode) override {
    // The creation's own flush: the file is gone again when it fails.
    if (Reached()) return kFileHardware;
    return SystemFileSystem().CreateNew(p, d, n, mode);
  }
  int Remove(const std::string& p) override { return SystemFileSystem().Remove(p); }
  int SyncDirectoryOf(const std::string& p) override {
    if (Reached()) return kFileHardware;
    return SystemFileSystem().SyncDirectoryOf(p);
  }
  std::vector<std::string> List(const std::string& d) override { return SystemFileSystem().List(d); }

  int flushes() const { return flushes_; }
  bool failed() const { return fail_at_ > 0 && flushes_ >= fail_at_; }

 private:
  class File : public LockedFile {
   public:
    File(std::unique_ptr<LockedFile> real, FailingFlushFileSystem* fs) : real_(std::move(real)), fs_(fs) {}
    int Read(std::int64_t o, void* d, std::size_t n, std::size_t* got) override { return real_->Read(o, d, n, got); }
    int Write(std::int64_t o, const void* d, std::size_t n) override { return real_->Write(o, d, n); }
    int Length(std::int64_t* l) override { return real_->Length(l); }
    int Truncate(std::int64_t l) override { return real_->Truncate(l); }
    int Sync() override { return fs_->Reached() ? kFileHardware : real_->Sync(); }
    int Permissions(unsigned* m) override { return real_->Permissions(m); }
    int Lock(std::int64_t o, std::int64_t l) override { return real_->Lock(o, l); }
    int Unlock(std::int64_t o, std::int64_t l) override { return real_->Unlock(o, l); }

   private:
    std::unique_ptr<LockedFile> real_;
    FailingFlushFileSystem* fs_;
  };

  bool Reached() { return ++flushes_ == fail_at_; }

  int fail_at_;
  int flushes_ = 0;
};

struct Values {
  Text name;
  std::int32_t value = 0;
  Text memo;
  friend bool operator==(const Values&, const Values&) = default;
};

std::vector<OptionalFieldValue> Fields(const Values& v) {
  return {FieldValue(v.name), FieldValue(v.value), FieldValue(v.memo)};
}

const std::vector<FieldSpec> kFields = {{"name", kTypeText, 24}, {"value", kTypeInt}, {"memo", kTypeMemo}};
constexpr int kMemoOffset = 4 + 24 + 4;

const std::vector<Values> kInitial = {
    {"one", 1, Text(700, 'a')}, {"two", 2, Text(1500, 'b')}, {"three", 3, Text()}, {"four", 4, Text(90, 'd')}};

class FailedFlushTest : public RecordFileTest {
 protected:
  void SetUp() override {
    RecordFileTest::SetUp();
    ASSERT_TRUE(CreateRecordFile(Path("t.edb"), kFields));
    ASSERT_TRUE(OpenRecordFile(Path("t.edb")));
    for (const Values& v : kInitial) ASSERT_TRUE(AppendRecord(Fields(v)));
    // The second and fourth are marked deleted, for the purge to take.
    FirstRecord();
    ASSERT_TRUE(SkipRecords(1));
    ASSERT_TRUE(DeleteRecord());
    ASSERT_TRUE(SkipRecords(2));
    ASSERT_TRUE(DeleteRecord());
    CloseRecordFile();
    main_ = ReadAll(Host("t.edb"));
    memo_ = ReadAll(Host("t.EDT"));
  }

  void Restore() {
    WriteAll(Host("t.edb"), main_);
    WriteAll(Host("t.EDT"), memo_);
  }

  // The table as the engine reads it: id (with its deleted sign) -> values.
  std::map<std::int32_t, Values> Contents() {
    std::map<std::int32_t, Values> seen;
    EXPECT_TRUE(OpenRecordFile(Path("t.edb"))) << RecordFileLastError();
    const int count = RecordCount();
    FirstRecord();
    for (int k = 0; k < count; ++k, SkipRecords()) {
      const std::int32_t id = CurrentRecordId();
      Values v{ReadTextField(1), ReadIntField(2), ReadTextField(3)};
      EXPECT_EQ(RecordFileLastError(), 0) << "record " << id;
      EXPECT_TRUE(seen.emplace(id, v).second) << "record " << id << " twice";
    }
    CloseRecordFile();
    return seen;
  }

  // Runs `op` once with every flush in turn failing; each failing run must report the
  // failure and leave the table as it was. The number of flushes the operation makes.
  int FailEachFlush(const std::string& name, const std::function<bool()>& op) {
    Restore();
    const std::map<std::int32_t, Values> before = Contents();
    int n = 1;
    for (;; ++n) {
      Restore();
      if (!OpenRecordFile(Path("t.edb"))) {
        ADD_FAILURE() << name << ": the table does not open: " << RecordFileLastError();
        break;
      }
      FailingFlushFileSystem fs(n);
      SetRecordFileSystemForTesting(&fs);
      const bool ok = op();
      const int error = RecordFileLastError();
      SetRecordFileSystemForTesting(nullptr);
      CloseRecordFile();
      if (!fs.failed()) {
        EXPECT_TRUE(ok) << name << " fails without a failed flush: " << error;
        break;
      }
      EXPECT_FALSE(ok) << name << ": flush " << n << " failed, yet the operation reported success";
      if (!ok) {
        EXPECT_EQ(error, kFileHardware) << name << ", flush " << n;
      }
      EXPECT_EQ(Contents(), before) << name << ": flush " << n << " failed and the table changed";
      TableAudit audit = AuditTable(Host("t.edb"), Host("t.EDT"), {kMemoOffset});
      EXPECT_TRUE(audit.problems.empty()) << name << ", flush " << n << ": " << audit.problems.front();
      const std::vector<std::string> table_only = {"t.EDT", "t.edb"};
      EXPECT_EQ(List(), table_only)
          << name << ", flush " << n << ": a journal is left behind";
      // The table goes on: one more append holds, and reads back.
      EXPECT_TRUE(OpenRecordFile(Path("t.edb")));
      std::int32_t id = 0;
      EXPECT_TRUE(AppendRecord(Fields({"later", 9, Text(2100, 'z')}), &id)) << name << ", flush " << n;
      EXPECT_EQ(ReadTextField(3), Text(2100, 'z')) << name << ", flush " << n;
      CloseRecordFile();
      if (n > 200) break;
    }
    return n - 1;
  }

  // The scratch directory's names, sorted.
  std::vector<std::string> List() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(FsPath(dir_))) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<unsigned char> main_, memo_;
};

bool ToName(const Text& name) {
  FirstRecord();
  return FindRecord([&] { return ReadTextField(1) == name; });
}

TEST_F(FailedFlushTest, AppendWithMemo) {
  EXPECT_GT(FailEachFlush("append", [] { return AppendRecord(Fields({"five", 5, Text(1900, 'e')})); }), 0);
}

TEST_F(FailedFlushTest, BatchAppend) {
  EXPECT_GT(FailEachFlush("batch append",
                          [] {
                            return AppendRecords({Fields({"five", 5, Text(1900, 'e')}), Fields({"six", 6, Text(30, 'f')})});
                          }),
            0);
}

TEST_F(FailedFlushTest, MemoGrowsAndShrinks) {
  EXPECT_GT(FailEachFlush("memo grows", [] { return ToName("one") && ModifyRecord({std::nullopt, 11, Text(2600, 'g')}); }), 0);
  EXPECT_GT(FailEachFlush("memo shrinks", [] { return ToName("one") && WriteField(3, FieldValue(Text(10, 'h'))); }), 0);
}

TEST_F(FailedFlushTest, DeleteAndPurge) {
  EXPECT_GT(FailEachFlush("delete", [] { return ToName("three") && DeleteRecord(); }), 0);
  EXPECT_GT(FailEachFlush("purge", [] { return PurgeDeletedRecords(); }), 0);
}

}  // namespace
}  // namespace rftest
