// The record-file engine's operations. Each one resets the thread's last error, takes
// the byte locks it needs (header lock before record lock; the whole-file lock alone),
// goes to the file for everything but the header copy and the field definitions, and
// releases its locks before it returns.
#include "storage/record_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <mutex>

#include "base/fatal_error.h"
#include "base/paths.h"
#include "storage/record_file_internal.h"
#include "storage/record_file_testing.h"

using namespace recfile;
using namespace recfmt;

namespace {

constexpr int kMaxFullPath = 260;

thread_local int t_lastError = 0;

// The record FindRecord is testing: ReadField takes its values from these bytes.
struct FindScan {
  const OpenFile* file;
  const unsigned char* record;
  std::int64_t length;
};

struct Engine {
  std::recursive_mutex mu;
  std::vector<std::shared_ptr<OpenFile>> files;  // in opening order
  std::shared_ptr<OpenFile> current;
  const FindScan* scan = nullptr;
  FileSystem* fs = nullptr;
};

Engine& E() {
  static Engine* e = new Engine;  // never destroyed: files close with the process
  return *e;
}

// What every operation starts with: the engine to itself, and the last error reset.
struct Operation {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> guard{e.mu};
  Operation() { t_lastError = 0; }
};

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

float ToFloat(double d) {
  if (d > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
  if (d < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(d);
}

// A real for an integer field: truncated toward zero and held to [lo, hi]; NaN is 0.
std::int64_t RealToInteger(double d, double lo, double hi) {
  if (std::isnan(d)) return 0;
  d = std::trunc(d);
  if (d <= lo) return static_cast<std::int64_t>(lo);
  if (d >= hi) return hi >= 9223372036854775807.0 ? std::numeric_limits<std::int64_t>::max()
                                                  : static_cast<std::int64_t>(hi);
  return static_cast<std::int64_t>(d);
}

// Stores a numeric, bool, date-time or subroutine value in the field's stored form.
// Integers narrow by keeping their low bits; reals are truncated and held to the range.
void EncodeScalar(std::int32_t type, const FieldValue& v, unsigned char* p) {
  const bool real = v.kind() == FieldKind::kFloat || v.kind() == FieldKind::kDouble;
  const double d = v.AsReal();
  const std::int64_t i = v.AsInteger();
  switch (type) {
    case kTypeByte:
      p[0] = static_cast<unsigned char>(real ? RealToInteger(d, 0, 255) : i);
      break;
    case kTypeShort:
      PutI16(p, static_cast<std::int16_t>(static_cast<std::uint16_t>(real ? RealToInteger(d, -32768, 32767) : i)));
      break;
    case kTypeInt:
      PutI32(p, static_cast<std::int32_t>(
                    static_cast<std::uint32_t>(real ? RealToInteger(d, -2147483648.0, 2147483647.0) : i)));
      break;
    case kTypeLong:
      PutI64(p, real ? RealToInteger(d, -9223372036854775808.0, 9223372036854775807.0) : i);
      break;
    case kTypeFloat: PutF32(p, ToFloat(d)); break;
    case kTypeDouble: PutF64(p, d); break;
    case kTypeBool: p[0] = v.AsBool() ? 1 : 0; break;
    case kTypeDateTime: PutF64(p, std::get<DateTime>(v.storage()).days); break;
    case kTypeSubroutine: PutI32(p, std::get<SubroutineRef>(v.storage()).value); break;
    default: break;
  }
}

FieldValue DecodeScalar(std::int32_t type, const unsigned char* p) {
  switch (type) {
    case kTypeByte: return FieldValue::Byte(p[0]);
    case kTypeShort: return FieldValue::Short(GetI16(p));
    case kTypeInt: return FieldValue::Int(GetI32(p));
    case kTypeLong: return FieldValue::Long(GetI64(p));
    case kTypeFloat: return FieldValue::Float(GetF32(p));
    case kTypeDouble: return FieldValue::Double(GetF64(p));
    case kTypeBool: return FieldValue::Bool(p[0] != 0);
    case kTypeDateTime: {
      double d = GetF64(p);
      if (d < kMinDateTime) d = kMinDateTime;
      if (d > kMaxDateTime) d = kMaxDateTime;
      return FieldValue::Date(d);
    }
    case kTypeSubroutine: return FieldValue::Subroutine(GetI32(p));
    default: return FieldValue();
  }
}

Text TextUpToNul(const unsigned char* p, std::size_t n) {
  const void* nul = std::memchr(p, 0, n);
  std::size_t len = nul ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - p) : n;
  return Text(reinterpret_cast<const char*>(p), len);
}

// The memo value behind a reference, as the field's kind.
FieldValue MemoValue(OpenFile& of, const FieldDef& d, std::int32_t ref) {
  std::string s;
  int rc = of.memo.file ? ReadMemo(of.memo, ref, &s) : -46;
  if (rc != kFileOk) {
    Fail(rc);
    return FieldValue::EmptyOf(KindOfType(d.type));
  }
  if (d.type == kTypeMemo) return FieldValue::OfText(std::move(s));
  return FieldValue::OfBytes(Bytes(s.begin(), s.end()));
}

// ReadField inside FindRecord: the candidate's bytes, no file access (but the memo file).
FieldValue ReadFromCandidate(OpenFile& of, const FieldDef& d, const FindScan& scan) {
  if (d.offset + d.size > scan.length) {
    Fail(-46);
    return FieldValue::EmptyOf(KindOfType(d.type));
  }
  const unsigned char* p = scan.record + d.offset;
  if (d.type == kTypeText) return FieldValue::OfText(TextUpToNul(p, static_cast<std::size_t>(d.size)));
  if (IsMemoType(d.type)) return MemoValue(of, d, GetI32(p));
  return DecodeScalar(d.type, p);
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

// Writes one value into a record image at its field (memo values through the memo file;
// the old chain's leftover blocks are added to *leftover, to be released after the
// record is written).
int PutValue(OpenFile& of, const FieldDef& d, const FieldValue& v, unsigned char* p,
             std::vector<std::int32_t>* leftover, std::vector<std::int32_t>* fresh) {
  if (d.type == kTypeText) {
    const Text& t = v.AsText();
    std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(d.size, static_cast<std::int64_t>(t.size()) + 1));
    std::size_t from_text = std::min(n, t.size());
    std::memcpy(p, t.data(), from_text);
    if (n > from_text) p[from_text] = 0;
    return kFileOk;
  }
  if (IsMemoType(d.type)) {
    const std::int32_t old_ref = GetI32(p);
    std::int32_t new_ref = old_ref;
    std::vector<std::int32_t> left;
    int rc;
    if (d.type == kTypeMemo) {
      rc = WriteMemo(of.memo, old_ref, v.AsText().data(), v.AsText().size(), &new_ref, &left);
    } else {
      rc = WriteMemo(of.memo, old_ref, v.AsBytes().data(), v.AsBytes().size(), &new_ref, &left);
    }
    if (rc != kFileOk) return rc;
    PutI32(p, new_ref);
    leftover->insert(leftover->end(), left.begin(), left.end());
    if (new_ref != 0) fresh->push_back(new_ref);
    return kFileOk;
  }
  EncodeScalar(d.type, v, p);
  return kFileOk;
}

// A write that did not reach the record gives back the chains it had made for it.
void DropFreshChains(OpenFile& of, const std::vector<std::int32_t>& fresh) {
  for (std::int32_t ref : fresh) FreeMemo(of.memo, ref);
}

// New memo blocks reach the disk before a record points at them.
int SyncMemo(OpenFile& of, const std::vector<std::int32_t>& fresh) {
  if (fresh.empty() || !JournalEnabled() || !of.memo.file) return kFileOk;
  return of.memo.file->Sync();
}

std::int32_t IdOf(const unsigned char* p) {
  const std::int32_t id = GetI32(p);
  return id == INT32_MIN ? 0 : (id < 0 ? -id : id);
}

// Takes the current record's lock. A record the caller made current by appending or
// finding it is found again by its id when another process's purge has moved it, and
// refused with -44 when it is gone: a write never reaches another record. A dead
// writer's journal of the record is rolled back before anybody reads it for a write.
int LockCurrentRecord(OpenFile& of, std::int64_t* start) {
  *start = of.RecordStart(of.current);
  int rc = LockByte(of.main, *start);
  if (rc != kFileOk) return rc;
  if (of.currentId != 0) {
    unsigned char b[4];
    std::size_t got = 0;
    rc = of.main.file->Read(*start, b, 4, &got);
    if (rc != kFileOk || got < 4 || IdOf(b) != of.currentId) {
      UnlockByte(of.main, *start);
      if (rc != kFileOk) return rc;
      // The header lock keeps purges out while we look.
      rc = LockByte(of.main, kOffRecordCount);
      if (rc != kFileOk) return rc;
      std::int32_t count = 0;
      rc = ReadCounts(of, &count, nullptr);
      std::int64_t found = -1;
      for (std::int64_t k = 0; rc == kFileOk && k < count; ++k) {
        rc = ReadAt(of, of.RecordStart(k), b, 4, -62);
        if (rc == kFileOk && IdOf(b) == of.currentId) found = k;
        if (found >= 0) break;
      }
      if (rc == kFileOk && found < 0) rc = -44;
      if (rc == kFileOk) {
        *start = of.RecordStart(found);
        rc = LockByte(of.main, *start);
        if (rc == kFileOk) of.current = found;
      }
      UnlockByte(of.main, kOffRecordCount);
      if (rc != kFileOk) return rc;
    }
  }
  rc = RecoverJournal(of, *start);
  if (rc != kFileOk) UnlockByte(of.main, *start);
  return rc;
}

// Runs `body(start)` under the current record's lock (see LockCurrentRecord).
template <typename Body>
int WithCurrentRecord(OpenFile& of, Body body) {
  std::int64_t start = 0;
  int rc = LockCurrentRecord(of, &start);
  if (rc != kFileOk) return rc;
  rc = body(start);
  int urc = UnlockByte(of.main, start);
  return rc != kFileOk ? rc : urc;
}

// Writes `n` bytes at `pos` under a journal kept in the name of the lock at `lock_at`.
int JournaledWrite(OpenFile& of, std::int64_t lock_at, std::int64_t pos, const void* data, std::size_t n) {
  Journal j;
  int rc = BeginJournal(of, lock_at, {{pos, static_cast<std::int64_t>(n)}}, false, &j);
  if (rc != kFileOk) return rc;
  rc = of.main.file->Write(pos, data, n);
  if (rc != kFileOk) {
    AbortJournal(of, &j);
    return rc;
  }
  return CommitJournal(of, &j);
}

bool ValidFieldName(const unsigned char* p) { return std::memchr(p, 0, kFieldNameSize) != nullptr; }

}  // namespace

namespace recfile {
void SetLastError(int code) { t_lastError = code; }

FileSystem& Files() {
  FileSystem* fs = E().fs;
  return fs ? *fs : SystemFileSystem();
}
}  // namespace recfile

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

bool OpenRecordFile(const Text& path) {
  Operation op;
  Engine& e = op.e;
  if (path.empty()) return Fail(kFileNotFound);
  const Text full = FullPath(WithDefaultExtension(path));
  if (CharacterCount(full) > kMaxFullPath) return Fail(kFileBadPath);
  for (const auto& f : e.files)
    if (SameTextIgnoringCase(f->fullPath, full)) return Fail(-38);

  // Everything opened here closes again when `of` goes out of scope on a failure.
  auto of = std::make_shared<OpenFile>();
  of->hostPath = HostPath(full);
  int rc = OpenWithWait(of->hostPath, LockWaitMs(), &of->main.file);
  if (rc != kFileOk) return Fail(rc);
  rc = LockWhole(of->main);
  if (rc != kFileOk) return Fail(rc);
  // Operations whose owners died half-way are undone before anything is read.
  rc = RecoverJournals(*of);
  if (rc != kFileOk) return Fail(rc);

  // Header.
  unsigned char* h = of->header;
  std::size_t got = 0;
  rc = of->main.file->Read(0, h, kHeaderSize, &got);
  if (rc != kFileOk) return Fail(rc);
  if (got < static_cast<std::size_t>(kHeaderSize)) return Fail(-22);
  const std::int32_t magic = GetI32(h + kOffMagic);
  if (magic == kMagicProtected) return Fail(-78);
  if (magic != kMagic) return Fail(-22);
  std::int32_t count = GetI32(h + kOffRecordCount);
  if (count < 0 || GetI32(h + kOffNextId) <= 0 || GetI32(h + kOffRecordLength) <= 0) return Fail(-22);
  of->version = GetI32(h + kOffVersion);
  if (of->version > kVersion) return Fail(-23);
  of->recordLength = GetI32(h + kOffRecordLength);

  // Field definitions.
  std::int64_t length = 0;
  rc = of->main.file->Length(&length);
  if (rc != kFileOk) return Fail(rc);
  unsigned char fc[4];
  rc = of->main.file->Read(kHeaderSize, fc, sizeof fc, &got);
  if (rc != kFileOk) return Fail(rc);
  if (got < sizeof fc) return Fail(-22);
  const std::int32_t field_count = GetI32(fc);
  if (field_count <= 0) return Fail(-22);
  of->dataStart = DataStart(field_count);
  if (of->dataStart > length) return Fail(-22);  // a short read, without the buffer
  std::vector<unsigned char> defs(static_cast<std::size_t>(field_count) * kFieldDefSize);
  rc = of->main.file->Read(kHeaderSize + kFieldCountSize, defs.data(), defs.size(), &got);
  if (rc != kFileOk) return Fail(rc);
  if (got < defs.size()) return Fail(-22);

  // Count repair: no more records than the file holds, and nothing after the last one.
  const std::int64_t fits = (length - of->dataStart) / of->recordLength;
  if (fits < count) {
    count = static_cast<std::int32_t>(fits);
    unsigned char b[4];
    PutI32(b, count);
    rc = of->main.file->Write(kOffRecordCount, b, 4);
    if (rc != kFileOk) return Fail(rc);
    PutI32(h + kOffRecordCount, count);
  }
  const std::int64_t exact = of->RecordStart(count);
  if (length != exact) {
    rc = of->main.file->Truncate(exact);
    if (rc != kFileOk) return Fail(rc);
  }

  bool needs_memo = false;
  of->fields.resize(static_cast<std::size_t>(field_count));
  for (std::int32_t i = 0; i < field_count; ++i) {
    const unsigned char* d = defs.data() + static_cast<std::size_t>(i) * kFieldDefSize;
    FieldDef& f = of->fields[static_cast<std::size_t>(i)];
    f.type = GetI32(d + kDefOffType);
    f.offset = GetI32(d + kDefOffOffset);
    f.width = GetI32(d + kDefOffWidth);
    if (!ValidFieldName(d + kDefOffName) || f.offset < 0 || f.type < kTypeByte || f.type > kTypeMemo ||
        (f.type == kTypeText && f.width <= 0))
      return Fail(-22);
    f.name = Text(reinterpret_cast<const char*>(d + kDefOffName));
    f.size = StoredSize(f.type, f.width);
    // Record lengths are int32: a value ending past 0x7FFFFFFF fits no record at all.
    if (static_cast<std::int64_t>(f.offset) + f.size > INT32_MAX) return Fail(-22);
    needs_memo = needs_memo || IsMemoType(f.type);
  }

  if (needs_memo) {
    LockedHandle& m = of->memo;
    if (OpenWithWait(HostPath(MemoPath(full)), LockWaitMs(), &m.file) != kFileOk) return Fail(-35);
    if (LockWhole(m) != kFileOk) return Fail(-35);
    unsigned char mh[kMemoHeaderSize];
    if (m.file->Read(0, mh, sizeof mh, &got) != kFileOk || got < sizeof mh) return Fail(-35);
    const std::int32_t blocks = GetI32(mh + kMemoOffBlockCount);
    const std::int32_t free_count = GetI32(mh + kMemoOffFreeCount);
    const std::int32_t first_free = GetI32(mh + kMemoOffFirstFree);
    if (GetI32(mh + kMemoOffMagic) != kMemoMagic || blocks <= 0 || free_count < 0 ||
        free_count >= blocks || first_free < 0 || first_free >= blocks)
      return Fail(-35);
    if (GetI32(mh + kMemoOffVersion) != of->version) return Fail(-36);
    std::int64_t memo_length = 0;
    if (m.file->Length(&memo_length) != kFileOk) return Fail(-35);
    if (memo_length / kBlockSize < blocks && RepairShortMemoFile(m, memo_length) != kFileOk) return Fail(-35);
    UnlockWhole(m);
  }

  UnlockWhole(of->main);
  of->fullPath = full;
  of->baseName = BaseName(full);
  of->current = 0;
  e.files.push_back(of);
  e.current = of;
  return true;
}

void CloseRecordFile(const Text& name) {
  Operation op;
  Engine& e = op.e;
  if (name.empty()) {
    for (std::size_t i = 0; i < e.files.size(); ++i) {
      if (e.files[i] == e.current) {
        CloseFile(e, i);
        return;
      }
    }
    return;
  }
  const Text as_path = FullPath(WithDefaultExtension(name));
  for (std::size_t i = e.files.size(); i-- > 0;) {
    const OpenFile& f = *e.files[i];
    if ((!f.alias.empty() && SameTextIgnoringCase(f.alias, name)) || SameTextIgnoringCase(f.baseName, name) ||
        SameTextIgnoringCase(f.fullPath, name) || SameTextIgnoringCase(f.fullPath, as_path)) {
      CloseFile(e, i);
      return;
    }
  }
}

int RecordCount() {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67), 0;
  std::int32_t count = 0;
  int rc = LockedRecordCount(*e.current, std::max(LockWaitMs(), kRecordCountWaitMs), &count);
  if (rc != kFileOk) return Fail(rc), 0;
  return count;
}

