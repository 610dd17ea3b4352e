// The rollback journal: the old bytes of what an operation is about to change in the main
// file, kept beside it until the change is on the disk.
//
// Journal file: "VKJR", int32 version 1, int64 length to restore (-1: leave the length),
// int32 region count, per region int64 offset, int32 length and the bytes, then a 64-bit
// FNV-1a sum of everything before it. A journal that does not add up was cut short while
// it was being written, before the main file was touched: it is simply removed.
#include <algorithm>
#include <atomic>
#include <cstring>

#include "storage/record_file_internal.h"

namespace recfile {

using namespace recfmt;

namespace {

constexpr std::int32_t kJournalMagic = 0x524A4B56;  // "VKJR"
constexpr std::int32_t kJournalVersion = 1;

std::atomic<bool> g_enabled{true};

std::uint64_t Fnv1a(const unsigned char* p, std::size_t n) {
  std::uint64_t h = 1469598103934665603ULL;
  for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ULL;
  return h;
}

std::string JournalPath(const OpenFile& of, std::int64_t lock_offset) {
  return of.hostPath + "-j" + std::to_string(lock_offset);
}

void PutU64(std::vector<unsigned char>& b, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void PutU32(std::vector<unsigned char>& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A journal's regions, parsed before anything is written back: nothing is restored from a
// journal that does not add up (it was cut short before the main file was touched).
struct Parsed {
  struct Region {
    std::int64_t offset;
    std::size_t at, n;
  };
  bool sound = false;
  std::int64_t restoreLength = -1;
  std::vector<Region> regions;
};

Parsed Parse(const std::vector<unsigned char>& b) {
  Parsed p;
  if (b.size() < 28 || GetI32(b.data()) != kJournalMagic || GetI32(b.data() + 4) != kJournalVersion) return p;
  const std::size_t body = b.size() - 8;
  if (Fnv1a(b.data(), body) != static_cast<std::uint64_t>(GetI64(b.data() + body))) return p;
  p.restoreLength = GetI64(b.data() + 8);
  const std::int64_t count = GetI32(b.data() + 16);
  std::size_t at = 20;
  for (std::int64_t i = 0; i < count; ++i) {
    if (at + 12 > body) return Parsed{};
    Parsed::Region r{GetI64(b.data() + at), at + 12,
                     static_cast<std::size_t>(static_cast<std::uint32_t>(GetI32(b.data() + at + 8)))};
    if (r.offset < 0 || r.n > body - r.at) return Parsed{};
    p.regions.push_back(r);
    at = r.at + r.n;
  }
  p.sound = true;
  return p;
}

// Makes a journal void for good: emptied and flushed first, so that a journal a power cut
// brings back can no longer roll anything back; then its name goes, and the directory is
// flushed so that it stays gone.
int Invalidate(const std::string& path) {
  int rc = kFileOk;
  auto f = Files().OpenExisting(path, &rc);
  if (!f) return rc == kFileNotFound ? kFileOk : rc;
  rc = f->Truncate(0);
  if (rc == kFileOk) rc = f->Sync();
  f.reset();
  if (rc != kFileOk) return rc;
  rc = Files().Remove(path);
  if (rc != kFileOk && rc != kFileNotFound) return rc;
  return Files().SyncDirectoryOf(path);
}

// Puts the old bytes back into the main file and makes them durable, then voids the
// journal. On a failure the journal stays for the next one to take the lock.
int Restore(OpenFile& of, const std::vector<unsigned char>& b, const std::string& path) {
  const Parsed p = Parse(b);
  if (p.sound) {
    for (const Parsed::Region& r : p.regions) {
      int rc = of.main.file->Write(r.offset, b.data() + r.at, r.n);
      if (rc != kFileOk) return rc;
    }
    if (p.restoreLength >= 0) {
      int rc = of.main.file->Truncate(p.restoreLength);
      if (rc != kFileOk) return rc;
    }
    int rc = of.main.file->Sync();
    if (rc != kFileOk) return rc;
  }
  return Invalidate(path);
}

// Rolls back the journal at `path`, left by a writer who died; nothing to do when there is none.
int RollBack(OpenFile& of, const std::string& path) {
  int rc = kFileOk;
  auto f = Files().OpenExisting(path, &rc);
  if (!f) return rc == kFileNotFound ? kFileOk : rc;
  std::int64_t length = 0;
  rc = f->Length(&length);
  if (rc != kFileOk) return rc;
  std::vector<unsigned char> b(static_cast<std::size_t>(std::max<std::int64_t>(length, 0)));
  std::size_t got = 0;
  rc = f->Read(0, b.data(), b.size(), &got);
  f.reset();
  if (rc != kFileOk) return rc;
  b.resize(got);
  return Restore(of, b, path);
}

}  // namespace

bool JournalEnabled() { return g_enabled.load(); }

int BeginJournal(OpenFile& of, std::int64_t lock_offset,
                 const std::vector<std::pair<std::int64_t, std::int64_t>>& regions, bool restore_length,
                 Journal* j) {
  j->path = JournalPath(of, lock_offset);
  j->active = false;
  if (!JournalEnabled() || of.main.noLocking) return kFileOk;
  std::int64_t length = 0;
  int rc = of.main.file->Length(&length);
  if (rc != kFileOk) return rc;

  std::vector<unsigned char> b;
  PutU32(b, static_cast<std::uint32_t>(kJournalMagic));
  PutU32(b, static_cast<std::uint32_t>(kJournalVersion));
  PutU64(b, static_cast<std::uint64_t>(restore_length ? length : -1));
  PutU32(b, static_cast<std::uint32_t>(regions.size()));
  for (const auto& [offset, n] : regions) {
    // Bytes beyond the end of the file have no old value to keep.
    const std::int64_t keep = std::max<std::int64_t>(0, std::min(n, length - offset));
    PutU64(b, static_cast<std::uint64_t>(offset));
    PutU32(b, static_cast<std::uint32_t>(keep));
    const std::size_t at = b.size();
    b.resize(at + static_cast<std::size_t>(keep));
    std::size_t got = 0;
    if (keep > 0) {
      rc = of.main.file->Read(offset, b.data() + at, static_cast<std::size_t>(keep), &got);
      if (rc != kFileOk) return rc;
      if (got < static_cast<std::size_t>(keep)) return -62;
    }
  }
  PutU64(b, Fnv1a(b.data(), b.size()));
  // It holds the table's old bytes (passwords among them): as private as the table.
  unsigned mode = 0600;
  rc = of.main.file->Permissions(&mode);
  if (rc != kFileOk) return rc;
  rc = Files().CreateNew(j->path, b.data(), b.size(), mode);
  if (rc != kFileOk) return rc;
  j->bytes = std::move(b);
  j->active = true;
  return kFileOk;
}

int RecoverJournal(OpenFile& of, std::int64_t lock_offset) {
  if (!JournalEnabled() || of.main.noLocking) return kFileOk;
  return RollBack(of, JournalPath(of, lock_offset));
}

// The order that a power cut cannot undo: the main file's new bytes reach the disk, then
// the journal is voided for good; only then may the caller free what the change released.
int CommitJournal(OpenFile& of, Journal* j) {
  if (!j->active) return kFileOk;
  int rc = of.main.file->Sync();
  if (rc == kFileOk) rc = Invalidate(j->path);
  if (rc != kFileOk) {
    // Not durably done is not done: the old bytes go back (from memory, the journal
    // file may be half voided).
    AbortJournal(of, j);
    return rc;
  }
  j->active = false;
  j->bytes.clear();
  return kFileOk;
}

void AbortJournal(OpenFile& of, Journal* j) {
  if (!j->active) return;
  j->active = false;
  Restore(of, j->bytes, j->path);
  j->bytes.clear();
}

int RecoverJournals(OpenFile& of) {
  if (of.main.noLocking) return kFileOk;
  const auto slash = of.hostPath.find_last_of("/\\");
  const std::string dir = slash == std::string::npos ? "." : of.hostPath.substr(0, slash);
  const std::string sep = slash == std::string::npos ? "/" : of.hostPath.substr(slash, 1);
  const std::string prefix = (slash == std::string::npos ? of.hostPath : of.hostPath.substr(slash + 1)) + "-j";
  for (const std::string& name : Files().List(dir)) {
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    if (name.find_first_not_of("0123456789", prefix.size()) != std::string::npos) continue;
    int rc = RollBack(of, dir + sep + name);
    if (rc != kFileOk) return rc;
  }
  return kFileOk;
}

}  // namespace recfile

void SetRecordFileJournalForTesting(bool on) { recfile::g_enabled = on; }
