#include <gtest/gtest.h>

#include <random>

#include "jtag/chain_fixture.h"

namespace {

class ScanEngineTest : public ChainFixture {
 protected:
  // Three devices: IR lengths 6, 10, 8 (index 0 nearest TDI), boundary registers of
  // 5, 100 and 3 cells with their own capture patterns.
  void SetUp() override {
    form.DeviceDB = {{"Entry0", "00000000", 2},
                     {"Near TDI", "01111111", 6},
                     {"Middle", "02222222", 10},
                     {"Near TDO", "03333333", 8}};
    form.DeviceDBCount = 4;
    Connect({Device(6, 0x01111111, 5), Device(10, 0x02222222, 100), Device(8, 0x03333333, 3)});
    std::mt19937 random(3);
    for (TFakeDevice& d : fake->Devices) {
      for (size_t k = 0; k < d.Pins.size(); ++k) d.Pins[k] = (random() & 1u) != 0;
    }
    form.DetectJTAGChain();
    ASSERT_EQ(form.JTAGChain.DeviceCount, 3);
  }

  // Loads a boundary-register instruction (opcode 2) into the device at `p`.
  void SelectBoundaryRegister(int32_t p) {
    for (uint32_t k = 0; k < fake->Devices[p].IRLength; ++k) PutBit(form.WriteArea(), k, k == 1);
    ASSERT_EQ(form.ScanIR(p, fake->Devices[p].IRLength), FTC_SUCCESS);
  }

