#include "sim_board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "bit_buffer.h"
#include "bsdl/bsdl_parser.h"
#include "platform/pinloom_error.h"
#include "platform/text_utils.h"

namespace {

// Demo chain: CPLD (IR 8, 100 cells) nearest TDI, MCU (IR 4, 122 cells), IOX (IR 5, 34).
constexpr size_t kCpld = 0, kMcu = 1, kIox = 2;

std::unique_ptr<TSimBoard> Demo() {
  return LoadSimBoard(DemoBoardPath());
}

// The host side of a scan, bit by bit on the pins: the independent path.
void PinScan(TSimBoard& b, bool ir, const uint8_t* tdi, uint8_t* tdo, uint32_t bits) {
  auto clock = [&b](bool tms, bool d) {
    b.SetPins(false, tms, d);
    const bool o = b.Tdo();
    b.SetPins(true, tms, d);
    return o;
  };
  clock(true, false);
  if (ir) clock(true, false);
  clock(false, false);
  clock(false, false);
  for (uint32_t k = 0; k < bits; ++k) {
    const bool o = clock(k + 1 == bits, sim::GetBit(tdi, k));
    if (tdo) sim::SetBit(tdo, k, o);
  }
  clock(true, false);
  clock(false, false);
  b.SetPins(false, false, false);
}

void PinIdle(TSimBoard& b, uint32_t cycles) {
  for (uint32_t i = 0; i < cycles; ++i) {
    b.SetPins(false, false, false);
    b.SetPins(true, false, false);
  }
  b.SetPins(false, false, false);
}

void PinReset(TSimBoard& b) {
  for (int i = 0; i < 6; ++i) {
    b.SetPins(false, i < 5, false);
    b.SetPins(true, i < 5, false);
  }
  b.SetPins(false, false, false);
}

// Drives the MCU's pins under EXTEST with the CPLD and the IOX in BYPASS, either
// through the scan-level path or through the pins. Every capture is recorded.
class TMcuHost {
 public:
  TMcuHost(TSimBoard& board, bool pins) : b_(board), pins_(pins), mcu_(board.Device(kMcu)) {
    image_.assign(sim::BytesForBits(Bits()), 0);
    for (uint32_t k = 0; k < mcu_.BoundaryLength(); ++k)  // every driver released
      if (mcu_.Spec().Cells[k].Kind == TSimCellKind::Control)
        sim::SetBit(image_.data(), 1 + k, mcu_.Spec().Cells[k].Safe);
  }

  uint32_t Bits() const { return 1 + mcu_.BoundaryLength() + 1; }

  int32_t Cell(const std::string& port, bool output) const {
    const int32_t p = mcu_.PortIndex(port);
    for (uint32_t k = 0; k < mcu_.BoundaryLength(); ++k) {
      const TSimCell& c = mcu_.Spec().Cells[k];
      if (c.Port != p) continue;
      if (c.Kind == TSimCellKind::Bidir) return static_cast<int32_t>(k);
      if (c.Kind == (output ? TSimCellKind::Output : TSimCellKind::Input))
        return static_cast<int32_t>(k);
    }
    ADD_FAILURE() << "no cell for " << port;
    return 0;
  }
  void Drive(const std::string& port, bool level) {
    const int32_t out = Cell(port, true);
    const TSimCell& c = mcu_.Spec().Cells[static_cast<size_t>(out)];
    sim::SetBit(image_.data(), 1 + static_cast<size_t>(out), level);
    sim::SetBit(image_.data(), 1 + static_cast<size_t>(c.ControlCell), c.Disval == 0);
  }
  void Release(const std::string& port) {
    const TSimCell& c = mcu_.Spec().Cells[static_cast<size_t>(Cell(port, true))];
    sim::SetBit(image_.data(), 1 + static_cast<size_t>(c.ControlCell), c.Disval == 1);
  }
  bool Input(const std::string& port) const {
    return sim::GetBit(last_.data(), 1 + static_cast<size_t>(Cell(port, false)));
  }

