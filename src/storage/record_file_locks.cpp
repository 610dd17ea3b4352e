// Byte locks with hold counts, the whole-file lock and the wait rule.
#include <algorithm>
#include <chrono>
#include <thread>

#include "storage/record_file_internal.h"

namespace recfile {

namespace {

std::int64_t TickMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool Retryable(int rc) { return rc == kFileSharingViolation || rc == kFileLockViolation; }

// Sleeps before the next attempt; false when the wait time is used up.
bool PauseForRetry(std::int64_t first_attempt, int wait_ms) {
  if (wait_ms <= 0) return false;
  std::int64_t now = TickMs();
  if (now - first_attempt > wait_ms) return false;
  std::this_thread::sleep_for(std::chrono::milliseconds(20 + now % 20));
  return true;
}

// The ranges of [0, kWholeFileEnd) not covered by the byte locks held.
std::vector<std::pair<std::int64_t, std::int64_t>> Gaps(const LockedHandle& h) {
  std::vector<std::int64_t> bytes;
  bytes.reserve(h.held.size());
  for (const auto& e : h.held)
    if (e.first < kWholeFileEnd) bytes.push_back(e.first);
  std::sort(bytes.begin(), bytes.end());
  std::vector<std::pair<std::int64_t, std::int64_t>> gaps;  // start, length
  std::int64_t from = 0;
  for (std::int64_t b : bytes) {
    if (b > from) gaps.emplace_back(from, b - from);
    from = std::max(from, b + 1);
  }
  if (from < kWholeFileEnd) gaps.emplace_back(from, kWholeFileEnd - from);
  return gaps;
}

}  // namespace

int LockWaitMs() { return 0; }

int LockRangeWithWait(LockedFile& f, std::int64_t offset, std::int64_t length, int wait_ms) {
  const std::int64_t first = TickMs();
  for (;;) {
    int rc = f.Lock(offset, length);
    // A file system that cannot lock at all leaves the file to us.
    if (rc == kFileOk || rc == kLockUnsupported) return kFileOk;
    if (!Retryable(rc) || !PauseForRetry(first, wait_ms)) return rc;
  }
}

int OpenWithWait(const std::string& host_path, int wait_ms, std::unique_ptr<LockedFile>* out) {
  const std::int64_t first = TickMs();
  for (;;) {
    int rc = kFileOk;
    *out = Files().OpenExisting(host_path, &rc);
    if (*out) return kFileOk;
    if (rc == kFileOk) rc = kFileGeneric;
    if (!Retryable(rc) || !PauseForRetry(first, wait_ms)) return rc;
  }
}

int LockByte(LockedHandle& h, std::int64_t offset, int wait_ms) {
  if (h.noLocking) return kFileOk;
  for (auto& e : h.held) {
    if (e.first == offset) {
      ++e.second;
      return kFileOk;
    }
  }
  // Under the whole-file lock the byte is already ours.
  if (!h.whole) {
    int rc = LockRangeWithWait(*h.file, offset, 1, wait_ms);
    if (rc != kFileOk) return rc;
  }
  h.held.emplace_back(offset, 1);
  return kFileOk;
}

int UnlockByte(LockedHandle& h, std::int64_t offset) {
  if (h.noLocking) return kFileOk;
  auto it = std::find_if(h.held.begin(), h.held.end(), [&](const auto& e) { return e.first == offset; });
  if (it == h.held.end()) return -29;
  if (--it->second > 0) return kFileOk;
  h.held.erase(it);
  // Under the whole-file lock the byte stays covered until that lock is released.
  if (h.whole) return kFileOk;
  int rc = h.file->Unlock(offset, 1);
  return rc == kFileOk || rc == kLockUnsupported ? kFileOk : -29;
}

int LockWhole(LockedHandle& h) {
  if (h.noLocking || h.whole) return kFileOk;
  auto gaps = Gaps(h);
  for (std::size_t i = 0; i < gaps.size(); ++i) {
    int rc = LockRangeWithWait(*h.file, gaps[i].first, gaps[i].second, LockWaitMs());
    if (rc != kFileOk) {
      for (std::size_t j = 0; j < i; ++j) h.file->Unlock(gaps[j].first, gaps[j].second);
      return rc;
    }
  }
  h.whole = true;
  return kFileOk;
}

int UnlockWhole(LockedHandle& h) {
  if (h.noLocking || !h.whole) return kFileOk;
  h.whole = false;
  // Bytes still held keep their own locks; only what lies between them is released.
  int result = kFileOk;
  for (const auto& g : Gaps(h)) {
    int rc = h.file->Unlock(g.first, g.second);
    if (rc != kFileOk && rc != kLockUnsupported) result = -29;
  }
  return result;
}

}  // namespace recfile
