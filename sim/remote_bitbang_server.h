#pragma once
// OpenOCD's remote_bitbang protocol, served over TCP on 127.0.0.1: one ASCII request
// per character ('0'-'7' set TCK/TMS/TDI, 'R' reads TDO, 'r' 's' 't' 'u' set TRST and
// SRST, 'B'/'b' the LED, 'Q' quits); everything else is ignored. Requests arrive
// pipelined: each chunk read from the socket is handled whole and answered with one
// send, and the server never waits for the client between requests.

#include <cstdint>
#include <functional>
#include <string>

#include "jtag_target.h"

// Handles one chunk of requests, appending the answers to `reply`. Returns false when
// the chunk holds 'Q' (the rest of the chunk is dropped).
bool ProcessRemoteBitbang(TJtagTarget& target, const char* data, size_t size, std::string& reply);

class TRemoteBitbangServer {
 public:
  // Listens on 127.0.0.1:port (0: a free port); throws EPinloomError on failure.
  TRemoteBitbangServer(TJtagTarget& target, uint16_t port);
  ~TRemoteBitbangServer();
  TRemoteBitbangServer(const TRemoteBitbangServer&) = delete;
  TRemoteBitbangServer& operator=(const TRemoteBitbangServer&) = delete;

  uint16_t Port() const { return port_; }

  // Serves one client at a time until `stop` returns true; `tick` runs at least every
  // 100 ms and after every signal that interrupts the wait.
  void Run(const std::function<bool()>& stop, const std::function<void()>& tick);

 private:
  TJtagTarget& target_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
};