  void Scan(bool ir, const uint8_t* tdi, uint32_t bits) {
    last_.assign(sim::BytesForBits(bits), 0);
    if (pins_) {
      PinScan(b_, ir, tdi, last_.data(), bits);
    } else {
      b_.ScanFromIdle(ir, tdi, last_.data(), bits);
    }
    log.push_back(last_);
  }
  void Shift() { Scan(false, image_.data(), Bits()); }
  // IR: IOX (5 bits, nearest TDO) BYPASS, MCU opcode, CPLD (8 bits) BYPASS.
  void Instruction(uint8_t mcuOpcode) {
    const uint32_t v = 0x1Fu | (uint32_t{mcuOpcode} << 5) | (0xFFu << 9);
    const uint8_t tdi[3] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                            static_cast<uint8_t>(v >> 16)};
    Scan(true, tdi, 17);
  }
  void Reset() { pins_ ? PinReset(b_) : b_.ResetToIdle(); }
  void Idle(uint32_t cycles) { pins_ ? PinIdle(b_, cycles) : b_.Idle(cycles); }

  // SPI mode 0, three scans per bit, as the SPI programmer drives it.
  std::vector<uint8_t> Spi(const std::vector<uint8_t>& out) {
    std::vector<uint8_t> in;
    for (size_t i = 0; i < out.size(); ++i) {
      uint8_t r = 0;
      for (int bit = 7; bit >= 0; --bit) {
        Drive("SPI_CS", false);
        Drive("SPI_SCK", false);
        Drive("SPI_MOSI", (out[i] >> bit) & 1);
        Shift();
        r = static_cast<uint8_t>((r << 1) | Input("SPI_MISO"));
        Drive("SPI_SCK", true);
        Shift();
        Drive("SPI_SCK", false);
        if (bit == 0 && i + 1 == out.size()) Drive("SPI_CS", true);
        Shift();
      }
      in.push_back(r);
    }
    return in;
  }

  // NOR bus cycles as the NOR programmer drives them (word mode).
  void SetAddress(uint32_t a) {
    for (int k = 0; k < 23; ++k) Drive("A" + Two(k), (a >> k) & 1);
  }
  void NorWrite(uint32_t a, uint16_t d) {
    SetAddress(a);
    for (int k = 0; k < 16; ++k) Drive("D" + Two(k), (d >> k) & 1);
    Drive("FCE", false);
    Drive("FWE", false);
    Shift();
    Drive("FWE", true);
    Drive("FCE", true);
    for (int k = 0; k < 16; ++k) Release("D" + Two(k));
    Shift();
  }
  uint16_t NorRead(uint32_t a) {
    SetAddress(a);
    Shift();
    Drive("FCE", false);
    Shift();
    Drive("FOE", false);
    Shift();
    Drive("FOE", true);
    Drive("FCE", true);
    Shift();
    uint16_t w = 0;
    for (int k = 0; k < 16; ++k) w = static_cast<uint16_t>(w | (Input("D" + Two(k)) << k));
    return w;
  }

  std::vector<std::vector<uint8_t>> log;

 private:
  static std::string Two(int k) { return (k < 10 ? "0" : "") + std::to_string(k); }

  TSimBoard& b_;
  bool pins_;
  const TSimDevice& mcu_;
  std::vector<uint8_t> image_;
  std::vector<uint8_t> last_;
};

