#pragma once
// A remote_bitbang server in a thread, over a simulated target, for the client's
// tests: listens on 127.0.0.1 at a free port and serves one client at a time. Faults
// can be switched on: mute (reads are never answered) and hang-up.

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "sim/jtag_target.h"

class TBitbangTestServer {
 public:
  explicit TBitbangTestServer(TJtagTarget& target) : target_(target) {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(listen_, 4);
    socklen_t length = sizeof addr;
    getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Run(); });
  }
  ~TBitbangTestServer() {
    stop_ = true;
    thread_.join();
    close(listen_);
  }

  std::string Endpoint() const { return "127.0.0.1:" + std::to_string(port_); }
  std::atomic<bool> mute{false};
  std::atomic<bool> hangUp{false};

 private:
  void Run() {
    while (!stop_) {
      pollfd p{listen_, POLLIN, 0};
      if (poll(&p, 1, 20) != 1) continue;
      const int client = accept(listen_, nullptr, nullptr);
      if (client < 0) continue;
      Serve(client);
      close(client);
    }
  }
  void Serve(int client) {
    char buffer[4096];
    std::string replies;
    while (!stop_) {
      pollfd p{client, POLLIN, 0};
      if (poll(&p, 1, 20) != 1) continue;
      const ssize_t n = recv(client, buffer, sizeof buffer, 0);
      if (n <= 0 || hangUp) return;
      replies.clear();
      for (ssize_t i = 0; i < n; ++i) {
        const char c = buffer[i];
        if (c >= '0' && c <= '7') {
          const int v = c - '0';
          target_.SetPins((v & 4) != 0, (v & 2) != 0, (v & 1) != 0);
        } else if (c == 'R') {
          if (!mute) replies += target_.Tdo() ? '1' : '0';
        } else if (c >= 'r' && c <= 'u') {
          target_.SetTrst(((c - 'r') & 2) != 0);
        } else if (c == 'Q') {
          return;
        }
      }
      if (!replies.empty()) send(client, replies.data(), replies.size(), MSG_NOSIGNAL);
    }
  }

  TJtagTarget& target_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};
