// The FT2232 backend through the MPSSE emulator: listing, clocking on each chip type,
// how often it waits for the adapter, and the chip's buffer limits.

#include <gtest/gtest.h>

#include "jtag/backend_rigs.h"
#include "jtag/backends/ftdi/mpsse_encoder.h"

namespace {

const TChainSpec kChain = {{10, 0x0BA00477}};

TEST(Ft2232Listing, EveryChannelIsItsOwnEntryWithLetterAndLocation) {
  TFakeJtagChain chain(kChain);
  auto bus = std::make_unique<TEmulatedFtdiBus>();
  bus->AddChip(TFtdiChip::FT2232H, "Dual RS232-HS", "FT5X7Q", 0x31400000, {&chain});
  bus->AddChip(TFtdiChip::FT232H, "Single RS232-HS", "FT9ZZZ", 0x22000000, {&chain});
  TFt2232Adapter adapter(std::move(bus));
  const auto listed = adapter.ListDevices();
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].Description, "Dual RS232-HS A");
  EXPECT_EQ(listed[0].SerialNumber, "FT5X7QA");
  EXPECT_EQ(listed[0].LocationID, 0x31400001u);
  EXPECT_EQ(listed[1].Description, "Dual RS232-HS B");
  EXPECT_EQ(listed[1].SerialNumber, "FT5X7QB");
  EXPECT_EQ(listed[1].LocationID, 0x31400002u);
  EXPECT_EQ(listed[2].Description, "Single RS232-HS A");
}

TEST(Ft2232Listing, LocationIdIsBusThenPortsThenChannel) {
  const uint8_t ports[] = {1, 4};
  EXPECT_EQ(UsbLocationId(3, ports, 2, 0), 0x31400001u);
  const uint8_t deep[] = {1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(UsbLocationId(2, deep, 7, 1), 0x21234562u);
  const uint8_t big[] = {17};
  EXPECT_EQ(UsbLocationId(18, big, 1, 0), 0x21000001u);  // modulo 16
}

TEST(Ft2232Open, ChannelsWithoutMpsseAndFailedOpensAreRefused) {
  TFakeJtagChain chain(kChain);
  auto bus = std::make_unique<TEmulatedFtdiBus>();
  TEmulatedFtdiBus* b = bus.get();
  bus->AddChip(TFtdiChip::FT2232C, "Dual RS232", "FTC001", 0x21000000, {&chain});
  TFt2232Adapter adapter(std::move(bus));
  FTC_HANDLE h = 0;
  EXPECT_EQ(adapter.OpenEx("Dual RS232 B", 0x21000002, &h), FTC_DEVICE_NOT_FOUND);
  EXPECT_EQ(adapter.OpenEx("Dual RS232 A", 0x21000009, &h), FTC_DEVICE_NOT_FOUND);
  b->FailOpens(true);
  EXPECT_EQ(adapter.OpenEx("Dual RS232 A", 0x21000001, &h), FTC_DEVICE_NOT_OPENED);
  b->FailOpens(false);
  EXPECT_EQ(adapter.OpenEx("Dual RS232 A", 0x21000001, &h), FTC_SUCCESS);
}

TEST(Ft2232Clock, TckIsSixMegahertzOverOnePlusDivisorOnEveryChip) {
  for (TFtdiChip chip :
       {TFtdiChip::FT2232C, TFtdiChip::FT2232H, TFtdiChip::FT4232H, TFtdiChip::FT232H}) {
    for (uint32_t divisor : {0u, 5u, 65535u}) {
      auto rig = OnFakeChain(FtdiRig, kChain, chip);
      rig->library.RefreshListing();
      const auto& info = rig->library.Listing().front().Info;
      FTC_HANDLE h = 0;
      ASSERT_EQ(rig->library.JTAG_OpenEx(info.Description, info.LocationID, &h), FTC_SUCCESS);
      ASSERT_EQ(rig->library.JTAG_InitDevice(h, divisor), FTC_SUCCESS) << rig->emulator->Error();
      EXPECT_EQ(rig->emulator->TckHz(), 6000000u / (1 + divisor)) << ChipFacts(chip).Name;
      EXPECT_EQ(rig->chain->clockHz, 6000000u / (1 + divisor));
      EXPECT_TRUE(rig->chain->InIdle());
      uint32_t hz = 0;
      ASSERT_EQ(rig->library.JTAG_SetClock(h, 1, &hz), FTC_SUCCESS);
      EXPECT_EQ(hz, 3000000u);
      EXPECT_EQ(rig->emulator->TckHz(), 3000000u);
      EXPECT_EQ(rig->emulator->Error(), "") << ChipFacts(chip).Name;
    }
  }
}

class Ft2232Batches : public ::testing::TestWithParam<TFtdiChip> {
 protected:
  void SetUp() override {
    rig = OnFakeChain(FtdiRig, TChainSpec{{4, 0x1234567F}, {10, 0x0BA00477}}, GetParam());
    rig->library.RefreshListing();
    const auto& info = rig->library.Listing().front().Info;
    ASSERT_EQ(rig->library.JTAG_OpenEx(info.Description, info.LocationID, &h), FTC_SUCCESS);
    ASSERT_EQ(rig->library.JTAG_InitDevice(h, 0), FTC_SUCCESS);
  }
  void TearDown() override { EXPECT_EQ(rig->emulator->Error(), ""); }
  std::unique_ptr<TBackendRig> rig;
  FTC_HANDLE h = 0;
};

TEST_P(Ft2232Batches, WriteOnlyWorkStreamsAndABatchThatReadsWaitsOnce) {
  TJtagLibrary& lib = rig->library;
  const std::vector<uint8_t> data(125, 0xC3);
  const uint32_t waits = rig->emulator->SendImmediateCount();
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(lib.JTAG_Write(h, kDataRegister, 1000, data.data(), 125, 2), FTC_SUCCESS);
  }
  EXPECT_EQ(rig->emulator->SendImmediateCount(), waits);  // nothing waited for
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(lib.JTAG_AddDeviceWriteCmd(h, kDataRegister, 1000, data.data(), 125, 2), FTC_SUCCESS);
  }
  ASSERT_EQ(lib.JTAG_AddDeviceWriteReadCmd(h, kDataRegister, 64, data.data(), 8, 2), FTC_SUCCESS);
  const uint32_t writes = rig->emulator->WriteCount();
  std::vector<uint8_t> out(8);
  uint32_t returned = 0;
  ASSERT_EQ(lib.JTAG_ExecuteCmdSequence(h, out.data(), 8, &returned), FTC_SUCCESS);
  EXPECT_EQ(returned, 8u);
  EXPECT_EQ(rig->emulator->SendImmediateCount(), waits + 1);
  // One MPSSE buffer, handed over in a few large writes.
  EXPECT_LE(rig->emulator->WriteCount() - writes, 4u);
}

