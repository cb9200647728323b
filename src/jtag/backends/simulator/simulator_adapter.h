#pragma once
// The simulator backend: one adapter per simulated board, scanning in process through
// the board's scan-level path. Needs no hardware, so a new user can connect at once.

#include <memory>
#include <string>
#include <vector>

#include "jtag/batch_adapter.h"
#include "sim/jtag_target.h"

struct TSimulatedBoard {
  std::string Name;  // for the listing: "Pinloom Simulated Board", "... 2", ...
  std::unique_ptr<TJtagTarget> Target;
};

class TSimulatorAdapter : public TBatchAdapter {
 public:
  explicit TSimulatorAdapter(std::vector<TSimulatedBoard> boards);

  std::string Kind() const override { return "simulator"; }
  bool IsHardware() const override { return false; }
  // Board k: description "<name> A", serial "PLSIM<k+1>A", location ID k + 1.
  std::vector<TAdapterDeviceInfo> ListDevices() override;

  FTC_STATUS OpenEx(const std::string& description, uint32_t locationID,
                    FTC_HANDLE* handle) override;
  FTC_STATUS InitDevice(FTC_HANDLE handle, uint32_t clockDivisor) override;
  FTC_STATUS SetClock(FTC_HANDLE handle, uint32_t clockDivisor, uint32_t* actualHz) override;
  FTC_STATUS Close(FTC_HANDLE handle) override;

  TJtagTarget& Board(size_t index) { return *boards_.at(index).Target; }

 protected:
  bool IsOpen(FTC_HANDLE handle) const override;
  FTC_STATUS RunScans(FTC_HANDLE handle, std::span<const TScanRequest> scans,
                      std::span<uint8_t> tdo) override;

 private:
  // Handle h opens board h - 1; a board is open at most once.
  TJtagTarget* Target(FTC_HANDLE handle) const;
  std::vector<TSimulatedBoard> boards_;
  std::vector<bool> open_;
};
