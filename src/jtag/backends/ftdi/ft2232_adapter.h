#pragma once
// The FT2232-family backend (FT2232C/D, FT2232H, FT4232H, FT232H) in MPSSE mode.
// Every batch of scans is compiled into one MPSSE program: a batch that reads nothing
// is streamed without waiting for the adapter; one that reads waits once per reply
// segment (one "send immediate" per chip buffer of replies, so once for any batch
// whose read-back fits the chip), and every read has a deadline.

#include <memory>
#include <span>
#include <vector>

#include "jtag/backends/ftdi/ftdi_transport.h"
#include "jtag/backends/ftdi/mpsse_encoder.h"
#include "jtag/batch_adapter.h"

struct TFt2232Options {
  // Low byte (ADBUS) beyond TCK, TDI and TMS, e.g. output enables of a buffered
  // adapter; TCK, TDI and TMS are always outputs (TMS high at rest), TDO an input.
  uint8_t LowValue = 0x00;
  uint8_t LowDirection = 0x00;
  // High byte (ACBUS): nTRST, nSRST, LEDs, output enables.
  uint8_t HighValue = 0x00;
  uint8_t HighDirection = 0x00;
  // A read gives up after this, plus twice the time TCK needs for the segment's bits.
  int ReadTimeoutMs = 1000;
};

// Compiles a batch of scans, each from Run-Test/Idle back to Run-Test/Idle, into an
// MPSSE program whose segments produce at most `maxReplyPerSegment` reply bytes.
mpsse::TProgram CompileScans(std::span<const TScanRequest> scans, size_t maxReplyPerSegment,
                             std::vector<mpsse::TScanReply>* replies);

// The reply bytes a segment of a chip may produce: its buffer less a safety margin.
size_t ReplyBudget(TFtdiChip chip);

class TFt2232Adapter : public TBatchAdapter {
 public:
  explicit TFt2232Adapter(std::unique_ptr<TFtdiBus> bus, TFt2232Options options = {});
  ~TFt2232Adapter() override;

  std::string Kind() const override { return "ft2232"; }
  bool IsHardware() const override { return true; }
  std::vector<TAdapterDeviceInfo> ListDevices() override;

  FTC_STATUS OpenEx(const std::string& description, uint32_t locationID,
                    FTC_HANDLE* handle) override;
  FTC_STATUS InitDevice(FTC_HANDLE handle, uint32_t clockDivisor) override;
  FTC_STATUS SetClock(FTC_HANDLE handle, uint32_t clockDivisor, uint32_t* actualHz) override;
  FTC_STATUS Close(FTC_HANDLE handle) override;

 protected:
  bool IsOpen(FTC_HANDLE handle) const override { return Find(handle) != nullptr; }
  FTC_STATUS RunScans(FTC_HANDLE handle, std::span<const TScanRequest> scans,
                      std::span<uint8_t> tdo) override;

 private:
  struct TOpenChannel {
    FTC_HANDLE Handle;
    TFtdiChannel Channel;
    std::unique_ptr<TFtdiTransport> Transport;
    uint32_t TckHz = ClockHzForDivisor(0);
    bool NeedsPurge = false;  // a failed transfer may have left bytes in flight
  };

  TOpenChannel* Find(FTC_HANDLE handle) const;
  // Sends the program and collects its replies; the first failure is the status.
  FTC_STATUS Execute(TOpenChannel& open, const mpsse::TProgram& program,
                     std::vector<uint8_t>* reply);
  FTC_STATUS WriteAll(TOpenChannel& open, const uint8_t* data, size_t size);
  FTC_STATUS ReadExactly(TOpenChannel& open, uint8_t* data, size_t size, uint64_t tckCycles);

  std::unique_ptr<TFtdiBus> bus_;
  TFt2232Options options_;
  std::vector<std::unique_ptr<TOpenChannel>> open_;
  FTC_HANDLE nextHandle_ = 1;
};
