#include "base/run_path_rule.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "..", and the forms Windows reads as ".." once it has dropped trailing dots and
// blanks ("...", ".. ").
bool ClimbsOut(const Text& component) {
  int dots = 0;
  for (char c : component) {
    if (c == '.')
      ++dots;
    else if (c != ' ')
      return false;
  }
  return dots >= 2;
}

}  // namespace

bool IsRunRelativePath(const Text& programRelativePath) {
  const Text& p = programRelativePath;
  // The run directory is glued in front: without a leading separator the name would
  // run on into the directory's own last component.
  if (p.size() < 2 || !IsSeparator(p[0]) || IsSeparator(p[1])) return false;
  // Drive letters, stream names and device forms all need a colon.
  if (p.find(':') != Text::npos) return false;
  // Every 0x5C and '/' byte splits here, a GBK trail byte included: stricter than the
  // file system, never looser.
  Text component;
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || IsSeparator(p[i])) {
      if (ClimbsOut(component)) return false;
      component.clear();
    } else {
      component += p[i];
    }
  }
  return true;
}
