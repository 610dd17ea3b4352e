// Writing into records that exist: a field, a whole record, the deleted mark. Every
// change goes through the record's lock and its journal.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/fatal_error.h"
#include "storage/record_file_operation.h"

using namespace recfmt;

namespace recfile {

namespace {

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

}  // namespace

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

}  // namespace recfile

using namespace recfile;

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
