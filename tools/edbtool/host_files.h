#pragma once
// Files named on edbtool's command line (UTF-8 host paths) and files beside a table.

#include <cstddef>
#include <filesystem>
#include <set>
#include <string>

#include "base/bytes.h"

namespace edbtool {

// The host path of a UTF-8 path, the same on every system.
std::filesystem::path HostFsPath(const std::string& utf8);

// The whole file, refusing one larger than `maxBytes` before reading it. False with
// `*error` set (UTF-8) when it is missing, unreadable or too large.
bool ReadWholeFile(const std::string& utf8Path, std::size_t maxBytes, std::string* out, std::string* error);

// Writes a new file or replaces one (a symbolic link there is replaced, never followed;
// readers see the old file or the whole new one); false with `*error` set. `flush`: on
// the disk before it replaces the old one.
bool WriteWholeFile(const std::filesystem::path& path, const std::string& bytes, std::string* error,
                    bool flush = true);

// The names in a directory, lower case (ASCII), as Windows compares them; empty when it
// does not exist.
std::set<std::string> LowerCaseNames(const std::filesystem::path& dir);

}  // namespace edbtool
