#pragma once
// A one-thread HTTP listener on 127.0.0.1 for tests: it records every request it
// receives and answers each with a fixed reply (or closes without one); or, made with
// kHang, it takes every connection and never answers, as a dead proxy or a captive
// portal does, and notes when the other side gives up.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalHttpServer {
 public:
  // An empty reply closes each connection as soon as the request has arrived.
  explicit LocalHttpServer(std::string reply) : reply_(std::move(reply)) { Listen(); }
  struct Hang {};
  static constexpr Hang kHang{};
  explicit LocalHttpServer(Hang) : hang_(true) { Listen(); }
  ~LocalHttpServer() {
    stop_ = true;
    thread_.join();
    for (int fd : held_) close(fd);
    close(listener_);
  }

  int port() const { return port_; }
  std::string url(const std::string& path = "/") const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::vector<std::string> requests() {
    std::lock_guard<std::mutex> lock(mu_);
    return requests_;
  }
  // With kHang: connections taken, and those the other side has closed.
  int accepted() const { return accepted_; }
  int closedByClient() const { return closed_; }

 private:
  void Listen() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 16);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { hang_ ? Hold() : Serve(); });
  }

  void Serve() {
    while (!stop_) {
      pollfd wait{listener_, POLLIN, 0};
      if (poll(&wait, 1, 50) <= 0) continue;
      int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        pollfd in{connection, POLLIN, 0};
        if (poll(&in, 1, 2000) <= 0) break;
        ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, got);
      }
      {
        std::lock_guard<std::mutex> lock(mu_);
        requests_.push_back(request);
      }
      if (!reply_.empty()) send(connection, reply_.data(), reply_.size(), MSG_NOSIGNAL);
      close(connection);
    }
  }

  // Reads what each held connection sends; one that reads as ended was closed by the client.
  void Hold() {
    while (!stop_) {
      std::vector<pollfd> fds{{listener_, POLLIN, 0}};
      for (int fd : held_) fds.push_back({fd, POLLIN, 0});
      if (poll(fds.data(), fds.size(), 50) <= 0) continue;
      std::vector<int> still;
      for (size_t i = 1; i < fds.size(); ++i) {
        char buffer[4096];
        if ((fds[i].revents & (POLLIN | POLLHUP)) && recv(fds[i].fd, buffer, sizeof buffer, 0) <= 0) {
          close(fds[i].fd);
          ++closed_;
        } else {
          still.push_back(fds[i].fd);
        }
      }
      if (fds[0].revents & POLLIN) {
        int c = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (c >= 0) still.push_back(c), ++accepted_;
      }
      held_ = still;
    }
  }

  std::string reply_;
  bool hang_ = false;
  std::vector<int> held_;
  std::atomic<int> accepted_{0}, closed_{0};
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mu_;
  std::vector<std::string> requests_;
  std::thread thread_;
};
