#include "jtag/backends/ftdi/mpsse_encoder.h"

#include <algorithm>
#include <cstring>

namespace mpsse {

namespace {

// The TMS walks from Run-Test/Idle to Shift-DR (1, 0, 0) and Shift-IR (1, 1, 0, 0).
constexpr uint8_t kIdleToShiftDr = 0x01;
constexpr uint32_t kIdleToShiftDrBits = 3;
constexpr uint8_t kIdleToShiftIr = 0x03;
constexpr uint32_t kIdleToShiftIrBits = 4;
// The last data bit leaves Shift-xR with TMS 1 (Exit1), then 1 (Update), 0 (Idle).
constexpr uint8_t kExitToIdle = 0x03;
constexpr uint32_t kExitToIdleBits = 3;
// In a TMS command that reads, the first bit read sits at bit 8 - count of the reply.
constexpr uint32_t kExitReplyShift = 8 - kExitToIdleBits;

}  // namespace

size_t TProgram::ReplyBytes() const {
  size_t n = 0;
  for (const TSegment& s : Segments) n += s.ReplyBytes;
  return n;
}

TEncoder::TEncoder(size_t maxReplyPerSegment)
    : maxReply_(std::max<size_t>(maxReplyPerSegment, 2)) {}

void TEncoder::SetLowByte(uint8_t value, uint8_t direction) {
  Put(kSetLowByte);
  Put(value);
  Put(direction);
}

void TEncoder::SetHighByte(uint8_t value, uint8_t direction) {
  Put(kSetHighByte);
  Put(value);
  Put(direction);
}

void TEncoder::SetDivisor(uint16_t divisor) {
  Put(kSetDivisor);
  Put(static_cast<uint8_t>(divisor & 0xFF));
  Put(static_cast<uint8_t>(divisor >> 8));
}

void TEncoder::LoopbackOff() {
  Put(kLoopbackOff);
}

void TEncoder::HighSpeedCompatibleClock() {
  Put(kDivideBy5On);
  Put(kAdaptiveOff);
  Put(kThreePhaseOff);
}

void TEncoder::Sync() {
  ExpectReply(2);
  Put(kSyncOpcode);
}

void TEncoder::ExpectReply(size_t n) {
  if (segmentReply_ + n > maxReply_) CloseSegment();
  segmentReply_ += n;
  replyTotal_ += n;
}

void TEncoder::CloseSegment() {
  if (segmentReply_ > 0) Put(kSendImmediate);
  program_.Segments.push_back({program_.Bytes.size(), segmentReply_, segmentCycles_});
  segmentReply_ = 0;
  segmentCycles_ = 0;
}

void TEncoder::Tms(uint8_t tms, uint32_t count, bool tdi) {
  while (count > 0) {
    const uint32_t n = std::min(count, kMaxTmsBitsPerCommand);
    Put(kTmsOut);
    Put(static_cast<uint8_t>(n - 1));
    Put(static_cast<uint8_t>((tms & ((1u << n) - 1)) | (tdi ? 0x80 : 0x00)));
    segmentCycles_ += n;
    tms = static_cast<uint8_t>(tms >> n);
    count -= n;
  }
}

void TEncoder::ResetToIdle() {
  Tms(0x1F, 6, false);
}

void TEncoder::ShiftBytes(const uint8_t* data, size_t count, bool read) {
  while (count > 0) {
    size_t n = std::min<size_t>(count, kMaxBytesPerCommand);
    if (read) {
      if (segmentReply_ >= maxReply_) CloseSegment();
      n = std::min(n, maxReply_ - segmentReply_);
      ExpectReply(n);
    }
    Put(read ? kBytesInOut : kBytesOut);
    Put(static_cast<uint8_t>((n - 1) & 0xFF));
    Put(static_cast<uint8_t>((n - 1) >> 8));
    program_.Bytes.insert(program_.Bytes.end(), data, data + n);
    segmentCycles_ += 8 * n;
    data += n;
    count -= n;
  }
}

void TEncoder::ShiftBits(uint8_t data, uint32_t count, bool read) {
  if (read) ExpectReply(1);
  Put(read ? kBitsInOut : kBitsOut);
  Put(static_cast<uint8_t>(count - 1));
  Put(static_cast<uint8_t>(data & ((1u << count) - 1)));
  segmentCycles_ += count;
}

void TEncoder::Scan(bool instruction, const uint8_t* tdi, uint32_t bits, bool read,
                    size_t outOffset) {
  if (bits == 0) return;
  if (instruction) {
    Tms(kIdleToShiftIr, kIdleToShiftIrBits, false);
  } else {
    Tms(kIdleToShiftDr, kIdleToShiftDrBits, false);
  }
  if (read) replies_.push_back({replyTotal_, bits, outOffset});
  const uint32_t head = bits - 1;  // bits shifted with TMS 0
  const uint32_t fullBytes = head / 8;
  const uint32_t restBits = head % 8;
  ShiftBytes(tdi, fullBytes, read);
  if (restBits > 0) ShiftBits(tdi[fullBytes], restBits, read);
  const bool last = ((tdi[head / 8] >> (head % 8)) & 1) != 0;
  if (read) ExpectReply(1);
  Put(read ? kTmsInOut : kTmsOut);
  Put(static_cast<uint8_t>(kExitToIdleBits - 1));
  Put(static_cast<uint8_t>(kExitToIdle | (last ? 0x80 : 0x00)));
  segmentCycles_ += kExitToIdleBits;
}

TProgram TEncoder::Finish() {
  const size_t lastEnd = program_.Segments.empty() ? 0 : program_.Segments.back().End;
  if (program_.Bytes.size() > lastEnd || segmentReply_ > 0) CloseSegment();
  TProgram done = std::move(program_);
  program_ = {};
  segmentReply_ = 0;
  segmentCycles_ = 0;
  return done;
}

void DecodeReplies(std::span<const uint8_t> reply, std::span<const TScanReply> scans,
                   std::span<uint8_t> out) {
  for (const TScanReply& scan : scans) {
    const uint32_t head = scan.Bits - 1;
    const uint32_t fullBytes = head / 8;
    const uint32_t restBits = head % 8;
    const size_t replyBytes = fullBytes + (restBits > 0 ? 1 : 0) + 1;
    if (scan.ReplyOffset + replyBytes > reply.size() ||
        scan.OutOffset + (scan.Bits + 7) / 8 > out.size()) {
      continue;  // cannot happen for a program this encoder built
    }
    const uint8_t* r = reply.data() + scan.ReplyOffset;
    uint8_t* o = out.data() + scan.OutOffset;
    std::memcpy(o, r, fullBytes);
    size_t pos = fullBytes;
    // Bit replies arrive MSB-justified: the first bit read sits at bit 8 - count.
    o[fullBytes] = restBits > 0 ? static_cast<uint8_t>(r[pos++] >> (8 - restBits)) : 0;
    if ((r[pos] >> kExitReplyShift) & 1) o[fullBytes] |= static_cast<uint8_t>(1u << restBits);
  }
}

}  // namespace mpsse
