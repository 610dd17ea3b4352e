#pragma once
// The connectivity test behind the web box: is this machine online at all.
// 1) the system says a connection is up (WinINet's connected state on Windows; a
// default route on an interface that is up elsewhere), 2) a request handle with the
// agent "test" through the system's proxy settings, 3) a fresh request to the home
// page of a large public site. Only the opening of that request counts.

#include <string>

class NetworkService {
 public:
  virtual ~NetworkService() = default;
  // 1 when the machine is online, else 0.
  virtual int ConnectivityTest() = 0;
};

struct ConnectivityProbe {
  // Home page asked for in step 3; tests point it at a server of their own.
  std::string url = "http://www.baidu.com/";
  // How long step 3 may wait for the connection, and for the answer to begin (libcurl;
  // WinINet keeps the system's own limits).
  long connectTimeoutMs = 4000;
  long answerTimeoutMs = 8000;
  // The kernel's routing tables read in step 1 on Linux (an empty name is skipped).
  std::string ipv4Routes = "/proc/net/route";
  std::string ipv6Routes = "/proc/net/ipv6_route";
};

#ifndef _WIN32
// Step 1 on Linux: a default route (IPv4 or IPv6, not a reject route) whose interface is up.
bool DefaultRouteIsUp(const ConnectivityProbe& probe);
#endif

// Steps 1 to 3; exactly 0 or 1. Blocks the caller until the answer begins or gives up.
int RunConnectivityTest(const ConnectivityProbe& probe);

// The real network service of the program.
class SystemNetworkService : public NetworkService {
 public:
  explicit SystemNetworkService(ConnectivityProbe probe = {}) : probe_(std::move(probe)) {}
  int ConnectivityTest() override { return RunConnectivityTest(probe_); }

 private:
  ConnectivityProbe probe_;
};
