#pragma once
// Reads a record file and its memo file byte by byte, without the engine, and finds what
// a crash or a race may have broken: memo blocks reached from two places, chains that run
// outside the file or in a circle, and blocks that nothing reaches (leaked).

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "record_file_test_util.h"

namespace rftest {

// `n` letters of a pattern that `seed` shifts: memo text that differs between records.
inline Text Filler(std::size_t n, int seed) {
  Text t(n, 'a');
  for (std::size_t i = 0; i < n; ++i) t[i] = static_cast<char>('a' + (i * 7 + static_cast<std::size_t>(seed)) % 26);
  return t;
}

struct AuditedRecord {
  std::int32_t id = 0;  // negative: marked deleted
  std::vector<unsigned char> bytes;
};

struct TableAudit {
  std::vector<AuditedRecord> records;
  std::vector<std::string> problems;  // empty when the files are sound
  int leakedBlocks = 0;
};

// `memo_fields`: byte offsets of the memo references inside a record.
inline TableAudit AuditTable(const std::string& main_host, const std::string& memo_host,
                             const std::vector<int>& memo_fields) {
  TableAudit a;
  auto raw = ReadAll(main_host);
  if (raw.size() < 120) {
    a.problems.push_back("main file too short");
    return a;
  }
  const std::int64_t count = I32At(raw, 16);
  const std::int64_t length = I32At(raw, 24);
  const std::int64_t start = recfmt::DataStart(I32At(raw, 112));
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t at = start + k * length;
    if (at + length > static_cast<std::int64_t>(raw.size())) break;
    AuditedRecord r;
    r.id = I32At(raw, static_cast<std::size_t>(at));
    r.bytes.assign(raw.begin() + at, raw.begin() + at + length);
    a.records.push_back(std::move(r));
  }
  if (memo_fields.empty()) return a;
  auto memo = ReadAll(memo_host);
  const std::int32_t blocks = I32At(memo, 16);
  if (static_cast<std::int64_t>(memo.size()) < static_cast<std::int64_t>(blocks) * 512) {
    a.problems.push_back("memo file shorter than its block count");
    return a;
  }
  std::map<std::int32_t, std::string> owner;
  auto claim = [&](std::int32_t b, const std::string& who) {
    if (b <= 0 || b >= blocks) {
      a.problems.push_back(who + " runs outside the memo file (block " + std::to_string(b) + ")");
      return false;
    }
    auto [it, fresh] = owner.emplace(b, who);
    if (!fresh) {
      a.problems.push_back("block " + std::to_string(b) + " belongs to " + it->second + " and " + who);
      return false;
    }
    return true;
  };
  for (const auto& r : a.records) {
    for (int off : memo_fields) {
      const std::string who = "record " + std::to_string(r.id) + " field@" + std::to_string(off);
      for (std::int32_t b = recfmt::GetI32(r.bytes.data() + off); b != 0;
           b = I32At(memo, static_cast<std::size_t>(b) * 512 + 4)) {
        if (!claim(b, who)) break;
        if (I32At(memo, static_cast<std::size_t>(b) * 512 + 8) <= 0)
          a.problems.push_back(who + " reaches free block " + std::to_string(b));
      }
    }
  }
  for (std::int32_t b = I32At(memo, 24); b != 0; b = I32At(memo, static_cast<std::size_t>(b) * 512 + 4))
    if (!claim(b, "the free list")) break;
  a.leakedBlocks = blocks - 1 - static_cast<int>(owner.size());
  return a;
}

}  // namespace rftest