TEST(SimBoard, DemoChainAfterReset) {
  auto b = Demo();
  ASSERT_EQ(b->DeviceCount(), 3u);
  EXPECT_EQ(b->Device(kCpld).Name(), "CPLD");
  EXPECT_EQ(b->Device(kMcu).IRLength(), 4u);
  EXPECT_EQ(b->Device(kCpld).IRLength(), 8u);
  EXPECT_EQ(b->Device(kIox).IRLength(), 5u);
  EXPECT_EQ(b->Device(kMcu).BoundaryLength(), 122u);
  EXPECT_NE(b->Description().find("demo"), std::string::npos);
  b->ResetToIdle();
  EXPECT_EQ(b->TapState(), TTapState::RunTestIdle);
  // IDCODEs come out nearest-TDO first.
  uint8_t tdi[12] = {}, tdo[12] = {};
  b->ScanFromIdle(false, tdi, tdo, 96);
  auto word = [&tdo](int i) {
    return uint32_t{tdo[4 * i]} | uint32_t{tdo[4 * i + 1]} << 8 | uint32_t{tdo[4 * i + 2]} << 16 |
           uint32_t{tdo[4 * i + 3]} << 24;
  };
  EXPECT_EQ(word(0), 0x0E6D256Bu);
  EXPECT_EQ(word(1), 0x4F80156Bu);
  EXPECT_EQ(word(2), 0x1C51A56Bu);
  // Instruction captures: IOX 00001, MCU 0101 (INSTRUCTION_CAPTURE), CPLD XXXXXX01.
  uint8_t ones[3] = {0xFF, 0xFF, 0xFF}, ir[3] = {};
  b->ScanFromIdle(true, ones, ir, 17);
  const uint32_t v = ir[0] | ir[1] << 8 | (ir[2] & 1) << 16;
  EXPECT_EQ(v & 0x1F, 0x01u);
  EXPECT_EQ((v >> 5) & 0xF, 0x5u);
  EXPECT_EQ((v >> 9) & 0xFF, 0x01u);
  for (size_t d = 0; d < 3; ++d) EXPECT_EQ(b->Device(d).InstructionName(), "BYPASS");
  // All devices in BYPASS: one bit each, capturing 0.
  uint8_t flushed[1] = {0xFF}, out[1] = {};
  b->ScanFromIdle(false, flushed, out, 8);
  EXPECT_EQ(out[0], 0xF8);
}

TEST(SimBoard, TrstHoldsTheChainInReset) {
  auto b = Demo();
  TMcuHost host(*b, false);
  host.Reset();
  host.Instruction(0b0010);
  EXPECT_EQ(b->Device(kMcu).InstructionName(), "SAMPLE");
  b->SetTrst(true);
  EXPECT_EQ(b->TapState(), TTapState::TestLogicReset);
  EXPECT_EQ(b->Device(kMcu).InstructionName(), "IDCODE");
  for (int i = 0; i < 4; ++i) {
    b->SetPins(false, false, false);
    b->SetPins(true, false, false);
  }
  EXPECT_EQ(b->TapState(), TTapState::TestLogicReset);
  b->SetTrst(false);
  b->SetPins(false, false, false);
  b->SetPins(true, false, false);
  EXPECT_EQ(b->TapState(), TTapState::RunTestIdle);
}

