#include "jtag/backends/simulator/simulator_adapter.h"

TSimulatorAdapter::TSimulatorAdapter(std::vector<TSimulatedBoard> boards)
    : boards_(std::move(boards)), open_(boards_.size(), false) {}

std::vector<TAdapterDeviceInfo> TSimulatorAdapter::ListDevices() {
  std::vector<TAdapterDeviceInfo> out;
  for (size_t k = 0; k < boards_.size(); ++k) {
    TAdapterDeviceInfo info;
    info.Description = boards_[k].Name.substr(0, 61) + " A";
    info.SerialNumber = "PLSIM" + std::to_string(k + 1) + "A";
    info.LocationID = static_cast<uint32_t>(k + 1);
    out.push_back(info);
  }
  return out;
}

TJtagTarget* TSimulatorAdapter::Target(FTC_HANDLE handle) const {
  if (handle == 0 || handle > boards_.size() || !open_[handle - 1]) return nullptr;
  return boards_[handle - 1].Target.get();
}

bool TSimulatorAdapter::IsOpen(FTC_HANDLE handle) const {
  return Target(handle) != nullptr;
}

FTC_STATUS TSimulatorAdapter::OpenEx(const std::string& description, uint32_t locationID,
                                     FTC_HANDLE* handle) {
  if (handle == nullptr) return FTC_NULL_BUFFER_POINTER;
  const std::vector<TAdapterDeviceInfo> listed = ListDevices();
  for (size_t k = 0; k < listed.size(); ++k) {
    if (listed[k].Description != description || listed[k].LocationID != locationID) continue;
    if (open_[k]) return FTC_DEVICE_IN_USE;
    open_[k] = true;
    *handle = static_cast<FTC_HANDLE>(k + 1);
    return FTC_SUCCESS;
  }
  return FTC_DEVICE_NOT_FOUND;
}

FTC_STATUS TSimulatorAdapter::InitDevice(FTC_HANDLE handle, uint32_t clockDivisor) {
  TJtagTarget* target = Target(handle);
  if (target == nullptr) return FTC_INVALID_HANDLE;
  if (clockDivisor > kMaxClockDivisor) return FTC_INVALID_CLOCK_DIVISOR;
  DropQueue(handle);
  target->SetClockHz(ClockHzForDivisor(clockDivisor));
  target->ResetToIdle();
  return FTC_SUCCESS;
}

FTC_STATUS TSimulatorAdapter::SetClock(FTC_HANDLE handle, uint32_t clockDivisor,
                                       uint32_t* actualHz) {
  TJtagTarget* target = Target(handle);
  if (target == nullptr) return FTC_INVALID_HANDLE;
  if (clockDivisor > kMaxClockDivisor) return FTC_INVALID_CLOCK_DIVISOR;
  target->SetClockHz(ClockHzForDivisor(clockDivisor));
  if (actualHz != nullptr) *actualHz = ClockHzForDivisor(clockDivisor);
  return FTC_SUCCESS;
}

FTC_STATUS TSimulatorAdapter::Close(FTC_HANDLE handle) {
  if (Target(handle) == nullptr) return FTC_INVALID_HANDLE;
  DropQueue(handle);
  open_[handle - 1] = false;
  return FTC_SUCCESS;
}

FTC_STATUS TSimulatorAdapter::RunScans(FTC_HANDLE handle, std::span<const TScanRequest> scans,
                                       std::span<uint8_t> tdo) {
  TJtagTarget* target = Target(handle);
  if (target == nullptr) return FTC_INVALID_HANDLE;
  size_t out = 0;
  for (const TScanRequest& scan : scans) {
    const uint32_t bytes = ScanBytes(scan.Bits);
    uint8_t* read = scan.Read ? tdo.data() + out : nullptr;
    target->ScanFromIdle(scan.Instruction, scan.Tdi, read, scan.Bits);
    if (read != nullptr) {
      // The bits beyond the scan in its last byte read as 0, as on every backend.
      if (scan.Bits % 8 != 0) read[bytes - 1] &= static_cast<uint8_t>((1u << (scan.Bits % 8)) - 1);
      out += bytes;
    }
  }
  return FTC_SUCCESS;
}
