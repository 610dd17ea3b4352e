#pragma once
// Inside the record-file engine: the open-file objects, the byte-lock table, memo
// chains and path rules. Only the engine's own .cpp files and its tests include this.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "platform/locked_file.h"
#include "storage/record_file_format.h"

namespace recfile {

// The whole-file lock covers bytes 0 to 0x7FFFFFFF.
constexpr std::int64_t kWholeFileEnd = 0x80000000LL;

// Records longer than this are refused with -45 rather than allocated.
constexpr std::int64_t kMaxRecordBuffer = 64LL << 20;

// Purging moves records in chunks of this many bytes' worth of whole records.
constexpr std::int64_t kPurgeChunkBytes = 163840;

// RecordCount waits at least this long for the header lock.
constexpr int kRecordCountWaitMs = 2000;

// One OS file with the byte locks this file object holds on it.
struct LockedHandle {
  std::unique_ptr<LockedFile> file;
  std::vector<std::pair<std::int64_t, int>> held;  // byte offset, hold count
  bool whole = false;      // the whole-file lock is taken
  bool noLocking = false;  // opened so that nobody else can read it: no locks needed
};

struct FieldDef {
  Text name;
  std::int32_t type = 0;
  std::int32_t offset = 0;
  std::int32_t width = 0;
  std::int64_t size = 0;  // stored size in the record
};

struct OpenFile {
  LockedHandle main;
  LockedHandle memo;  // file null when no field needs one
  Text fullPath;
  Text baseName;
  Text alias;  // this program sets none
  unsigned char header[recfmt::kHeaderSize] = {};
  std::int32_t version = 0;
  std::int32_t recordLength = 0;
  std::vector<FieldDef> fields;
  std::int64_t dataStart = 0;
  std::int64_t current = 0;  // -1 before the first record .. count past the last
  bool closed = false;

  std::int64_t RecordStart(std::int64_t index) const { return dataStart + index * recordLength; }
};

// ---- Byte locks (record_file_locks.cpp) ----

// The lock wait time of every lock and open attempt (0: no retry).
int LockWaitMs();

// The wait rule: an attempt that fails with a sharing or lock violation is retried
// after 20 + (tick mod 20) ms for as long as no more than `wait_ms` have passed.
int LockRangeWithWait(LockedFile& f, std::int64_t offset, std::int64_t length, int wait_ms);
int OpenWithWait(const std::string& host_path, int wait_ms, std::unique_ptr<LockedFile>* out);

// Takes the 1-byte lock at `offset`, or counts one more hold of it.
int LockByte(LockedHandle& h, std::int64_t offset, int wait_ms = 0);
// Drops one hold; the OS lock goes when the count reaches 0. -29 when not held.
int UnlockByte(LockedHandle& h, std::int64_t offset);
// Locks every gap of 0..0x7FFFFFFF between the byte locks this file already holds
// (a range lock over them would merge with them, and its unlock would drop them).
int LockWhole(LockedHandle& h);
int UnlockWhole(LockedHandle& h);

// Runs `body` (returning a code) under the byte lock at `offset`; the first failure wins.
template <typename Body>
int WithByteLock(LockedHandle& h, std::int64_t offset, int wait_ms, Body body) {
  int rc = LockByte(h, offset, wait_ms);
  if (rc != kFileOk) return rc;
  rc = body();
  int urc = UnlockByte(h, offset);
  return rc != kFileOk ? rc : urc;
}

// ---- Memo chains (record_file_memo.cpp) ----

// The value of the chain starting at `ref` (0 = empty). -59 on a short read.
int ReadMemo(LockedHandle& memo, std::int32_t ref, std::string* out);
// Writes `data` over the chain at `old_ref`, reusing its blocks in order, then the free
// list, then new blocks at the end of the file. *new_ref receives the first block (0 for
// an empty value). The old chain's blocks left over are handed back in *leftover: the
// caller releases them once the record holds the new reference, so that a record never
// points at freed blocks.
int WriteMemo(LockedHandle& memo, std::int32_t old_ref, const void* data, std::size_t n,
              std::int32_t* new_ref, std::vector<std::int32_t>* leftover);
// Puts blocks at the front of the free list and cuts free blocks off the end of the
// file. Best effort: what cannot be released now stays allocated.
void ReleaseMemoBlocks(LockedHandle& memo, const std::vector<std::int32_t>& blocks);
// Releases a whole chain (the values of a purged record).
void FreeMemo(LockedHandle& memo, std::int32_t ref);
// The open's repair of a memo file shorter than its block count: the count lowered to
// the blocks present but never below 1 (block 0 is the header), and the free list cut
// where it leaves the file, so that the header stays one the next open accepts.
int RepairShortMemoFile(LockedHandle& memo, std::int64_t length);

// ---- Paths (record_file_paths.cpp) ----

// "." and "EDB" appended when the last component has no extension ("EDB" alone after a
// trailing ".").
Text WithDefaultExtension(const Text& path);
// Absolute program path (backslashes, "." and ".." resolved), relative paths taken from
// the working directory.
Text FullPath(const Text& path);
// File name without directory and extension.
Text BaseName(const Text& path);
// Same path with the extension replaced by "EDT".
Text MemoPath(const Text& path);
// Characters of a GBK text (a double-byte character counts one): the unit of the
// full-path limit.
std::size_t CharacterCount(const Text& path);
// Case-insensitive comparison of GBK texts (ASCII letters fold; double-byte characters
// compare as they are).
bool SameTextIgnoringCase(const Text& a, const Text& b);

// ---- Engine-wide ----

// Sets the calling thread's last error code.
void SetLastError(int code);

// Where files are opened (tests put a fault-injecting one in front).
FileSystem& Files();

}  // namespace recfile
