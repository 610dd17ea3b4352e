// A write killed at any point: each operation runs in a child process that ends just
// before its Nth write (or after writing half of it), for every N until the operation
// finishes. After each crash the table must open, hold every record either as it was or as
// the operation left it, no record twice, and no memo block in two places; and it must
// stay that way through one more append.
#include <sys/wait.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "crashing_file_system.h"
#include "table_audit.h"

namespace rftest {
namespace {

using namespace recfmt;

struct Values {
  Text name;
  std::int32_t value = 0;
  Text memo;
  Text note;
  friend bool operator==(const Values&, const Values&) = default;
};

std::vector<OptionalFieldValue> Fields(const Values& v) {
  return {FieldValue(v.name), FieldValue(v.value), FieldValue(v.memo), FieldValue(v.note)};
}

// What a record may hold after the crash, by id: its old values, its new ones, or (for a
// record the operation deletes) nothing.
struct Allowed {
  std::optional<Values> before;  // nullopt: the record did not exist
  std::optional<Values> after;   // nullopt: the operation removes it
};

struct Scenario {
  std::string name;
  std::vector<FieldSpec> fields;
  std::vector<Values> initial;
  std::function<bool()> op;  // runs on the open table in the child
  std::map<std::int32_t, Allowed> allowed;
};

struct Row {
  int points = 0, opened = 0, broken = 0;
  std::string firstProblem;
};

class CrashTest : public RecordFileTest {
 protected:
  // Builds the scenario's table once and keeps its bytes to start every run from.
  void MakeTemplate(const Scenario& s) {
    Text p = Path("t.edb");
    ASSERT_TRUE(CreateRecordFile(p, s.fields));
    ASSERT_TRUE(OpenRecordFile(p));
    for (const Values& v : s.initial) {
      ASSERT_TRUE(AppendBlankRecord());
      ASSERT_TRUE(ModifyRecord(Fields(v)));
    }
    CloseRecordFile();
    main_ = ReadAll(Host("t.edb"));
    memo_ = ReadAll(Host("t.EDT"));
  }

  void Restore() {
    std::system(("rm -f '" + dir_ + "'/t.*").c_str());
    WriteAll(Host("t.edb"), main_);
    WriteAll(Host("t.EDT"), memo_);
  }

