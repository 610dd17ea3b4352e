#pragma once
// Program paths are GBK texts with backslashes, as on Windows: the run directory
// followed by a literal such as "\配置图片\背景.JPG".

#include <cstddef>
#include <string>

#include "base/bytes.h"
#include "base/text.h"

// Directory of the executable, without a trailing separator.
Text RunDirectory();

// Tests and tools point the program at another run directory.
void SetRunDirectory(const Text& directory);

// Program path -> host path: backslashes become '/', GBK becomes UTF-8, and where
// the exact name does not exist a component is matched case-insensitively, as
// Windows does, so data made there works here. On Windows the program path is the
// host path: it goes to the W functions through code page 936.
std::string HostPath(const Text& program_path);

// Host path (UTF-8; on Windows the program's own GBK) -> program path (GBK).
Text ProgramPath(const std::string& host_path);

// A path in UTF-8 as the command line and std::filesystem give it, on every system ->
// program path (GBK, backslashes).
Text ProgramPathFromUtf8(const std::string& utf8_path);

// The process's current directory as a program path.
Text CurrentDirectory();

// Largest picture or sound the program reads whole: far above any skin, icon or click
// sound, far below what would exhaust memory.
constexpr std::size_t kMaxRunFileBytes = std::size_t{32} << 20;

// The whole content of a file; empty when it is missing or cannot be read, when it is
// not a regular file (a pipe, a device, a directory: never waited on), or when it holds
// more than `max_bytes`. A symbolic link to a regular file is followed.
Bytes ReadFileBytes(const Text& program_path, std::size_t max_bytes = kMaxRunFileBytes);
