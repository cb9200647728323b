#pragma once
// The MPSSE command encoder for JTAG on FTDI chips: pure byte encoding, no I/O.
//
// Pins of the low byte (ADBUS): AD0 TCK, AD1 TDI, AD2 TDO (input), AD3 TMS. Data is
// clocked LSB first, written on the falling edge of TCK and read on the rising edge.
// A program is split into segments, each ending with "send immediate" when it reads,
// so that the replies of one segment never exceed what the chip can buffer while the
// host is still writing.

#include <cstdint>
#include <span>
#include <vector>

namespace mpsse {

// Opcode flags of the shift commands.
constexpr uint8_t kWriteNegEdge = 0x01;
constexpr uint8_t kBitMode = 0x02;
constexpr uint8_t kReadNegEdge = 0x04;
constexpr uint8_t kLsbFirst = 0x08;
constexpr uint8_t kWriteTdi = 0x10;
constexpr uint8_t kReadTdo = 0x20;
constexpr uint8_t kWriteTms = 0x40;

// The shift commands JTAG uses.
constexpr uint8_t kBytesOut = kWriteTdi | kLsbFirst | kWriteNegEdge;               // 0x19
constexpr uint8_t kBitsOut = kBytesOut | kBitMode;                                 // 0x1B
constexpr uint8_t kBytesIn = kReadTdo | kLsbFirst;                                 // 0x28
constexpr uint8_t kBitsIn = kBytesIn | kBitMode;                                   // 0x2A
constexpr uint8_t kBytesInOut = kReadTdo | kWriteTdi | kLsbFirst | kWriteNegEdge;  // 0x39
constexpr uint8_t kBitsInOut = kBytesInOut | kBitMode;                             // 0x3B
constexpr uint8_t kTmsOut = kWriteTms | kLsbFirst | kBitMode | kWriteNegEdge;      // 0x4B
constexpr uint8_t kTmsInOut = kTmsOut | kReadTdo;                                  // 0x6B

// Other commands.
constexpr uint8_t kSetLowByte = 0x80;  // value, direction
constexpr uint8_t kReadLowByte = 0x81;
constexpr uint8_t kSetHighByte = 0x82;  // value, direction
constexpr uint8_t kReadHighByte = 0x83;
constexpr uint8_t kLoopbackOn = 0x84;
constexpr uint8_t kLoopbackOff = 0x85;
constexpr uint8_t kSetDivisor = 0x86;  // low, high
constexpr uint8_t kSendImmediate = 0x87;
// H-series only (FT2232H, FT4232H, FT232H); an FT2232C/D takes them for bad commands.
constexpr uint8_t kDivideBy5Off = 0x8A;
constexpr uint8_t kDivideBy5On = 0x8B;
constexpr uint8_t kThreePhaseOn = 0x8C;
constexpr uint8_t kThreePhaseOff = 0x8D;
constexpr uint8_t kAdaptiveOn = 0x96;
constexpr uint8_t kAdaptiveOff = 0x97;
// An opcode no chip knows: the chip answers kBadCommand followed by it, which lets the
// host find the start of the reply stream.
constexpr uint8_t kSyncOpcode = 0xAA;
constexpr uint8_t kBadCommand = 0xFA;

// Low-byte pins.
constexpr uint8_t kPinTck = 0x01;
constexpr uint8_t kPinTdi = 0x02;
constexpr uint8_t kPinTdo = 0x04;
constexpr uint8_t kPinTms = 0x08;

// Lengths a single command moves.
constexpr uint32_t kMaxBytesPerCommand = 65536;
constexpr uint32_t kMaxBitsPerCommand = 8;
constexpr uint32_t kMaxTmsBitsPerCommand = 7;

// A run of bytes ready for the chip: the commands, and the replies they produce.
struct TSegment {
  size_t End;          // end offset in TProgram::Bytes
  size_t ReplyBytes;   // replies the segment produces
  uint64_t TckCycles;  // clock cycles it runs
};

struct TProgram {
  std::vector<uint8_t> Bytes;
  std::vector<TSegment> Segments;  // in order; the last one ends at Bytes.size()
  size_t ReplyBytes() const;
};

// Where the read-back of one read scan sits in the reply stream.
struct TScanReply {
  size_t ReplyOffset;  // of its first reply byte
  uint32_t Bits;
  size_t OutOffset;  // byte offset of its read-back in the caller's buffer
};

class TEncoder {
 public:
  // `maxReplyPerSegment`: the most reply bytes one segment may produce (at least 2).
  explicit TEncoder(size_t maxReplyPerSegment);

  // Room for `bytes` of commands, so that a large batch grows its buffer once.
  void Reserve(size_t bytes) { program_.Bytes.reserve(bytes); }

  // Chip set-up.
  void SetLowByte(uint8_t value, uint8_t direction);
  void SetHighByte(uint8_t value, uint8_t direction);
  void SetDivisor(uint16_t divisor);
  void LoopbackOff();
  // H-series: the 12 MHz base clock (divide by 5 on), no adaptive and no three-phase
  // clocking, so that TCK = 6 MHz / (1 + divisor) as on an FT2232C/D.
  void HighSpeedCompatibleClock();
  void Sync();  // the bad opcode; 2 reply bytes

  // TMS bits in time order (LSB first in `tms`), TDI held at `tdi`.
  void Tms(uint8_t tms, uint32_t count, bool tdi);
  // Five TMS ones (Test-Logic-Reset), then a zero (Run-Test/Idle).
  void ResetToIdle();
  // One scan from Run-Test/Idle back to Run-Test/Idle. With `read`, appends where its
  // read-back lands to the replies (see Replies()).
  void Scan(bool instruction, const uint8_t* tdi, uint32_t bits, bool read, size_t outOffset);

  // Closes the program (a final send immediate when the last segment reads).
  TProgram Finish();
  const std::vector<TScanReply>& Replies() const { return replies_; }

 private:
  void Put(uint8_t b) { program_.Bytes.push_back(b); }
  // Reserves `n` reply bytes in the current segment, closing it first when they would
  // not fit.
  void ExpectReply(size_t n);
  void CloseSegment();
  void ShiftBytes(const uint8_t* data, size_t count, bool read);
  void ShiftBits(uint8_t data, uint32_t count, bool read);

  size_t maxReply_;
  TProgram program_;
  size_t segmentReply_ = 0;
  uint64_t segmentCycles_ = 0;
  size_t replyTotal_ = 0;
  std::vector<TScanReply> replies_;
};

// Stores the read-back of each scan from the reply stream into `out`.
void DecodeReplies(std::span<const uint8_t> reply, std::span<const TScanReply> scans,
                   std::span<uint8_t> out);

}  // namespace mpsse
