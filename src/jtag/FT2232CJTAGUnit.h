#pragma once
// The adapter library: a registry of adapter backends behind the FTCJTAG-shaped calls
// the system makes. Each JTAG_* wrapper checks its arguments where they enter, passes
// them through to the backend that owns the handle and returns the backend's status
// unchanged.

#include <memory>
#include <string>
#include <vector>

#include "jtag/jtag_adapter.h"

class TJtagLibrary {
 public:
  TJtagLibrary();
  ~TJtagLibrary();
  TJtagLibrary(const TJtagLibrary&) = delete;
  TJtagLibrary& operator=(const TJtagLibrary&) = delete;

  // Backends are listed in the order hardware first, then simulated, each group in
  // the order added.
  void AddBackend(std::unique_ptr<TJtagAdapter> backend);
  void ClearBackends();

  // One entry of the combined listing, with the backend that offers it.
  struct TListedDevice {
    TAdapterDeviceInfo Info;
    TJtagAdapter* Backend;
  };
  // Re-lists every backend (hardware first) and returns the combined listing.
  const std::vector<TListedDevice>& RefreshListing();
  const std::vector<TListedDevice>& Listing() const { return listing_; }
  // The entry of the last listing with that description and location ID, or nullptr.
  const TListedDevice* FindListed(const std::string& description, uint32_t locationID) const;
  size_t BackendCount() const { return backends_.size(); }

  // The FTCJTAG calls. Handles are the library's own (non-zero).
  FTC_STATUS JTAG_OpenEx(const std::string& description, uint32_t locationID, FTC_HANDLE* handle);
  FTC_STATUS JTAG_InitDevice(FTC_HANDLE handle, uint32_t clockDivisor);
  FTC_STATUS JTAG_SetClock(FTC_HANDLE handle, uint32_t clockDivisor, uint32_t* actualHz);
  // The frequency for a divisor: the first backend's answer (every backend runs TCK =
  // 6 MHz / (1 + divisor)).
  FTC_STATUS JTAG_GetClock(uint32_t clockDivisor, uint32_t* hz);
  FTC_STATUS JTAG_Close(FTC_HANDLE handle);
  FTC_STATUS JTAG_Write(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                        uint32_t bytes, uint32_t endState);
  FTC_STATUS JTAG_WriteRead(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                            uint32_t bytes, uint8_t* readBuffer, uint32_t* bytesReturned,
                            uint32_t endState);
  FTC_STATUS JTAG_AddDeviceWriteCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                    const uint8_t* data, uint32_t bytes, uint32_t endState);
  FTC_STATUS JTAG_AddDeviceWriteReadCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                        const uint8_t* data, uint32_t bytes, uint32_t endState);
  // The read buffer's size is passed too, so the library never writes past its end.
  FTC_STATUS JTAG_ExecuteCmdSequence(FTC_HANDLE handle, uint8_t* readBuffer,
                                     uint32_t readBufferSize, uint32_t* bytesReturned);

  // The backend that owns a handle (nullptr for an unknown one).
  TJtagAdapter* BackendOf(FTC_HANDLE handle) const;

 private:
  struct TOpenDevice {
    FTC_HANDLE Handle;         // the library's
    FTC_HANDLE BackendHandle;  // the backend's
    TJtagAdapter* Backend;
  };
  const TOpenDevice* Find(FTC_HANDLE handle) const;

  std::vector<std::unique_ptr<TJtagAdapter>> backends_;
  std::vector<TListedDevice> listing_;
  std::vector<TOpenDevice> open_;
  FTC_HANDLE nextHandle_ = 1;
};