void FirstRecord() {
  Operation op;
  Engine& e = op.e;
  if (!e.current) {
    Fail(-67);
    return;
  }
  e.current->current = 0;
  e.current->currentId = 0;
}

bool SkipRecords(int n) {
  Operation op;
  Engine& e = op.e;
  if (n == 0) return true;  // moves nothing, so needs no file
  if (!e.current) return Fail(-67);
  OpenFile& of = *e.current;
  std::int32_t c = 0;
  int rc = LockedRecordCount(of, std::max(LockWaitMs(), kRecordCountWaitMs), &c);
  if (rc != kFileOk) return Fail(rc);
  if (n < 0 && (c == 0 || of.current == -1)) return Fail(-25);
  if (n > 0 && (c == 0 || of.current >= c)) return Fail(-26);
  of.current = std::clamp<std::int64_t>(of.current + n, -1, c);
  of.currentId = 0;
  return true;
}

FieldValue ReadField(int field) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) NoCurrentFile();
  OpenFile& of = *e.current;
  const FieldDef& d = FieldOrDie(of, field);
  if (e.scan && e.scan->file == &of) return ReadFromCandidate(of, d, *e.scan);

  const FieldValue empty = FieldValue::EmptyOf(KindOfType(d.type));
  if (of.current < 0) return Fail(-60), empty;
  const std::int64_t start = of.RecordStart(of.current);
  const std::int64_t pos = start + d.offset;
  const std::size_t size = static_cast<std::size_t>(d.size);
  FieldValue result = empty;
  std::int32_t memo_ref = 0;
  int rc = WithByteLock(of.main, start, 0, [&] {
    // The field's place is checked against the file before a buffer of its width is
    // made: a damaged width must not cost more memory than the file holds.
    std::int64_t length = 0;
    int lrc = of.main.file->Length(&length);
    if (lrc != kFileOk) return lrc;
    if (pos >= length) return static_cast<int>(kFileBadSeek);
    if (pos + d.size > length) return -46;
    if (d.type == kTypeText) {
      Text t(size, '\0');
      int rrc = ReadAt(of, pos, t.data(), size, -46);
      if (rrc == kFileOk) {
        t.resize(std::strlen(t.c_str()));
        result = FieldValue::OfText(std::move(t));
      }
      return rrc;
    }
    unsigned char b[8];
    int rrc = ReadAt(of, pos, b, size, -46);
    if (rrc != kFileOk) return rrc;
    if (IsMemoType(d.type)) {
      memo_ref = GetI32(b);
    } else {
      result = DecodeScalar(d.type, b);
    }
    return rrc;
  });
  if (rc != kFileOk) return Fail(rc), empty;
  // The record's lock is not kept while the chain is read: its blocks have locks of their own.
  if (IsMemoType(d.type)) return MemoValue(of, d, memo_ref);
  return result;
}