  // Runs the operation in a child that crashes at write `n`; the child's exit code.
  int RunChild(const Scenario& s, int n, bool torn) {
    pid_t pid = fork();
    if (pid == 0) {
      CrashingFileSystem fs(n, torn);
      SetRecordFileSystemForTesting(&fs);
      if (!OpenRecordFile(Path("t.edb"))) _exit(2);
      bool ok = s.op();
      CloseRecordFile();
      _exit(ok ? 0 : 3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
  }

  // What is wrong with the table now (empty when nothing is).
  std::string Check(const Scenario& s) {
    if (!OpenRecordFile(Path("t.edb"))) return "does not open: " + std::to_string(RecordFileLastError());
    std::string problem;
    std::map<std::int32_t, Values> seen;
    const int count = RecordCount();
    FirstRecord();
    for (int k = 0; k < count && problem.empty(); ++k, SkipRecords()) {
      std::int32_t id = std::abs(CurrentRecordId());
      Values v{ReadTextField(1), ReadIntField(2), Text(), ReadTextField(4)};
      v.memo = ReadTextField(3);
      if (RecordFileLastError() != 0) problem = "record " + std::to_string(id) + " unreadable";
      else if (!seen.emplace(id, v).second) problem = "record " + std::to_string(id) + " twice";
      auto a = s.allowed.find(id);
      if (!problem.empty()) break;
      if (a == s.allowed.end()) problem = "record " + std::to_string(id) + " from nowhere";
      else if (!(a->second.before && *a->second.before == v) && !(a->second.after && *a->second.after == v))
        problem = "record " + std::to_string(id) + " is neither old nor new (name '" + v.name + "', memo " +
                  std::to_string(v.memo.size()) + " bytes)";
    }
    for (const auto& [id, a] : s.allowed)
      if (problem.empty() && a.before && a.after && !seen.count(id)) problem = "record " + std::to_string(id) + " lost";
    // One more append must not run into anybody's blocks.
    if (problem.empty()) {
      FirstRecord();
      if (!AppendBlankRecord() || !ModifyRecord(Fields({"later", 9, Filler(2100, 5), "x"})))
        problem = "the next append fails: " + std::to_string(RecordFileLastError());
    }
    CloseRecordFile();
    if (problem.empty()) {
      std::vector<int> memo_at;
      for (std::size_t i = 0, off = 4; i < s.fields.size(); ++i) {
        if (s.fields[i].type == kTypeMemo) memo_at.push_back(static_cast<int>(off));
        off += static_cast<std::size_t>(StoredSize(s.fields[i].type, s.fields[i].width));
      }
      TableAudit audit = AuditTable(Host("t.edb"), Host("t.EDT"), memo_at);
      if (!audit.problems.empty()) problem = audit.problems.front();
    }
    return problem;
  }

  Row Run(const Scenario& s, bool torn) {
    Row row;
    for (int n = 1; n < 100000; ++n) {
      Restore();
      int rc = RunChild(s, n, torn);
      if (rc == 0) break;  // the operation finished before its nth write
      if (rc != kCrashedExitCode) {
        ADD_FAILURE() << s.name << ": the operation failed by itself (" << rc << ") at write " << n;
        break;
      }
      ++row.points;
      std::string problem = Check(s);
      if (problem.rfind("does not open", 0) != 0) ++row.opened;
      if (!problem.empty()) {
        ++row.broken;
        if (row.firstProblem.empty()) row.firstProblem = "write " + std::to_string(n) + ": " + problem;
      }
    }
    std::printf("%-34s %-5s crash points %4d, opens %4d, lost or damaged %4d  %s\n", s.name.c_str(),
                torn ? "torn" : "kill", row.points, row.opened, row.broken, row.firstProblem.c_str());
    return row;
  }

  void RunBoth(const Scenario& s) {
    MakeTemplate(s);
    for (bool torn : {false, true}) {
      Row row = Run(s, torn);
      EXPECT_GT(row.points, 0) << s.name;
      EXPECT_EQ(row.broken, 0) << s.name << (torn ? " (torn)" : " (kill)") << ": " << row.firstProblem;
    }
    Restore();
    EXPECT_EQ(RunChild(s, 0, false), 0) << s.name << " does not succeed without a crash";
  }

  std::vector<unsigned char> main_, memo_;
};

const std::vector<FieldSpec> kSmall = {
    {"name", kTypeText, 40}, {"value", kTypeInt}, {"memo", kTypeMemo}, {"note", kTypeText, 60}};

std::vector<Values> ThreeRecords(std::size_t second_memo) {
  return {{"one", 1, Filler(600, 1), "first"}, {"two", 2, Filler(second_memo, 2), "second"},
          {"three", 3, Text(), "third"}};
}

std::map<std::int32_t, Allowed> Unchanged(const std::vector<Values>& v) {
  std::map<std::int32_t, Allowed> m;
  for (std::size_t i = 0; i < v.size(); ++i) m[static_cast<std::int32_t>(i + 1)] = {v[i], v[i]};
  return m;
}

bool FindName(const Text& name) {
  FirstRecord();
  return FindRecord([&] { return ReadTextField(1) == name; });
}

TEST_F(CrashTest, AppendWithMemoValues) {
  Scenario s{"append with memo values", kSmall, ThreeRecords(1735), {}, {}};
  const Values added{"added", 4, Filler(1200, 4), "new"};
  s.op = [added] { return AppendRecord(Fields(added)); };
  s.allowed = Unchanged(s.initial);
  s.allowed[4] = {std::nullopt, added};
  RunBoth(s);
}

TEST_F(CrashTest, ModifyGrowsAMemo) {
  Scenario s{"modify, memo grows 1735 -> 3900", kSmall, ThreeRecords(1735), {}, {}};
  const Values grown{"two", 20, Filler(3900, 9), "grown"};
  s.op = [grown] { return FindName("two") && ModifyRecord(Fields(grown)); };
  s.allowed = Unchanged(s.initial);
  s.allowed[2].after = grown;
  RunBoth(s);
}

TEST_F(CrashTest, ModifyShrinksAMemo) {
  Scenario s{"modify, memo shrinks 3900 -> 1735", kSmall, ThreeRecords(3900), {}, {}};
  const Values shrunk{"two", 20, Filler(1735, 9), "shrunk"};
  s.op = [shrunk] { return FindName("two") && ModifyRecord(Fields(shrunk)); };
  s.allowed = Unchanged(s.initial);
  s.allowed[2].after = shrunk;
  RunBoth(s);
}

TEST_F(CrashTest, DeleteAndPurgeOverSeveralChunks) {
  // Records of 4,252 bytes: 38 to a purge chunk, so 300 records make 8 chunks.
  Scenario s{"delete + purge, 300 records/8 chunks",
             {{"name", kTypeText, 40}, {"value", kTypeInt}, {"memo", kTypeMemo}, {"pad", kTypeText, 4200}},
             {},
             {},
             {}};
  for (int k = 0; k < 300; ++k) {
    std::size_t memo = k % 4 == 0 ? 0 : static_cast<std::size_t>((k * 37) % 1300 + 1);
    s.initial.push_back({"r" + std::to_string(k), k, Filler(memo, k), Filler(static_cast<std::size_t>(k % 50), k)});
  }
  s.allowed = Unchanged(s.initial);
  const std::vector<Text> gone = {"r3", "r120", "r250"};
  for (int k : {3, 120, 250}) s.allowed[k + 1].after.reset();
  s.op = [gone] {
    for (const Text& name : gone)
      if (!FindName(name) || !DeleteRecord()) return false;
    return PurgeDeletedRecords();
  };
  RunBoth(s);
}

// What crashes leave behind besides the journal: chains no record reaches. A plain open
// leaves them alone (another process may be half-way through writing one); a purge, which
// holds the whole file anyway, takes them back.
TEST_F(CrashTest, LeakedBlocksReturnUnderThePurgeOnly) {
  Text p = Path("t.edb");
  ASSERT_TRUE(CreateRecordFile(p, kSmall));
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendRecord(Fields({"one", 1, Filler(1200, 1), "x"})));
  ASSERT_TRUE(AppendRecord(Fields({"two", 2, Filler(700, 2), "y"})));
  CloseRecordFile();
  // Record 1 forgets its chain of three blocks, as if a crash had come between the two.
  auto raw = ReadAll(Host("t.edb"));
  PutI32At(raw, static_cast<std::size_t>(DataStart(4)) + 48, 0);
  WriteAll(Host("t.edb"), raw);
  ASSERT_EQ(AuditTable(Host("t.edb"), Host("t.EDT"), {48}).leakedBlocks, 3);

  ASSERT_TRUE(OpenRecordFile(p));
  EXPECT_EQ(ReadTextField(1), "one");
  CloseRecordFile();
  EXPECT_EQ(AuditTable(Host("t.edb"), Host("t.EDT"), {48}).leakedBlocks, 3);

  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(PurgeDeletedRecords());
  CloseRecordFile();
  TableAudit audit = AuditTable(Host("t.edb"), Host("t.EDT"), {48});
  EXPECT_TRUE(audit.problems.empty());
  EXPECT_EQ(audit.leakedBlocks, 0);
  EXPECT_EQ(I32At(ReadAll(Host("t.EDT")), 20), 3);  // all three in the free list
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(SkipRecords(1));
  EXPECT_EQ(ReadTextField(3), Filler(700, 2));
}

// A lock refused half-way through an add (here the memo file's, held by another process)
// leaves no blank record: the add is one step.
TEST_F(CrashTest, ARefusedLockLeavesNoBlankRecord) {
  Text p = Path("t.edb");
  ASSERT_TRUE(CreateRecordFile(p, kSmall));
  ASSERT_TRUE(OpenRecordFile(p));
  ASSERT_TRUE(AppendRecord(Fields({"one", 1, Filler(600, 1), "x"})));
  const auto main_before = ReadAll(Host("t.edb"));
  int error = 0;
  auto other = PosixFileSystem().OpenExisting(Host("t.EDT"), &error);
  ASSERT_TRUE(other);
  ASSERT_EQ(other->Lock(0, 1), 0);
  EXPECT_FALSE(AppendRecord(Fields({"two", 2, Filler(900, 2), "y"})));
  EXPECT_EQ(RecordFileLastError(), -13);
  EXPECT_EQ(RecordCount(), 1);
  EXPECT_EQ(ReadAll(Host("t.edb")), main_before);
  other.reset();
  ASSERT_TRUE(AppendRecord(Fields({"two", 2, Filler(900, 2), "y"})));
  EXPECT_EQ(RecordCount(), 2);
  EXPECT_EQ(ReadTextField(1), "two");
}

}  // namespace
}  // namespace rftest
