// Making new record files, for tests and tools: the program itself only opens the files
// it ships with. Fields are laid out in order from offset 4 (after the id) without gaps.
#include <vector>

#include "base/paths.h"
#include "storage/record_file.h"
#include "storage/record_file_internal.h"

using namespace recfile;
using namespace recfmt;

namespace {

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// A name starts with a letter or a double-byte character; letters, digits, '_' and
// double-byte characters follow. At most 16 bytes, so that its NUL fits the 17.
bool ValidName(const Text& name) {
  if (name.empty() || name.size() >= static_cast<std::size_t>(kFieldNameSize)) return false;
  for (std::size_t i = 0; i < name.size();) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsLead(c)) {
      if (i + 1 >= name.size() || static_cast<unsigned char>(name[i + 1]) < 0x40) return false;
      i += 2;
      continue;
    }
    bool ok = i == 0 ? IsAsciiLetter(c) : (IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_');
    if (!ok) return false;
    ++i;
  }
  return true;
}

}  // namespace

bool CreateRecordFile(const Text& path, const std::vector<FieldSpec>& fields) {
  auto fail = [](int code) {
    SetLastError(code);
    return false;
  };
  SetLastError(0);
  if (path.empty()) return fail(kFileNotFound);
  if (fields.empty()) return fail(-16);
  std::int64_t record_length = 4;
  bool memo = false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldSpec& f = fields[i];
    if (f.type < kTypeByte || f.type > kTypeMemo) return fail(-17);
    if (!ValidName(f.name)) return fail(-18);
    if (f.type == kTypeText && f.width <= 0) return fail(-19);
    for (std::size_t j = 0; j < i; ++j)
      if (SameTextIgnoringCase(fields[j].name, f.name)) return fail(-20);
    record_length += StoredSize(f.type, f.width);
    memo = memo || IsMemoType(f.type);
  }
  if (record_length > 0x7FFFFFFF) return fail(-19);

  std::vector<unsigned char> main(static_cast<std::size_t>(DataStart(static_cast<std::int64_t>(fields.size()))), 0);
  PutI32(main.data() + kOffMagic, kMagic);
  PutI32(main.data() + kOffVersion, kVersion);
  PutI32(main.data() + kOffRecordCount, 0);
  PutI32(main.data() + kOffNextId, 1);
  PutI32(main.data() + kOffRecordLength, static_cast<std::int32_t>(record_length));
  PutI32(main.data() + kHeaderSize, static_cast<std::int32_t>(fields.size()));
  std::int32_t offset = 4;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    unsigned char* d = main.data() + kHeaderSize + kFieldCountSize + i * kFieldDefSize;
    const FieldSpec& f = fields[i];
    std::copy(f.name.begin(), f.name.end(), d + kDefOffName);
    PutI32(d + kDefOffType, f.type);
    PutI32(d + kDefOffOffset, offset);
    PutI32(d + kDefOffWidth, f.type == kTypeText ? f.width : 0);
    offset += StoredSize(f.type, f.width);
  }

  const Text full = FullPath(WithDefaultExtension(path));
  const std::string host = HostPath(full);
  if (Files().CreateNew(host, main.data(), main.size(), 0600) != kFileOk) return fail(-2);
  if (memo) {
    std::vector<unsigned char> block(kBlockSize, 0);
    PutI32(block.data() + kMemoOffMagic, kMemoMagic);
    PutI32(block.data() + kMemoOffVersion, kVersion);
    PutI32(block.data() + kMemoOffBlockCount, 1);
    PutI32(block.data() + kMemoOffFreeCount, 0);
    PutI32(block.data() + kMemoOffFirstFree, 0);
    if (Files().CreateNew(HostPath(MemoPath(full)), block.data(), block.size(), 0600) != kFileOk) {
      Files().Remove(host);
      return fail(-50);
    }
  }
  return true;
}
