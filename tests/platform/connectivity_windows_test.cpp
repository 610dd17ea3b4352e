// The WinINet connectivity test against an HTTP server of our own on 127.0.0.1: the
// request is opened with the agent "test", and only its opening counts.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>
#include <thread>

#include "platform/connectivity.h"

namespace {

// Answers one request with `answer` and keeps what it was asked.
class OneShotServer {
 public:
  explicit OneShotServer(std::string answer) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    listen(listener_, 4);
    thread_ = std::thread([this, answer] {
      SOCKET s = accept(listener_, nullptr, nullptr);
      if (s == INVALID_SOCKET) return;
      char buf[4096];
      while (request_.find("\r\n\r\n") == std::string::npos) {
        int n = recv(s, buf, sizeof buf, 0);
        if (n <= 0) break;
        request_.append(buf, n);
      }
      send(s, answer.data(), static_cast<int>(answer.size()), 0);
      closesocket(s);
    });
  }
  ~OneShotServer() {
    closesocket(listener_);  // ends a pending accept
    if (thread_.joinable()) thread_.join();
    WSACleanup();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  const std::string& Request() {
    closesocket(listener_);
    if (thread_.joinable()) thread_.join();
    return request_;
  }

 private:
  SOCKET listener_;
  int port_ = 0;
  std::thread thread_;
  std::string request_;
};

// A port nobody listens on: bound, then let go.
int FreePort() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  closesocket(s);
  WSACleanup();
  return ntohs(a.sin_port);
}

TEST(WinInetConnectivity, AnOpenedRequestIsOnlineWhateverTheStatus) {
  OneShotServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
  ConnectivityProbe probe;
  probe.url = server.Url();
  EXPECT_EQ(RunConnectivityTest(probe), 1);
  const std::string& request = server.Request();
  EXPECT_EQ(request.rfind("GET / HTTP/1.", 0), 0u) << request;
  EXPECT_NE(request.find("User-Agent: test\r\n"), std::string::npos) << request;
}

TEST(WinInetConnectivity, NobodyAnsweringIsOffline) {
  ConnectivityProbe probe;
  probe.url = "http://127.0.0.1:" + std::to_string(FreePort()) + "/";
  EXPECT_EQ(RunConnectivityTest(probe), 0);
  EXPECT_EQ(SystemNetworkService(probe).ConnectivityTest(), 0);
}

}  // namespace
