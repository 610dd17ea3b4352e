// Memo chains: values of byte-set and memo-text fields, kept in 512-byte blocks of the
// memo file. A chain is a doubly linked list of blocks; so is the free list.
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "storage/record_file_internal.h"

namespace recfile {

using namespace recfmt;

namespace {

constexpr int kMemoError = -59;
constexpr int kReleaseWaitMs = 500;

struct BlockHeader {
  std::int32_t prev = 0;
  std::int32_t next = 0;
  std::int32_t used = 0;
};

std::int64_t BlockOffset(std::int64_t n) { return n * kBlockSize; }

int ReadBlockHeader(LockedHandle& h, std::int32_t n, BlockHeader* out) {
  unsigned char b[kBlockHeaderSize];
  std::size_t got = 0;
  int rc = h.file->Read(BlockOffset(n), b, sizeof b, &got);
  if (rc != kFileOk) return rc;
  if (got < sizeof b) return kMemoError;
  out->prev = GetI32(b + kBlockOffPrev);
  out->next = GetI32(b + kBlockOffNext);
  out->used = GetI32(b + kBlockOffUsed);
  return kFileOk;
}

// Rewrites one word of a block header (a link of the free list).
int WriteBlockWord(LockedHandle& h, std::int32_t n, int word_offset, std::int32_t value) {
  unsigned char b[4];
  PutI32(b, value);
  return WithByteLock(h, BlockOffset(n), 0, [&] { return h.file->Write(BlockOffset(n) + word_offset, b, 4); });
}

// Writes a whole block: its links, its used count and its data, zero-padded.
int WriteBlock(LockedHandle& h, std::int32_t n, const BlockHeader& bh, const unsigned char* data) {
  unsigned char b[kBlockSize] = {};
  PutI32(b + kBlockOffPrev, bh.prev);
  PutI32(b + kBlockOffNext, bh.next);
  PutI32(b + kBlockOffUsed, bh.used);
  if (bh.used > 0) std::memcpy(b + kBlockHeaderSize, data, static_cast<std::size_t>(bh.used));
  return WithByteLock(h, BlockOffset(n), 0, [&] { return h.file->Write(BlockOffset(n), b, sizeof b); });
}

// The memo header's counters, kept while the memo header lock is held.
struct MemoHeader {
  unsigned char raw[kMemoHeaderSize] = {};
  std::int32_t blockCount = 1;
  std::int32_t freeCount = 0;
  std::int32_t firstFree = 0;
  bool dirty = false;

  int Read(LockedHandle& h) {
    std::size_t got = 0;
    int rc = h.file->Read(0, raw, sizeof raw, &got);
    if (rc != kFileOk) return rc;
    if (got < sizeof raw) return kMemoError;
    blockCount = GetI32(raw + kMemoOffBlockCount);
    freeCount = GetI32(raw + kMemoOffFreeCount);
    firstFree = GetI32(raw + kMemoOffFirstFree);
    // Block 0 is always the header; a damaged count must not let a value overwrite it.
    if (blockCount < 1) blockCount = 1;
    if (freeCount < 0) freeCount = 0;
    if (firstFree < 0 || firstFree >= blockCount) firstFree = 0, freeCount = 0;
    return kFileOk;
  }