TEST_P(Ft2232Batches, ReadBackLargerThanTheChipBufferNeverOverrunsIt) {
  // Chain detection's 8000-bit read-back, on every chip: replies are fetched in
  // segments that fit, and the bits still arrive in order.
  TJtagLibrary& lib = rig->library;
  std::vector<uint8_t> ones(1000, 0xFF), zeros(1000, 0), out(1000);
  ASSERT_EQ(lib.JTAG_Write(h, kInstructionRegister, 8000, ones.data(), 1000, 2), FTC_SUCCESS);
  ASSERT_EQ(lib.JTAG_Write(h, kDataRegister, 8000, zeros.data(), 1000, 2), FTC_SUCCESS);
  uint32_t returned = 0;
  ASSERT_EQ(lib.JTAG_WriteRead(h, kDataRegister, 8000, ones.data(), 1000, out.data(), &returned, 2),
            FTC_SUCCESS);
  EXPECT_EQ(returned, 1000u);
  EXPECT_EQ(out[0], 0xFC);  // two devices in BYPASS: two zeros first
  for (size_t i = 1; i < out.size(); ++i) ASSERT_EQ(out[i], 0xFF) << i;
  const size_t segments = (1000 + ReplyBudget(GetParam()) - 1) / ReplyBudget(GetParam());
  EXPECT_LE(rig->emulator->SendImmediateCount(), 1 + segments);  // plus init's sync
}

INSTANTIATE_TEST_SUITE_P(Chips, Ft2232Batches,
                         ::testing::Values(TFtdiChip::FT2232C, TFtdiChip::FT2232H,
                                           TFtdiChip::FT232H),
                         [](const auto& info) {
                           return std::string(info.param == TFtdiChip::FT2232C   ? "FT2232C"
                                              : info.param == TFtdiChip::FT2232H ? "FT2232H"
                                                                                 : "FT232H");
                         });

TEST(MpsseEmulator, RefusesWhatTheChipWouldNotRun) {
  struct TCase {
    const char* name;
    TFtdiChip chip;
    std::vector<uint8_t> bytes;
    const char* error;
  } cases[] = {
      {"unknown", TFtdiChip::FT2232H, {0x80, 0x08, 0x0B, 0x9E}, "unknown MPSSE command 0x9E"},
      {"H-only on C", TFtdiChip::FT2232C, {0x8B}, "H-series command 0x8B sent to an FT2232C/D"},
      {"unconfigured pins", TFtdiChip::FT2232H, {0x4B, 0x00, 0x01}, "clocking before"},
      {"overrun", TFtdiChip::FT2232C,
       [] {
         std::vector<uint8_t> b{0x80, 0x08, 0x0B, 0x28, 0xFF, 0x01};  // read 512 bytes
         return b;
       }(),
       "reply buffer overrun"},
  };
  for (const TCase& c : cases) {
    TFakeJtagChain chain(kChain);
    TMpsseEmulator emulator(c.chip, chain);
    EXPECT_FALSE(emulator.Write(c.bytes.data(), c.bytes.size())) << c.name;
    EXPECT_EQ(emulator.Error().rfind(c.error, 0), 0u) << c.name << ": " << emulator.Error();
  }
}

TEST(MpsseEmulator, AnswersTheSyncOpcodeAtOnceAndOtherRepliesOnSendImmediate) {
  TFakeJtagChain chain(kChain);
  TMpsseEmulator emulator(TFtdiChip::FT2232H, chain);
  const std::vector<uint8_t> setup{0x80, 0x08, 0x0B, 0xAA, 0x81};
  ASSERT_TRUE(emulator.Write(setup.data(), setup.size()));
  uint8_t reply[4] = {};
  ASSERT_EQ(emulator.Read(reply, 4), 2);
  EXPECT_EQ(reply[0], 0xFA);
  EXPECT_EQ(reply[1], 0xAA);
  const uint8_t flush = 0x87;
  ASSERT_TRUE(emulator.Write(&flush, 1));
  ASSERT_EQ(emulator.Read(reply, 4), 1);
  EXPECT_EQ(reply[0], 0x08);  // TMS high, TCK and TDI low
}

}  // namespace
