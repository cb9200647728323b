#include "jtag/backends/ftdi/ft2232_adapter.h"

#include <algorithm>
#include <chrono>
#include <thread>

using namespace mpsse;

namespace {

// Bytes handed to the transport per write call, so that each call's deadline can be
// sized for what it clocks.
constexpr size_t kWriteChunk = 16384;
// Margin kept free in the chip's reply buffer.
constexpr size_t kReplyMargin = 64;

// Milliseconds TCK needs for `cycles`, doubled for safety.
int ClockTimeMs(uint64_t cycles, uint32_t hz) {
  const uint64_t ms = 2 * cycles * 1000 / std::max<uint32_t>(hz, 1);
  return static_cast<int>(std::min<uint64_t>(ms, 24u * 3600u * 1000u));
}

}  // namespace

size_t ReplyBudget(TFtdiChip chip) {
  return ChipFacts(chip).RxBuffer - kReplyMargin;
}

TProgram CompileScans(std::span<const TScanRequest> scans, size_t maxReplyPerSegment,
                      std::vector<TScanReply>* replies) {
  TEncoder encoder(maxReplyPerSegment);
  // Each scan: its data, a TMS walk, an exit, a bit command and the command headers.
  size_t estimate = 1;
  for (const TScanRequest& scan : scans) estimate += ScanBytes(scan.Bits) + 16;
  encoder.Reserve(estimate);
  size_t out = 0;
  for (const TScanRequest& scan : scans) {
    encoder.Scan(scan.Instruction, scan.Tdi, scan.Bits, scan.Read, out);
    if (scan.Read) out += ScanBytes(scan.Bits);
  }
  if (replies != nullptr) *replies = encoder.Replies();
  return encoder.Finish();
}

TFt2232Adapter::TFt2232Adapter(std::unique_ptr<TFtdiBus> bus, TFt2232Options options)
    : bus_(std::move(bus)), options_(options) {}

TFt2232Adapter::~TFt2232Adapter() = default;

std::vector<TAdapterDeviceInfo> TFt2232Adapter::ListDevices() {
  std::vector<TAdapterDeviceInfo> out;
  for (const TFtdiChannel& channel : bus_->Channels()) out.push_back(channel.Info);
  return out;
}

TFt2232Adapter::TOpenChannel* TFt2232Adapter::Find(FTC_HANDLE handle) const {
  for (const auto& open : open_) {
    if (open->Handle == handle) return open.get();
  }
  return nullptr;
}

FTC_STATUS TFt2232Adapter::OpenEx(const std::string& description, uint32_t locationID,
                                  FTC_HANDLE* handle) {
  if (handle == nullptr) return FTC_NULL_BUFFER_POINTER;
  for (const auto& open : open_) {
    if (open->Channel.Info.Description == description &&
        open->Channel.Info.LocationID == locationID) {
      return FTC_DEVICE_IN_USE;
    }
  }
  for (const TFtdiChannel& channel : bus_->Channels()) {
    if (channel.Info.Description != description || channel.Info.LocationID != locationID) {
      continue;
    }
    if (!channel.HasMpsse()) return FTC_DEVICE_NOT_FOUND;
    std::unique_ptr<TFtdiTransport> transport = bus_->Open(channel);
    if (!transport) return FTC_DEVICE_NOT_OPENED;
    auto open = std::make_unique<TOpenChannel>();
    open->Handle = nextHandle_++;
    open->Channel = channel;
    open->Transport = std::move(transport);
    *handle = open->Handle;
    open_.push_back(std::move(open));
    return FTC_SUCCESS;
  }
  return FTC_DEVICE_NOT_FOUND;
}

FTC_STATUS TFt2232Adapter::InitDevice(FTC_HANDLE handle, uint32_t clockDivisor) {
  TOpenChannel* open = Find(handle);
  if (open == nullptr) return FTC_INVALID_HANDLE;
  if (clockDivisor > kMaxClockDivisor) return FTC_INVALID_CLOCK_DIVISOR;
  DropQueue(handle);
  if (!open->Transport->Purge()) return FTC_IO_ERROR;
  open->NeedsPurge = false;

  TEncoder encoder(ReplyBudget(open->Channel.Chip));
  if (ChipFacts(open->Channel.Chip).HighSpeed) encoder.HighSpeedCompatibleClock();
  encoder.LoopbackOff();
  encoder.SetDivisor(static_cast<uint16_t>(clockDivisor));
  // TCK low, TMS high at rest; TCK, TDI, TMS outputs, TDO an input.
  constexpr uint8_t jtagOutputs = kPinTck | kPinTdi | kPinTms;
  const uint8_t lowDir = static_cast<uint8_t>((options_.LowDirection | jtagOutputs) & ~kPinTdo);
  const uint8_t lowValue =
      static_cast<uint8_t>((options_.LowValue & ~(kPinTck | kPinTdi)) | kPinTms);
  encoder.SetLowByte(lowValue, lowDir);
  encoder.SetHighByte(options_.HighValue, options_.HighDirection);
  encoder.ResetToIdle();
  // The adapter proves it runs our commands by answering the bad opcode.
  encoder.Sync();
  std::vector<uint8_t> reply;
  const FTC_STATUS status = Execute(*open, encoder.Finish(), &reply);
  if (status != FTC_SUCCESS) return status;
  if (reply.size() != 2 || reply[0] != kBadCommand || reply[1] != kSyncOpcode) {
    open->NeedsPurge = true;
    return FTC_IO_ERROR;
  }
  open->TckHz = ClockHzForDivisor(clockDivisor);
  return FTC_SUCCESS;
}

