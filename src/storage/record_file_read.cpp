// Reading: the record count, moving the current record, a field's value, and finding a
// record by a condition.
#include <algorithm>
#include <cstring>

#include "base/fatal_error.h"
#include "storage/record_file_operation.h"

using namespace recfile;
using namespace recfmt;

namespace {

// Fields up to this many bytes are read without first asking the file its length.
constexpr std::int64_t kWideField = 4096;

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

}  // namespace

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
    // A wide field's place is checked against the file before a buffer of its width is
    // made: a damaged width must not cost more memory than the file holds. A narrow one
    // is read straight away (a read past the end says the same: -10 or -46), so that
    // the common read costs a lock, a read and an unlock, nothing more.
    if (d.size > kWideField) {
      std::int64_t length = 0;
      int lrc = of.main.file->Length(&length);
      if (lrc != kFileOk) return lrc;
      if (pos >= length) return static_cast<int>(kFileBadSeek);
      if (pos + d.size > length) return -46;
    }
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
  SetLastError(rc);  // the condition's own reads must not leave their codes behind
  if (rc != kFileOk) return false;
  if (found < 0) return false;
  of.current = found;
  of.currentId = IdOf(record.data());
  return true;
}

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
