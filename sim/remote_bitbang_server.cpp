#include "remote_bitbang_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/pinloom_error.h"

bool ProcessRemoteBitbang(TJtagTarget& target, const char* data, size_t size, std::string& reply) {
  for (size_t i = 0; i < size; ++i) {
    const char c = data[i];
    if (c >= '0' && c <= '7') {
      const int v = c - '0';
      target.SetPins((v & 4) != 0, (v & 2) != 0, (v & 1) != 0);
    } else if (c == 'R') {
      reply.push_back(target.Tdo() ? '1' : '0');
    } else if (c >= 'r' && c <= 'u') {
      // (TRST, SRST) = 00, 01, 10, 11; the board has no system reset.
      target.SetTrst(c == 't' || c == 'u');
    } else if (c == 'Q') {
      return false;
    }
    // 'B' / 'b' (LED) and the requests of newer hosts (SWD, sleeps) need nothing.
  }
  return true;
}

TRemoteBitbangServer::TRemoteBitbangServer(TJtagTarget& target, uint16_t port) : target_(target) {
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) throw EPinloomError(std::string("socket: ") + std::strerror(errno));
  const int one = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listenFd_, 1) != 0) {
    const std::string why = std::strerror(errno);
    close(listenFd_);
    throw EPinloomError("cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + why);
  }
  socklen_t len = sizeof addr;
  getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
}

TRemoteBitbangServer::~TRemoteBitbangServer() {
  if (listenFd_ >= 0) close(listenFd_);
}

namespace {

bool SendAll(int fd, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

void TRemoteBitbangServer::Run(const std::function<bool()>& stop,
                               const std::function<void()>& tick) {
  std::vector<char> buffer(64 * 1024);
  std::string reply;
  int client = -1;
  while (!stop()) {
    pollfd p{client >= 0 ? client : listenFd_, POLLIN, 0};
    const int ready = poll(&p, 1, 100);
    tick();
    if (ready <= 0) continue;  // timeout or a signal
    if (client < 0) {
      client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client >= 0) {
        const int one = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      }
      continue;
    }
    const ssize_t n = recv(client, buffer.data(), buffer.size(), 0);
    if (n < 0 && errno == EINTR) continue;
    reply.clear();
    const bool more =
        n > 0 && ProcessRemoteBitbang(target_, buffer.data(), static_cast<size_t>(n), reply);
    const bool sent = SendAll(client, reply);
    if (!more || !sent) {
      close(client);
      client = -1;
    }
  }
  if (client >= 0) close(client);
}