bool WriteField(int field, const FieldValue& v) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) NoCurrentFile();
  OpenFile& of = *e.current;
  const FieldDef& d = FieldOrDie(of, field);
  if (!Compatible(d.type, v)) FatalRunTimeError(0, GBK("所提供数据的类型与字段类型不匹配"));
  if (of.current < 0) return Fail(-60);

  int rc = WithCurrentRecord(of, [&](std::int64_t start) {
    const std::int64_t pos = start + d.offset;
    int wrc = RequireLength(of, pos + d.size, -60);
    if (wrc != kFileOk) return wrc;
    std::vector<unsigned char> b(static_cast<std::size_t>(d.size), 0);
    std::vector<std::int32_t> leftover, fresh;
    if (IsMemoType(d.type)) {
      // The old reference first: its chain is released once the new one is in place.
      wrc = ReadAt(of, pos, b.data(), 4, -46);
      if (wrc == kFileOk) wrc = PutValue(of, d, v, b.data(), &leftover, &fresh);
      if (wrc == kFileOk) wrc = SyncMemo(of, fresh);
    } else if (d.type == kTypeText) {
      const Text& t = v.AsText();
      std::memcpy(b.data(), t.data(), std::min(b.size(), t.size()));
    } else {
      EncodeScalar(d.type, v, b.data());
    }
    if (wrc == kFileOk) wrc = JournaledWrite(of, start, pos, b.data(), b.size());
    ReleaseMemoBlocks(of.memo, wrc == kFileOk ? leftover : std::vector<std::int32_t>{});
    if (wrc != kFileOk) DropFreshChains(of, fresh);
    return wrc;
  });
  return rc == kFileOk || Fail(rc);
}

