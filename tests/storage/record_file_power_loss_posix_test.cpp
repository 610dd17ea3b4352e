// A power cut at any moment: every change the engine makes is noted at the file layer,
// and every state the disk may hold after a cut is rebuilt (each file as of its last
// flush plus mixes of the writes made since, torn at sectors; names as of the directory's
// last flush). Each state must open; every record must be old or new, and new once the
// caller was told the change is done; no record twice; no memo chain shared or reaching
// a freed block; and a change reported done leaves no journal behind.
#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "recording_file_system.h"
#include "table_audit.h"

namespace rftest {
namespace {

using namespace recfmt;

struct Values {
  Text name;
  std::int32_t value = 0;
  Text memo;
  bool deleted = false;
  friend bool operator==(const Values&, const Values&) = default;
};

std::vector<OptionalFieldValue> Fields(const Values& v) {
  return {FieldValue(v.name), FieldValue(v.value), FieldValue(v.memo)};
}

// A record's old and new values by id (nullopt: not there).
struct Allowed {
  std::optional<Values> before, after;
  int step = 0;  // the step that changes it (0: none)
};

struct Scenario {
  std::string name;
  int padWidth = 60;  // wide records make a purge run over several chunks
  std::vector<Values> initial;
  std::vector<std::function<bool()>> steps;
  std::map<std::int32_t, Allowed> allowed;
};

struct Row {
  int whileRunning = 0, badWhileRunning = 0, afterDone = 0, badAfterDone = 0;
  std::string firstProblem;
};

bool FindName(const Text& name) {
  FirstRecord();
  return FindRecord([&] { return ReadTextField(1) == name; });
}

class PowerLossTest : public RecordFileTest {
 protected:
  std::vector<FieldSpec> FieldsOf(const Scenario& s) {
    return {{"name", kTypeText, 40}, {"value", kTypeInt}, {"memo", kTypeMemo}, {"pad", kTypeText, s.padWidth}};
  }

  DiskState Files() {
    DiskState d;
    for (const std::string& name : PosixFileSystem().List(dir_))
      if (name != "." && name != "..") d[name] = ReadAll(dir_ + "/" + name);
    return d;
  }

  void Put(const DiskState& d) {
    for (const std::string& name : PosixFileSystem().List(dir_))
      if (name != "." && name != "..") std::remove((dir_ + "/" + name).c_str());
    for (const auto& [name, bytes] : d) WriteAll(dir_ + "/" + name, bytes);
  }

  // What is wrong with the table in state `d`, when steps 1..done were reported done.
  std::string Check(const Scenario& s, const DiskState& d, int done) {
    if (done == static_cast<int>(s.steps.size()))
      for (const auto& [name, bytes] : d)
        if (name.find("-j") != std::string::npos) return "a journal is left behind: " + name;
    Put(d);
    if (!OpenRecordFile(Path("t.edb"))) return "does not open: " + std::to_string(RecordFileLastError());
    std::string problem;
    std::map<std::int32_t, Values> seen;
    const int count = RecordCount();
    FirstRecord();
    for (int k = 0; k < count && problem.empty(); ++k, SkipRecords()) {
      const std::int32_t raw = CurrentRecordId();
      const std::int32_t id = std::abs(raw);
      Values v{ReadTextField(1), ReadIntField(2), ReadTextField(3), raw < 0};
      if (RecordFileLastError() != 0) {
        problem = "record " + std::to_string(id) + " unreadable";
      } else if (!seen.emplace(id, v).second) {
        problem = "record " + std::to_string(id) + " twice";
      }
      if (!problem.empty()) break;
      auto a = s.allowed.find(id);
      if (a == s.allowed.end()) {
        problem = "record " + std::to_string(id) + " from nowhere";
        break;
      }
      const bool must_be_new = a->second.step != 0 && a->second.step <= done;
      const bool is_old = a->second.before && *a->second.before == v;
      const bool is_new = a->second.after && *a->second.after == v;
      if (!(is_new || (is_old && !must_be_new)))
        problem = "record " + std::to_string(id) + (is_old ? " is back to its old value" : " is neither old nor new") +
                  " (memo " + std::to_string(v.memo.size()) + " bytes" + (v.deleted ? ", deleted" : "") + ")";
    }
    for (const auto& [id, a] : s.allowed) {
      if (!problem.empty() || seen.count(id)) continue;
      const bool must_be_new = a.step != 0 && a.step <= done;
      if (a.after && (must_be_new || a.before)) problem = "record " + std::to_string(id) + " lost";
    }
    CloseRecordFile();
    if (problem.empty()) {
      TableAudit audit = AuditTable(Host("t.edb"), Host("t.EDT"), {48});
      if (!audit.problems.empty()) problem = audit.problems.front();
    }
    return problem;
  }

