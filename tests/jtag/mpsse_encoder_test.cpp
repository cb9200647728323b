// The MPSSE encoder, byte for byte.

#include "jtag/backends/ftdi/mpsse_encoder.h"

#include <gtest/gtest.h>

#include "jtag/backends/ftdi/ft2232_adapter.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(MpsseEncoder, EncodesTheSetUpCommands) {
  mpsse::TEncoder e(100);
  e.HighSpeedCompatibleClock();
  e.LoopbackOff();
  e.SetDivisor(0x1234);
  e.SetLowByte(0x08, 0x0B);
  e.SetHighByte(0x40, 0x60);
  e.ResetToIdle();
  e.Sync();
  const mpsse::TProgram p = e.Finish();
  EXPECT_EQ(p.Bytes, (Bytes{0x8B, 0x97, 0x8D, 0x85, 0x86, 0x34, 0x12, 0x80, 0x08, 0x0B, 0x82, 0x40,
                            0x60, 0x4B, 0x05, 0x1F, 0xAA, 0x87}));
  ASSERT_EQ(p.Segments.size(), 1u);
  EXPECT_EQ(p.Segments[0].ReplyBytes, 2u);
  EXPECT_EQ(p.Segments[0].TckCycles, 6u);
}

TEST(MpsseEncoder, EncodesScansFromIdleToIdle) {
  struct TCase {
    const char* name;
    bool instruction;
    Bytes tdi;
    uint32_t bits;
    bool read;
    Bytes expected;
  } cases[] = {
      // One bit: only the exit command, with the bit on TDI (bit 7).
      {"dr1", false, {0x01}, 1, false, {0x4B, 0x02, 0x01, 0x4B, 0x02, 0x83}},
      // Twelve bits read: a byte, three bits, then the last bit with TMS 1, 1, 0.
      {"dr12",
       false,
       {0xBC, 0x0A},
       12,
       true,
       {0x4B, 0x02, 0x01, 0x39, 0x00, 0x00, 0xBC, 0x3B, 0x02, 0x02, 0x6B, 0x02, 0x83, 0x87}},
      // Nine bits written: exactly one byte, no bit command.
      {"dr9",
       false,
       {0xFF, 0x00},
       9,
       false,
       {0x4B, 0x02, 0x01, 0x19, 0x00, 0x00, 0xFF, 0x4B, 0x02, 0x03}},
      // An instruction of four bits: Idle -> Shift-IR is 1, 1, 0, 0.
      {"ir4", true, {0x0E}, 4, false, {0x4B, 0x03, 0x03, 0x1B, 0x02, 0x06, 0x4B, 0x02, 0x83}},
  };
  for (const TCase& c : cases) {
    mpsse::TEncoder e(100);
    e.Scan(c.instruction, c.tdi.data(), c.bits, c.read, 0);
    EXPECT_EQ(e.Finish().Bytes, c.expected) << c.name;
  }
}

TEST(MpsseEncoder, DecodesMsbJustifiedBitReplies) {
  // Twelve bits: the byte, then 3 bits arriving in bits 5..7, then the last bit in bit 5
  // of the TMS reply.
  const Bytes reply{0x5A, 0b1010'0000, 0b0010'0000};
  const mpsse::TScanReply scan{0, 12, 1};
  Bytes out(3, 0);
  mpsse::DecodeReplies(reply, {&scan, 1}, out);
  EXPECT_EQ(out, (Bytes{0x00, 0x5A, 0x0D}));
}

TEST(MpsseEncoder, SplitsReplyHeavyBatchesIntoSegmentsThatFitTheChip) {
  // 81 bits read back with at most 4 reply bytes a segment: 10 bytes in chunks of 4, 4
  // and 2, then the last bit; every segment ends with send immediate.
  const Bytes tdi(11, 0xA5);
  std::vector<mpsse::TScanReply> replies;
  const TScanRequest scan{false, 81, tdi.data(), true};
  const mpsse::TProgram p = CompileScans({&scan, 1}, 4, &replies);
  ASSERT_EQ(p.Segments.size(), 3u);
  EXPECT_EQ(p.Segments[0].ReplyBytes, 4u);
  EXPECT_EQ(p.Segments[1].ReplyBytes, 4u);
  EXPECT_EQ(p.Segments[2].ReplyBytes, 3u);
  for (const auto& s : p.Segments) EXPECT_EQ(p.Bytes[s.End - 1], mpsse::kSendImmediate);
  EXPECT_EQ(p.ReplyBytes(), 11u);
  uint64_t cycles = 0;
  for (const auto& s : p.Segments) cycles += s.TckCycles;
  EXPECT_EQ(cycles, 3u + 81u + 2u);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].ReplyOffset, 0u);
}

TEST(MpsseEncoder, WriteOnlyWorkNeedsNoWaitHoweverLarge) {
  const Bytes tdi(125, 0x3C);
  std::vector<TScanRequest> scans(1000, TScanRequest{false, 1000, tdi.data(), false});
  scans.push_back({false, 1000, tdi.data(), true});
  std::vector<mpsse::TScanReply> replies;
  const mpsse::TProgram p = CompileScans(scans, 320, &replies);
  ASSERT_EQ(p.Segments.size(), 1u);
  EXPECT_EQ(p.Segments[0].ReplyBytes, 126u);
  EXPECT_EQ(std::count(p.Bytes.end() - 1, p.Bytes.end(), mpsse::kSendImmediate), 1);
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0].OutOffset, 0u);
}

}  // namespace
