// Purging: deleted records leave the file, the kept ones move up, in chunks, under one
// journal of everything from the first moved byte on.
#include <algorithm>
#include <cstring>

#include "storage/record_file_operation.h"

using namespace recfile;
using namespace recfmt;

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