// The default pin selections after loading the main device's BSDL are positions in
// the case-insensitively sorted list of distinct port names.
TEST(SimBoard, DemoMainDevicePortOrderMatchesTheNorWiring) {
  std::ifstream in(std::string(PINLOOM_DEMO_DIR) + "/pl_mcu100.bsd");
  std::stringstream text;
  text << in.rdbuf();
  std::vector<TBScan_Cell> cells;
  std::vector<TBScan_InstructionRegister> ins;
  int32_t irLength = 0;
  ParseBSDLText(
      text.str(), cells, ins, irLength, [](const std::string&, uint32_t) {}, [] {});
  std::vector<std::string> ports;
  std::set<std::string> functions;
  for (const TBScan_Cell& c : cells) {
    functions.insert(c.Function);
    if (c.Port != "*" && std::find(ports.begin(), ports.end(), c.Port) == ports.end())
      ports.push_back(c.Port);
  }
  std::stable_sort(ports.begin(), ports.end(), text::LessText);
  ASSERT_GE(ports.size(), 80u);
  auto two = [](int k) { return (k < 10 ? "0" : "") + std::to_string(k); };
  for (int k = 0; k < 25; ++k) EXPECT_EQ(ports[static_cast<size_t>(k)], "A" + two(k));
  for (int k = 0; k < 16; ++k) EXPECT_EQ(ports[static_cast<size_t>(32 + k)], "D" + two(k));
  EXPECT_EQ(ports[48], "FCE");
  EXPECT_EQ(ports[49], "FOE");
  EXPECT_EQ(ports[50], "FWE");
  for (const char* f : {"INPUT", "OUTPUT2", "OUTPUT3", "BIDIR", "CONTROL"})
    EXPECT_TRUE(functions.count(f)) << f;
  // The SPI and counter pins sort behind the NOR lines.
  for (const char* p : {"SPI_SCK", "TOUT0", "TIN0"})
    EXPECT_GT(std::find(ports.begin(), ports.end(), p) - ports.begin(), 53) << p;
}

TEST(SimBoard, SampleCapturesTheNetLevels) {
  auto b = Demo();
  TMcuHost host(*b, false);
  host.Reset();
  host.Instruction(0b0010);  // SAMPLE
  host.Shift();
  const TSimDevice& mcu = b->Device(kMcu);
  int checked = 0;
  for (uint32_t k = 0; k < mcu.BoundaryLength(); ++k) {
    const TSimCell& c = mcu.Spec().Cells[k];
    if (c.Kind != TSimCellKind::Input && c.Kind != TSimCellKind::Bidir) continue;
    const std::string& port = mcu.Spec().Ports[static_cast<size_t>(c.Port)];
    EXPECT_EQ(mcu.CapturedBit(k), b->NetLevel("MCU." + port)) << port;
    ++checked;
  }
  EXPECT_GT(checked, 40);
  EXPECT_TRUE(b->NetLevel("USR_BTN0"));   // pull-up
  EXPECT_FALSE(b->NetLevel("USR_BTN1"));  // pull-down
  EXPECT_TRUE(b->NetLevel("MCU.ADC3"));   // floating reads 1
  EXPECT_FALSE(host.Input("TIN2"));       // pulled down through the loopback wire
}

TEST(SimBoard, ExtestDrivesLoopbacksAndCountsContention) {
  auto b = Demo();
  TMcuHost host(*b, false);
  host.Reset();
  host.Instruction(0b0010);
  host.Shift();
  host.Instruction(0b0000);  // EXTEST
  for (int k = 0; k < 6; ++k) host.Drive("TOUT" + std::to_string(k), k % 2 == 0);
  host.Shift();
  host.Shift();
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(host.Input("TIN" + std::to_string(k)), k % 2 == 0) << k;
    EXPECT_EQ(b->NetLevel("MCU.TIN" + std::to_string(k)), k % 2 == 0) << k;
  }
  EXPECT_EQ(b->ContentionCount(), 0u);

  // CPLD.IO00 and IOX.P00 share a wire; drive them against each other.
  b->ResetToIdle();
  const TSimDevice& cpld = b->Device(kCpld);
  const TSimDevice& iox = b->Device(kIox);
  const uint32_t total = iox.BoundaryLength() + 1 + cpld.BoundaryLength();
  std::vector<uint8_t> dr(sim::BytesForBits(total), 0);
  // IOX cells at bits 0..33: cell 0 is P00's control (disval 0), cell 1 its BIDIR.
  sim::SetBit(dr.data(), 0, true);
  sim::SetBit(dr.data(), 1, false);
  // CPLD after the MCU's bypass bit: cell 1 control of IO00 (disval 0), cell 2 output.
  const size_t cpldBase = iox.BoundaryLength() + 1;
  sim::SetBit(dr.data(), cpldBase + 1, true);
  sim::SetBit(dr.data(), cpldBase + 2, true);
  // IR: IOX EXTEST (00000), MCU BYPASS, CPLD EXTEST.
  const uint32_t irValue = 0x0u | (0xFu << 5) | (0x00u << 9);
  const uint8_t ir[3] = {static_cast<uint8_t>(irValue), static_cast<uint8_t>(irValue >> 8), 0};
  b->ScanFromIdle(true, ir, nullptr, 17);
  b->ScanFromIdle(false, dr.data(), nullptr, total);
  EXPECT_EQ(b->ContentionCount(), 1u);
  EXPECT_TRUE(b->NetLevel("CPLD.IO00"));
  ASSERT_EQ(b->ContendedNets().size(), 1u);
  EXPECT_EQ(b->ContendedNets()[0], "CPLD.IO00=IOX.P00");
  b->ScanFromIdle(false, dr.data(), nullptr, total);  // still fighting: no new event
  EXPECT_EQ(b->ContentionCount(), 1u);
  b->ResetToIdle();  // released
  EXPECT_TRUE(b->ContendedNets().empty());
}

