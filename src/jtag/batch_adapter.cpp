#include "jtag/batch_adapter.h"

#include <algorithm>
#include <cstring>

size_t ReadBackBytes(std::span<const TScanRequest> scans) {
  size_t bytes = 0;
  for (const TScanRequest& scan : scans) {
    if (scan.Read) bytes += ScanBytes(scan.Bits);
  }
  return bytes;
}

FTC_STATUS TBatchAdapter::GetClock(uint32_t clockDivisor, uint32_t* hz) {
  if (hz == nullptr) return FTC_NULL_BUFFER_POINTER;
  if (clockDivisor > kMaxClockDivisor) return FTC_INVALID_CLOCK_DIVISOR;
  *hz = ClockHzForDivisor(clockDivisor);
  return FTC_SUCCESS;
}

FTC_STATUS TBatchAdapter::Write(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                                uint32_t bytes, uint32_t endState) {
  if (!IsOpen(handle)) return FTC_INVALID_HANDLE;
  if (FTC_STATUS s = CheckScanArguments(bits, data, bytes, endState)) return s;
  const TScanRequest scan{reg != kDataRegister, bits, data, false};
  return RunScans(handle, {&scan, 1}, {});
}

FTC_STATUS TBatchAdapter::WriteRead(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                    const uint8_t* data, uint32_t bytes, uint8_t* readBuffer,
                                    uint32_t* bytesReturned, uint32_t endState) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  if (!IsOpen(handle)) return FTC_INVALID_HANDLE;
  if (FTC_STATUS s = CheckScanArguments(bits, data, bytes, endState)) return s;
  if (readBuffer == nullptr || bytesReturned == nullptr) return FTC_NULL_BUFFER_POINTER;
  const TScanRequest scan{reg != kDataRegister, bits, data, true};
  std::vector<uint8_t> tdo(bytes, 0);
  const FTC_STATUS status = RunScans(handle, {&scan, 1}, tdo);
  if (status != FTC_SUCCESS) return status;
  std::memcpy(readBuffer, tdo.data(), bytes);
  *bytesReturned = bytes;
  return FTC_SUCCESS;
}

FTC_STATUS TBatchAdapter::Queue(FTC_HANDLE handle, int32_t reg, uint32_t bits, const uint8_t* data,
                                uint32_t bytes, uint32_t endState, bool read) {
  if (!IsOpen(handle)) return FTC_INVALID_HANDLE;
  if (FTC_STATUS s = CheckScanArguments(bits, data, bytes, endState)) return s;
  TQueue& queue = queues_[handle];
  if (queue.Data.size() + bytes > kMaxQueuedBytes) return FTC_COMMAND_SEQUENCE_BUFFER_FULL;
  queue.Scans.push_back({reg != kDataRegister, bits, queue.Data.size(), read});
  queue.Data.insert(queue.Data.end(), data, data + bytes);
  return FTC_SUCCESS;
}

FTC_STATUS TBatchAdapter::AddDeviceWriteCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                            const uint8_t* data, uint32_t bytes,
                                            uint32_t endState) {
  return Queue(handle, reg, bits, data, bytes, endState, false);
}

FTC_STATUS TBatchAdapter::AddDeviceWriteReadCmd(FTC_HANDLE handle, int32_t reg, uint32_t bits,
                                                const uint8_t* data, uint32_t bytes,
                                                uint32_t endState) {
  return Queue(handle, reg, bits, data, bytes, endState, true);
}

FTC_STATUS TBatchAdapter::ExecuteCmdSequence(FTC_HANDLE handle, uint8_t* readBuffer,
                                             uint32_t readBufferSize, uint32_t* bytesReturned) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  if (!IsOpen(handle)) return FTC_INVALID_HANDLE;
  // The queue is emptied whatever the outcome.
  TQueue queue;
  if (auto it = queues_.find(handle); it != queues_.end()) {
    queue = std::move(it->second);
    queues_.erase(it);
  }
  if (bytesReturned == nullptr) return FTC_NULL_BUFFER_POINTER;
  if (queue.Scans.empty()) return FTC_SUCCESS;

  std::vector<TScanRequest> scans;
  scans.reserve(queue.Scans.size());
  for (const TQueuedScan& q : queue.Scans) {
    scans.push_back({q.Instruction, q.Bits, queue.Data.data() + q.Offset, q.Read});
  }
  const size_t readBytes = ReadBackBytes(scans);
  if (readBytes > 0 && (readBuffer == nullptr || readBytes > readBufferSize)) {
    return readBuffer == nullptr ? FTC_NULL_BUFFER_POINTER : FTC_INVALID_PARAMETER;
  }
  std::vector<uint8_t> tdo(readBytes, 0);
  const FTC_STATUS status = RunScans(handle, scans, tdo);
  if (status != FTC_SUCCESS) return status;
  std::copy(tdo.begin(), tdo.end(), readBuffer);
  *bytesReturned = static_cast<uint32_t>(readBytes);
  return FTC_SUCCESS;
}