bool ModifyRecord(const std::vector<OptionalFieldValue>& values) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67);
  OpenFile& of = *e.current;
  if (of.current < 0) return Fail(-60);
  const std::size_t m = std::min(values.size(), of.fields.size());
  for (std::size_t i = 0; i < m; ++i)
    if (values[i] && !Compatible(of.fields[i].type, *values[i])) return Fail(-72);
  if (of.recordLength > kMaxRecordBuffer) return Fail(-45);

  int rc = WithCurrentRecord(of, [&](std::int64_t start) {
    int mrc = RequireLength(of, start + 1, -60);
    if (mrc != kFileOk) return mrc;
    std::vector<unsigned char> image(static_cast<std::size_t>(of.recordLength));
    mrc = ReadAt(of, start, image.data(), image.size(), -62);
    if (mrc != kFileOk) return mrc;
    // A field that does not lie inside the record cannot be copied into its image.
    for (std::size_t i = 0; i < m; ++i)
      if (values[i] && of.fields[i].offset + of.fields[i].size > of.recordLength) return -47;
    // New chains first, then the record that points at them, then the old chains go.
    std::vector<std::int32_t> leftover, fresh;
    for (std::size_t i = 0; mrc == kFileOk && i < m; ++i)
      if (values[i])
        mrc = PutValue(of, of.fields[i], *values[i], image.data() + of.fields[i].offset, &leftover, &fresh);
    if (mrc == kFileOk) mrc = SyncMemo(of, fresh);
    // The id is never rewritten.
    if (mrc == kFileOk && image.size() > 4) mrc = JournaledWrite(of, start, start + 4, image.data() + 4, image.size() - 4);
    ReleaseMemoBlocks(of.memo, mrc == kFileOk ? leftover : std::vector<std::int32_t>{});
    if (mrc != kFileOk) DropFreshChains(of, fresh);
    return mrc;
  });
  return rc == kFileOk || Fail(rc);
}

