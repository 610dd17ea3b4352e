#pragma once
// A file system that notes every change the engine makes to the files of one directory
// (creations, writes, truncations, removals, and the flushes of files and of the
// directory) and can rebuild what a power cut at any moment may leave on the disk: each
// file as of its last flush plus some of the writes made since (a write torn at 512-byte
// sectors), and the directory's names as of its last flush.

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "forwarding_file.h"
#include "platform/locked_file.h"

namespace rftest {

struct FileEvent {
  enum Kind { kCreate, kWrite, kTruncate, kSync, kRemove, kSyncDirectory, kDone } kind;
  int inode = 0;
  std::string name;
  std::int64_t offset = 0;  // write offset, or new length
  std::vector<unsigned char> data;
};

// The files of the directory after a cut: name -> bytes.
using DiskState = std::map<std::string, std::vector<unsigned char>>;

class RecordingFileSystem : public FileSystem {
 public:
  // `files`: the directory's files as they are (and are on the disk) now.
  explicit RecordingFileSystem(const std::string& dir, const DiskState& files) : dir_(dir) {
    for (const auto& [name, bytes] : files) {
      const int inode = next_inode_++;
      live_[name] = inode;
      initial_[inode] = bytes;
    }
    durable_dir_ = live_;
  }

  std::unique_ptr<LockedFile> OpenExisting(const std::string& p, int* error) override {
    auto real = PosixFileSystem().OpenExisting(p, error);
    if (!real) return nullptr;
    auto it = live_.find(NameOf(p));
    return std::make_unique<File>(std::move(real), this, it == live_.end() ? 0 : it->second, NameOf(p));
  }
  int CreateNew(const std::string& p, const void* d, std::size_t n, unsigned mode) override {
    int rc = PosixFileSystem().CreateNew(p, d, n, mode);
    if (rc != kFileOk) return rc;
    // The platform's promise: the file and its name are on the disk when this returns.
    const int inode = next_inode_++;
    live_[NameOf(p)] = inode;
    const auto* b = static_cast<const unsigned char*>(d);
    Note({FileEvent::kCreate, inode, NameOf(p), 0, std::vector<unsigned char>(b, b + n)});
    Note({FileEvent::kSync, inode, NameOf(p), 0, {}});
    Note({FileEvent::kSyncDirectory, 0, "", 0, {}});
    return rc;
  }
  int Remove(const std::string& p) override {
    int rc = PosixFileSystem().Remove(p);
    if (rc == kFileOk) {
      Note({FileEvent::kRemove, live_[NameOf(p)], NameOf(p), 0, {}});
      live_.erase(NameOf(p));
    }
    return rc;
  }
  int SyncDirectoryOf(const std::string& p) override {
    int rc = PosixFileSystem().SyncDirectoryOf(p);
    if (rc == kFileOk) Note({FileEvent::kSyncDirectory, 0, "", 0, {}});
    return rc;
  }
  std::vector<std::string> List(const std::string& d) override { return PosixFileSystem().List(d); }

  // The caller has been told that step `step` is done.
  void MarkDone(int step) { Note({FileEvent::kDone, step, "", 0, {}}); }

  const std::vector<FileEvent>& events() const { return events_; }

  // Every state a power cut after the first `cut` events may leave, each once.
  // `subset_limit`: with at most this many unflushed changes every mix of them is tried;
  // with more, every prefix, all but one, and each alone. Each write is also torn at the
  // sector nearest its middle, after all the changes before it or with all the others.
  std::vector<DiskState> StatesAt(std::size_t cut, std::size_t subset_limit = 8) const {
    // Names: the directory as of its last flush, and as the engine left it.
    std::map<std::string, int> durable = durable_initial(), live = durable;
    std::map<int, std::size_t> last_sync;  // inode -> index of its last flush before the cut
    for (std::size_t i = 0; i < cut; ++i) {
      const FileEvent& e = events_[i];
      if (e.kind == FileEvent::kCreate) live[e.name] = e.inode;
      if (e.kind == FileEvent::kRemove) live.erase(e.name);
      if (e.kind == FileEvent::kSyncDirectory) durable = live;
      if (e.kind == FileEvent::kSync) last_sync[e.inode] = i + 1;
    }
    // Unflushed writes and truncations of every file, in the order they were made.
    std::vector<std::size_t> pending;
    for (std::size_t i = 0; i < cut; ++i) {
      const FileEvent& e = events_[i];
      if (e.kind != FileEvent::kWrite && e.kind != FileEvent::kTruncate) continue;
      auto s = last_sync.find(e.inode);
      if (s != last_sync.end() && i < s->second) continue;
      pending.push_back(i);
    }
    // Per pending change: 0 lost, 1 kept, 2 torn (only the sectors of its first half
    // kept), 3 torn (only the rest kept).
    const std::size_t n = pending.size();
    std::vector<std::vector<int>> choices;
    if (n <= subset_limit) {
      for (std::uint32_t mask = 0; mask < (1u << n); ++mask) {
        std::vector<int> c(n);
        for (std::size_t k = 0; k < n; ++k) c[k] = (mask >> k) & 1;
        choices.push_back(c);
      }
    } else {
      for (std::size_t p = 0; p <= n; ++p) {
        std::vector<int> c(n, 0);
        for (std::size_t k = 0; k < p; ++k) c[k] = 1;
        choices.push_back(c);
      }
      for (std::size_t k = 0; k < n; ++k) {
        std::vector<int> all_but(n, 1), alone(n, 0);
        all_but[k] = 0;
        alone[k] = 1;
        choices.push_back(all_but);
        choices.push_back(alone);
      }
    }
    for (std::size_t k = 0; k < n; ++k) {
      if (events_[pending[k]].kind != FileEvent::kWrite) continue;
      for (int torn : {2, 3}) {
        std::vector<int> prefix(n, 0), all(n, 1);
        for (std::size_t j = 0; j < k; ++j) prefix[j] = 1;
        prefix[k] = all[k] = torn;
        choices.push_back(prefix);
        choices.push_back(all);
      }
    }
    std::set<std::uint64_t> seen;
    std::vector<DiskState> out;
    for (const auto* names : {&durable, &live}) {
      for (const auto& chosen : choices) {
        DiskState s;
        for (const auto& [name, inode] : *names) s[name] = Flushed(inode, cut, last_sync);
        for (std::size_t k = 0; k < n; ++k) {
          if (chosen[k] == 0) continue;
          const FileEvent& e = events_[pending[k]];
          for (const auto& [name, inode] : *names) {
            if (inode != e.inode) continue;
            auto& b = s[name];
            if (e.kind == FileEvent::kTruncate) {
              b.resize(static_cast<std::size_t>(e.offset));
              continue;
            }
            const std::int64_t end = e.offset + static_cast<std::int64_t>(e.data.size());
            // A torn write stops or starts at the sector boundary nearest its middle.
            std::int64_t mid = (e.offset + end) / 2 / 512 * 512;
            if (mid <= e.offset) mid = std::min(end, (e.offset / 512 + 1) * 512);
            const std::int64_t from = chosen[k] == 3 ? mid : e.offset;
            const std::int64_t to = chosen[k] == 2 ? mid : end;
            if (from >= to) continue;
            if (static_cast<std::int64_t>(b.size()) < to) b.resize(static_cast<std::size_t>(to));
            std::copy(e.data.begin() + (from - e.offset), e.data.begin() + (to - e.offset), b.begin() + from);
          }
        }
        if (seen.insert(HashOf(s)).second) out.push_back(std::move(s));
      }
    }
    return out;
  }

