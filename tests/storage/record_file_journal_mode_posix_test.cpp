// The journal holds the table's old bytes (a password among them): it is created with the
// table's own mode, whatever the umask, and so is a journal a killed writer leaves behind.
#include <sys/wait.h>

#include "crashing_file_system.h"
#include "record_file_test_util.h"

namespace rftest {
namespace {

// Notes the mode of every file the engine creates, as the disk has it right after.
class ModeNotingFileSystem : public FileSystem {
 public:
  std::unique_ptr<LockedFile> OpenExisting(const std::string& p, int* e) override {
    return PosixFileSystem().OpenExisting(p, e);
  }
  int CreateNew(const std::string& p, const void* d, std::size_t n, unsigned mode) override {
    int rc = PosixFileSystem().CreateNew(p, d, n, mode);
    struct stat st;
    if (rc == kFileOk && stat(p.c_str(), &st) == 0) modes.push_back(st.st_mode & 0777);
    return rc;
  }
  int Remove(const std::string& p) override { return PosixFileSystem().Remove(p); }
  int SyncDirectoryOf(const std::string& p) override { return PosixFileSystem().SyncDirectoryOf(p); }
  std::vector<std::string> List(const std::string& d) override { return PosixFileSystem().List(d); }
  std::vector<unsigned> modes;
};

class JournalModeTest : public RecordFileTest {
 protected:
  void SetUp() override {
    RecordFileTest::SetUp();
    old_umask_ = umask(022);
    ASSERT_TRUE(CreateRecordFile(Path("pw.edb"), {{"name", kTypeText, 20}, {"password", kTypeMemo}}));
    ASSERT_TRUE(OpenRecordFile(Path("pw.edb")));
    ASSERT_TRUE(AppendRecord({FieldValue("me"), FieldValue("old secret")}));
    CloseRecordFile();
  }
  void TearDown() override {
    SetRecordFileSystemForTesting(nullptr);
    umask(old_umask_);
    RecordFileTest::TearDown();
  }
  mode_t old_umask_ = 0;
};

unsigned ModeOf(const std::string& host) {
  struct stat st;
  return stat(host.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

TEST_F(JournalModeTest, NewTablesAreTheirOwnersOnly) {
  EXPECT_EQ(ModeOf(Host("pw.edb")), 0600u);
  EXPECT_EQ(ModeOf(Host("pw.EDT")), 0600u);
}

TEST_F(JournalModeTest, JournalsTakeTheTablesModeUnderUmask022) {
  for (unsigned table_mode : {0600u, 0640u, 0660u}) {
    ASSERT_EQ(chmod(Host("pw.edb").c_str(), table_mode), 0);
    ModeNotingFileSystem fs;
    SetRecordFileSystemForTesting(&fs);
    ASSERT_TRUE(OpenRecordFile(Path("pw.edb")));
    ASSERT_TRUE(ModifyRecord({std::nullopt, FieldValue("new secret")}));
    ASSERT_TRUE(AppendRecord({FieldValue("you"), FieldValue("another")}));
    CloseRecordFile();
    SetRecordFileSystemForTesting(nullptr);
    ASSERT_FALSE(fs.modes.empty());
    for (unsigned m : fs.modes) EXPECT_EQ(m, table_mode) << std::oct << "table " << table_mode;
  }
}

TEST_F(JournalModeTest, AJournalAKilledWriterLeavesIsAsPrivateAsTheTable) {
  ASSERT_EQ(chmod(Host("pw.edb").c_str(), 0600), 0);
  // Killed at each change after the journal is made, until one leaves it behind.
  bool left = false;
  for (int n = 1; n < 40 && !left; ++n) {
    pid_t pid = fork();
    if (pid == 0) {
      CrashingFileSystem fs(n, false);
      SetRecordFileSystemForTesting(&fs);
      if (!OpenRecordFile(Path("pw.edb"))) _exit(2);
      bool ok = ModifyRecord({std::nullopt, FieldValue("newer secret")});
      _exit(ok ? 0 : 3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 0) break;
    for (const std::string& name : PosixFileSystem().List(dir_)) {
      if (name.rfind("pw.edb-j", 0) != 0) continue;
      left = true;
      EXPECT_EQ(ModeOf(dir_ + "/" + name), 0600u) << name;
    }
  }
  EXPECT_TRUE(left) << "no kill left a journal behind";
}

}  // namespace
}  // namespace rftest