namespace {

// Appends records holding `rows` (fields 1..m of each; the rest zero), all or none. Their
// memo chains and their bytes are written beyond the counted records first; only then
// does the header count them, under one journal and one set of flushes. A crash or a
// refused lock before that leaves no record at all; once the count is committed nothing
// can make the append fail, so a failure always means no new record.
int AppendRows(OpenFile& of, const std::vector<std::vector<OptionalFieldValue>>& rows, std::vector<std::int32_t>* ids) {
  if (rows.empty()) return kFileOk;
  int rc = LockByte(of.main, kOffRecordCount);
  if (rc != kFileOk) return rc;
  std::vector<std::int64_t> locked;
  std::vector<std::int32_t> fresh;
  std::int32_t c = 0, next = 0;
  rc = RecoverJournal(of, kOffRecordCount);
  if (rc == kFileOk) rc = ReadCounts(of, &c, &next);
  if (rc == kFileOk) {
    if (c < 0) c = 0;
    if (next <= 0) next = 1;
    // The header could not hold the count or the id after these records: a file the next
    // open would refuse. Refuse the append instead, before anything is written.
    const std::int64_t n = static_cast<std::int64_t>(rows.size());
    if (c > INT32_MAX - n || next > INT32_MAX - n) rc = -22;
  }
  if (rc == kFileOk) rc = RequireLength(of, of.RecordStart(c), kFileBadSeek);
  // The new records' own locks: nobody may hold a place we are about to fill.
  for (std::size_t k = 0; rc == kFileOk && k < rows.size(); ++k) {
    const std::int64_t start = of.RecordStart(c + static_cast<std::int64_t>(k));
    rc = LockByte(of.main, start);
    if (rc == kFileOk) locked.push_back(start);
  }
  std::vector<unsigned char> image;
  // A record shorter than its id (a damaged header) still gets one to write from.
  std::vector<unsigned char> record(static_cast<std::size_t>(std::max(of.recordLength, 4)));
  for (std::size_t k = 0; rc == kFileOk && k < rows.size(); ++k) {
    std::fill(record.begin(), record.end(), 0);
    PutI32(record.data(), static_cast<std::int32_t>(next + static_cast<std::int64_t>(k)));
    std::vector<std::int32_t> leftover;
    const std::size_t m = std::min(rows[k].size(), of.fields.size());
    for (std::size_t i = 0; rc == kFileOk && i < m; ++i)
      if (rows[k][i]) rc = PutValue(of, of.fields[i], *rows[k][i], record.data() + of.fields[i].offset, &leftover, &fresh);
    image.insert(image.end(), record.begin(), record.begin() + of.recordLength);
  }
  if (rc == kFileOk) rc = SyncMemo(of, fresh);
  if (rc == kFileOk) rc = of.main.file->Write(of.RecordStart(c), image.data(), image.size());
  if (rc == kFileOk) {
    const std::int64_t n = static_cast<std::int64_t>(rows.size());
    unsigned char b[8];
    PutI32(b, static_cast<std::int32_t>(c + n));
    PutI32(b + 4, static_cast<std::int32_t>(next + n));
    rc = JournaledWrite(of, kOffRecordCount, kOffRecordCount, b, sizeof b);
  }
  if (rc != kFileOk) {
    DropFreshChains(of, fresh);
  } else {
    of.current = c + static_cast<std::int64_t>(rows.size()) - 1;
    of.currentId = static_cast<std::int32_t>(next + static_cast<std::int64_t>(rows.size()) - 1);
    if (ids)
      for (std::size_t k = 0; k < rows.size(); ++k) ids->push_back(static_cast<std::int32_t>(next + static_cast<std::int64_t>(k)));
  }
  // The records are committed (or not) whatever the unlocks say: an unlock cannot undo them.
  for (std::int64_t start : locked) UnlockByte(of.main, start);
  UnlockByte(of.main, kOffRecordCount);
  return rc;
}

// A row of values fits the table: kinds match (-72), fields lie inside the record (-47).
int CheckRow(const OpenFile& of, const std::vector<OptionalFieldValue>& values) {
  const std::size_t m = std::min(values.size(), of.fields.size());
  for (std::size_t i = 0; i < m; ++i)
    if (values[i] && !Compatible(of.fields[i].type, *values[i])) return -72;
  for (std::size_t i = 0; i < m; ++i)
    if (values[i] && of.fields[i].offset + of.fields[i].size > of.recordLength) return -47;
  return kFileOk;
}

}  // namespace

