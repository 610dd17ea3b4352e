// Any bytes through the bookmarks-file reader and the data URIs it hands on: no crash,
// no hang, and what it accepts holds only whole links.

#include <cstdlib>
#include <string_view>

#include "bookmarks_html.h"
#include "data_uri.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  edbtool::ParsedBookmarks parsed;
  std::string error;
  const bool ok = edbtool::ParseBookmarksHtml(bytes, &parsed, &error);
  if (!ok && error.empty()) std::abort();  // a refusal always says why
  for (const edbtool::Bookmark& b : parsed.links) {
    Bytes icon;
    if (edbtool::DecodeDataUri(b.icon, &icon) && (icon.empty() || icon.size() > edbtool::kMaxIconBytes)) std::abort();
  }
  Bytes raw;
  edbtool::DecodeDataUri(bytes, &raw);
  return 0;
}
