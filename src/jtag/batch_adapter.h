#pragma once
// TBatchAdapter: the part every backend shares. A backend performs a batch of scans,
// each from Run-Test/Idle back to Run-Test/Idle; this class turns the immediate and
// the queued scan calls into such batches, keeps one queue per open handle and stores
// the read-back within the caller's buffer.

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "jtag/jtag_adapter.h"

// One scan of a batch. `Tdi` holds ScanBytes(Bits) bytes, bit k of the scan in bit
// (k mod 8) of byte (k div 8).
struct TScanRequest {
  bool Instruction;
  uint32_t Bits;
  const uint8_t* Tdi;
  bool Read;
};

// Bytes of read-back a batch produces: each read scan's bytes start at a byte boundary.
size_t ReadBackBytes(std::span<const TScanRequest> scans);

class TBatchAdapter : public TJtagAdapter {
 public:
  // The most write data one handle may queue before ExecuteCmdSequence.
  static constexpr size_t kMaxQueuedBytes = 64u << 20;

  FTC_STATUS Write(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                   uint32_t bytes, uint32_t endState) final;
  FTC_STATUS WriteRead(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                       uint32_t bytes, uint8_t* readBuffer, uint32_t* bytesReturned,
                       uint32_t endState) final;
  FTC_STATUS AddDeviceWriteCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                               uint32_t bytes, uint32_t endState) final;
  FTC_STATUS AddDeviceWriteReadCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                   const uint8_t* data, uint32_t bytes, uint32_t endState) final;
  FTC_STATUS ExecuteCmdSequence(FTC_HANDLE handle, uint8_t* readBuffer, uint32_t readBufferSize,
                                uint32_t* bytesReturned) final;

  FTC_STATUS GetClock(uint32_t clockDivisor, uint32_t* hz) override;

 protected:
  // Whether the handle is one of this backend's open devices.
  virtual bool IsOpen(FTC_HANDLE handle) const = 0;
  // Performs the scans in order. `tdo` holds ReadBackBytes(scans) zero bytes on entry
  // and receives the read-back of the scans with Read set. Returns the first failure.
  virtual FTC_STATUS RunScans(FTC_HANDLE handle, std::span<const TScanRequest> scans,
                              std::span<uint8_t> tdo) = 0;

  // Drops what a handle has queued (at init and close).
  void DropQueue(FTC_HANDLE handle) { queues_.erase(handle); }

 private:
  struct TQueuedScan {
    bool Instruction;
    uint32_t Bits;
    size_t Offset;  // of its data in TQueue::Data
    bool Read;
  };
  struct TQueue {
    std::vector<uint8_t> Data;
    std::vector<TQueuedScan> Scans;
  };

  FTC_STATUS Queue(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                   uint32_t bytes, uint32_t endState, bool read);

  std::map<FTC_HANDLE, TQueue> queues_;
};
