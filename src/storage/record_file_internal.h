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
  // Id of the record the caller made current by appending or finding it (0: by index
  // only). Writes go to that record even when another process's purge has moved it.
  std::int32_t currentId = 0;
  std::string hostPath;  // the main file as the OS names it; journals are named after it
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
// Writes `data` into a new chain of blocks from the free list, then new blocks at the end
// of the file; the old chain at `old_ref` is never written over, so a crash leaves the
// record's old value whole. *new_ref receives the first block (0 for an empty value). The
// old chain's blocks are handed back in *leftover: the caller releases them once the
// record holds the new reference, so that a record never points at freed blocks.
int WriteMemo(LockedHandle& memo, std::int32_t old_ref, const void* data, std::size_t n,
              std::int32_t* new_ref, std::vector<std::int32_t>* leftover, int wait_ms = 0);
// Puts blocks at the front of the free list and cuts free blocks off the end of the
// file. Best effort: what cannot be released now stays allocated.
void ReleaseMemoBlocks(LockedHandle& memo, const std::vector<std::int32_t>& blocks);
// Releases a whole chain (the values of a purged record, a value that never reached its
// record); waits a little for the memo header rather than leak the blocks.
void FreeMemo(LockedHandle& memo, std::int32_t ref);
// Puts every block that neither a chain of `refs` nor the free list reaches back into the
// free list (blocks a crash or a failed write left behind). Only under the main file's
// whole-file lock, when no other writer can be half-way through a value. The count of
// blocks taken back.
int ReclaimLeakedBlocks(LockedHandle& memo, const std::vector<std::int32_t>& refs);

// ---- Rollback journal (record_file_journal.cpp) ----
//
// Before an operation changes bytes of the main file it saves their old values in a
// journal file beside the table, named after the lock the operation holds ("-j" and the
// lock's byte offset), makes it durable, then writes; once its writes are on the disk it
// removes the journal. A journal whose owner died is rolled back by the next one to take
// the same lock: the next writer of that record (or of the header), or anybody holding the
// whole-file lock (an open, a purge). So a crash never rolls back another process's work:
// nobody else can have written those bytes in between.
struct Journal {
  std::string path;
  std::vector<unsigned char> bytes;  // the journal file's content, for a rollback without it
  bool active = false;
};

// Called right after taking a lock to write under it, before reading what will change:
// a journal under the lock's name was left by a writer who died holding it; roll it back.
int RecoverJournal(OpenFile& of, std::int64_t lock_offset);
// Saves [offset, offset + length) of every region (and, when `restore_length`, the file's
// length, for a purge that cuts the file) before they change.
int BeginJournal(OpenFile& of, std::int64_t lock_offset,
                 const std::vector<std::pair<std::int64_t, std::int64_t>>& regions, bool restore_length,
                 Journal* j);
// The changes are complete: flushes the main file, then voids the journal durably
// (emptied and flushed, removed, directory flushed). A failed step rolls the change back
// and is the operation's failure.
int CommitJournal(OpenFile& of, Journal* j);
// The operation failed half-way: its old bytes go back now.
void AbortJournal(OpenFile& of, Journal* j);
// Under the whole-file lock: rolls back every journal of this table (their owners are gone).
int RecoverJournals(OpenFile& of);
// Tests and benchmarks compare against the engine without its journal.
bool JournalEnabled();

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
