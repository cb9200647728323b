#pragma once
// TJtagAdapter: one adapter backend (FT2232 through libftdi1, remote_bitbang client,
// the in-process simulator). Its calls are shaped like the FTCJTAG and D2XX library
// calls the system relies on. Status 0 is success, any other value failure; a backend
// never throws across this interface and never blocks without a deadline.

#include <cstdint>
#include <string>
#include <vector>

using FTC_STATUS = uint32_t;
using FTC_HANDLE = uint32_t;

constexpr FTC_STATUS FTC_SUCCESS = 0;
constexpr FTC_STATUS FTC_INVALID_HANDLE = 1;
constexpr FTC_STATUS FTC_DEVICE_NOT_FOUND = 2;
constexpr FTC_STATUS FTC_DEVICE_NOT_OPENED = 3;
constexpr FTC_STATUS FTC_IO_ERROR = 4;
constexpr FTC_STATUS FTC_INVALID_PARAMETER = 6;
constexpr FTC_STATUS FTC_TIMEOUT = 19;
constexpr FTC_STATUS FTC_INVALID_NUMBER_BITS = 20;
constexpr FTC_STATUS FTC_NULL_BUFFER_POINTER = 21;
constexpr FTC_STATUS FTC_INVALID_CLOCK_DIVISOR = 22;
constexpr FTC_STATUS FTC_COMMAND_SEQUENCE_BUFFER_FULL = 23;
constexpr FTC_STATUS FTC_INVALID_TAP_STATE = 24;
constexpr FTC_STATUS FTC_DEVICE_IN_USE = 25;

// The register argument of the scan calls: -1 (all bits set) the instruction register,
// 0 the data register. End state 2 is Run-Test/Idle.
constexpr int32_t kInstructionRegister = -1;
constexpr int32_t kDataRegister = 0;
constexpr uint32_t kEndStateRunTestIdle = 2;

// The longest scan: a stream of 65535 bytes (the size of each area of the scan image).
constexpr uint32_t kMaxAdapterScanBits = 65535u * 8u;
// The highest clock divisor: TCK = 6 MHz / (1 + divisor).
constexpr uint32_t kMaxClockDivisor = 0xFFFF;
constexpr uint32_t kBaseClockHz = 6000000;

constexpr uint32_t ClockHzForDivisor(uint32_t clockDivisor) {
  return kBaseClockHz / (1u + clockDivisor);
}

constexpr uint32_t ScanBytes(uint32_t bits) {
  return (bits + 7u) / 8u;
}

// The checks every scan call makes where it enters: a bit count of 1 ... kMaxAdapterScanBits,
// a byte count that matches it, a data buffer, and the Run-Test/Idle end state.
constexpr FTC_STATUS CheckScanArguments(uint32_t bits, const uint8_t* data, uint32_t bytes,
                                        uint32_t endState) {
  if (bits == 0 || bits > kMaxAdapterScanBits) return FTC_INVALID_NUMBER_BITS;
  if (data == nullptr) return FTC_NULL_BUFFER_POINTER;
  if (bytes != ScanBytes(bits)) return FTC_INVALID_PARAMETER;
  if (endState != kEndStateRunTestIdle) return FTC_INVALID_TAP_STATE;
  return FTC_SUCCESS;
}

// One device as the D2XX listing reports it: every channel of a multi-channel chip is
// its own entry.
struct TAdapterDeviceInfo {
  std::string Description;   // at most 63 characters
  std::string SerialNumber;  // at most 15 characters
  uint32_t LocationID = 0;
};

class TJtagAdapter {
 public:
  virtual ~TJtagAdapter() = default;

  // "ft2232", "remote_bitbang", "simulator".
  virtual std::string Kind() const = 0;
  // Whether the backend drives real hardware (listed before simulated adapters).
  virtual bool IsHardware() const = 0;

  virtual std::vector<TAdapterDeviceInfo> ListDevices() = 0;

  // Handles are the backend's own, non-zero; the library maps them.
  virtual FTC_STATUS OpenEx(const std::string& description, uint32_t locationID,
                            FTC_HANDLE* handle) = 0;
  // Readies the adapter at the divisor and walks every TAP to Test-Logic-Reset, then to
  // Run-Test/Idle, where every scan starts and ends. Drops any queued scans.
  virtual FTC_STATUS InitDevice(FTC_HANDLE handle, uint32_t clockDivisor) = 0;
  virtual FTC_STATUS SetClock(FTC_HANDLE handle, uint32_t clockDivisor, uint32_t* actualHz) = 0;
  virtual FTC_STATUS GetClock(uint32_t clockDivisor, uint32_t* hz) = 0;
  virtual FTC_STATUS Close(FTC_HANDLE handle) = 0;

  // Scans (the library has checked the arguments with CheckScanArguments). Register
  // kDataRegister selects the data registers, any other value the instruction
  // registers. The unused high bits of the last read byte are 0.
  virtual FTC_STATUS Write(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                           uint32_t bytes, uint32_t endState) = 0;
  virtual FTC_STATUS WriteRead(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                               uint32_t bytes, uint8_t* readBuffer, uint32_t* bytesReturned,
                               uint32_t endState) = 0;
  // Queued scans: the write data is copied at the call; ExecuteCmdSequence performs
  // the queue in order, stores the read-back of the write-read scans one after the
  // other (each scan's bytes starting at a byte boundary, never more than
  // readBufferSize bytes) and empties the queue. The first failure of a batch is its
  // status. A batch whose read-back would not fit the buffer is refused before any of
  // it runs (a failure, the queue emptied).
  virtual FTC_STATUS AddDeviceWriteCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                       const uint8_t* data, uint32_t bytes, uint32_t endState) = 0;
  virtual FTC_STATUS AddDeviceWriteReadCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                           const uint8_t* data, uint32_t bytes,
                                           uint32_t endState) = 0;
  virtual FTC_STATUS ExecuteCmdSequence(FTC_HANDLE handle, uint8_t* readBuffer,
                                        uint32_t readBufferSize, uint32_t* bytesReturned) = 0;
};
