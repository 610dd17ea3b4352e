// Opening and closing record files, and what the open learned about them: the header
// checked and repaired, the field definitions, the memo file.
#include <algorithm>
#include <cstring>

#include "base/paths.h"
#include "storage/record_file_operation.h"

using namespace recfile;
using namespace recfmt;

namespace {

constexpr int kMaxFullPath = 260;

bool ValidFieldName(const unsigned char* p) { return std::memchr(p, 0, kFieldNameSize) != nullptr; }

}  // namespace

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
