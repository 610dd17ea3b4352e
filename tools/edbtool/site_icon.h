#pragma once
// Icons brought in with bookmarks: which kind of picture the bytes are, and a file name
// for them made from the site's host.

#include <cstddef>
#include <map>
#include <set>
#include <string>

#include "base/bytes.h"

namespace edbtool {

// ".png", ".gif", ".jpg", ".ico" or ".bmp" when the bytes are such a picture and the
// program's own decoders read it; empty otherwise.
std::string UsableIconExtension(const Bytes& bytes);

// The host of an address ("https://user@Www.Example.com:8080/x" -> "www.example.com"),
// lower case; empty when the address names none.
std::string HostOfAddress(const std::string& address);

// The icon names of one folder: those taken (lower case), and per name shape the next
// "-k" suffix worth trying, so that many sites on one host cost no more than one each.
struct IconNames {
  std::set<std::string> taken;
  std::map<std::string, int> nextSuffix;
};

// A file name for a site's icon: the host without "www.", reduced to [a-z0-9._-], kept
// apart from the names in `names->taken` (the new name is added there), and at most
// `maxBytes` long with its extension. Empty when not even a short name fits.
std::string IconFileName(const std::string& address, const std::string& extension, std::size_t maxBytes,
                         IconNames* names);

}  // namespace edbtool
