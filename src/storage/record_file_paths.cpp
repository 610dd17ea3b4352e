// Path rules of record files, on GBK program paths. A GBK trail byte may be 0x5C, the
// backslash, so every scan steps over double-byte characters whole.
#include "base/paths.h"
#include "storage/record_file_internal.h"

namespace recfile {

namespace {

bool IsLead(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "C:" at the start: a Windows path names its drive first.
bool HasDrive(const Text& s) {
#ifdef _WIN32
  return s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
#else
  (void)s;
  return false;
#endif
}

// Byte positions where characters start.
template <typename Fn>
void ForEachChar(const Text& s, Fn fn) {
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len = IsLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
    fn(i, len);
    i += len;
  }
}

// Start of the last component (after the last separator).
std::size_t LastComponent(const Text& s) {
  std::size_t start = 0;
  ForEachChar(s, [&](std::size_t i, std::size_t len) {
    if (len == 1 && IsSeparator(s[i])) start = i + 1;
  });
  return start;
}

// Position of the extension's dot in the last component, or npos.
std::size_t ExtensionDot(const Text& s) {
  std::size_t comp = LastComponent(s), dot = Text::npos;
  ForEachChar(s, [&](std::size_t i, std::size_t len) {
    if (i >= comp && len == 1 && s[i] == '.') dot = i;
  });
  return dot;
}

std::vector<Text> Components(const Text& s) {
  std::vector<Text> parts;
  Text cur;
  ForEachChar(s, [&](std::size_t i, std::size_t len) {
    if (len == 1 && IsSeparator(s[i])) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur.append(s, i, len);
    }
  });
  parts.push_back(cur);
  return parts;
}

}  // namespace

Text WithDefaultExtension(const Text& path) {
  if (!path.empty() && path.back() == '.' && ExtensionDot(path) == path.size() - 1) return path + "EDB";
  if (ExtensionDot(path) == Text::npos) return path + ".EDB";
  return path;
}

Text FullPath(const Text& path) {
  Text p = path;
  if (!HasDrive(p)) {
    Text cwd = CurrentDirectory();
    if (p.empty() || !IsSeparator(p[0]))
      p = cwd + "\\" + p;
    else if (HasDrive(cwd))
      p = cwd.substr(0, 2) + p;  // rooted on the current drive
  }
  Text root;
  if (HasDrive(p)) {
    root = p.substr(0, 2);
    p.erase(0, 2);
  }
  std::vector<Text> out;
  for (const Text& c : Components(p)) {
    if (c.empty() || c == ".") continue;
    if (c == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    out.push_back(c);
  }
  Text full = root;
  for (const Text& c : out) full += "\\" + c;
  if (full.size() == root.size()) full.push_back('\\');
  return full;
}

Text BaseName(const Text& path) {
  std::size_t comp = LastComponent(path);
  std::size_t dot = ExtensionDot(path);
  return path.substr(comp, dot == Text::npos ? Text::npos : dot - comp);
}

Text MemoPath(const Text& path) {
  std::size_t dot = ExtensionDot(path);
  return (dot == Text::npos ? path + "." : path.substr(0, dot + 1)) + "EDT";
}

std::size_t CharacterCount(const Text& path) {
  std::size_t n = 0;
  ForEachChar(path, [&](std::size_t, std::size_t) { ++n; });
  return n;
}

bool SameTextIgnoringCase(const Text& a, const Text& b) {
  if (a.size() != b.size()) return false;
  bool equal = true;
  ForEachChar(a, [&](std::size_t i, std::size_t len) {
    if (!equal) return;
    if (len == 2) {
      equal = a[i] == b[i] && a[i + 1] == b[i + 1];
      return;
    }
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    equal = x == y;
  });
  return equal;
}

}  // namespace recfile
