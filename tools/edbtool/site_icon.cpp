#include "site_icon.h"

#include <algorithm>
#include <cstring>

#include "ui/image.h"

namespace edbtool {

namespace {

bool Starts(const Bytes& b, const char* signature, std::size_t n) {
  return b.size() >= n && std::memcmp(b.data(), signature, n) == 0;
}

// Names Windows keeps for devices, whatever the extension.
bool DeviceName(const std::string& stem) {
  const std::string base = stem.substr(0, stem.find('.'));
  static const char* const kNames[] = {"con", "prn", "aux", "nul"};
  for (const char* n : kNames)
    if (base == n) return true;
  return base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
         base[3] >= '0' && base[3] <= '9';
}

}  // namespace

std::string UsableIconExtension(const Bytes& b) {
  std::string ext;
  if (Starts(b, "\x89PNG\r\n\x1a\n", 8)) ext = ".png";
  else if (Starts(b, "GIF87a", 6) || Starts(b, "GIF89a", 6)) ext = ".gif";
  else if (Starts(b, "\xFF\xD8\xFF", 3)) ext = ".jpg";
  else if (Starts(b, "\0\0\1\0", 4)) ext = ".ico";
  else if (Starts(b, "BM", 2)) ext = ".bmp";
  else return {};
  return DecodePicture(b).empty() ? std::string() : ext;
}

std::string HostOfAddress(const std::string& address) {
  const std::size_t scheme = address.find("://");
  if (scheme == std::string::npos) return {};
  const std::size_t start = scheme + 3;
  std::size_t end = address.find_first_of("/?#\\", start);
  if (end == std::string::npos) end = address.size();
  std::string authority = address.substr(start, end - start);
  const std::size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  if (!authority.empty() && authority[0] == '[') {
    const std::size_t close = authority.find(']');
    authority = authority.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    authority = authority.substr(0, authority.find(':'));
  }
  for (char& c : authority)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return authority;
}

std::string IconFileName(const std::string& address, const std::string& extension, std::size_t maxBytes,
                         IconNames* names) {
  std::string host = HostOfAddress(address);
  if (host.compare(0, 4, "www.") == 0) host.erase(0, 4);
  // Only characters every file system and GBK hold as they are.
  std::string stem;
  for (char c : host) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
    stem += keep ? c : '_';
  }
  while (!stem.empty() && stem.front() == '.') stem.erase(0, 1);
  while (!stem.empty() && stem.back() == '.') stem.pop_back();
  if (stem.empty()) stem = "site";
  if (DeviceName(stem)) stem = "site-" + stem;
  constexpr std::size_t kLongestStem = 100;
  // Names only ever get taken, so a suffix tried once for this shape never frees up.
  int& next = names->nextSuffix[stem + '\0' + extension + '\0' + std::to_string(maxBytes)];
  for (int k = std::max(next, 1); k < 100000; ++k) {
    const std::string suffix = k == 1 ? std::string() : "-" + std::to_string(k);
    const std::size_t fixed = suffix.size() + extension.size();
    if (fixed + 1 > maxBytes) return {};
    std::string name = stem.substr(0, std::min(kLongestStem, maxBytes - fixed));
    while (name.size() > 1 && name.back() == '.') name.pop_back();
    name += suffix + extension;
    next = k + 1;
    if (names->taken.insert(name).second) return name;
  }
  return {};
}

}  // namespace edbtool
