#include "jtag/backends/remote_bitbang/remote_bitbang_adapter.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// The pin-level request: '0' + (TCK << 2 | TMS << 1 | TDI).
char PinRequest(bool tck, bool tms, bool tdi) {
  return static_cast<char>('0' + (tck ? 4 : 0) + (tms ? 2 : 0) + (tdi ? 1 : 0));
}

constexpr char kReadTdo = 'R';
constexpr char kResetsOff = 'r';  // TRST and SRST not asserted
constexpr char kQuit = 'Q';

void Cycle(std::string& out, bool tms, bool tdi, bool read) {
  out += PinRequest(false, tms, tdi);
  if (read) out += kReadTdo;
  out += PinRequest(true, tms, tdi);
}

void TmsWalk(std::string& out, std::initializer_list<int> tms) {
  for (int t : tms) Cycle(out, t != 0, false, false);
}

int ConnectWithin(const std::string& host, const std::string& port, int timeoutMs) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) return -1;
  int fd = -1;
  for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    if (connect(fd, a->ai_addr, a->ai_addrlen) != 0 && errno != EINPROGRESS) {
      close(fd);
      fd = -1;
      continue;
    }
    pollfd p{fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (poll(&p, 1, timeoutMs) != 1 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
        error != 0) {
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  if (fd >= 0) {
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  return fd;
}

}  // namespace

bool ParseEndpoint(const std::string& endpoint, std::string* host, std::string* port) {
  const size_t colon = endpoint.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 >= endpoint.size()) return false;
  std::string h = endpoint.substr(0, colon);
  if (h.size() >= 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
  const std::string p = endpoint.substr(colon + 1);
  if (h.empty() || p.find_first_not_of("0123456789") != std::string::npos) return false;
  *host = h;
  *port = p;
  return true;
}

std::string EncodeBitbangScans(std::span<const TScanRequest> scans, size_t* reads) {
  std::string out;
  size_t n = 0;
  for (const TScanRequest& scan : scans) {
    if (scan.Instruction) {
      TmsWalk(out, {1, 1, 0, 0});  // Idle -> Shift-IR
    } else {
      TmsWalk(out, {1, 0, 0});  // Idle -> Shift-DR
    }
    for (uint32_t k = 0; k < scan.Bits; ++k) {
      const bool tdi = ((scan.Tdi[k / 8] >> (k % 8)) & 1) != 0;
      Cycle(out, k + 1 == scan.Bits, tdi, scan.Read);  // TMS 1 with the last bit: Exit1
    }
    if (scan.Read) n += scan.Bits;
    TmsWalk(out, {1, 0});  // Update, Idle
  }
  // Rest with TCK low, as the next request stream begins.
  out += PinRequest(false, false, false);
  if (reads != nullptr) *reads = n;
  return out;
}

TRemoteBitbangAdapter::TRemoteBitbangAdapter(std::vector<std::string> endpoints,
                                             TRemoteBitbangOptions options)
    : endpoints_(std::move(endpoints)), options_(options), connections_(endpoints_.size()) {}

TRemoteBitbangAdapter::~TRemoteBitbangAdapter() {
  for (TConnection& c : connections_) {
    if (c.Socket >= 0) Disconnect(c);
  }
}

std::vector<TAdapterDeviceInfo> TRemoteBitbangAdapter::ListDevices() {
  std::vector<TAdapterDeviceInfo> out;
  for (size_t k = 0; k < endpoints_.size(); ++k) {
    TAdapterDeviceInfo info;
    info.Description = ("Remote Bitbang " + endpoints_[k]).substr(0, 61) + " A";
    info.SerialNumber = "RBB" + std::to_string(k + 1) + "A";
    info.LocationID = static_cast<uint32_t>(k + 1);
    out.push_back(info);
  }
  return out;
}

TRemoteBitbangAdapter::TConnection* TRemoteBitbangAdapter::Find(FTC_HANDLE handle) {
  if (handle == 0 || handle > connections_.size()) return nullptr;
  TConnection& c = connections_[handle - 1];
  return c.Socket >= 0 ? &c : nullptr;
}

const TRemoteBitbangAdapter::TConnection* TRemoteBitbangAdapter::Find(FTC_HANDLE handle) const {
  return const_cast<TRemoteBitbangAdapter*>(this)->Find(handle);
}

bool TRemoteBitbangAdapter::IsOpen(FTC_HANDLE handle) const {
  return Find(handle) != nullptr;
}

FTC_STATUS TRemoteBitbangAdapter::OpenEx(const std::string& description, uint32_t locationID,
                                         FTC_HANDLE* handle) {
  if (handle == nullptr) return FTC_NULL_BUFFER_POINTER;
  const std::vector<TAdapterDeviceInfo> listed = ListDevices();
  for (size_t k = 0; k < listed.size(); ++k) {
    if (listed[k].Description != description || listed[k].LocationID != locationID) continue;
    if (connections_[k].Socket >= 0) return FTC_DEVICE_IN_USE;
    std::string host, port;
    if (!ParseEndpoint(endpoints_[k], &host, &port)) return FTC_DEVICE_NOT_FOUND;
    const int fd = ConnectWithin(host, port, options_.TimeoutMs);
    if (fd < 0) return FTC_DEVICE_NOT_OPENED;
    connections_[k] = {fd, false};
    *handle = static_cast<FTC_HANDLE>(k + 1);
    return FTC_SUCCESS;
  }
  return FTC_DEVICE_NOT_FOUND;
}

FTC_STATUS TRemoteBitbangAdapter::InitDevice(FTC_HANDLE handle, uint32_t clockDivisor) {
  TConnection* c = Find(handle);
  if (c == nullptr) return FTC_INVALID_HANDLE;
  if (clockDivisor > kMaxClockDivisor) return FTC_INVALID_CLOCK_DIVISOR;
  DropQueue(handle);
  std::string requests(1, kResetsOff);
  TmsWalk(requests, {1, 1, 1, 1, 1, 0});  // Test-Logic-Reset, then Run-Test/Idle
  requests += PinRequest(false, false, false);
  return Exchange(*c, requests, 0, nullptr);
}

FTC_STATUS TRemoteBitbangAdapter::SetClock(FTC_HANDLE handle, uint32_t clockDivisor,
                                           uint32_t* actualHz) {
  // The protocol has no clock: the server runs as fast as the requests come.
  if (Find(handle) == nullptr) return FTC_INVALID_HANDLE;
  if (clockDivisor > kMaxClockDivisor) return FTC_INVALID_CLOCK_DIVISOR;
  if (actualHz != nullptr) *actualHz = ClockHzForDivisor(clockDivisor);
  return FTC_SUCCESS;
}

FTC_STATUS TRemoteBitbangAdapter::Close(FTC_HANDLE handle) {
  TConnection* c = Find(handle);
  if (c == nullptr) return FTC_INVALID_HANDLE;
  DropQueue(handle);
  Disconnect(*c);
  return FTC_SUCCESS;
}

void TRemoteBitbangAdapter::Disconnect(TConnection& c) {
  if (!c.Broken) {
    const char quit = kQuit;
    (void)send(c.Socket, &quit, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
  }
  close(c.Socket);
  c = {};
}

FTC_STATUS TRemoteBitbangAdapter::RunScans(FTC_HANDLE handle, std::span<const TScanRequest> scans,
                                           std::span<uint8_t> tdo) {
  TConnection* c = Find(handle);
  if (c == nullptr) return FTC_INVALID_HANDLE;
  size_t reads = 0;
  const std::string requests = EncodeBitbangScans(scans, &reads);
  std::vector<uint8_t> replies;
  if (FTC_STATUS s = Exchange(*c, requests, reads, &replies)) return s;
  size_t next = 0;
  size_t out = 0;
  for (const TScanRequest& scan : scans) {
    if (!scan.Read) continue;
    for (uint32_t k = 0; k < scan.Bits; ++k) {
      if (replies[next++]) tdo[out + k / 8] |= static_cast<uint8_t>(1u << (k % 8));
    }
    out += ScanBytes(scan.Bits);
  }
  return FTC_SUCCESS;
}

FTC_STATUS TRemoteBitbangAdapter::Exchange(TConnection& c, const std::string& requests,
                                           size_t reads, std::vector<uint8_t>* replies) {
  if (c.Broken) return FTC_IO_ERROR;
  if (replies != nullptr) replies->reserve(reads);
  // Written and read at once, so that neither side's socket buffer can fill up and
  // stall the other.
  size_t sent = 0;
  size_t received = 0;
  char buffer[65536];
  auto lastProgress = Clock::now();
  while (sent < requests.size() || received < reads) {
    pollfd p{c.Socket,
             static_cast<short>((received < reads ? POLLIN : 0) |
                                (sent < requests.size() ? POLLOUT : 0)),
             0};
    const int left =
        options_.TimeoutMs - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  Clock::now() - lastProgress)
                                                  .count());
    if (left <= 0) {
      c.Broken = true;
      return FTC_TIMEOUT;
    }
    const int ready = poll(&p, 1, left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (p.revents & (POLLERR | POLLNVAL)) != 0) {
      c.Broken = true;
      return FTC_IO_ERROR;
    }
    if (ready == 0) continue;
    if ((p.revents & POLLOUT) != 0) {
      const ssize_t n = send(c.Socket, requests.data() + sent, requests.size() - sent,
                             MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        c.Broken = true;
        return FTC_IO_ERROR;
      }
      if (n > 0) {
        sent += static_cast<size_t>(n);
        lastProgress = Clock::now();
      }
    }
    if ((p.revents & (POLLIN | POLLHUP)) != 0) {
      const size_t want = std::min(sizeof buffer, reads - received);
      const ssize_t n = want > 0 ? recv(c.Socket, buffer, want, MSG_DONTWAIT) : 0;
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        c.Broken = true;  // the server went away, or answered more than asked
        return FTC_IO_ERROR;
      }
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] != '0' && buffer[i] != '1') {
          c.Broken = true;
          return FTC_IO_ERROR;
        }
        replies->push_back(buffer[i] == '1' ? 1 : 0);
      }
      if (n > 0) {
        received += static_cast<size_t>(n);
        lastProgress = Clock::now();
      }
    }
  }
  return FTC_SUCCESS;
}
