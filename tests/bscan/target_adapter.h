#pragma once
// A test double of an adapter in front of a simulated board, through the board's
// scan-level path: enough for scans of the demo board until a test needs the real
// backend's behaviour.

#include <memory>
#include <vector>

#include "jtag/jtag_adapter.h"
#include "jtag_target.h"

class TTargetAdapter : public TJtagAdapter {
 public:
  explicit TTargetAdapter(std::unique_ptr<TJtagTarget> target) : target_(std::move(target)) {}

  std::string Kind() const override { return "target"; }
  bool IsHardware() const override { return false; }
  std::vector<TAdapterDeviceInfo> ListDevices() override { return {{"Board A", "B1", 1}}; }
  FTC_STATUS OpenEx(const std::string&, uint32_t, FTC_HANDLE* handle) override {
    *handle = 1;
    return FTC_SUCCESS;
  }
  FTC_STATUS InitDevice(FTC_HANDLE, uint32_t) override {
    target_->ResetToIdle();
    return FTC_SUCCESS;
  }
  FTC_STATUS SetClock(FTC_HANDLE, uint32_t, uint32_t*) override { return FTC_SUCCESS; }
  FTC_STATUS GetClock(uint32_t divisor, uint32_t* hz) override {
    *hz = 6000000u / (1u + divisor);
    return FTC_SUCCESS;
  }
  FTC_STATUS Close(FTC_HANDLE) override { return FTC_SUCCESS; }
  FTC_STATUS Write(FTC_HANDLE, int32_t reg, uint32_t bits, const uint8_t* data, uint32_t,
                   uint32_t) override {
    target_->ScanFromIdle(reg != kDataRegister, data, nullptr, bits);
    return FTC_SUCCESS;
  }
  FTC_STATUS WriteRead(FTC_HANDLE, int32_t reg, uint32_t bits, const uint8_t* data, uint32_t bytes,
                       uint8_t* read, uint32_t* returned, uint32_t) override {
    target_->ScanFromIdle(reg != kDataRegister, data, read, bits);
    *returned = bytes;
    return FTC_SUCCESS;
  }
  FTC_STATUS AddDeviceWriteCmd(FTC_HANDLE, int32_t, uint32_t, const uint8_t*, uint32_t,
                               uint32_t) override {
    return FTC_INVALID_PARAMETER;  // not needed by these tests
  }
  FTC_STATUS AddDeviceWriteReadCmd(FTC_HANDLE, int32_t, uint32_t, const uint8_t*, uint32_t,
                                   uint32_t) override {
    return FTC_INVALID_PARAMETER;
  }
  FTC_STATUS ExecuteCmdSequence(FTC_HANDLE, uint8_t*, uint32_t, uint32_t*) override {
    return FTC_INVALID_PARAMETER;
  }

 private:
  std::unique_ptr<TJtagTarget> target_;
};
