#include "jtag/FT2232CJTAGUnit.h"

#include <algorithm>

TJtagLibrary::TJtagLibrary() = default;
TJtagLibrary::~TJtagLibrary() {
  // Release what is still open: the program does not close the adapter at exit, but
  // the backends' resources must not outlive the library.
  for (const TOpenDevice& d : open_) d.Backend->Close(d.BackendHandle);
}

void TJtagLibrary::AddBackend(std::unique_ptr<TJtagAdapter> backend) {
  backends_.push_back(std::move(backend));
  std::stable_partition(backends_.begin(), backends_.end(),
                        [](const auto& b) { return b->IsHardware(); });
}

void TJtagLibrary::ClearBackends() {
  for (const TOpenDevice& d : open_) d.Backend->Close(d.BackendHandle);
  open_.clear();
  listing_.clear();
  backends_.clear();
}

const std::vector<TJtagLibrary::TListedDevice>& TJtagLibrary::RefreshListing() {
  listing_.clear();
  for (const auto& backend : backends_) {
    for (TAdapterDeviceInfo& info : backend->ListDevices()) {
      listing_.push_back({std::move(info), backend.get()});
    }
  }
  return listing_;
}

const TJtagLibrary::TListedDevice* TJtagLibrary::FindListed(const std::string& description,
                                                            uint32_t locationID) const {
  for (const TListedDevice& device : listing_) {
    if (device.Info.Description == description && device.Info.LocationID == locationID) {
      return &device;
    }
  }
  return nullptr;
}

const TJtagLibrary::TOpenDevice* TJtagLibrary::Find(FTC_HANDLE handle) const {
  for (const TOpenDevice& d : open_) {
    if (d.Handle == handle && handle != 0) return &d;
  }
  return nullptr;
}

TJtagAdapter* TJtagLibrary::BackendOf(FTC_HANDLE handle) const {
  const TOpenDevice* d = Find(handle);
  return d ? d->Backend : nullptr;
}

FTC_STATUS TJtagLibrary::JTAG_OpenEx(const std::string& description, uint32_t locationID,
                                     FTC_HANDLE* handle) {
  if (handle == nullptr) return FTC_NULL_BUFFER_POINTER;
  if (listing_.empty()) RefreshListing();
  for (const TListedDevice& device : listing_) {
    if (device.Info.Description != description || device.Info.LocationID != locationID) continue;
    FTC_HANDLE backendHandle = 0;
    const FTC_STATUS status = device.Backend->OpenEx(description, locationID, &backendHandle);
    if (status != FTC_SUCCESS) return status;
    *handle = nextHandle_++;
    open_.push_back({*handle, backendHandle, device.Backend});
    return FTC_SUCCESS;
  }
  return FTC_DEVICE_NOT_FOUND;
}

FTC_STATUS TJtagLibrary::JTAG_InitDevice(FTC_HANDLE handle, uint32_t clockDivisor) {
  const TOpenDevice* d = Find(handle);
  return d ? d->Backend->InitDevice(d->BackendHandle, clockDivisor) : FTC_INVALID_HANDLE;
}

FTC_STATUS TJtagLibrary::JTAG_SetClock(FTC_HANDLE handle, uint32_t clockDivisor,
                                       uint32_t* actualHz) {
  const TOpenDevice* d = Find(handle);
  return d ? d->Backend->SetClock(d->BackendHandle, clockDivisor, actualHz) : FTC_INVALID_HANDLE;
}

FTC_STATUS TJtagLibrary::JTAG_GetClock(uint32_t clockDivisor, uint32_t* hz) {
  if (hz == nullptr) return FTC_NULL_BUFFER_POINTER;
  if (clockDivisor > 0xFFFF) return FTC_INVALID_CLOCK_DIVISOR;
  if (!backends_.empty()) return backends_.front()->GetClock(clockDivisor, hz);
  *hz = 6000000u / (1u + clockDivisor);
  return FTC_SUCCESS;
}

FTC_STATUS TJtagLibrary::JTAG_Close(FTC_HANDLE handle) {
  const auto it = std::find_if(open_.begin(), open_.end(),
                               [handle](const TOpenDevice& d) { return d.Handle == handle; });
  if (it == open_.end() || handle == 0) return FTC_INVALID_HANDLE;
  const TOpenDevice d = *it;
  open_.erase(it);
  return d.Backend->Close(d.BackendHandle);
}

FTC_STATUS TJtagLibrary::JTAG_Write(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                    const uint8_t* data, uint32_t bytes, uint32_t endState) {
  const TOpenDevice* d = Find(handle);
  if (d == nullptr) return FTC_INVALID_HANDLE;
  if (FTC_STATUS s = CheckScanArguments(bits, data, bytes, endState)) return s;
  return d->Backend->Write(d->BackendHandle, reg, bits, data, bytes, endState);
}

FTC_STATUS TJtagLibrary::JTAG_WriteRead(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                        const uint8_t* data, uint32_t bytes, uint8_t* readBuffer,
                                        uint32_t* bytesReturned, uint32_t endState) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  const TOpenDevice* d = Find(handle);
  if (d == nullptr) return FTC_INVALID_HANDLE;
  if (FTC_STATUS s = CheckScanArguments(bits, data, bytes, endState)) return s;
  if (readBuffer == nullptr || bytesReturned == nullptr) return FTC_NULL_BUFFER_POINTER;
  return d->Backend->WriteRead(d->BackendHandle, reg, bits, data, bytes, readBuffer, bytesReturned,
                               endState);
}

FTC_STATUS TJtagLibrary::JTAG_AddDeviceWriteCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                                const uint8_t* data, uint32_t bytes,
                                                uint32_t endState) {
  const TOpenDevice* d = Find(handle);
  if (d == nullptr) return FTC_INVALID_HANDLE;
  if (FTC_STATUS s = CheckScanArguments(bits, data, bytes, endState)) return s;
  return d->Backend->AddDeviceWriteCmd(d->BackendHandle, reg, bits, data, bytes, endState);
}

FTC_STATUS TJtagLibrary::JTAG_AddDeviceWriteReadCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                                    const uint8_t* data, uint32_t bytes,
                                                    uint32_t endState) {
  const TOpenDevice* d = Find(handle);
  if (d == nullptr) return FTC_INVALID_HANDLE;
  if (FTC_STATUS s = CheckScanArguments(bits, data, bytes, endState)) return s;
  return d->Backend->AddDeviceWriteReadCmd(d->BackendHandle, reg, bits, data, bytes, endState);
}

FTC_STATUS TJtagLibrary::JTAG_ExecuteCmdSequence(FTC_HANDLE handle, uint8_t* readBuffer,
                                                 uint32_t readBufferSize, uint32_t* bytesReturned) {
  const TOpenDevice* d = Find(handle);
  return d ? d->Backend->ExecuteCmdSequence(d->BackendHandle, readBuffer, readBufferSize,
                                            bytesReturned)
           : FTC_INVALID_HANDLE;
}
