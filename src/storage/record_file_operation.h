#pragma once
// Inside the record-file engine: what its operations share. The list of open files and
// the current one, the start every operation makes, and the small reads and writes the
// open, read, write, append and purge files all build on.

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "storage/record_file.h"
#include "storage/record_file_internal.h"

namespace recfile {

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

Engine& E();

// What every operation starts with: the engine to itself, and the last error reset.
struct Operation {
  Engine& e = E();
  std::lock_guard<std::recursive_mutex> guard{e.mu};
  Operation() { SetLastError(0); }
};

// Sets the last error; always false, so that `return Fail(code);` ends an operation.
bool Fail(int code);

[[noreturn]] void NoCurrentFile();
[[noreturn]] void NoSuchField();

FieldKind KindOfType(std::int32_t type);
// The value's kind equals the field's, or both are numeric.
bool Compatible(std::int32_t type, const FieldValue& v);
// Field number -> definition, ending the program for a number that does not exist.
const FieldDef& FieldOrDie(const OpenFile& of, int field);

// Reads `n` bytes at `pos` of the main file: -10 when pos lies outside the file, else
// `short_code` for a short read.
int ReadAt(OpenFile& of, std::int64_t pos, void* out, std::size_t n, int short_code);
// Reads records the header counts: finding none there is a short read as well (-62).
int ReadRecords(OpenFile& of, std::int64_t pos, void* out, std::size_t n);
// The count and next id at offset 16 (the caller holds the header lock).
int ReadCounts(OpenFile& of, std::int32_t* count, std::int32_t* next_id);
// The record count under the header lock, negative read as 0.
int LockedRecordCount(OpenFile& of, int wait_ms, std::int32_t* count);
// The file length, and `code` when the main file ends before `end`.
int RequireLength(OpenFile& of, std::int64_t end, int code);
// A record's id without its deleted mark (0 for the one id that has no positive).
std::int32_t IdOf(const unsigned char* p);
// Closes e.files[index]; closing the handles releases every lock they hold.
void CloseFile(Engine& e, std::size_t index);

// ---- Writing (record_file_write.cpp), shared with appending ----

// Writes one value into a record image at its field (memo values through the memo file;
// the old chain's leftover blocks are added to *leftover, to be released after the
// record is written; new chains to *fresh).
int PutValue(OpenFile& of, const FieldDef& d, const FieldValue& v, unsigned char* p,
             std::vector<std::int32_t>* leftover, std::vector<std::int32_t>* fresh);
// A write that did not reach the record gives back the chains it had made for it.
void DropFreshChains(OpenFile& of, const std::vector<std::int32_t>& fresh);
// New memo blocks reach the disk before a record points at them.
int SyncMemo(OpenFile& of, const std::vector<std::int32_t>& fresh);
// Writes `n` bytes at `pos` under a journal kept in the name of the lock at `lock_at`.
int JournaledWrite(OpenFile& of, std::int64_t lock_at, std::int64_t pos, const void* data, std::size_t n);

}  // namespace recfile
