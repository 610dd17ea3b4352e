#pragma once
// Hooks for the engine's own tests: a file system with injected faults, and a look at
// the byte locks the current file holds.

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/locked_file.h"

// Files are opened and created through `fs` from now on; null restores the real one.
void SetRecordFileSystemForTesting(FileSystem* fs);

// Byte locks (offset, hold count) the current file holds on its main or memo file.
std::vector<std::pair<std::int64_t, int>> HeldRecordFileLocksForTesting(bool memo);

// Closes every open record file (each test starts with none).
void CloseAllRecordFilesForTesting();

// Turns the rollback journal and its flushes off (true: on, the default). Benchmarks
// measure what the journal costs, and tests that build large tables record by record
// save the flushes; the program never turns it off.
void SetRecordFileJournalForTesting(bool on);