 private:
  class File : public ForwardingFile {
   public:
    File(std::unique_ptr<LockedFile> real, RecordingFileSystem* fs, int inode, std::string name)
        : ForwardingFile(std::move(real)), fs_(fs), inode_(inode), name_(std::move(name)) {}
    int Write(std::int64_t o, const void* d, std::size_t n) override {
      int rc = ForwardingFile::Write(o, d, n);
      const auto* b = static_cast<const unsigned char*>(d);
      if (rc == kFileOk) fs_->Note({FileEvent::kWrite, inode_, name_, o, std::vector<unsigned char>(b, b + n)});
      return rc;
    }
    int Truncate(std::int64_t l) override {
      int rc = ForwardingFile::Truncate(l);
      if (rc == kFileOk) fs_->Note({FileEvent::kTruncate, inode_, name_, l, {}});
      return rc;
    }
    int Sync() override {
      int rc = ForwardingFile::Sync();
      if (rc == kFileOk) fs_->Note({FileEvent::kSync, inode_, name_, 0, {}});
      return rc;
    }

   private:
    RecordingFileSystem* fs_;
    int inode_;
    std::string name_;
  };

  static std::uint64_t HashOf(const DiskState& d) {
    std::uint64_t h = 1469598103934665603ULL;
    auto mix = [&](const unsigned char* p, std::size_t n) {
      for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ULL;
      h = (h ^ 0xFF) * 1099511628211ULL;
    };
    for (const auto& [name, bytes] : d) {
      mix(reinterpret_cast<const unsigned char*>(name.data()), name.size());
      mix(bytes.data(), bytes.size());
    }
    return h;
  }

 public:
  static std::uint64_t Fingerprint(const DiskState& d) { return HashOf(d); }

 private:
  static std::string NameOf(const std::string& p) {
    const auto slash = p.find_last_of('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
  }

  void Note(FileEvent e) { events_.push_back(std::move(e)); }

  std::map<std::string, int> durable_initial() const { return durable_dir_; }

  // The file's bytes as of its last flush before the cut.
  std::vector<unsigned char> Flushed(int inode, std::size_t cut, const std::map<int, std::size_t>& last_sync) const {
    std::vector<unsigned char> b;
    auto init = initial_.find(inode);
    if (init != initial_.end()) b = init->second;
    auto s = last_sync.find(inode);
    const std::size_t upto = s == last_sync.end() ? 0 : std::min(cut, s->second);
    for (std::size_t i = 0; i < upto; ++i) {
      const FileEvent& e = events_[i];
      if (e.inode != inode) continue;
      if (e.kind == FileEvent::kCreate) b = e.data;
      if (e.kind == FileEvent::kTruncate) b.resize(static_cast<std::size_t>(e.offset));
      if (e.kind == FileEvent::kWrite) {
        const std::size_t end = static_cast<std::size_t>(e.offset) + e.data.size();
        if (b.size() < end) b.resize(end);
        std::copy(e.data.begin(), e.data.end(), b.begin() + e.offset);
      }
    }
    return b;
  }

  std::string dir_;
  int next_inode_ = 1;
  std::map<std::string, int> live_, durable_dir_;
  std::map<int, std::vector<unsigned char>> initial_;
  std::vector<FileEvent> events_;
};

}  // namespace rftest
