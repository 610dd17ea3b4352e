// Another process purges between the moment a record is made current and the write to it:
// the write still reaches that record, or is refused when it is gone; never another one.
// Then several processes append, modify, delete and purge at once.
#include <sys/wait.h>

#include <cstdio>
#include <map>
#include <random>
#include <sstream>

#include "table_audit.h"

namespace rftest {
namespace {

using namespace recfmt;

class MovedRecordTest : public RecordFileTest {
 protected:
  void SetUp() override {
    RecordFileTest::SetUp();
    p_ = MakeExample();
    ASSERT_TRUE(OpenRecordFile(p_));
    AppendTexts({"a", "b", "c"});
  }

  // Another process deletes the record named `name` and purges the file.
  void OtherProcessDeletes(const Text& name) {
    pid_t pid = fork();
    if (pid == 0) {
      CloseAllRecordFilesForTesting();
      bool ok = OpenRecordFile(p_) && FindRecord([&] { return ReadTextField(1) == name; }) && DeleteRecord() &&
                PurgeDeletedRecords();
      CloseRecordFile();
      _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::vector<Text> Names() {
    std::vector<Text> names;
    FirstRecord();
    for (int k = RecordCount(); k > 0; --k, SkipRecords()) names.push_back(ReadTextField(1));
    return names;
  }

  Text p_;
};

TEST_F(MovedRecordTest, AModifyFindsItsRecordAfterAnotherProcessPurged) {
  FirstRecord();
  ASSERT_TRUE(FindRecord([] { return ReadTextField(1) == "b"; }));
  ASSERT_EQ(CurrentRecordIndex(), 1);
  OtherProcessDeletes("a");  // "b" moves to index 0, "c" to index 1
  ASSERT_TRUE(ModifyRecord({FieldValue("B"), FieldValue(20)})) << RecordFileLastError();
  EXPECT_EQ(CurrentRecordIndex(), 0);
  EXPECT_EQ(Names(), (std::vector<Text>{"B", "c"}));
}

TEST_F(MovedRecordTest, WritesAndDeletesFollowTheAppendedRecord) {
  ASSERT_TRUE(AppendRecord({FieldValue("d"), FieldValue(4)}));
  OtherProcessDeletes("b");
  ASSERT_TRUE(WriteField(2, FieldValue(40)));
  ASSERT_TRUE(DeleteRecord());
  FirstRecord();
  ASSERT_TRUE(SkipRecords(2));
  EXPECT_EQ(ReadTextField(1), "d");
  EXPECT_EQ(ReadIntField(2), 40);
  EXPECT_LT(CurrentRecordId(), 0);  // the appended record is the one marked
  EXPECT_EQ(Names(), (std::vector<Text>{"a", "c", "d"}));
}

TEST_F(MovedRecordTest, AWriteToARecordThatIsGoneIsRefused) {
  FirstRecord();
  ASSERT_TRUE(FindRecord([] { return ReadTextField(1) == "b"; }));
  OtherProcessDeletes("b");
  const auto before = ReadAll(Host("example.edb"));
  EXPECT_FALSE(ModifyRecord({FieldValue("X")}));
  EXPECT_EQ(RecordFileLastError(), -44);
  EXPECT_FALSE(DeleteRecord());
  EXPECT_EQ(RecordFileLastError(), -44);
  EXPECT_EQ(ReadAll(Host("example.edb")), before);
}

// ---- Several processes with purges ----

constexpr int kChildren = 5;
constexpr int kRounds = 60;

Text MemoFor(std::int32_t key, int ver) {
  return Text(static_cast<std::size_t>((key * 37 + ver * 101) % 1300), static_cast<char>('a' + (key + ver) % 26));
}

// Records are found by a key of their own (field 1), never by index, so purges by others
// may move them at any time.
[[noreturn]] void Child(int me, const Text& path, const std::string& log_path, int gate) {
  char c;
  while (read(gate, &c, 1) > 0) {
  }
  close(gate);
  FILE* log = std::fopen(log_path.c_str(), "w");
  std::mt19937 rng(static_cast<unsigned>(me * 7919 + 3));
  std::vector<std::int32_t> mine;
  std::map<std::int32_t, int> ver;
  int seq = 0;
  for (int round = 0; round < kRounds; ++round) {
    // An open fails while somebody purges or opens (the whole-file lock): try again.
    bool opened = false;
    for (int attempt = 0; attempt < 200 && !opened; ++attempt) {
      opened = OpenRecordFile(path);
      if (!opened) usleep(static_cast<useconds_t>(500 + rng() % 2000));
    }
    if (!opened) continue;
    for (int k = 0, ops = 2 + static_cast<int>(rng() % 4); k < ops; ++k) {
      const int what = static_cast<int>(rng() % 10);
      if (what < 3 || mine.empty()) {
        const std::int32_t key = (me + 1) * 100000 + ++seq;
        bool ok = AppendRecord({FieldValue(key), FieldValue(1), FieldValue(MemoFor(key, 1))});
        std::fprintf(log, "A %d %d %d\n", key, ok ? 1 : 0, RecordFileLastError());
        if (ok) mine.push_back(key), ver[key] = 1;
      } else if (what < 8) {
        const std::int32_t key = mine[rng() % mine.size()];
        FirstRecord();
        if (!FindRecord([&] { return ReadIntField(1) == key; })) continue;
        // Give the others a moment to purge between the find and the write.
        usleep(static_cast<useconds_t>(rng() % 500));
        if (what < 6) {
          const int v = ver[key] + 1;
          bool ok = ModifyRecord({std::nullopt, FieldValue(v), FieldValue(MemoFor(key, v))});
          std::fprintf(log, "M %d %d %d %d\n", key, v, ok ? 1 : 0, RecordFileLastError());
          if (ok) ver[key] = v;
        } else {
          bool ok = DeleteRecord();
          std::fprintf(log, "D %d %d %d\n", key, ok ? 1 : 0, RecordFileLastError());
          if (ok) mine.erase(std::find(mine.begin(), mine.end(), key));
        }
      } else {
        bool ok = PurgeDeletedRecords();
        std::fprintf(log, "P %d %d\n", ok ? 1 : 0, RecordFileLastError());
      }
    }
    CloseRecordFile();
  }
  std::fclose(log);
  _exit(0);
}

class PurgingWritersTest : public RecordFileTest {};

TEST_F(PurgingWritersTest, EveryAcknowledgedWriteIsInTheFileAndNoBlockLeaks) {
  Text p = Path("shared.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"key", kTypeInt}, {"ver", kTypeInt}, {"m", kTypeMemo}}));
  int gate[2];
  ASSERT_EQ(pipe(gate), 0);
  std::vector<pid_t> pids;
  for (int c = 0; c < kChildren; ++c) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(gate[1]);
      Child(c, p, Host("log" + std::to_string(c)), gate[0]);
    }
    pids.push_back(pid);
  }
  close(gate[0]);
  close(gate[1]);
  for (pid_t pid : pids) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }

  // What each writer was told: the live records with their last acknowledged version.
  std::map<std::int32_t, int> expected;
  std::map<std::string, int> tally;
  for (int c = 0; c < kChildren; ++c) {
    std::ifstream in(Host("log" + std::to_string(c)));
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream is(line);
      std::string kind;
      int key = 0, v = 0, ok = 0, code = 0;
      is >> kind;
      if (kind == "A") is >> key >> ok >> code;
      if (kind == "M") is >> key >> v >> ok >> code;
      if (kind == "D") is >> key >> ok >> code;
      if (kind == "P") is >> ok >> code;
      ++tally[kind + (ok ? "+" : "-")];
      if (!ok) {
        // Refusals are lock conflicts, or a record another writer's purge took away.
        EXPECT_TRUE(code == -13 || code == -28 || code == -35) << line;
        continue;
      }
      if (kind == "A") expected[key] = 1;
      if (kind == "M") expected[key] = v;
      if (kind == "D") expected.erase(key);
    }
  }
  for (const auto& [k, n] : tally) std::printf("%s %d  ", k.c_str(), n);
  std::printf("\n");
  EXPECT_GT(tally["P+"], 0);
  EXPECT_GT(tally["M+"], 0);

  ASSERT_TRUE(OpenRecordFile(p));
  std::map<std::int32_t, int> live;
  FirstRecord();
  for (int k = RecordCount(); k > 0; --k, SkipRecords()) {
    if (CurrentRecordId() < 0) continue;  // deleted, not yet purged
    const std::int32_t key = ReadIntField(1);
    EXPECT_NE(key, 0) << "a blank record";
    EXPECT_TRUE(live.emplace(key, ReadIntField(2)).second) << "key twice: " << key;
    EXPECT_EQ(ReadTextField(3), MemoFor(key, ReadIntField(2))) << key;
  }
  EXPECT_EQ(live, expected);
  CloseRecordFile();

  TableAudit audit = AuditTable(Host("shared.edb"), Host("shared.EDT"), {4 + 4 + 4});
  EXPECT_TRUE(audit.problems.empty()) << audit.problems.front();
  std::printf("%d memo blocks unreachable before the last purge\n", audit.leakedBlocks);
  // A purge takes back whatever refused writes or lock conflicts left unreachable.
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(PurgeDeletedRecords());
  CloseRecordFile();
  audit = AuditTable(Host("shared.edb"), Host("shared.EDT"), {4 + 4 + 4});
  EXPECT_TRUE(audit.problems.empty()) << audit.problems.front();
  EXPECT_EQ(audit.leakedBlocks, 0);
  // No journal is left among the data files.
  for (const std::string& name : PosixFileSystem().List(dir_))
    EXPECT_EQ(name.find("-j"), std::string::npos) << name;
}

}  // namespace
}  // namespace rftest
