// The contract every adapter backend keeps, run against each of them through the
// adapter library: the same bits shifted for the same scans, queued or not, on
// chains of one and three devices; arguments refused at the edge; failures reported
// as statuses within a deadline.

#include <gtest/gtest.h>

#include <array>
#include <chrono>

#include "jtag/My_D2XXUnit.h"
#include "jtag/backend_rigs.h"

namespace {

const TChainSpec kOneDevice = {{10, 0x0BA00477}};
const TChainSpec kThreeDevices = {{6, 0x16D4A093}, {10, 0x0BA00477}, {8, 0x2A56C0DD}};

struct TBackendCase {
  const char* Name;
  TRigFactory Make;
};

void PrintTo(const TBackendCase& c, std::ostream* os) {
  *os << c.Name;
}

const TBackendCase kBackends[] = {
    {"Simulator", [](const TChainSpec& s) { return OnFakeChain(SimulatorRig, s); }},
    {"FT2232H", [](const TChainSpec& s) { return OnFakeChain(FtdiRig, s, TFtdiChip::FT2232H); }},
    {"FT2232C", [](const TChainSpec& s) { return OnFakeChain(FtdiRig, s, TFtdiChip::FT2232C); }},
    {"FT4232H", [](const TChainSpec& s) { return OnFakeChain(FtdiRig, s, TFtdiChip::FT4232H); }},
    {"RemoteBitbang", [](const TChainSpec& s) { return OnFakeChain(RemoteBitbangRig, s); }},
};

uint32_t TotalIrLength(const TChainSpec& spec) {
  uint32_t n = 0;
  for (const auto& d : spec) n += d.IRLength;
  return n;
}

// One scan of a script.
struct TStep {
  bool Instruction;
  std::vector<uint8_t> Tdi;
  uint32_t Bits;
  bool Read;
};

std::vector<uint8_t> Pattern(uint32_t bits, uint8_t seed) {
  std::vector<uint8_t> v(ScanBytes(bits));
  for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint8_t>(seed * 37 + i * 101 + 7);
  if (bits % 8) v.back() &= static_cast<uint8_t>((1u << (bits % 8)) - 1);
  return v;
}

// Selects the loop-back register of every device, then writes and reads it back, with
// lengths that exercise byte runs, odd bit tails and single bits.
std::vector<TStep> LoopScript(const TChainSpec& spec) {
  const uint32_t ir = TotalIrLength(spec);
  std::vector<uint8_t> select(ScanBytes(ir), 0);
  uint32_t pos = 0;
  for (auto it = spec.rbegin(); it != spec.rend(); ++it) {  // nearest TDO first
    const uint32_t bit = pos + 1;                           // the loop-back opcode is binary 10
    select[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    pos += it->IRLength;
  }
  const uint32_t dr = 20 * static_cast<uint32_t>(spec.size());
  std::vector<TStep> steps = {{true, select, ir, true}};
  uint8_t seed = 1;
  for (uint32_t bits : {dr, dr, 1u, dr, 9u, dr}) {
    steps.push_back({false, Pattern(bits, seed++), bits, seed % 2 == 0});
  }
  steps.push_back({false, Pattern(dr, 99), dr, true});
  return steps;
}

std::vector<uint8_t> ReferencePass(TFakeJtagChain& chain, const std::vector<TStep>& steps);

// What the reference (the chain driven through its scan-level path) reads in each of
// `passes` runs of the script, each after a reset.
std::vector<std::vector<uint8_t>> Reference(const TChainSpec& spec, const std::vector<TStep>& steps,
                                            int passes) {
  TFakeJtagChain chain(spec);
  std::vector<std::vector<uint8_t>> runs;
  for (int pass = 0; pass < passes; ++pass) {
    chain.ResetToIdle();
    runs.push_back(ReferencePass(chain, steps));
  }
  return runs;
}

std::vector<uint8_t> ReferencePass(TFakeJtagChain& chain, const std::vector<TStep>& steps) {
  std::vector<uint8_t> out;
  for (const TStep& s : steps) {
    std::vector<uint8_t> tdo(s.Tdi.size(), 0);
    chain.ScanFromIdle(s.Instruction, s.Tdi.data(), tdo.data(), s.Bits);
    if (s.Bits % 8) tdo.back() &= static_cast<uint8_t>((1u << (s.Bits % 8)) - 1);
    if (s.Read) out.insert(out.end(), tdo.begin(), tdo.end());
  }
  return out;
}

class BackendContract
    : public ::testing::TestWithParam<std::tuple<TBackendCase, const TChainSpec*>> {
 protected:
  void SetUp() override {
    spec = *std::get<1>(GetParam());
    rig = std::get<0>(GetParam()).Make(spec);
    lib = &rig->library;
    uint32_t count = 0;
    ASSERT_EQ(
        FT_ListDevices(*lib, reinterpret_cast<uintptr_t>(&count), nullptr, FT_LIST_NUMBER_ONLY),
        FT_OK);
    ASSERT_GE(count, 1u);
    char description[64] = {};
    ASSERT_EQ(FT_ListDevices(*lib, 0, description, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
              FT_OK);
    uint32_t location = 0;
    ASSERT_EQ(FT_ListDevices(*lib, 0, &location, FT_LIST_BY_INDEX | FT_OPEN_BY_LOCATION), FT_OK);
    std::string d = description;
    ASSERT_GE(d.size(), 2u);
    EXPECT_EQ(d.substr(d.size() - 2), " A");
    ASSERT_EQ(lib->JTAG_OpenEx(d, location, &handle), FTC_SUCCESS);
    ASSERT_EQ(lib->JTAG_InitDevice(handle, 0), FTC_SUCCESS);
  }
  void TearDown() override {
    if (rig && rig->emulator) {
      EXPECT_EQ(rig->emulator->Error(), "");
    }
  }

  FTC_STATUS WriteRead(bool instruction, const std::vector<uint8_t>& tdi, uint32_t bits,
                       std::vector<uint8_t>* tdo) {
    tdo->assign(tdi.size(), 0xEE);
    uint32_t returned = 0;
    const FTC_STATUS s = lib->JTAG_WriteRead(
        handle, instruction ? kInstructionRegister : kDataRegister, bits, tdi.data(),
        static_cast<uint32_t>(tdi.size()), tdo->data(), &returned, kEndStateRunTestIdle);
    if (s == FTC_SUCCESS) {
      EXPECT_EQ(returned, tdi.size());
    }
    return s;
  }

  TChainSpec spec;
  std::unique_ptr<TBackendRig> rig;
  TJtagLibrary* lib = nullptr;
  FTC_HANDLE handle = 0;
};

TEST_P(BackendContract, InitSelectsIdcodesAndTheIrCapturesOneZero) {
  const uint32_t n = static_cast<uint32_t>(spec.size());
  std::vector<uint8_t> tdo;
  ASSERT_EQ(WriteRead(false, std::vector<uint8_t>(4 * n, 0), 32 * n, &tdo), FTC_SUCCESS);
  for (uint32_t h = 0; h < n; ++h) {  // the device nearest TDO comes out first
    const uint32_t id = tdo[4 * h] | tdo[4 * h + 1] << 8 | tdo[4 * h + 2] << 16 |
                        static_cast<uint32_t>(tdo[4 * h + 3]) << 24;
    EXPECT_EQ(id, spec[n - 1 - h].IdCode) << h;
  }
  // All ones into every IR: each captured ...01, read nearest TDO first.
  const uint32_t ir = TotalIrLength(spec);
  ASSERT_EQ(WriteRead(true, std::vector<uint8_t>(ScanBytes(ir), 0xFF), ir, &tdo), FTC_SUCCESS);
  uint32_t pos = 0;
  for (auto it = spec.rbegin(); it != spec.rend(); ++it) {
    for (uint32_t b = 0; b < it->IRLength; ++b, ++pos) {
      EXPECT_EQ((tdo[pos / 8] >> (pos % 8)) & 1, b == 0 ? 1 : 0) << pos;
    }
  }
  // Now every device is in BYPASS: zeros then ones show one bit of delay per device.
  ASSERT_EQ(lib->JTAG_Write(handle, kDataRegister, 64, std::vector<uint8_t>(8, 0).data(), 8,
                            kEndStateRunTestIdle),
            FTC_SUCCESS);
  ASSERT_EQ(WriteRead(false, std::vector<uint8_t>(8, 0xFF), 64, &tdo), FTC_SUCCESS);
  uint32_t first = 0;
  while (first < 64 && ((tdo[first / 8] >> (first % 8)) & 1) == 0) ++first;
  EXPECT_EQ(first, n);
  // Init again: back to IDCODE.
  ASSERT_EQ(lib->JTAG_InitDevice(handle, 5), FTC_SUCCESS);
  ASSERT_EQ(WriteRead(false, std::vector<uint8_t>(4, 0), 32, &tdo), FTC_SUCCESS);
  EXPECT_EQ(tdo[0] | tdo[1] << 8, static_cast<int>(spec.back().IdCode & 0xFFFF));
}

TEST_P(BackendContract, ImmediateAndQueuedScansShiftTheReferenceBits) {
  const std::vector<TStep> steps = LoopScript(spec);
  // The second run starts with what the first left in the loop-back registers.
  const auto runs = Reference(spec, steps, 2);
  const std::vector<uint8_t>& expected = runs[0];

  std::vector<uint8_t> immediate;
  for (const TStep& s : steps) {
    if (s.Read) {
      std::vector<uint8_t> tdo;
      ASSERT_EQ(WriteRead(s.Instruction, s.Tdi, s.Bits, &tdo), FTC_SUCCESS);
      immediate.insert(immediate.end(), tdo.begin(), tdo.end());
    } else {
      ASSERT_EQ(
          lib->JTAG_Write(handle, s.Instruction ? kInstructionRegister : kDataRegister, s.Bits,
                          s.Tdi.data(), static_cast<uint32_t>(s.Tdi.size()), kEndStateRunTestIdle),
          FTC_SUCCESS);
    }
  }
  EXPECT_EQ(immediate, expected);

  // The same scans queued; the data is copied at the call, so the caller's buffer may
  // change at once.
  ASSERT_EQ(lib->JTAG_InitDevice(handle, 0), FTC_SUCCESS);
  for (const TStep& s : steps) {
    std::vector<uint8_t> data = s.Tdi;
    const int32_t reg = s.Instruction ? kInstructionRegister : kDataRegister;
    const auto bytes = static_cast<uint32_t>(data.size());
    ASSERT_EQ(s.Read ? lib->JTAG_AddDeviceWriteReadCmd(handle, reg, s.Bits, data.data(), bytes,
                                                       kEndStateRunTestIdle)
                     : lib->JTAG_AddDeviceWriteCmd(handle, reg, s.Bits, data.data(), bytes,
                                                   kEndStateRunTestIdle),
              FTC_SUCCESS);
    std::fill(data.begin(), data.end(), 0x5A);
  }
  std::vector<uint8_t> queued(runs[1].size() + 16, 0xEE);
  uint32_t returned = 0;
  ASSERT_EQ(lib->JTAG_ExecuteCmdSequence(handle, queued.data(),
                                         static_cast<uint32_t>(queued.size()), &returned),
            FTC_SUCCESS);
  ASSERT_EQ(returned, runs[1].size());
  queued.resize(returned);
  EXPECT_EQ(queued, runs[1]);
  // The queue is empty afterwards.
  ASSERT_EQ(lib->JTAG_ExecuteCmdSequence(handle, queued.data(), 0, &returned), FTC_SUCCESS);
  EXPECT_EQ(returned, 0u);
}

TEST_P(BackendContract, RefusesImpossibleCallsWithoutTouchingTheBuffers) {
  const std::array<uint8_t, 4> data{1, 2, 3, 4};
  struct TCase {
    uint32_t bits, bytes, endState;
    const uint8_t* data;
  } cases[] = {{0, 0, 2, data.data()},
               {9, 1, 2, data.data()},
               {8, 2, 2, data.data()},
               {8, 1, 2, nullptr},
               {8, 1, 3, data.data()},
               {kMaxAdapterScanBits + 1, ScanBytes(kMaxAdapterScanBits + 1), 2, data.data()}};
  for (const TCase& c : cases) {
    EXPECT_NE(lib->JTAG_Write(handle, kDataRegister, c.bits, c.data, c.bytes, c.endState),
              FTC_SUCCESS)
        << c.bits << "/" << c.bytes;
    EXPECT_NE(
        lib->JTAG_AddDeviceWriteReadCmd(handle, kDataRegister, c.bits, c.data, c.bytes, c.endState),
        FTC_SUCCESS);
  }
  EXPECT_NE(lib->JTAG_Write(handle + 100, kDataRegister, 8, data.data(), 1, 2), FTC_SUCCESS);
  EXPECT_NE(lib->JTAG_InitDevice(handle, kMaxClockDivisor + 1), FTC_SUCCESS);
  uint32_t hz = 0;
  EXPECT_NE(lib->JTAG_SetClock(handle, kMaxClockDivisor + 1, &hz), FTC_SUCCESS);
  ASSERT_EQ(lib->JTAG_GetClock(5, &hz), FTC_SUCCESS);
  EXPECT_EQ(hz, 1000000u);

  // A read-back larger than the buffer: refused, nothing written, queue emptied.
  ASSERT_EQ(lib->JTAG_AddDeviceWriteReadCmd(handle, kDataRegister, 32, data.data(), 4, 2),
            FTC_SUCCESS);
  std::array<uint8_t, 8> buffer;
  buffer.fill(0xEE);
  uint32_t returned = 99;
  EXPECT_NE(lib->JTAG_ExecuteCmdSequence(handle, buffer.data(), 3, &returned), FTC_SUCCESS);
  EXPECT_EQ(returned, 0u);
  for (uint8_t b : buffer) EXPECT_EQ(b, 0xEE);
  EXPECT_EQ(lib->JTAG_ExecuteCmdSequence(handle, buffer.data(), 8, &returned), FTC_SUCCESS);
  EXPECT_EQ(returned, 0u);
}

TEST_P(BackendContract, OpenTwiceFailsAndACloseReleasesTheHandle) {
  const auto& listed = lib->Listing().front().Info;
  FTC_HANDLE second = 0;
  EXPECT_NE(lib->JTAG_OpenEx(listed.Description, listed.LocationID, &second), FTC_SUCCESS);
  EXPECT_NE(lib->JTAG_OpenEx(listed.Description, listed.LocationID + 77, &second), FTC_SUCCESS);
  EXPECT_EQ(lib->JTAG_Close(handle), FTC_SUCCESS);
  EXPECT_NE(lib->JTAG_Close(handle), FTC_SUCCESS);
  EXPECT_NE(lib->JTAG_InitDevice(handle, 0), FTC_SUCCESS);
  ASSERT_EQ(lib->JTAG_OpenEx(listed.Description, listed.LocationID, &second), FTC_SUCCESS);
  EXPECT_EQ(lib->JTAG_InitDevice(second, 0), FTC_SUCCESS);
  handle = second;
}

// Faults: each read gives up within its deadline and reports a failure status.
TEST_P(BackendContract, SilentOrShortRepliesFailWithinTheDeadline) {
  if (!rig->mute) GTEST_SKIP() << "the backend has no transport that can go silent";
  std::vector<uint8_t> tdo;
  const std::vector<uint8_t> zeros(16, 0);
  if (rig->loseReplyByte) {
    rig->loseReplyByte();
    EXPECT_NE(WriteRead(false, zeros, 128, &tdo), FTC_SUCCESS);
    // The next call starts clean.
    EXPECT_EQ(lib->JTAG_InitDevice(handle, 0), FTC_SUCCESS);
    EXPECT_EQ(WriteRead(false, zeros, 128, &tdo), FTC_SUCCESS);
  }
  rig->mute();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NE(WriteRead(false, zeros, 128, &tdo), FTC_SUCCESS);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_P(BackendContract, AnUnpluggedAdapterFailsEveryCallButCloses) {
  if (!rig->unplug) GTEST_SKIP() << "the backend cannot be unplugged";
  rig->unplug();
  std::vector<uint8_t> tdo;
  const std::vector<uint8_t> zeros(4, 0);
  EXPECT_NE(WriteRead(false, zeros, 32, &tdo), FTC_SUCCESS);
  EXPECT_NE(lib->JTAG_InitDevice(handle, 0), FTC_SUCCESS);
  EXPECT_NE(WriteRead(false, zeros, 32, &tdo), FTC_SUCCESS);
  lib->JTAG_Close(handle);
  EXPECT_EQ(lib->BackendOf(handle), nullptr);
  if (rig->emulator) rig->emulator = nullptr;  // its error is the unplug, not a fault
}

INSTANTIATE_TEST_SUITE_P(AllBackends, BackendContract,
                         ::testing::Combine(::testing::ValuesIn(kBackends),
                                            ::testing::Values(&kOneDevice, &kThreeDevices)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).Name) +
                                  (std::get<1>(info.param)->size() == 1 ? "_OneDevice"
                                                                        : "_ThreeDevices");
                         });

}  // namespace
