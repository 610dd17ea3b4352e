#include "base/run_path_rule.h"

#include <string_view>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "..", ".", "...", ". .": names Windows reads as the folder itself or its parent.
bool OnlyDotsAndBlanks(std::string_view part) {
  bool dot = false;
  for (char c : part) {
    if (c != '.' && c != ' ') return false;
    dot = dot || c == '.';
  }
  return dot;
}

}  // namespace

bool IsInsideRunDirectory(const Text& relativeProgramPath) {
  const std::string_view path = relativeProgramPath;
  // Without a leading separator "C:\run" + "x\y" is "C:\runx\y": a folder beside it.
  if (path.empty() || !IsSeparator(path[0])) return false;
  // "\\host\share" glued to the run directory is harmless on Linux, but a second
  // leading separator has no business in a stored path.
  if (path.size() > 1 && IsSeparator(path[1])) return false;
  if (path.find(':') != std::string_view::npos) return false;
  if (IsSeparator(path.back())) return false;  // a folder, not a file
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (OnlyDotsAndBlanks(path.substr(start, end - start))) return false;
    start = end + 1;
  }
  return true;
}
