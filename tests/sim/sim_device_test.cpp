#include "sim_device.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "bit_buffer.h"
#include "bsdl/bsdl_parser.h"
#include "platform/pinloom_error.h"
#include "support/bsdl_corpus.h"

namespace {

constexpr const char* kChip = R"BSDL(entity TINY_CHIP is
  attribute INSTRUCTION_LENGTH of TINY_CHIP : entity is 3;
  attribute INSTRUCTION_OPCODE of TINY_CHIP : entity is
     "EXTEST  (000)," &
     "SAMPLE  (001)," &
     "IDCODE  (010)," &
     "HIGHZ   (110)," &
     "BYPASS  (111)";
  attribute INSTRUCTION_CAPTURE of TINY_CHIP : entity is "X01";
  attribute BOUNDARY_LENGTH of TINY_CHIP : entity is 5;
  attribute BOUNDARY_REGISTER of TINY_CHIP : entity is
     "4 (BC_1, *, CONTROL, 0)," &
     "3 (BC_1, PA0, OUTPUT3, X, 4, 0, Z)," &
     "2 (BC_1, PA1, INPUT, X)," &
     "1 (BC_7, PB0, BIDIR, X, 4, 0, Z)," &
     "0 (BC_1, PC0, OUTPUT2, 1)";
end TINY_CHIP;
)BSDL";

TSimDevice MakeTiny() {
  TSimDevice d(DeviceSpecFromBSDL(kChip, "TINY", 0x1234567F, "tiny.bsd"));
  for (uint32_t p = 0; p < d.Spec().Ports.size(); ++p) d.SetPortNet(p, static_cast<int32_t>(p));
  return d;
}

void SetIR(TSimDevice& d, uint64_t opcode) {
  for (uint32_t i = 0; i < d.IRLength(); ++i) d.ShiftBit(true, (opcode >> i) & 1);
  d.UpdateIR();
}

TEST(SimDevice, SpecFromBSDL) {
  const TSimDeviceSpec s = DeviceSpecFromBSDL(kChip, "TINY", 0x1234567F, "tiny.bsd");
  EXPECT_EQ(s.IRLength, 3u);
  EXPECT_EQ(s.IRCapture, 1u);  // X01, X read as 0
  ASSERT_EQ(s.Cells.size(), 5u);
  EXPECT_EQ(s.Ports, (std::vector<std::string>{"PC0", "PB0", "PA1", "PA0"}));
  EXPECT_EQ(s.Cells[3].Kind, TSimCellKind::Output);
  EXPECT_EQ(s.Cells[3].ControlCell, 4);
  EXPECT_EQ(s.Cells[3].Disval, 0);
  EXPECT_EQ(s.Cells[1].Kind, TSimCellKind::Bidir);
  EXPECT_EQ(s.Cells[4].Kind, TSimCellKind::Control);
  EXPECT_EQ(s.Cells[0].Safe, 1);
}

TEST(SimDevice, InstructionCaptureFallsBackToOneWithoutAttribute) {
  EXPECT_EQ(InstructionCaptureFromBSDL("attribute X of Y : entity is 3;", 3, 1), 1u);
  EXPECT_EQ(InstructionCaptureFromBSDL(
                "-- attribute INSTRUCTION_CAPTURE of Y : entity is \"111\";\n", 3, 1),
            1u);
  EXPECT_EQ(
      InstructionCaptureFromBSDL("attribute INSTRUCTION_CAPTURE of Y : entity is \"1101\";", 4, 1),
      0xDu);
  EXPECT_EQ(
      InstructionCaptureFromBSDL("attribute INSTRUCTION_CAPTURE of Y : entity is \"11\";", 4, 1),
      1u);  // wrong length
}

