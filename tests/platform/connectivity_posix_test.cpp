#include "platform/connectivity.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>
#include <string>

#include "platform/local_http_server.h"

namespace {

constexpr const char* kRouteHeading =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

// A routing table of our own, so the test does not depend on the machine's network.
// The loopback interface is always up, so a default route on it passes step 1. Named
// for this process: tests run side by side, and one rewriting a table another reads
// would show that one an empty table, that is no route.
std::string RouteTable(const std::string& name, const std::string& lines) {
  std::string path = ::testing::TempDir() + name + "_" + std::to_string(getpid());
  std::ofstream(path) << kRouteHeading << lines;
  return path;
}

ConnectivityProbe ProbeWithDefaultRouteOnLoopback(const std::string& url) {
  ConnectivityProbe probe;
  probe.url = url;
  probe.connectTimeoutMs = 2000;
  probe.answerTimeoutMs = 4000;
  probe.ipv4Routes = RouteTable("routes_lo", "lo\t00000000\t0100007F\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
  probe.ipv6Routes = "";
  return probe;
}

// Keeps the test's proxy variables apart from the machine's.
class ProxyVariables {
 public:
  ProxyVariables() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
  }
  ~ProxyVariables() {
    for (size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i]) setenv(kNames[i], saved_[i]->c_str(), 1);
      else unsetenv(kNames[i]);
    }
  }

 private:
  static constexpr const char* kNames[] = {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY",
                                           "no_proxy",   "NO_PROXY"};
  std::vector<std::optional<std::string>> saved_;
};

TEST(DefaultRoute, NeedsADefaultRouteOnAnInterfaceThatIsUp) {
  ConnectivityProbe probe;
  probe.ipv6Routes = "";
  probe.ipv4Routes = RouteTable("routes_up", "lo\t00000000\t0100007F\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
  EXPECT_TRUE(DefaultRouteIsUp(probe));

  // Only a route to one network, no default.
  probe.ipv4Routes = RouteTable("routes_net", "lo\t0000A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n");
  EXPECT_FALSE(DefaultRouteIsUp(probe));
  // A default route on an interface that does not exist.
  probe.ipv4Routes = RouteTable("routes_gone", "nosuchif0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
  EXPECT_FALSE(DefaultRouteIsUp(probe));
  // A default route that is not up, and a reject route.
  probe.ipv4Routes = RouteTable("routes_down", "lo\t00000000\t0100007F\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
                                               "lo\t00000000\t00000000\t0201\t0\t0\t0\t00000000\t0\t0\t0\n");
  EXPECT_FALSE(DefaultRouteIsUp(probe));
  probe.ipv4Routes = "/nonexistent/route";
  EXPECT_FALSE(DefaultRouteIsUp(probe));
}

TEST(DefaultRoute, ReadsTheIpv6TableToo) {
  ConnectivityProbe probe;
  probe.ipv4Routes = "";
  std::string zeros(32, '0');
  probe.ipv6Routes = ::testing::TempDir() + "routes6_" + std::to_string(getpid());
  // The kernel's "unreachable" default on lo is a reject route and does not count.
  std::ofstream(probe.ipv6Routes) << zeros << " 00 " << zeros << " 00 " << zeros
                                  << " ffffffff 00000001 00000000 00200200 lo\n";
  EXPECT_FALSE(DefaultRouteIsUp(probe));
  std::ofstream(probe.ipv6Routes) << zeros << " 00 " << zeros << " 00 " << "fe800000000000000000000000000001"
                                  << " 00000400 00000001 00000000 00000003 lo\n";
  EXPECT_TRUE(DefaultRouteIsUp(probe));
}

TEST(Connectivity, AnyAnswerToAFreshRequestWithAgentTestMeansOnline) {
  ProxyVariables proxies;
  // The status code is not looked at: an error page is an answer too.
  LocalHttpServer server("HTTP/1.1 503 Busy\r\nContent-Length: 4\r\n\r\nbusy");
  EXPECT_EQ(RunConnectivityTest(ProbeWithDefaultRouteOnLoopback(server.url("/home"))), 1);
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET /home HTTP/1.1\r\n", 0), 0u) << requests[0];
  EXPECT_NE(requests[0].find("\r\nUser-Agent: test\r\n"), std::string::npos);
  EXPECT_NE(requests[0].find("\r\nCache-Control: no-cache\r\n"), std::string::npos);
}

TEST(Connectivity, NoAnswerMeansOffline) {
  ProxyVariables proxies;
  // The connection is taken and closed without a word.
  LocalHttpServer silent("");
  EXPECT_EQ(RunConnectivityTest(ProbeWithDefaultRouteOnLoopback(silent.url())), 0);
  EXPECT_EQ(silent.requests().size(), 1u);

  // Nobody listens: a port just released by a server of ours.
  int freePort;
  {
    LocalHttpServer gone("HTTP/1.1 200 OK\r\n\r\n");
    freePort = gone.port();
  }
  EXPECT_EQ(RunConnectivityTest(ProbeWithDefaultRouteOnLoopback(
                "http://127.0.0.1:" + std::to_string(freePort) + "/")),
            0);
}

TEST(Connectivity, WithoutADefaultRouteNothingIsAsked) {
  ProxyVariables proxies;
  LocalHttpServer server("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  ConnectivityProbe probe = ProbeWithDefaultRouteOnLoopback(server.url());
  probe.ipv4Routes = RouteTable("routes_none", "");
  EXPECT_EQ(RunConnectivityTest(probe), 0);
  EXPECT_TRUE(server.requests().empty());
}

TEST(Connectivity, GoesThroughTheSystemProxy) {
  ProxyVariables proxies;
  LocalHttpServer proxy("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  setenv("http_proxy", proxy.url().c_str(), 1);
  // The host does not exist: only the proxy can answer for it.
  EXPECT_EQ(RunConnectivityTest(ProbeWithDefaultRouteOnLoopback("http://home.vinkabo.invalid/")), 1);
  auto requests = proxy.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET http://home.vinkabo.invalid/ HTTP/1.1\r\n", 0), 0u) << requests[0];
}

}  // namespace