  void FillImage(uint32_t bits, uint32_t seed) {
    std::mt19937 random(seed);
    for (uint32_t k = 0; k < bits; ++k) PutBit(form.WriteArea(), k, (random() & 1u) != 0);
  }
  std::vector<bool> ImageBits(const uint8_t* area, size_t bits) {
    std::vector<bool> out(bits);
    for (size_t k = 0; k < bits; ++k) out[k] = GetBit(area, k);
    return out;
  }
  uint64_t ImageValue(uint32_t bits) {
    uint64_t v = 0;
    for (uint32_t k = 0; k < bits; ++k) v |= uint64_t{GetBit(form.WriteArea(), k)} << k;
    return v;
  }
};

TEST_F(ScanEngineTest, InstructionScanAtEveryPositionPadsTheOthersWithBypass) {
  for (int32_t p = 0; p < 3; ++p) {
    const uint32_t n = fake->Devices[p].IRLength;
    FillImage(n, 10 + p);
    const std::vector<uint8_t> image(form.BSRImage.begin(), form.BSRImage.begin() + 4);
    ASSERT_EQ(form.ScanIR(p, n), FTC_SUCCESS) << p;
    EXPECT_EQ(fake->Scans.back().Bits, 24u) << p;  // 6 + 10 + 8, as in the example
    for (int32_t j = 0; j < 3; ++j) {
      const TFakeDevice& d = fake->Devices[j];
      EXPECT_EQ(d.Instruction, j == p ? ImageValue(n) : d.BypassOpcode()) << p << " " << j;
    }
    // The image is untouched and the read-back is the selected IR's capture, ...01.
    EXPECT_EQ(std::vector<uint8_t>(form.BSRImage.begin(), form.BSRImage.begin() + 4), image);
    std::vector<bool> capture(n, false);
    capture[0] = true;
    EXPECT_EQ(ImageBits(form.ReadArea(), n), capture) << p;
  }
}

TEST_F(ScanEngineTest, DataScanAtEveryPositionRealignsTheReadBack) {
  for (int32_t p = 0; p < 3; ++p) {
    // The selected device in a boundary-register instruction, the others in BYPASS.
    SelectBoundaryRegister(p);

    const auto n = static_cast<uint32_t>(fake->Devices[p].Pins.size());
    FillImage(n, 20 + p);
    const std::vector<bool> image = ImageBits(form.WriteArea(), n);
    ASSERT_EQ(form.ScanDR(p, n), FTC_SUCCESS);
    EXPECT_EQ(fake->Scans.back().Bits, n + 2) << p;  // one bypass bit per other device
    EXPECT_EQ(fake->Devices[p].Driven, image) << p;
    EXPECT_EQ(ImageBits(form.ReadArea(), n), fake->Devices[p].Pins) << p;
    EXPECT_EQ(ImageBits(form.WriteArea(), n), image) << p;
  }
}

TEST_F(ScanEngineTest, PaddingOrderInTheStream) {
  // Position 0: no bypass bits after the data; position 2: none before it.
  struct Case {
    int32_t position;
    bool instruction;
    uint32_t ahead;   // bits of the devices between the selected one and TDO
    uint32_t behind;  // bits of the devices between TDI and the selected one
  };
  for (const Case& c : std::vector<Case>{{0, true, 18, 0},
                                         {1, true, 8, 6},
                                         {2, true, 0, 16},
                                         {0, false, 2, 0},
                                         {1, false, 1, 1},
                                         {2, false, 0, 2}}) {
    const uint32_t n = 12;
    std::fill_n(form.WriteArea(), 2, uint8_t{0});
    PutBit(form.WriteArea(), 3, true);
    ASSERT_EQ(c.instruction ? form.ScanIR(c.position, n) : form.ScanDR(c.position, n), FTC_SUCCESS);
    const TFakeChainAdapter::TScan& scan = fake->Scans.back();
    ASSERT_EQ(scan.Bits, c.ahead + n + c.behind);
    for (uint32_t k = 0; k < scan.Bits; ++k) {
      const bool inData = k >= c.ahead && k < c.ahead + n;
      EXPECT_EQ(GetBit(scan.Data.data(), k), inData ? k - c.ahead == 3 : true)
          << c.position << " " << c.instruction << " bit " << k;
    }
  }
}

TEST_F(ScanEngineTest, RepeatedShiftCurrentDataKeepsTheCellsInPlace) {
  form.cb_jtag_devices.SetItemIndex(1);
  for (uint32_t k = 0; k < 10; ++k) PutBit(form.WriteArea(), k, k == 1);
  form.ShiftIsInstruction = true;
  form.ShiftBitCount = 10;
  form.ShiftByteCount = 2;
  ASSERT_TRUE(form.ShiftCurrentData());

  FillImage(100, 5);
  const std::vector<bool> image = ImageBits(form.WriteArea(), 100);
  form.ShiftIsInstruction = false;
  form.ShiftBitCount = 100;
  form.ShiftByteCount = 13;
  ASSERT_TRUE(form.ShiftCurrentData());
  ASSERT_TRUE(form.ShiftCurrentData());
  EXPECT_EQ(fake->Devices[1].Driven, image);
  EXPECT_EQ(form.LastShiftStatus, 0);
  EXPECT_EQ(form.LastShiftBytes, 13);
}

TEST_F(ScanEngineTest, WriteOnlyLeavesTheReadAreaAlone) {
  form.Expert1.UserClick();  // the flags are shown in expert mode
  form.ItemBSDLCellsWriteOnly.UserClick();
  ASSERT_TRUE(form.ItemBSDLCellsWriteOnly.Checked());
  std::fill_n(form.ReadArea(), 16, uint8_t{0x5A});
  FillImage(100, 9);
  ASSERT_EQ(form.ScanDR(1, 100), FTC_SUCCESS);
  EXPECT_FALSE(fake->Scans.back().Read);
  // The realignment moves read bits 1 ... 100 down, over the unchanged contents.
  std::vector<uint8_t> stale(16, 0x5A);
  CopyBits(stale.data(), 1, stale.data(), 0, 100);
  EXPECT_EQ(std::vector<uint8_t>(form.ReadArea(), form.ReadArea() + 16), stale);
  form.ItemBSDLCellsWriteOnly.UserClick();
  EXPECT_FALSE(form.ItemBSDLCellsWriteOnly.Checked());
}

TEST_F(ScanEngineTest, QueuedScansReachTheChainWhenExecuted) {
  SelectBoundaryRegister(1);
  form.Expert1.UserClick();
  for (bool writeOnly : {false, true}) {
    form.ItemBSDLCellsAddOnly.SetChecked(true);
    form.ItemBSDLCellsWriteOnly.SetChecked(writeOnly);
    const size_t scans = fake->Scans.size();
    FillImage(100, 11);
    const std::vector<bool> image = ImageBits(form.WriteArea(), 100);
    ASSERT_EQ(form.ScanDR(1, 100), FTC_SUCCESS);
    FillImage(100, 12);  // the queued copy was taken at the call
    EXPECT_EQ(fake->Scans.size(), scans);
    ASSERT_EQ(fake->Queue.size(), 1u);
    EXPECT_EQ(fake->Queue[0].Read, !writeOnly);
    uint32_t returned = 0;
    ASSERT_EQ(form.JtagLibrary.JTAG_ExecuteCmdSequence(form.DongleHandle, form.ReadArea(),
                                                       kReadAreaSize, &returned),
              FTC_SUCCESS);
    EXPECT_EQ(fake->Scans.size(), scans + 1);
    EXPECT_EQ(fake->Devices[1].Driven, image);
  }
  form.ItemBSDLCellsAddOnly.UserClick();
  EXPECT_FALSE(form.ItemBSDLCellsAddOnly.Checked());
}

TEST_F(ScanEngineTest, ShortReadFails) {
  fake->ShortBy = 1;
  form.cb_jtag_devices.SetItemIndex(1);
  form.ShiftIsInstruction = false;
  form.ShiftBitCount = 100;
  form.ShiftByteCount = 13;
  EXPECT_FALSE(form.ShiftCurrentData());
  EXPECT_EQ(form.LastShiftStatus, 256);
  EXPECT_EQ(form.LastShiftBytes, 0);
}

TEST_F(ScanEngineTest, ImpossibleScansAreRefusedBeforeTheAdapter) {
  struct Case {
    const char* what;
    int32_t position;
    int32_t bits;
  };
  const size_t scans = fake->Scans.size();
  for (const Case& c : std::vector<Case>{{"no position", -1, 100},
                                         {"outside the chain", 3, 100},
                                         {"0 bits", 1, 0},
                                         {"longer than the write area", 1, 65535 * 8 - 1}}) {
    form.cb_jtag_devices.SetItemIndex(c.position);
    if (c.position >= 3) form.cb_jtag_devices.SetItems({"a", "b", "c", "d"});
    form.cb_jtag_devices.SetItemIndex(c.position);
    form.ShiftIsInstruction = false;
    form.ShiftBitCount = c.bits;
    form.ShiftByteCount = (c.bits + 7) / 8;
    EXPECT_FALSE(form.ShiftCurrentData()) << c.what;
    EXPECT_EQ(form.LastShiftStatus, static_cast<int32_t>(kScanRefusedStatus)) << c.what;
    EXPECT_EQ(form.LastShiftBytes, 0) << c.what;
  }
  EXPECT_EQ(fake->Scans.size(), scans);
  // Without a detected chain.
  form.JTAGChain = TJTAG_Chain{};
  EXPECT_EQ(form.ScanDR(0, 8), kScanRefusedStatus);
  EXPECT_EQ(fake->Scans.size(), scans);
}

TEST_F(ScanEngineTest, SingleDeviceScansAreNotPadded) {
  form.JtagLibrary.ClearBackends();
  Connect({Device(4, 0x0A0B0C0D, 100)});
  form.DetectJTAGChain();
  ASSERT_EQ(form.JTAGChain.DeviceCount, 1);
  ASSERT_EQ(form.ScanDR(0, 100), FTC_SUCCESS);
  EXPECT_EQ(fake->Scans.back().Bits, 100u);
  EXPECT_EQ(fake->Scans.back().Data.size(), 13u);
}

}  // namespace
