// The record-file engine's state (the open files, the current one, the thread's last
// error) and the small steps every operation shares. The operations themselves live in
// record_file_open.cpp, _read, _write, _append and _purge. Each one resets the thread's
// last error, takes the byte locks it needs (header lock before record lock; the
// whole-file lock alone), goes to the file for everything but the header copy and the
// field definitions, and releases its locks before it returns.
#include "storage/record_file.h"

#include <cstring>

#include "base/fatal_error.h"
#include "storage/record_file_operation.h"
#include "storage/record_file_testing.h"

using namespace recfmt;

namespace {

thread_local int t_lastError = 0;

}  // namespace

namespace recfile {

Engine& E() {
  static Engine* e = new Engine;  // never destroyed: files close with the process
  return *e;
}

void SetLastError(int code) { t_lastError = code; }

bool Fail(int code) {
  t_lastError = code;
  return false;
}

[[noreturn]] void NoCurrentFile() { FatalRunTimeError(0, GBK("未指定当前数据库或者指定数据库未打开")); }
[[noreturn]] void NoSuchField() { FatalRunTimeError(0, GBK("指定字段不存在")); }

FieldKind KindOfType(std::int32_t type) {
  switch (type) {
    case kTypeText:
    case kTypeMemo: return FieldKind::kText;
    case kTypeBytes: return FieldKind::kBytes;
    default: return static_cast<FieldKind>(type);
  }
}

// The value's kind equals the field's, or both are numeric.
bool Compatible(std::int32_t type, const FieldValue& v) {
  FieldKind want = KindOfType(type);
  if (type >= kTypeByte && type <= kTypeDouble) return v.IsNumeric();
  return v.kind() == want;
}

// Field number -> definition, ending the program for a number that does not exist.
const FieldDef& FieldOrDie(const OpenFile& of, int field) {
  if (field < 1 || field > static_cast<int>(of.fields.size())) NoSuchField();
  return of.fields[static_cast<std::size_t>(field - 1)];
}

// Reads `n` bytes at `pos` of the main file: -10 when pos lies outside the file, else
// `short_code` for a short read.
int ReadAt(OpenFile& of, std::int64_t pos, void* out, std::size_t n, int short_code) {
  std::size_t got = 0;
  int rc = of.main.file->Read(pos, out, n, &got);
  if (rc != kFileOk) return rc;
  if (got == 0 && n > 0) return kFileBadSeek;
  if (got < n) return short_code;
  return kFileOk;
}

// Reads records the header counts: finding none there is a short read as well (-62).
int ReadRecords(OpenFile& of, std::int64_t pos, void* out, std::size_t n) {
  std::size_t got = 0;
  int rc = of.main.file->Read(pos, out, n, &got);
  if (rc != kFileOk) return rc;
  return got < n ? -62 : kFileOk;
}

// The count and next id at offset 16 (the caller holds the header lock).
int ReadCounts(OpenFile& of, std::int32_t* count, std::int32_t* next_id) {
  unsigned char b[8];
  std::size_t got = 0;
  int rc = of.main.file->Read(kOffRecordCount, b, sizeof b, &got);
  if (rc != kFileOk) return rc;
  if (got < sizeof b) return -65;
  *count = GetI32(b);
  if (next_id) *next_id = GetI32(b + 4);
  return kFileOk;
}

// The record count under the header lock, negative read as 0.
int LockedRecordCount(OpenFile& of, int wait_ms, std::int32_t* count) {
  int rc = WithByteLock(of.main, kOffRecordCount, wait_ms, [&] { return ReadCounts(of, count, nullptr); });
  if (*count < 0) *count = 0;
  return rc;
}

// The file length, and `code` when the main file ends before `end`.
int RequireLength(OpenFile& of, std::int64_t end, int code) {
  std::int64_t length = 0;
  int rc = of.main.file->Length(&length);
  if (rc != kFileOk) return rc;
  return length < end ? code : kFileOk;
}

void CloseFile(Engine& e, std::size_t index) {
  std::shared_ptr<OpenFile> of = e.files[index];
  e.files.erase(e.files.begin() + static_cast<std::ptrdiff_t>(index));
  if (e.current == of) e.current.reset();
  // Closing the handles releases every lock they hold.
  of->closed = true;
  of->main.held.clear();
  of->memo.held.clear();
  of->main.file.reset();
  of->memo.file.reset();
}

std::int32_t IdOf(const unsigned char* p) {
  const std::int32_t id = GetI32(p);
  return id == INT32_MIN ? 0 : (id < 0 ? -id : id);
}

FileSystem& Files() {
  FileSystem* fs = E().fs;
  return fs ? *fs : SystemFileSystem();
}

}  // namespace recfile

using namespace recfile;

void SetRecordFileSystemForTesting(FileSystem* fs) { E().fs = fs; }

std::vector<std::pair<std::int64_t, int>> HeldRecordFileLocksForTesting(bool memo) {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> g(e.mu);
  if (!e.current) return {};
  return memo ? e.current->memo.held : e.current->main.held;
}

void CloseAllRecordFilesForTesting() {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> g(e.mu);
  while (!e.files.empty()) CloseFile(e, e.files.size() - 1);
}

Text RecordFileErrorText() { return RecordFileErrorTextOf(t_lastError); }

int RecordFileLastError() { return t_lastError; }