bool AppendBlankRecord(std::int32_t* id) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67);
  OpenFile& of = *e.current;
  if (of.recordLength > kMaxRecordBuffer) return Fail(-45);
  std::vector<std::int32_t> ids;
  int rc = AppendRows(of, {{}}, &ids);
  if (rc != kFileOk) return Fail(rc);
  if (id) *id = ids.front();
  return true;
}

bool AppendRecord(const std::vector<OptionalFieldValue>& values, std::int32_t* id) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67);
  OpenFile& of = *e.current;
  int rc = CheckRow(of, values);
  if (rc != kFileOk) return Fail(rc);
  if (of.recordLength > kMaxRecordBuffer) return Fail(-45);
  std::vector<std::int32_t> ids;
  rc = AppendRows(of, {values}, &ids);
  if (rc != kFileOk) return Fail(rc);
  if (id) *id = ids.front();
  return true;
}

bool AppendRecords(const std::vector<std::vector<OptionalFieldValue>>& rows, std::vector<std::int32_t>* ids) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67);
  OpenFile& of = *e.current;
  for (const auto& row : rows) {
    int rc = CheckRow(of, row);
    if (rc != kFileOk) return Fail(rc);
  }
  if (of.recordLength > kMaxRecordBuffer) return Fail(-45);
  // One image of every new record is made in memory.
  if (static_cast<std::int64_t>(rows.size()) * of.recordLength > kMaxRecordBuffer) return Fail(-45);
  std::vector<std::int32_t> got;
  int rc = AppendRows(of, rows, &got);
  if (rc != kFileOk) return Fail(rc);
  if (ids) *ids = std::move(got);
  return true;
}

