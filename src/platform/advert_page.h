#pragma once
#include <string>

// Where the web box's advertisement page lives. Only the path is ours to keep; the host
// is the author's site, by name.

constexpr const char kAdvertHost[] = "www.vinkabo.com";
constexpr const char kAdvertPath[] = "/rj_gg/Vinkabo.html";

// "http://" + host + path, as the web box's start address.
inline std::string AdvertPageAddress() { return std::string("http://") + kAdvertHost + kAdvertPath; }