// One sequence of scans (SPI and NOR flash traffic through EXTEST) fed through the
// scan-level path and through the pins gives the same captures, times and contents.
TEST(SimBoard, ScanLevelAndPinLevelPathsAgree) {
  struct TRun {
    std::vector<std::vector<uint8_t>> log;
    std::vector<uint8_t> rdsr, read;
    uint16_t norWord = 0, norStatus = 0;
    uint64_t now = 0;
    std::unique_ptr<TSimBoard> board;
  };
  auto run = [](bool pins) {
    TRun r;
    r.board = Demo();
    r.board->SetClockHz(30'000'000);  // fast enough to see the NOR program busy
    TMcuHost h(*r.board, pins);
    h.Reset();
    h.Instruction(0b0010);
    for (const char* p : {"FCE", "FOE", "FWE", "NRST", "NBYTE", "NWP", "SPI_CS"}) h.Drive(p, true);
    h.Drive("SPI_SCK", false);
    h.Drive("SPI_MOSI", false);
    h.Shift();  // PRELOAD
    h.Instruction(0b0000);
    h.Shift();
    h.Spi({0x06});
    h.Spi({0x02, 0x00, 0x01, 0x00, 0xA5, 0x3C});
    r.rdsr = h.Spi({0x05, 0x00});
    h.Idle(30000);  // 1 ms
    r.read = h.Spi({0x03, 0x00, 0x01, 0x00, 0x00, 0x00});
    h.NorWrite(0x555, 0xAAAA);
    h.NorWrite(0x2AA, 0x5555);
    h.NorWrite(0x555, 0xA0A0);
    h.NorWrite(0x123, 0x1234);
    r.norStatus = h.NorRead(0x123);
    h.Idle(3000);  // 100 µs
    r.norWord = h.NorRead(0x123);
    r.log = h.log;
    r.now = r.board->NowPs();
    return r;
  };
  const TRun fast = run(false);
  const TRun slow = run(true);
  // The sequence did what it says.
  EXPECT_EQ(fast.rdsr[1], 0x03);  // WIP and WEL
  EXPECT_EQ(fast.read[4], 0xA5);
  EXPECT_EQ(fast.read[5], 0x3C);
  EXPECT_EQ(fast.norStatus & 0x80, 0x80);  // DQ7 = complement of bit 7 of 0x1234
  EXPECT_EQ(fast.norWord, 0x1234);
  EXPECT_EQ(fast.board->SpiFlash()->Memory()[0x100], 0xA5);
  // And both paths agree on all of it.
  ASSERT_EQ(fast.log.size(), slow.log.size());
  for (size_t i = 0; i < fast.log.size(); ++i) ASSERT_EQ(fast.log[i], slow.log[i]) << "scan " << i;
  EXPECT_EQ(fast.now, slow.now);
  EXPECT_EQ(fast.board->SpiFlash()->Memory(), slow.board->SpiFlash()->Memory());
  EXPECT_EQ(fast.board->NorFlash()->Memory(), slow.board->NorFlash()->Memory());
  EXPECT_EQ(fast.board->ContentionCount(), slow.board->ContentionCount());
}