TEST(SimDevice, UnusableDescriptionsAreRejected) {
  std::string noLength = kChip;
  noLength.replace(noLength.find("is 3;"), 5, "is 0;");
  EXPECT_THROW(DeviceSpecFromBSDL(noLength, "X", 1, "x.bsd"), EPinloomError);
  std::string badCcell = kChip;
  badCcell.replace(badCcell.find("OUTPUT3, X, 4"), 13, "OUTPUT3, X, 9");
  EXPECT_THROW(DeviceSpecFromBSDL(badCcell, "X", 1, "x.bsd"), EPinloomError);
  std::string shortOpcode = kChip;
  shortOpcode.replace(shortOpcode.find("(000)"), 5, "(00)");
  EXPECT_THROW(DeviceSpecFromBSDL(shortOpcode, "X", 1, "x.bsd"), EPinloomError);
  // An instruction the simulator treats as BYPASS may have an opcode it cannot hold.
  std::string oddHighz = kChip;
  oddHighz.replace(oddHighz.find("(110)"), 5, "(10)");
  EXPECT_EQ(DeviceSpecFromBSDL(oddHighz, "X", 1, "x.bsd").Instructions.size(), 4u);
}

TEST(SimDevice, OpcodesSelectRegisters) {
  TSimDevice d = MakeTiny();
  EXPECT_EQ(d.InstructionName(), "IDCODE");  // after reset
  EXPECT_EQ(d.ShiftLength(false), 32u);
  struct TCase {
    uint64_t opcode;
    const char* name;
    TSimMode mode;
    uint32_t length;
  } cases[] = {
      {0b000, "EXTEST", TSimMode::Extest, 5},  {0b001, "SAMPLE", TSimMode::SamplePreload, 5},
      {0b010, "IDCODE", TSimMode::Idcode, 32}, {0b110, "HIGHZ", TSimMode::Bypass, 1},
      {0b111, "BYPASS", TSimMode::Bypass, 1},  {0b101, "BYPASS", TSimMode::Bypass, 1},
  };
  for (const TCase& c : cases) {
    SetIR(d, c.opcode);
    EXPECT_EQ(d.InstructionName(), c.name) << c.opcode;
    EXPECT_EQ(d.Mode(), c.mode) << c.opcode;
    EXPECT_EQ(d.ShiftLength(false), c.length) << c.opcode;
  }
  d.Reset();
  EXPECT_EQ(d.Mode(), TSimMode::Idcode);
}

TEST(SimDevice, CapturesPinsAndLatches) {
  TSimDevice d = MakeTiny();
  d.CaptureIR();
  EXPECT_EQ(d.IRShiftValue(), 1u);
  d.CaptureDR(nullptr);  // IDCODE needs no nets
  uint32_t id = 0;
  for (int i = 0; i < 32; ++i) id |= static_cast<uint32_t>(d.ShiftBit(false, 0)) << i;
  EXPECT_EQ(id, 0x1234567Fu);

  SetIR(d, 0b001);  // SAMPLE
  // Nets by port index: PC0=0, PB0=1, PA1=2, PA0=3.
  const uint8_t levels[] = {0, 1, 1, 0};
  d.CaptureDR(levels);
  // Cell 0 (OUTPUT2, safe 1) latch 1; cell 1 BIDIR PB0 -> 1; cell 2 INPUT PA1 -> 1;
  // cell 3 OUTPUT3 latch 0 (safe X); cell 4 CONTROL latch 0.
  const bool expected[] = {1, 1, 1, 0, 0};
  for (uint32_t k = 0; k < 5; ++k) EXPECT_EQ(d.CapturedBit(k), expected[k]) << k;
}