  Row Run(const Scenario& s) {
    // The table as it stands on the disk before the cut can come.
    EXPECT_TRUE(CreateRecordFile(Path("t.edb"), FieldsOf(s)));
    EXPECT_TRUE(OpenRecordFile(Path("t.edb")));
    for (const Values& v : s.initial) {
      EXPECT_TRUE(AppendRecord(Fields(v)));
      if (v.deleted) {
        EXPECT_TRUE(DeleteRecord());
      }
    }
    CloseRecordFile();
    const DiskState start = Files();

    RecordingFileSystem fs(dir_, start);
    SetRecordFileSystemForTesting(&fs);
    EXPECT_TRUE(OpenRecordFile(Path("t.edb")));
    for (std::size_t k = 0; k < s.steps.size(); ++k) {
      EXPECT_TRUE(s.steps[k]()) << s.name << " step " << k + 1 << ": " << RecordFileLastError();
      fs.MarkDone(static_cast<int>(k + 1));
    }
    CloseRecordFile();
    SetRecordFileSystemForTesting(nullptr);

    // A cut just before each flush holds the most unflushed writes; the end holds all.
    Row row;
    std::set<std::pair<std::uint64_t, int>> checked;
    const auto& ev = fs.events();
    int done = 0;
    for (std::size_t cut = 0; cut <= ev.size(); ++cut) {
      if (cut > 0 && ev[cut - 1].kind == FileEvent::kDone) done = static_cast<int>(ev[cut - 1].inode);
      const bool flush_next = cut < ev.size() && (ev[cut].kind == FileEvent::kSync ||
                                                  ev[cut].kind == FileEvent::kSyncDirectory ||
                                                  ev[cut].kind == FileEvent::kDone);
      if (!flush_next && cut != ev.size()) continue;
      for (const DiskState& d : fs.StatesAt(cut)) {
        if (!checked.insert({RecordingFileSystem::Fingerprint(d), done}).second) continue;
        const bool after = done == static_cast<int>(s.steps.size());
        std::string problem = Check(s, d, done);
        (after ? row.afterDone : row.whileRunning)++;
        if (!problem.empty()) {
          (after ? row.badAfterDone : row.badWhileRunning)++;
          if (row.firstProblem.empty()) row.firstProblem = "cut at event " + std::to_string(cut) + ": " + problem;
          if (std::getenv("VK_POWER_LOSS_VERBOSE")) std::printf("  cut %zu: %s\n", cut, problem.c_str());
        }
      }
    }
    std::printf("%-36s while running %4d states, %3d bad; after done %4d states, %3d bad  %s\n", s.name.c_str(),
                row.whileRunning, row.badWhileRunning, row.afterDone, row.badAfterDone, row.firstProblem.c_str());
    EXPECT_GT(row.whileRunning, 0);
    EXPECT_GT(row.afterDone, 0);
    EXPECT_EQ(row.badWhileRunning + row.badAfterDone, 0) << s.name << ": " << row.firstProblem;
    return row;
  }
};

std::vector<Values> ThreeRecords(std::size_t second_memo) {
  return {{"one", 1, Filler(600, 1)}, {"two", 2, Filler(second_memo, 2)}, {"three", 3, Text()}};
}

std::map<std::int32_t, Allowed> Unchanged(const std::vector<Values>& v) {
  std::map<std::int32_t, Allowed> m;
  for (std::size_t i = 0; i < v.size(); ++i) m[static_cast<std::int32_t>(i + 1)] = {v[i], v[i], 0};
  return m;
}

TEST_F(PowerLossTest, Append) {
  Scenario s{"append", 60, ThreeRecords(1735), {}, {}};
  const Values added{"added", 4, Filler(1200, 4)};
  s.steps = {[added] { return AppendRecord(Fields(added)); }};
  s.allowed = Unchanged(s.initial);
  s.allowed[4] = {std::nullopt, added, 1};
  Run(s);
}

TEST_F(PowerLossTest, MemoGrows) {
  Scenario s{"memo grows", 60, ThreeRecords(300), {}, {}};
  Values grown = s.initial[1];
  grown.memo = Filler(1735, 9);
  s.steps = {[grown] { return FindName("two") && ModifyRecord(Fields(grown)); }};
  s.allowed = Unchanged(s.initial);
  s.allowed[2] = {s.initial[1], grown, 1};
  Run(s);
}

TEST_F(PowerLossTest, MemoShrinks) {
  Scenario s{"memo shrinks", 60, ThreeRecords(2400), {}, {}};
  Values shrunk = s.initial[1];
  shrunk.memo = Filler(100, 8);
  s.steps = {[shrunk] { return FindName("two") && ModifyRecord(Fields(shrunk)); }};
  s.allowed = Unchanged(s.initial);
  s.allowed[2] = {s.initial[1], shrunk, 1};
  Run(s);
}

TEST_F(PowerLossTest, Delete) {
  Scenario s{"delete", 60, ThreeRecords(700), {}, {}};
  Values gone = s.initial[1];
  gone.deleted = true;
  s.steps = {[] { return FindName("two") && DeleteRecord(); }};
  s.allowed = Unchanged(s.initial);
  s.allowed[2] = {s.initial[1], gone, 1};
  Run(s);
}

TEST_F(PowerLossTest, PurgeOverChunks) {
  // Records of about 4 KB: 40 to a chunk, so 330 records move in 9 chunks.
  Scenario s{"purge over 9 chunks", 4000, {}, {}, {}};
  for (int i = 0; i < 330; ++i) {
    Values v{"r" + std::to_string(i), i, i % 3 == 0 ? Filler(200 + static_cast<std::size_t>(i) * 3, i) : Text(),
             i % 7 == 2 || i == 0};
    s.initial.push_back(v);
    Values after = v;
    s.allowed[i + 1] = {v, v.deleted ? std::nullopt : std::optional<Values>(after), v.deleted ? 1 : 0};
  }
  s.steps = {[] { return PurgeDeletedRecords(); }};
  Run(s);
}

TEST_F(PowerLossTest, ShrinkOneThenGrowAnother) {
  Scenario s{"shrink one record, then grow another", 60, ThreeRecords(1400), {}, {}};
  Values shrunk = s.initial[1], grown = s.initial[2];
  shrunk.memo = Filler(30, 3);
  grown.memo = Filler(1400, 7);
  s.steps = {[shrunk] { return FindName("two") && ModifyRecord(Fields(shrunk)); },
             [grown] { return FindName("three") && ModifyRecord(Fields(grown)); }};
  s.allowed = Unchanged(s.initial);
  s.allowed[2] = {s.initial[1], shrunk, 1};
  s.allowed[3] = {s.initial[2], grown, 2};
  Run(s);
}

}  // namespace
}  // namespace rftest
