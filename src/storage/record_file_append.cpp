// Appending records: one, blank or with its values, or a batch in one step.
#include <algorithm>

#include "storage/record_file_operation.h"

using namespace recfile;
using namespace recfmt;

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