FTC_STATUS TFt2232Adapter::SetClock(FTC_HANDLE handle, uint32_t clockDivisor, uint32_t* actualHz) {
  TOpenChannel* open = Find(handle);
  if (open == nullptr) return FTC_INVALID_HANDLE;
  if (clockDivisor > kMaxClockDivisor) return FTC_INVALID_CLOCK_DIVISOR;
  TEncoder encoder(ReplyBudget(open->Channel.Chip));
  encoder.SetDivisor(static_cast<uint16_t>(clockDivisor));
  const FTC_STATUS status = Execute(*open, encoder.Finish(), nullptr);
  if (status != FTC_SUCCESS) return status;
  open->TckHz = ClockHzForDivisor(clockDivisor);
  if (actualHz != nullptr) *actualHz = open->TckHz;
  return FTC_SUCCESS;
}

FTC_STATUS TFt2232Adapter::Close(FTC_HANDLE handle) {
  const auto it = std::find_if(open_.begin(), open_.end(),
                               [handle](const auto& open) { return open->Handle == handle; });
  if (it == open_.end()) return FTC_INVALID_HANDLE;
  DropQueue(handle);
  open_.erase(it);  // the transport releases the USB device, also an unplugged one
  return FTC_SUCCESS;
}

FTC_STATUS TFt2232Adapter::RunScans(FTC_HANDLE handle, std::span<const TScanRequest> scans,
                                    std::span<uint8_t> tdo) {
  TOpenChannel* open = Find(handle);
  if (open == nullptr) return FTC_INVALID_HANDLE;
  std::vector<TScanReply> replies;
  const TProgram program = CompileScans(scans, ReplyBudget(open->Channel.Chip), &replies);
  std::vector<uint8_t> reply;
  const FTC_STATUS status = Execute(*open, program, replies.empty() ? nullptr : &reply);
  if (status != FTC_SUCCESS) return status;
  DecodeReplies(reply, replies, tdo);
  return FTC_SUCCESS;
}

FTC_STATUS TFt2232Adapter::Execute(TOpenChannel& open, const TProgram& program,
                                   std::vector<uint8_t>* reply) {
  if (open.NeedsPurge) {
    if (!open.Transport->Purge()) return FTC_IO_ERROR;
    open.NeedsPurge = false;
  }
  if (reply != nullptr) reply->assign(program.ReplyBytes(), 0);
  size_t start = 0;
  size_t replied = 0;
  for (const TSegment& segment : program.Segments) {
    if (FTC_STATUS s = WriteAll(open, program.Bytes.data() + start, segment.End - start)) {
      return s;
    }
    start = segment.End;
    if (segment.ReplyBytes == 0) continue;
    if (reply == nullptr) return FTC_INVALID_PARAMETER;
    if (FTC_STATUS s =
            ReadExactly(open, reply->data() + replied, segment.ReplyBytes, segment.TckCycles)) {
      return s;
    }
    replied += segment.ReplyBytes;
  }
  return FTC_SUCCESS;
}

FTC_STATUS TFt2232Adapter::WriteAll(TOpenChannel& open, const uint8_t* data, size_t size) {
  while (size > 0) {
    const size_t n = std::min(size, kWriteChunk);
    // Each byte clocks at most 8 TCK cycles.
    const int timeoutMs = options_.ReadTimeoutMs + ClockTimeMs(8 * n, open.TckHz);
    if (!open.Transport->Write(data, n, timeoutMs)) {
      open.NeedsPurge = true;
      return FTC_IO_ERROR;
    }
    data += n;
    size -= n;
  }
  return FTC_SUCCESS;
}

FTC_STATUS TFt2232Adapter::ReadExactly(TOpenChannel& open, uint8_t* data, size_t size,
                                       uint64_t tckCycles) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(options_.ReadTimeoutMs) +
                        std::chrono::milliseconds(ClockTimeMs(tckCycles, open.TckHz));
  size_t got = 0;
  while (got < size) {
    const int n = open.Transport->Read(data + got, size - got);
    if (n < 0) {
      open.NeedsPurge = true;
      return FTC_IO_ERROR;
    }
    got += static_cast<size_t>(n);
    if (got == size) break;
    if (Clock::now() >= deadline) {
      open.NeedsPurge = true;
      return FTC_TIMEOUT;
    }
    if (n == 0) std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  return FTC_SUCCESS;
}
