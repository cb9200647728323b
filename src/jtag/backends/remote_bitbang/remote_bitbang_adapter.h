#pragma once
// The remote_bitbang client backend: drives any remote_bitbang JTAG server (OpenOCD's
// protocol over TCP: one character per pin change, 'R' to read TDO) such as
// pinloom-sim or an RTL test bench. A batch of scans goes out as one request stream
// and its TDO replies are collected in bulk while it is sent: never a round trip per
// bit. Every wait has a deadline.

#include <string>
#include <vector>

#include "jtag/batch_adapter.h"

struct TRemoteBitbangOptions {
  // A connect, or a batch that makes no progress for this long, fails.
  int TimeoutMs = 3000;
};

// "HOST:PORT" ("[v6addr]:PORT" too) into its parts; false when malformed.
bool ParseEndpoint(const std::string& endpoint, std::string* host, std::string* port);

// The request characters of one batch and the number of TDO reads in it (exposed for
// tests): per TCK cycle, TCK low with TMS/TDI, 'R' when TDO is read, then TCK high.
std::string EncodeBitbangScans(std::span<const TScanRequest> scans, size_t* reads);

class TRemoteBitbangAdapter : public TBatchAdapter {
 public:
  explicit TRemoteBitbangAdapter(std::vector<std::string> endpoints,
                                 TRemoteBitbangOptions options = {});
  ~TRemoteBitbangAdapter() override;

  std::string Kind() const override { return "remote_bitbang"; }
  // An external target the user named: listed before the built-in simulator.
  bool IsHardware() const override { return true; }
  // Endpoint k: description "Remote Bitbang HOST:PORT A", serial "RBB<k+1>A",
  // location ID k + 1. Listing does not connect.
  std::vector<TAdapterDeviceInfo> ListDevices() override;

  FTC_STATUS OpenEx(const std::string& description, uint32_t locationID,
                    FTC_HANDLE* handle) override;
  FTC_STATUS InitDevice(FTC_HANDLE handle, uint32_t clockDivisor) override;
  FTC_STATUS SetClock(FTC_HANDLE handle, uint32_t clockDivisor, uint32_t* actualHz) override;
  FTC_STATUS Close(FTC_HANDLE handle) override;

 protected:
  bool IsOpen(FTC_HANDLE handle) const override;
  FTC_STATUS RunScans(FTC_HANDLE handle, std::span<const TScanRequest> scans,
                      std::span<uint8_t> tdo) override;

 private:
  struct TConnection {
    int Socket = -1;
    bool Broken = false;  // a failed exchange leaves the stream out of step
  };
  // Says goodbye ('Q') unless the stream is out of step, and closes the socket.
  static void Disconnect(TConnection& c);
  TConnection* Find(FTC_HANDLE handle);
  const TConnection* Find(FTC_HANDLE handle) const;
  // Sends `requests` and collects `reads` TDO replies (as 0/1) in `replies`.
  FTC_STATUS Exchange(TConnection& c, const std::string& requests, size_t reads,
                      std::vector<uint8_t>* replies);

  std::vector<std::string> endpoints_;
  TRemoteBitbangOptions options_;
  std::vector<TConnection> connections_;  // one per endpoint; handle = index + 1
};