TEST(SimBoard, FlashDumpsHoldTheContents) {
  auto b = Demo();
  b->SpiFlash()->Memory()[3] = 0x42;
  b->NorFlash()->Memory()[5] = 0x17;
  const std::string dir = std::filesystem::temp_directory_path() / "pinloom_sim_dump_test";
  std::filesystem::create_directories(dir);
  b->DumpSpiFlash(dir + "/spi.bin");
  b->DumpNorFlash(dir + "/nor.bin");
  EXPECT_EQ(std::filesystem::file_size(dir + "/spi.bin"), 2u << 20);
  TM25PXFlash spi(TM25PXType::M25PX16);
  spi.LoadFile(dir + "/spi.bin");
  EXPECT_EQ(spi.Memory(), b->SpiFlash()->Memory());
  TS29GLFlash nor(TS29GLType::S29GL128N);
  nor.LoadFile(dir + "/nor.bin");
  EXPECT_EQ(nor.Memory()[5], 0x17);
  std::filesystem::remove_all(dir);
}

TEST(SimBoard, BadBoardFilesAreReported) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "pinloom_bad_boards";
  std::filesystem::create_directories(dir);
  const std::string bsdl = std::string(PINLOOM_DEMO_DIR) + "/pl_iox16.bsd";
  const std::string good =
      "[BOARD]\nDEVICES=1\n[DEVICE0]\nNAME=IOX\nBSDL=" + bsdl + "\nIDCODE=0E6D256B\n";
  const struct {
    std::string content;
    std::string message;
  } cases[] = {
      {"[BOARD]\nDEVICES=0\n", "[BOARD] DEVICES must be 1 to 64"},
      {"[BOARD]\nDEVICES=1\n[DEVICE0]\nIDCODE=1\n", "[DEVICE0] BSDL is missing"},
      {"[BOARD]\nDEVICES=1\n[DEVICE0]\nBSDL=nothing.bsd\nIDCODE=1\n", "BSDL file not found"},
      {"[BOARD]\nDEVICES=1\n[DEVICE0]\nBSDL=" + bsdl + "\nIDCODE=XYZ\n", "IDCODE must be"},
      {good + "[WIRES]\nCOUNT=1\nWIRE0=IOX.P00,IOX.Q99\n", "no net named IOX.Q99"},
      {good + "[PULLS]\nCOUNT=1\nPULL0=IOX.P00,SIDEWAYS\n", "UP, DOWN or NONE"},
      {good + "[SPI_FLASH]\nTYPE=W25Q64\n", "unknown SPI flash type"},
      {good + "[NOR_FLASH]\nTYPE=S29GL128N\nCE=IOX.P00\n", "[NOR_FLASH] OE is missing"},
      {"[BOARD]\nBUSY_TIME_SCALE=fast\nDEVICES=1\n", "BUSY_TIME_SCALE"},
  };
  for (const auto& c : cases) {
    const std::string path = (dir / "board.ini").string();
    std::ofstream(path, std::ios::trunc) << c.content;
    try {
      LoadSimBoard(path);
      ADD_FAILURE() << "accepted: " << c.content;
    } catch (const EPinloomError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
  }
  std::ofstream((dir / "board.ini").string(), std::ios::trunc) << good;
  EXPECT_EQ(LoadSimBoard((dir / "board.ini").string())->DeviceCount(), 1u);
  EXPECT_THROW(LoadSimBoard((dir / "missing.ini").string()), EPinloomError);
  std::filesystem::remove_all(dir);
}

}  // namespace
