#include "platform/connectivity.h"

#include <curl/curl.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

namespace {

constexpr unsigned kRouteUp = 0x0001;      // RTF_UP
constexpr unsigned kRouteReject = 0x0200;  // RTF_REJECT: "unreachable" defaults on lo

bool InterfaceIsUp(const std::string& name) {
  if (name.empty() || name.size() >= IFNAMSIZ) return false;
  int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) fd = socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  std::memcpy(request.ifr_name, name.c_str(), name.size());
  bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0 && (request.ifr_flags & IFF_UP) != 0;
  close(fd);
  return up;
}

bool RouteUsable(unsigned flags, const std::string& iface) {
  return (flags & kRouteUp) && !(flags & kRouteReject) && InterfaceIsUp(iface);
}

// Iface Destination Gateway Flags RefCnt Use Metric Mask ... (hex fields)
bool Ipv4DefaultRoute(const std::string& table) {
  std::ifstream in(table);
  std::string line;
  if (!std::getline(in, line)) return false;  // the heading
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string iface, destination, gateway, flags, refcnt, use, metric, mask;
    if (!(fields >> iface >> destination >> gateway >> flags >> refcnt >> use >> metric >> mask)) continue;
    if (destination != "00000000" || mask != "00000000") continue;
    if (RouteUsable(std::stoul(flags, nullptr, 16), iface)) return true;
  }
  return false;
}

// destination prefix-length source source-length next-hop metric refcnt use flags iface
bool Ipv6DefaultRoute(const std::string& table) {
  std::ifstream in(table);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string destination, length, source, sourceLength, hop, metric, refcnt, use, flags, iface;
    if (!(fields >> destination >> length >> source >> sourceLength >> hop >> metric >> refcnt >> use >>
          flags >> iface))
      continue;
    if (destination != std::string(32, '0') || length != "00") continue;
    if (RouteUsable(std::stoul(flags, nullptr, 16), iface)) return true;
  }
  return false;
}

// libcurl wants its global set-up once per process, before any handle.
void CurlGlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The first header line means the request is open; nothing more is read.
size_t StopAtFirstHeader(char*, size_t, size_t, void* opened) {
  *static_cast<bool*>(opened) = true;
  return 0;
}

}  // namespace

bool DefaultRouteIsUp(const ConnectivityProbe& probe) {
  try {
    if (!probe.ipv4Routes.empty() && Ipv4DefaultRoute(probe.ipv4Routes)) return true;
    if (!probe.ipv6Routes.empty() && Ipv6DefaultRoute(probe.ipv6Routes)) return true;
  } catch (const std::exception&) {
    // A table we cannot parse says nothing about a route.
  }
  return false;
}

int RunConnectivityTest(const ConnectivityProbe& probe) {
  if (!DefaultRouteIsUp(probe)) return 0;

  CurlGlobalInit();
  CURL* handle = curl_easy_init();
  if (handle == nullptr) return 0;

  // The proxy comes from the usual variables (http_proxy, all_proxy, no_proxy),
  // which libcurl reads by itself when no proxy is set on the handle.
  bool opened = false;
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, "Cache-Control: no-cache");
  headers = curl_slist_append(headers, "Pragma: no-cache");
  curl_easy_setopt(handle, CURLOPT_URL, probe.url.c_str());
  curl_easy_setopt(handle, CURLOPT_USERAGENT, "test");
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, probe.connectTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, probe.answerTimeoutMs);
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, StopAtFirstHeader);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &opened);
  curl_easy_perform(handle);  // ends with a write error once the answer has begun

  curl_easy_cleanup(handle);
  curl_slist_free_all(headers);
  return opened ? 1 : 0;
}
