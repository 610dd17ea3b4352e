#pragma once
// A fresh directory for one test, and its removal: under /tmp on Linux, under the
// user's temporary folder on Windows. Returns host paths with '/' separators.

#include <atomic>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

inline std::string MakeScratchDir(const std::string& prefix) {
#ifdef _WIN32
  static std::atomic<int> counter{0};
  std::filesystem::path base = std::filesystem::temp_directory_path();
  for (;;) {
    std::filesystem::path dir =
        base / (prefix + "-" + std::to_string(_getpid()) + "-" + std::to_string(counter++));
    if (std::filesystem::create_directory(dir)) return dir.generic_string();
  }
#else
  std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
  return mkdtemp(tmpl.data()) ? tmpl : std::string();
#endif
}

inline void RemoveScratchDir(const std::string& dir) {
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}
