#include "base/address_rule.h"

#include <cctype>
#include <string_view>

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  return true;
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7f; }

bool IsSlash(char c) { return c == '/' || c == '\\'; }

// \\host\share, //host/share, and the same behind file: with a host other than
// localhost (file://host/share, file:////host/share).
bool IsNetworkShare(std::string_view a) {
  if (a.size() >= 2 && IsSlash(a[0]) && IsSlash(a[1])) return true;
  for (std::string_view scheme : {"smb:", "cifs:", "nfs:", "afp:", "webdav:", "davs:", "dav:"})
    if (StartsWithNoCase(a, scheme)) return true;
  if (StartsWithNoCase(a, "file:")) {
    std::string_view rest = a.substr(5);
    if (rest.size() >= 2 && IsSlash(rest[0]) && IsSlash(rest[1])) {
      rest.remove_prefix(2);
      size_t end = rest.find_first_of("/\\");
      std::string_view host = rest.substr(0, end);
      if (!host.empty() && !(host.size() == 9 && StartsWithNoCase(host, "localhost"))) return true;
      rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
    // file:////host/share: an empty host, then a share path.
    return rest.size() >= 2 && IsSlash(rest[0]) && IsSlash(rest[1]);
  }
  return false;
}

}  // namespace

AddressVerdict JudgeAddress(const Text& address) {
  if (address.empty()) return {AddressKind::kRefused, "empty address"};
  for (unsigned char c : address)
    if (IsControl(c)) return {AddressKind::kRefused, "control character in the address"};
  std::string_view a = address;
  // Leading blanks are dropped by some handlers before they read options.
  size_t first = a.find_first_not_of(' ');
  if (first == std::string_view::npos) return {AddressKind::kRefused, "empty address"};
  a.remove_prefix(first);
  if (a[0] == '-') return {AddressKind::kRefused, "address starts with '-'"};
  if (IsNetworkShare(a)) return {AddressKind::kRefused, "network share"};
  if (first == 0 && (StartsWithNoCase(a, "http://") || StartsWithNoCase(a, "https://")))
    return {AddressKind::kWeb, ""};
  return {AddressKind::kAskFirst, ""};
}

Text ShownAddress(const Text& address) {
  Text shown = address;
  for (char& c : shown)
    if (IsControl(static_cast<unsigned char>(c))) c = '?';
  return shown;
}