bool FindRecord(const std::function<bool()>& condition) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67);
  std::shared_ptr<OpenFile> keep = e.current;  // the condition may close the file
  OpenFile& of = *keep;
  int rc = LockByte(of.main, kOffRecordCount);
  if (rc != kFileOk) return Fail(rc);
  std::int32_t count = 0;
  rc = ReadCounts(of, &count, nullptr);
  const std::int64_t before = of.current;
  const std::int64_t first = std::max<std::int64_t>(before, 0);
  if (rc == kFileOk && (count < 1 || first >= count)) {
    UnlockByte(of.main, kOffRecordCount);
    return false;
  }
  if (rc == kFileOk && of.recordLength > kMaxRecordBuffer) rc = -45;

  std::vector<unsigned char> record;
  if (rc == kFileOk) record.resize(static_cast<std::size_t>(of.recordLength));
  std::int64_t found = -1;
  for (std::int64_t k = first; rc == kFileOk && k < count; ++k) {
    const std::int64_t lock_at = of.RecordStart(k);
    rc = LockByte(of.main, lock_at);
    if (rc != kFileOk) break;
    rc = ReadRecords(of, lock_at, record.data(), record.size());
    if (rc == kFileOk && record.empty()) rc = -62;
    if (rc != kFileOk) {
      UnlockByte(of.main, lock_at);
      break;
    }
    FindScan scan{&of, record.data(), of.recordLength};
    const FindScan* outer = e.scan;
    e.scan = &scan;
    of.current = k;
    bool match = false;
    try {
      match = condition();
    } catch (...) {
      e.scan = outer;
      if (!of.closed) {
        of.current = before;
        UnlockByte(of.main, lock_at);
        UnlockByte(of.main, kOffRecordCount);
      }
      throw;
    }
    e.scan = outer;
    if (of.closed) return Fail(-67);  // closing released its locks
    if (match) {
      found = k;
      break;
    }
    UnlockByte(of.main, lock_at);
  }
  of.current = before;
  if (found >= 0) UnlockByte(of.main, of.RecordStart(found));
  UnlockByte(of.main, kOffRecordCount);
  t_lastError = rc;  // the condition's own reads must not leave their codes behind
  if (rc != kFileOk) return false;
  if (found < 0) return false;
  of.current = found;
  of.currentId = IdOf(record.data());
  return true;
}

namespace {

// Delete and undelete differ only in the sign they leave on the current record's id.
bool SetDeletedMark(bool deleted) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67);
  OpenFile& of = *e.current;
  if (of.current < 0) return Fail(-60);
  int rc = WithCurrentRecord(of, [&](std::int64_t start) {
    int mrc = RequireLength(of, start + 1, -60);
    unsigned char b[4];
    if (mrc == kFileOk) mrc = ReadAt(of, start, b, 4, -62);
    if (mrc != kFileOk) return mrc;
    const std::int32_t id = GetI32(b);
    if (deleted ? id <= 0 : id >= 0 || id == INT32_MIN) return mrc;  // already so (INT32_MIN has no positive)
    PutI32(b, -id);
    return JournaledWrite(of, start, start, b, 4);
  });
  return rc == kFileOk || Fail(rc);
}

}  // namespace

bool DeleteRecord() { return SetDeletedMark(true); }

bool UndeleteRecord() { return SetDeletedMark(false); }

