// Several processes append, modify, delete and read one record file at once. The lock
// wait time is 0, so operations may fail with -13; but the file must stay sound and
// every operation that reported success must be found in it. On Linux the writers are
// forked; on Windows the test program is started again, once per writer.
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <functional>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>

#include "record_file_test_util.h"

namespace rftest {
namespace {

using namespace recfmt;

constexpr int kChildren = 5;
constexpr int kRounds = 150;

// The values a modification of record `id` in its version `ver` stores.
Text TextFor(std::int32_t id, int ver) { return "r" + std::to_string(id) + "v" + std::to_string(ver); }
Text MemoFor(std::int32_t id, int ver) {
  std::size_t n = static_cast<std::size_t>((id * 37 + ver * 101) % 1300);
  return Text(n, static_cast<char>('a' + (id + ver) % 26));
}

struct Own {
  std::int32_t id;
  int index;
  int ver = 0;
};

void Pause(unsigned microseconds) { std::this_thread::sleep_for(std::chrono::microseconds(microseconds)); }

// One child: opens the file now and then, does a few operations, closes it. Its records
// are changed only by itself, so the last change it logs is the last change made.
void ChildRounds(int me, const Text& path, const std::string& log_path) {
  FILE* log = std::fopen(log_path.c_str(), "w");
  std::mt19937 rng(static_cast<unsigned>(me * 7919 + 1));
  std::vector<Own> own;
  auto failed = [&](const char* op) { std::fprintf(log, "F %s %d\n", op, RecordFileLastError()); };
  for (int round = 0; round < kRounds; ++round) {
    bool opened = false;
    for (int attempt = 0; attempt < 200 && !opened; ++attempt) {
      opened = OpenRecordFile(path);
      if (!opened) {
        failed("open");
        Pause(500 + rng() % 2000);
      }
    }
    if (!opened) continue;
    int ops = 2 + static_cast<int>(rng() % 5);
    for (int k = 0; k < ops; ++k) {
      int what = static_cast<int>(rng() % 10);
      if (what < 3 || own.empty()) {
        // The append itself says the new id: a reader of the new record cannot make a
        // stored record look failed.
        std::int32_t id = 0;
        if (AppendBlankRecord(&id)) {
          Own o{id, CurrentRecordIndex()};
          std::fprintf(log, "A %d %d\n", o.id, o.index);
          own.push_back(o);
          // The first version right away, like a table writer does.
          Own& n = own.back();
          n.ver = 1;
          bool ok = ModifyRecord({FieldValue(me), FieldValue(n.ver), FieldValue(TextFor(n.id, n.ver)),
                                  FieldValue(MemoFor(n.id, n.ver))});
          std::fprintf(log, "M %d %d %d %d\n", n.id, n.ver, ok ? 1 : 0, RecordFileLastError());
        } else {
          failed("append");
        }
      } else if (what < 7) {
        Own& o = own[rng() % own.size()];
        // To the record by its index (nobody purges, so indexes stay), checked by its id.
        FirstRecord();
        if (!SkipRecords(o.index)) {
          failed("skip");
          continue;
        }
        std::int32_t at = CurrentRecordId();
        if (at == 0) {
          failed("id");
          continue;
        }
        if (at != o.id && at != -o.id) {
          std::fprintf(log, "E wrong record at %d: %d for %d\n", o.index, at, o.id);
          continue;
        }
        if (what < 6) {
          ++o.ver;
          bool ok = ModifyRecord({std::nullopt, FieldValue(o.ver), FieldValue(TextFor(o.id, o.ver)),
                                  FieldValue(MemoFor(o.id, o.ver))});
          std::fprintf(log, "M %d %d %d %d\n", o.id, o.ver, ok ? 1 : 0, RecordFileLastError());
        } else {
          bool ok = DeleteRecord();
          std::fprintf(log, "D %d %d %d\n", o.id, ok ? 1 : 0, RecordFileLastError());
        }
      } else if (what < 9) {
        // Reads of anybody's records, memo chains included.
        int count = RecordCount();
        if (count > 0) {
          FirstRecord();
          SkipRecords(static_cast<int>(rng() % static_cast<unsigned>(count)));
          ReadField(3);
          ReadField(4);
        }
      } else {
        FirstRecord();
        int want = static_cast<int>(rng() % kChildren);
        FindRecord([&] { return ReadIntField(1) == want; });
      }
    }
    CloseRecordFile();
  }
  std::fclose(log);
}

#ifdef _WIN32
// The writer's side: the test program started again with the filter below and the
// writer's number, file and log in its environment. Skipped in an ordinary run.
TEST(MultiProcessChild, Writer) {
  const char* me = std::getenv("VK_WRITER");
  if (!me) GTEST_SKIP() << "started only as a writer of ForkedWritersKeepTheFileSound";
  // Everybody starts together: the parent makes the gate file once all are running.
  std::string gate = std::getenv("VK_WRITER_GATE");
  for (int i = 0; i < 60000 && !Exists(gate); ++i) Pause(1000);
  ChildRounds(std::atoi(me), std::getenv("VK_WRITER_FILE"), std::getenv("VK_WRITER_LOG"));
}

// Starts the writers and waits for them; true when every one ended well.
bool RunWriters(const Text& path, const std::function<std::string(int)>& log, const std::string& gate) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(exe) + L"\" --gtest_filter=MultiProcessChild.Writer";
  std::vector<HANDLE> children;
  bool ok = true;
  for (int c = 0; c < kChildren; ++c) {
    SetEnvironmentVariableA("VK_WRITER", std::to_string(c).c_str());
    SetEnvironmentVariableA("VK_WRITER_FILE", path.c_str());
    SetEnvironmentVariableA("VK_WRITER_LOG", log(c).c_str());
    SetEnvironmentVariableA("VK_WRITER_GATE", gate.c_str());
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::wstring line = command;
    if (!CreateProcessW(exe, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      ok = false;
      break;
    }
    CloseHandle(pi.hThread);
    children.push_back(pi.hProcess);
  }
  SetEnvironmentVariableA("VK_WRITER", nullptr);
  std::ofstream(gate) << "go";
  for (HANDLE h : children) {
    DWORD code = 1;
    ok = WaitForSingleObject(h, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(h, &code) && code == 0 && ok;
    CloseHandle(h);
  }
  return ok;
}
#else
[[noreturn]] void Child(int me, const Text& path, const std::string& log_path, int start_gate) {
  // Everybody starts together: the gate opens when the parent closes its end.
  char c;
  while (read(start_gate, &c, 1) > 0) {
  }
  close(start_gate);
  ChildRounds(me, path, log_path);
  _exit(0);
}
#endif

class MultiProcessTest : public RecordFileTest {};

TEST_F(MultiProcessTest, ForkedWritersKeepTheFileSound) {
  Text p = Path("shared.edb");
  ASSERT_TRUE(CreateRecordFile(p, {{"owner", kTypeInt}, {"ver", kTypeInt}, {"t", kTypeText, 16},
                                   {"m", kTypeMemo}}));
#ifdef _WIN32
  ASSERT_TRUE(RunWriters(p, [&](int c) { return Host("log" + std::to_string(c)); }, Host("gate")));
#else
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
#endif

  // The header's count matches the file length before anybody repairs anything.
  auto raw = ReadAll(Host("shared.edb"));
  const std::int64_t record_length = I32At(raw, 24);
  const std::int64_t count = I32At(raw, 16);
  ASSERT_EQ(static_cast<std::int64_t>(raw.size()), DataStart(4) + count * record_length);

  // The log: what reported success.
  std::set<std::int32_t> appended, deleted;
  std::map<std::int32_t, std::pair<int, bool>> last_modify;  // id -> version, succeeded
  std::map<int, int> failures;
  int successes = 0;
  for (int c = 0; c < kChildren; ++c) {
    std::ifstream in(Host("log" + std::to_string(c)));
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream is(line);
      std::string kind;
      is >> kind;
      if (kind == "A") {
        std::int32_t id;
        is >> id;
        EXPECT_TRUE(appended.insert(id).second) << "id handed out twice: " << id;
        ++successes;
      } else if (kind == "M") {
        std::int32_t id;
        int ver, ok, code;
        is >> id >> ver >> ok >> code;
        last_modify[id] = {ver, ok == 1};
        if (ok) ++successes; else ++failures[code];
      } else if (kind == "D") {
        std::int32_t id;
        int ok, code;
        is >> id >> ok >> code;
        if (ok) deleted.insert(id), ++successes; else ++failures[code];
      } else if (kind == "F") {
        std::string op;
        int code;
        is >> op >> code;
        // An open whose memo file is locked by somebody else reports the memo code.
        if (op == "open" && code == -35) code = -13;
        ++failures[code];
      } else {
        ADD_FAILURE() << "child reported: " << line;
      }
    }
  }
  for (const auto& [code, n] : failures) EXPECT_EQ(code, -13) << n << " failures with " << code;
  EXPECT_GT(successes, kChildren * kRounds / 2);
  int failed = 0;
  for (const auto& [code, n] : failures) failed += n;
  std::printf("%d operations succeeded, %d failed on a lock; %zu records, %zu deleted\n", successes, failed,
              appended.size(), deleted.size());

  // The file opens, and holds every record appended, with its last version.
  ASSERT_TRUE(OpenRecordFile(p)) << RecordFileLastError();
  ASSERT_EQ(RecordCount(), count);
  std::set<std::int32_t> seen;
  FirstRecord();
  for (std::int64_t k = 0; k < count; ++k) {
    std::int32_t id = CurrentRecordId();
    std::int32_t live = id < 0 ? -id : id;
    EXPECT_TRUE(seen.insert(live).second) << "id twice in the file: " << live;
    EXPECT_TRUE(appended.count(live)) << "record nobody appended: " << live;
    EXPECT_EQ(id < 0, deleted.count(live) == 1) << "id " << live;
    auto m = last_modify.find(live);
    if (m != last_modify.end() && m->second.second) {
      EXPECT_EQ(ReadIntField(2), m->second.first) << "id " << live;
      EXPECT_EQ(ReadTextField(3), TextFor(live, m->second.first)) << "id " << live;
      EXPECT_EQ(ReadTextField(4), MemoFor(live, m->second.first)) << "id " << live;
    } else {
      ReadTextField(4);  // readable at least
    }
    SkipRecords();
  }
  EXPECT_EQ(seen, appended);

  // The memo file: no block is in two chains or in a chain and the free list.
  auto memo = ReadAll(Host("shared.EDT"));
  const std::int32_t blocks = I32At(memo, 16);
  ASSERT_EQ(static_cast<std::int64_t>(memo.size()), static_cast<std::int64_t>(blocks) * 512);
  std::set<std::int32_t> used;
  for (std::int64_t k = 0; k < count; ++k) {
    std::int32_t r = I32At(raw, static_cast<std::size_t>(DataStart(4) + k * record_length + 4 + 4 + 4 + 16));
    auto m = last_modify.find(std::abs(I32At(raw, static_cast<std::size_t>(DataStart(4) + k * record_length))));
    bool sound = m != last_modify.end() && m->second.second;
    for (int steps = 0; r > 0 && steps < blocks; ++steps) {
      if (!sound) break;  // a failed rewrite may have left its chain half new
      EXPECT_LT(r, blocks);
      EXPECT_TRUE(used.insert(r).second) << "block " << r << " in two chains";
      r = I32At(memo, static_cast<std::size_t>(r) * 512 + 4);
    }
  }
  std::int32_t free_count = 0;
  for (std::int32_t r = I32At(memo, 24); r > 0 && free_count <= blocks; r = I32At(memo, static_cast<std::size_t>(r) * 512 + 4)) {
    EXPECT_FALSE(used.count(r)) << "block " << r << " both used and free";
    ++free_count;
  }
  EXPECT_EQ(free_count, I32At(memo, 20));
}

}  // namespace
}  // namespace rftest
