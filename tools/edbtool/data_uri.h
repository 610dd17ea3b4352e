#pragma once
// data: URIs, as bookmarks files carry their icons, and the base64 both ways.

#include <cstddef>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace edbtool {

// Icons bigger than this are not taken from a bookmarks file (a site icon is a few KB).
constexpr std::size_t kMaxIconBytes = 1024 * 1024;

// The bytes of "data:[type][;base64],payload" (base64 or percent-encoded). False for
// anything else, for damaged base64, and for a payload of more than `maxBytes`.
bool DecodeDataUri(std::string_view uri, Bytes* out, std::size_t maxBytes = kMaxIconBytes);

// Standard base64 with padding.
std::string Base64Encode(const Bytes& bytes);

}  // namespace edbtool