  int Write(LockedHandle& h) {
    // The open refuses a free count that is not below the block count: one taken from a
    // damaged header must not grow past it and turn a table that opens into one that
    // never opens again.
    if (firstFree == 0) freeCount = 0;
    if (freeCount >= blockCount) freeCount = blockCount - 1;
    PutI32(raw + kMemoOffBlockCount, blockCount);
    PutI32(raw + kMemoOffFreeCount, freeCount);
    PutI32(raw + kMemoOffFirstFree, firstFree);
    int rc = h.file->Write(0, raw, sizeof raw);
    if (rc == kFileOk) dirty = false;
    return rc;
  }
};

// Takes the head of the free list; 0 when the list is empty (or damaged, then dropped).
int PopFree(LockedHandle& h, MemoHeader& mh, std::int32_t* block) {
  *block = 0;
  if (mh.firstFree <= 0) return kFileOk;
  BlockHeader bh;
  int rc = ReadBlockHeader(h, mh.firstFree, &bh);
  if (rc != kFileOk && rc != kMemoError) return rc;
  if (rc == kMemoError || bh.used != 0 || bh.next < 0 || bh.next >= mh.blockCount ||
      bh.next == mh.firstFree) {
    // Not a free block: forget the list rather than hand out a block in use.
    mh.firstFree = 0;
    mh.freeCount = 0;
    mh.dirty = true;
    return kFileOk;
  }
  *block = mh.firstFree;
  mh.firstFree = bh.next;
  mh.freeCount = mh.freeCount > 0 ? mh.freeCount - 1 : 0;
  if (mh.firstFree == 0) mh.freeCount = 0;
  mh.dirty = true;
  if (mh.firstFree != 0) {
    rc = WriteBlockWord(h, mh.firstFree, kBlockOffPrev, 0);
    if (rc != kFileOk) return rc;
  }
  return kFileOk;
}

// Puts a block at the front of the free list.
int PushFree(LockedHandle& h, MemoHeader& mh, std::int32_t block) {
  BlockHeader bh;
  bh.prev = 0;
  bh.next = mh.firstFree;
  bh.used = 0;
  int rc = WriteBlock(h, block, bh, nullptr);
  if (rc != kFileOk) return rc;
  if (mh.firstFree != 0) {
    rc = WriteBlockWord(h, mh.firstFree, kBlockOffPrev, block);
    if (rc != kFileOk) return rc;
  }
  mh.firstFree = block;
  mh.freeCount++;
  mh.dirty = true;
  return kFileOk;
}

// The freed blocks' links reach the disk before the header names the first of them: a
// power cut in between only leaks them, and the free list never runs through a block
// that still holds its old links.
int SyncLinks(LockedHandle& h) { return JournalEnabled() ? h.file->Sync() : kFileOk; }

// Cuts free blocks off the end of the file, unlinking each from the free list.
int TrimFreeTail(LockedHandle& h, MemoHeader& mh) {
  const std::int32_t before = mh.blockCount;
  while (mh.blockCount > 1) {
    const std::int32_t last = mh.blockCount - 1;
    BlockHeader bh;
    int rc = ReadBlockHeader(h, last, &bh);
    if (rc == kMemoError) break;
    if (rc != kFileOk) return rc;
    if (bh.used != 0) break;
    // Only a block that really is in the free list may go.
    if (bh.prev == 0) {
      if (mh.firstFree != last) break;
    } else {
      if (bh.prev < 0 || bh.prev >= last) break;
      BlockHeader ph;
      rc = ReadBlockHeader(h, bh.prev, &ph);
      if (rc == kMemoError) break;
      if (rc != kFileOk) return rc;
      if (ph.next != last || ph.used != 0) break;
    }
    if (bh.next < 0 || bh.next >= mh.blockCount || bh.next == last) break;
    if (bh.prev == 0) {
      mh.firstFree = bh.next;
    } else {
      rc = WriteBlockWord(h, bh.prev, kBlockOffNext, bh.next);
      if (rc != kFileOk) return rc;
    }
    if (bh.next != 0) {
      rc = WriteBlockWord(h, bh.next, kBlockOffPrev, bh.prev);
      if (rc != kFileOk) return rc;
    }
    mh.freeCount = mh.freeCount > 0 ? mh.freeCount - 1 : 0;
    if (mh.firstFree == 0) mh.freeCount = 0;
    mh.blockCount = last;
    mh.dirty = true;
  }
  if (mh.blockCount != before) {
    // The header first, so that a failed cut leaves only unused bytes at the end.
    int rc = mh.Write(h);
    if (rc != kFileOk) return rc;
    return h.file->Truncate(BlockOffset(mh.blockCount));
  }
  return kFileOk;
}

}  // namespace

int ReadMemo(LockedHandle& h, std::int32_t ref, std::string* out) {
  out->clear();
  if (ref <= 0) return kFileOk;
  if (!h.file) return -46;
  std::int64_t length = 0;
  int rc = h.file->Length(&length);
  if (rc != kFileOk) return rc;
  // A chain never has more blocks than the file; a damaged one must not loop.
  std::int64_t budget = length / kBlockSize + 1;
  std::int64_t locked = -1;
  unsigned char b[kBlockSize];
  for (std::int32_t r = ref; r > 0 && budget-- > 0;) {
    rc = LockByte(h, BlockOffset(r));
    if (rc != kFileOk) break;
    if (locked >= 0) UnlockByte(h, locked);  // hand over hand
    locked = BlockOffset(r);
    std::size_t got = 0;
    rc = h.file->Read(BlockOffset(r), b, sizeof b, &got);
    if (rc != kFileOk) break;
    if (got < sizeof b) {
      rc = kMemoError;
      break;
    }
    std::int32_t used = GetI32(b + kBlockOffUsed);
    if (used < 0) used = 0;
    if (used > kBlockData) used = kBlockData;
    out->append(reinterpret_cast<const char*>(b + kBlockHeaderSize), static_cast<std::size_t>(used));
    r = GetI32(b + kBlockOffNext);
  }
  if (locked >= 0) UnlockByte(h, locked);
  if (rc != kFileOk) out->clear();
  return rc;
}

int WriteMemo(LockedHandle& h, std::int32_t old_ref, const void* data, std::size_t n,
              std::int32_t* new_ref, std::vector<std::int32_t>* leftover, int wait_ms) {
  *new_ref = old_ref;
  if (!h.file) return -47;
  int rc = LockByte(h, 0, wait_ms);
  if (rc != kFileOk) return rc;
  MemoHeader mh;
  rc = mh.Read(h);

  // The old chain, as far as it is sound: in range, in use, without a loop.
  std::vector<std::int32_t> old;
  if (rc == kFileOk) {
    std::unordered_set<std::int32_t> seen;
    for (std::int32_t r = old_ref; r > 0 && r < mh.blockCount && !seen.count(r);) {
      BlockHeader bh;
      int brc = ReadBlockHeader(h, r, &bh);
      if (brc != kFileOk || bh.used <= 0) break;
      seen.insert(r);
      old.push_back(r);
      r = bh.next;
    }
  }

  // Blocks of the new chain: the free list, then new ones. The old chain stays as it is
  // until the record points at the new one.
  const auto* bytes = static_cast<const unsigned char*>(data);
  const std::size_t pieces = (n + kBlockData - 1) / kBlockData;
  std::vector<std::int32_t> chain;
  for (std::size_t i = 0; rc == kFileOk && i < pieces; ++i) {
    std::int32_t b = 0;
    rc = PopFree(h, mh, &b);
    if (rc != kFileOk) break;
    if (b != 0 && (std::find(chain.begin(), chain.end(), b) != chain.end() ||
                   std::find(old.begin(), old.end(), b) != old.end())) {
      // The free list runs in a circle: drop it and grow the file instead.
      mh.firstFree = 0;
      mh.freeCount = 0;
      b = 0;
    }
    if (b == 0) {
      if (mh.blockCount == INT32_MAX) {
        rc = kFileDiskFull;
        break;
      }
      b = mh.blockCount++;
      mh.dirty = true;
    }
    chain.push_back(b);
  }
  // Taken blocks are recorded before they are written: a failure then only leaks them.
  if (rc == kFileOk && mh.dirty) rc = mh.Write(h);

  for (std::size_t i = 0; rc == kFileOk && i < chain.size(); ++i) {
    BlockHeader bh;
    bh.prev = i > 0 ? chain[i - 1] : 0;
    bh.next = i + 1 < chain.size() ? chain[i + 1] : 0;
    std::size_t at = i * kBlockData;
    bh.used = static_cast<std::int32_t>(std::min<std::size_t>(kBlockData, n - at));
    rc = WriteBlock(h, chain[i], bh, bytes + at);
  }
  if (rc != kFileOk) {
    UnlockByte(h, 0);
    return rc;
  }
  // The new value is complete: from here on the caller must store its reference.
  *new_ref = chain.empty() ? 0 : chain[0];
  leftover->assign(old.begin(), old.end());
  UnlockByte(h, 0);
  return kFileOk;
}

void ReleaseMemoBlocks(LockedHandle& h, const std::vector<std::int32_t>& blocks) {
  if (blocks.empty() || !h.file) return;
  // Housekeeping: if another process holds the memo header or one of the blocks just
  // now, what is not released stays allocated but unreachable. That costs space only.
  // The caller holds its record's lock; the memo header is only ever held briefly, so
  // waiting for it a little cannot deadlock and saves the blocks from leaking.
  if (LockByte(h, 0, kReleaseWaitMs) != kFileOk) return;
  MemoHeader mh;
  if (mh.Read(h) == kFileOk) {
    int rc = kFileOk;
    for (std::size_t i = 0; rc == kFileOk && i < blocks.size(); ++i)
      if (blocks[i] > 0 && blocks[i] < mh.blockCount) rc = PushFree(h, mh, blocks[i]);
    if (rc == kFileOk) rc = SyncLinks(h);
    if (rc == kFileOk) TrimFreeTail(h, mh);
    if (mh.dirty) mh.Write(h);
  }
  UnlockByte(h, 0);
}

int RepairShortMemoFile(LockedHandle& h, std::int64_t length) {
  MemoHeader mh;
  int rc = mh.Read(h);
  if (rc != kFileOk) return rc;
  const std::int64_t present = length / kBlockSize;
  if (present >= mh.blockCount) return kFileOk;
  mh.blockCount = static_cast<std::int32_t>(std::max<std::int64_t>(1, present));
  // The free blocks still in the file, from the head up to the first one that is not
  // (or that is not a sound member of the list): the list ends there.
  std::int32_t kept = 0, last = 0, r = mh.firstFree;
  std::unordered_set<std::int32_t> seen;
  while (r > 0 && r < mh.blockCount && !seen.count(r)) {
    BlockHeader bh;
    rc = ReadBlockHeader(h, r, &bh);
    if (rc == kMemoError) break;
    if (rc != kFileOk) return rc;
    if (bh.used != 0 || bh.prev != last) break;
    seen.insert(r);
    ++kept;
    last = r;
    r = bh.next;
  }
  if (r != 0) {
    if (last == 0) {
      mh.firstFree = 0;
    } else {
      rc = WriteBlockWord(h, last, kBlockOffNext, 0);
      if (rc != kFileOk) return rc;
    }
  }
  mh.freeCount = kept;
  return mh.Write(h);
}

void FreeMemo(LockedHandle& h, std::int32_t ref) {
  std::int32_t unused = 0;
  std::vector<std::int32_t> blocks;
  if (WriteMemo(h, ref, nullptr, 0, &unused, &blocks, kReleaseWaitMs) == kFileOk) ReleaseMemoBlocks(h, blocks);
}

int ReclaimLeakedBlocks(LockedHandle& h, const std::vector<std::int32_t>& refs) {
  if (!h.file || LockByte(h, 0) != kFileOk) return 0;
  MemoHeader mh;
  int reclaimed = 0;
  if (mh.Read(h) == kFileOk) {
    std::vector<bool> reached(static_cast<std::size_t>(mh.blockCount), false);
    reached[0] = true;
    // Every chain a record holds, and the free list; each stops where it leaves the file,
    // meets a block already reached (a loop or a shared block) or hits a short read.
    auto walk = [&](std::int32_t r) {
      while (r > 0 && r < mh.blockCount && !reached[static_cast<std::size_t>(r)]) {
        reached[static_cast<std::size_t>(r)] = true;
        BlockHeader bh;
        if (ReadBlockHeader(h, r, &bh) != kFileOk) return;
        r = bh.next;
      }
    };
    for (std::int32_t ref : refs) walk(ref);
    walk(mh.firstFree);
    std::vector<std::int32_t> lost;
    for (std::int32_t b = 1; b < mh.blockCount; ++b)
      if (!reached[static_cast<std::size_t>(b)]) lost.push_back(b);
    int rc = kFileOk;
    for (std::size_t i = 0; rc == kFileOk && i < lost.size(); ++i) {
      rc = PushFree(h, mh, lost[i]);
      if (rc == kFileOk) ++reclaimed;
    }
    if (rc == kFileOk && reclaimed > 0) rc = SyncLinks(h);
    if (rc == kFileOk) TrimFreeTail(h, mh);
    if (mh.dirty) mh.Write(h);
  }
  UnlockByte(h, 0);
  return reclaimed;
}

}  // namespace recfile