bool PurgeDeletedRecords() {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67);
  OpenFile& of = *e.current;
  int rc = LockWhole(of.main);
  if (rc != kFileOk) return Fail(rc == kFileLockViolation || rc == kFileSharingViolation ? rc : -28);
  rc = RecoverJournals(of);
  std::int32_t count = 0;
  if (rc == kFileOk) rc = ReadCounts(of, &count, nullptr);
  if (count < 0) count = 0;
  if (rc == kFileOk && count > 0 && of.recordLength > kMaxRecordBuffer) rc = -45;

  const std::int64_t len = of.recordLength;
  const std::int64_t per_chunk = std::max<std::int64_t>(1, kPurgeChunkBytes / len);
  std::vector<unsigned char> buf;
  // Four spare bytes: a record shorter than its id still reads one.
  if (rc == kFileOk && count > 0)
    buf.resize(static_cast<std::size_t>(std::min<std::int64_t>(per_chunk, count) * len + 4), 0);
  std::int64_t kept = 0;
  bool dropped = false;
  std::vector<std::int32_t> memo_refs, kept_refs;
  // Before the first byte moves, everything from there to the end is kept in the journal
  // with the count and the length: a crash half-way puts the whole file back.
  Journal journal;
  bool journaled = false;
  auto journal_from = [&](std::int64_t from) -> int {
    if (journaled) return kFileOk;
    journaled = true;
    return BeginJournal(of, 0, {{from, of.RecordStart(count) - from}, {kOffRecordCount, 4}}, true, &journal);
  };
  for (std::int64_t i = 0; rc == kFileOk && i < count; i += per_chunk) {
    const std::int64_t n = std::min<std::int64_t>(per_chunk, count - i);
    rc = ReadRecords(of, of.RecordStart(i), buf.data(), static_cast<std::size_t>(n * len));
    if (rc != kFileOk) break;
    std::int64_t out = 0, first_moved = -1;
    for (std::int64_t j = 0; j < n; ++j) {
      unsigned char* p = buf.data() + j * len;
      const bool drop = GetI32(p) < 0;
      // A dropped record's memo values go back to the memo file once the file no longer
      // holds it; a kept record's chains are what the leak check must not take.
      for (const FieldDef& d : of.fields) {
        if (!IsMemoType(d.type) || static_cast<std::int64_t>(d.offset) + 4 > len || !of.memo.file) continue;
        std::int32_t ref = GetI32(p + d.offset);
        if (ref != 0) (drop ? memo_refs : kept_refs).push_back(ref);
      }
      if (drop) {
        dropped = true;
        continue;
      }
      if (dropped && first_moved < 0) first_moved = out;
      if (out != j) std::memmove(buf.data() + out * len, p, static_cast<std::size_t>(len));
      ++out;
    }
    if (first_moved >= 0) {
      const std::int64_t at = of.RecordStart(kept + first_moved);
      rc = journal_from(at);
      if (rc == kFileOk)
        rc = of.main.file->Write(at, buf.data() + first_moved * len, static_cast<std::size_t>((out - first_moved) * len));
    }
    kept += out;
  }
  if (rc == kFileOk && dropped) {
    rc = journal_from(of.RecordStart(kept));
    unsigned char b[4];
    PutI32(b, static_cast<std::int32_t>(kept));
    if (rc == kFileOk) rc = of.main.file->Write(kOffRecordCount, b, 4);
    if (rc == kFileOk) rc = of.main.file->Truncate(of.RecordStart(kept));
  }
  if (rc == kFileOk) {
    rc = CommitJournal(of, &journal);
  } else {
    AbortJournal(of, &journal);
  }
  if (rc == kFileOk && of.memo.file) {
    // A chain that cannot be freed now stays allocated: space lost, chains sound, and the
    // next purge takes it back.
    for (std::int32_t ref : memo_refs) FreeMemo(of.memo, ref);
    ReclaimLeakedBlocks(of.memo, kept_refs);
  }
  if (rc == kFileOk) {
    of.current = 0;
    of.currentId = 0;
  }
  UnlockWhole(of.main);
  if (rc != kFileOk) return Fail(rc);
  return true;
}

Text RecordFileErrorText() { return RecordFileErrorTextOf(t_lastError); }

int RecordFileLastError() { return t_lastError; }

Text ReadTextField(int field) {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> g(e.mu);
  if (!e.current) NoCurrentFile();
  const FieldDef& d = FieldOrDie(*e.current, field);
  if (KindOfType(d.type) != FieldKind::kText) FatalRunTimeError(0, GBK("字段类型错误"));
  FieldValue v = ReadField(field);
  return v.AsText();
}

std::int32_t ReadIntField(int field) {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> g(e.mu);
  if (!e.current) NoCurrentFile();
  const FieldDef& d = FieldOrDie(*e.current, field);
  if (d.type < kTypeByte || d.type > kTypeDouble) FatalRunTimeError(0, GBK("字段类型错误"));
  return ReadField(field).ToInt32();
}

bool DescribeRecordFile(RecordFileDescription* out) {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67);
  OpenFile& of = *e.current;
  std::int32_t count = 0, next = 0;
  int rc = WithByteLock(of.main, kOffRecordCount, 0, [&] { return ReadCounts(of, &count, &next); });
  if (rc != kFileOk) return Fail(rc);
  out->fullPath = of.fullPath;
  out->version = of.version;
  out->recordCount = count;
  out->nextRecordId = next;
  out->recordLength = of.recordLength;
  out->dataStart = of.dataStart;
  out->fields.clear();
  for (std::size_t i = 0; i < of.fields.size(); ++i) {
    const FieldDef& d = of.fields[i];
    out->fields.push_back({static_cast<int>(i + 1), d.name, d.type, d.offset, d.width});
  }
  return true;
}

std::int32_t CurrentRecordId() {
  Operation op;
  Engine& e = op.e;
  if (!e.current) return Fail(-67), 0;
  OpenFile& of = *e.current;
  if (of.current < 0) return Fail(-60), 0;
  const std::int64_t start = of.RecordStart(of.current);
  unsigned char b[4];
  int rc = WithByteLock(of.main, start, 0, [&] { return ReadAt(of, start, b, 4, -62); });
  if (rc != kFileOk) return Fail(rc), 0;
  return GetI32(b);
}

int CurrentRecordIndex() {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> g(e.mu);
  return e.current ? static_cast<int>(e.current->current) : -1;
}

bool HasCurrentRecordFile() {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> g(e.mu);
  return e.current != nullptr;
}

int FieldNumber(const Text& name) {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> g(e.mu);
  if (!e.current) return 0;
  for (std::size_t i = 0; i < e.current->fields.size(); ++i)
    if (SameTextIgnoringCase(e.current->fields[i].name, name)) return static_cast<int>(i + 1);
  return 0;
}