TEST(SimDevice, ExtestDrivesUnlessControlCellHoldsDisval) {
  TSimDevice d = MakeTiny();
  auto driven = [&d] {
    std::vector<std::pair<int32_t, bool>> pins;
    d.ForEachDrivenPin([&](int32_t net, bool level) { pins.push_back({net, level}); });
    return pins;
  };
  auto load = [&d](uint8_t bits) {  // shift the five cells, bit k = cell k
    for (int k = 0; k < 5; ++k) d.ShiftBit(false, (bits >> k) & 1);
    return d.UpdateDR();
  };
  SetIR(d, 0b001);
  EXPECT_FALSE(load(0b11001));  // PRELOAD: latches change, pins stay released
  EXPECT_TRUE(driven().empty());
  EXPECT_TRUE(d.UpdateLatch(4));
  EXPECT_TRUE(d.UpdateLatch(3));
  SetIR(d, 0b000);  // EXTEST drives what PRELOAD loaded
  using P = std::vector<std::pair<int32_t, bool>>;
  // PC0 (OUTPUT2, no control) always; PA0 (cell 3) and PB0 (cell 1) enabled by cell 4 = 1.
  EXPECT_EQ(driven(), (P{{0, 1}, {1, 0}, {3, 1}}));
  EXPECT_TRUE(load(0b01000));  // control 0 = disval: PA0 and PB0 released
  EXPECT_EQ(driven(), (P{{0, 0}}));
  SetIR(d, 0b111);
  EXPECT_TRUE(driven().empty());
}

TEST(BitBuffer, CopyBitsMatchesBitByBitCopy) {
  std::mt19937 rng(7);
  for (int round = 0; round < 2000; ++round) {
    const size_t srcBytes = 1 + rng() % 40, dstBytes = 1 + rng() % 40;
    std::vector<uint8_t> src(srcBytes), dst(dstBytes);
    for (auto& b : src) b = static_cast<uint8_t>(rng());
    for (auto& b : dst) b = static_cast<uint8_t>(rng());
    const size_t srcBit = rng() % (srcBytes * 8);
    const size_t dstBit = rng() % (dstBytes * 8);
    const size_t count = rng() % (std::min(srcBytes * 8 - srcBit, dstBytes * 8 - dstBit) + 1);
    std::vector<uint8_t> expect = dst;
    for (size_t i = 0; i < count; ++i)
      sim::SetBit(expect.data(), dstBit + i, sim::GetBit(src.data(), srcBit + i));
    // Exact-size copies catch reads or writes past the ranges (under the sanitizers).
    std::vector<uint8_t> s(src.begin(),
                           src.begin() + static_cast<long>(sim::BytesForBits(srcBit + count)));
    sim::CopyBits(dst.data(), dstBit, s.data(), srcBit, count);
    ASSERT_EQ(dst, expect) << "round " << round;
  }
}

}  // namespace

namespace {

// Real vendor files: every one the parser reads becomes a simulated device whose IR
// captures ...01 and which selects IDCODE or BYPASS after reset.
TEST(SimDevice, VendorBSDLFilesBecomeDevices) {
  const std::filesystem::path dir = BsdlCorpusDir();
  if (dir.empty()) GTEST_SKIP() << "no BSDL corpus";
  int loaded = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() != ".bsd" && entry.path().extension() != ".bsdl") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<TBScan_Cell> cells;
    std::vector<TBScan_InstructionRegister> instructions;
    int32_t irLength = 0;
    try {
      ParseBSDLText(
          text.str(), cells, instructions, irLength, [](const std::string&, uint32_t) {}, [] {});
    } catch (const EPinloomError&) {
      continue;  // the system's parser does not read this file either
    }
    try {
      TSimDevice d(DeviceSpecFromBSDL(text.str(), "X", 0x1234567F, entry.path().string()));
      EXPECT_EQ(d.Spec().IRCapture & 3, 1u) << entry.path();
      EXPECT_TRUE(d.Mode() == TSimMode::Idcode || d.Mode() == TSimMode::Bypass) << entry.path();
      EXPECT_GT(d.BoundaryLength(), 0u) << entry.path();
      ++loaded;
    } catch (const EPinloomError& e) {
      ADD_FAILURE() << e.what();
    }
  }
  EXPECT_GT(loaded, 0);
}

}  // namespace
