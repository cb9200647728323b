#include <gtest/gtest.h>

#include <algorithm>

#include "jtag/chain_fixture.h"
#include "platform/text_utils.h"

namespace {

using Log = std::vector<std::pair<std::string, TColor>>;

class ChainDetectionTest : public ChainFixture {
 protected:
  void SetUp() override {
    form.DeviceDB = {{"Generic device", "00000000", 4},
                     {"Main FPGA", "0A0B0C0D", 10},
                     {"Flash CPLD", "01234093", 8},
                     {"Lower-case entry", "0abcdef1", 6}};
    form.DeviceDBCount = 4;
  }
  static std::string Entry(int i, const TFPGATypes& d) {
    return std::to_string(i) + ". device:\r\n   Description: " + d.Description +
           "\r\n   IDCode: 0x" + d.IDCode + "\r\n   IR-Len: " + std::to_string(d.IRLen);
  }
};

TEST_F(ChainDetectionTest, CountsNamesAndListsOneTwoThreeDevices) {
  struct Case {
    std::vector<uint32_t> idcodes;
    std::vector<int> entries;  // database entry each device is named after
  };
  const std::vector<Case> cases{
      {{0x3A0B0C0D}, {1}},
      {{0x0A0B0C0D, 0x51234093}, {1, 2}},
      {{0x01234093, 0xFA0B0C0D, 0x01234093}, {2, 1, 2}},
  };
  for (const Case& c : cases) {
    std::vector<TFakeDevice> devices;
    for (size_t i = 0; i < c.idcodes.size(); ++i) {
      devices.push_back(Device(form.DeviceDB[c.entries[i]].IRLen, c.idcodes[i]));
    }
    Connect(devices);
    const size_t before = LogEntries().size();
    form.cb_jtag_devices.UserDropDown();

    const auto n = static_cast<int>(c.idcodes.size());
    ASSERT_EQ(form.JTAGChain.DeviceCount, n);
    Log expected{{" JTAG Frequency: 6000000", clGray},
                 {"JTAG Chain device count: " + std::to_string(n), clGreen}};
    for (int i = 0; i < n; ++i) {
      const std::string read = text::IntToHex(c.idcodes[i], 8);
      EXPECT_EQ(form.JTAGChain.IDCodes[i], read);
      EXPECT_EQ(form.cb_jtag_devices.Items()[i], read);
      EXPECT_EQ(form.JTAGChain.Devices[i], form.DeviceDB[c.entries[i]]);
      EXPECT_TRUE(form.JTAGChain.Known[i]);
      expected.push_back({Entry(i, form.DeviceDB[c.entries[i]]), clGreen});
    }
    const Log log = LogEntries();
    EXPECT_EQ(Log(log.begin() + static_cast<long>(before), log.end()), expected);
    EXPECT_EQ(form.cb_jtag_devices.ItemIndex(), -1);
    EXPECT_EQ(form.StatusBar1.Panel(1).Text, "ChainIndex: -1");
    EXPECT_TRUE(form.bt_bitcounter_execute.Enabled());
    EXPECT_TRUE(form.bt_spi_flasher_program.Enabled());
    EXPECT_TRUE(form.bt_norflash_programming.Enabled());
    // The IDCODEs are read at divisor 0 after the detection's own initialisation.
    EXPECT_EQ(fake->InitDivisors.back(), 0u);
    form.JtagLibrary.ClearBackends();
  }
}

TEST_F(ChainDetectionTest, ScanSequenceOfTheCount) {
  form.ClockDivisor = 6;
  Connect({Device(8, 0x01234093), Device(10, 0x0A0B0C0D)});
  form.DetectJTAGChain();
  ASSERT_EQ(fake->Scans.size(), 4u);
  EXPECT_EQ(fake->InitDivisors, (std::vector<uint32_t>{6, 0}));
  const int32_t ir = kInstructionRegister;
  const int32_t dr = kDataRegister;
  const std::vector<std::pair<int32_t, uint32_t>> shape{
      {ir, 8000}, {dr, 8000}, {dr, 8000}, {dr, 64}};
  for (size_t k = 0; k < shape.size(); ++k) {
    EXPECT_EQ(fake->Scans[k].Reg, shape[k].first);
    EXPECT_EQ(fake->Scans[k].Bits, shape[k].second);
  }
  EXPECT_EQ(LogMessages().front(), " JTAG Frequency: 857143");
}

TEST_F(ChainDetectionTest, FrequencyLineRoundsHalvesToEven) {
  Connect({Device(4, 0x0A0B0C0D)});
  for (auto [divisor, text] : std::vector<std::pair<int, std::string>>{
           {0, "6000000"}, {1, "3000000"}, {6, "857143"}, {255, "23438"}}) {
    form.ClockDivisor = divisor;
    form.DetectJTAGChain();
    bool found = false;
    for (const std::string& m : LogMessages()) found |= m == " JTAG Frequency: " + text;
    EXPECT_TRUE(found) << divisor;
  }
}

TEST_F(ChainDetectionTest, UnknownDevicesAndLowerCaseEntriesGetEntryZero) {
  Connect({Device(6, 0x0ABCDEF1), Device(4, 0x0A0B0C0D)});
  form.DeviceDB[1].IRLen = 4;
  form.DetectJTAGChain();
  EXPECT_EQ(form.JTAGChain.Devices[0].Description, "Generic device");
  EXPECT_FALSE(form.JTAGChain.Known[0]);
  const Log log = LogEntries();
  EXPECT_EQ(log[1], (std::pair<std::string, TColor>{"WARNING: JTAG DEVICE UNKOWN!", clRed}));
  EXPECT_EQ(log[2], (std::pair<std::string, TColor>{
                        "WARNING: PLEASE ADD DEVICE INFORMATION IN JTAGDEVICES.INI", clRed}));
  // The unknown one's length follows from the measured total.
  EXPECT_EQ(log[3],
            (std::pair<std::string, TColor>{"Measured total IR length of the chain: 10", clGray}));
  EXPECT_EQ(log[4], (std::pair<std::string, TColor>{"IR length of device 0 from the measurement: 6",
                                                    clGray}));
  EXPECT_EQ(form.JTAGChain.Devices[0].IRLen, 6);
  EXPECT_TRUE(form.JTAGChain.IRLenKnown[0]);
  // The measurement leaves every device in BYPASS.
  for (const TFakeDevice& d : fake->Devices) EXPECT_EQ(d.Instruction, d.BypassOpcode());
}

TEST_F(ChainDetectionTest, EmptyDatabaseSingleDeviceIsMeasured) {
  form.DeviceDB.clear();
  form.DeviceDBCount = 0;
  Connect({Device(7, 0x12345678)});
  form.DetectJTAGChain();
  ASSERT_EQ(form.JTAGChain.DeviceCount, 1);
  EXPECT_EQ(form.JTAGChain.Devices[0], (TFPGATypes{"", "12345678", 7}));
  EXPECT_TRUE(form.JTAGChain.IRLenKnown[0]);
  EXPECT_EQ(LogMessages().back(),
            "0. device:\r\n   Description: \r\n   IDCode: 0x12345678\r\n   IR-Len: 7");
}

TEST_F(ChainDetectionTest, TwoUnknownDevicesCannotBeSettledAndScansAreRefused) {
  Connect({Device(5, 0x0FFFFFF1), Device(4, 0x0A0B0C0D), Device(3, 0x0EEEEEE1)});
  form.DeviceDB[1].IRLen = 4;
  form.DetectJTAGChain();
  const std::vector<std::string> log = LogMessages();
  EXPECT_NE(std::find(log.begin(), log.end(), "Measured total IR length of the chain: 12"),
            log.end());
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "WARNING: IR length of the unknown devices cannot be settled; scans of "
                      "this chain are refused"),
            log.end());
  const size_t scans = fake->Scans.size();
  for (int32_t p = 0; p < 3; ++p) {
    EXPECT_EQ(form.ScanIR(p, 4), kScanRefusedStatus);
    EXPECT_EQ(form.ScanDR(p, 4), kScanRefusedStatus);
  }
  EXPECT_EQ(fake->Scans.size(), scans);
}

class StuckTdoTest : public ChainDetectionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StuckTdoTest, GivesNoDevices) {
  const bool level = GetParam();
  Connect({Device(4, 0x0A0B0C0D)});
  fake->TdoStuck = level;
  form.cb_jtag_devices.SetItems({"stale"});
  form.cb_jtag_devices.UserDropDown();
  EXPECT_EQ(LogEntries(), (Log{{" JTAG Frequency: 6000000", clGray},
                               {level ? "Warning: TDO seams to be pulled to one!"
                                      : "Warning: TDO seams to be pulled to zero!",
                                clRed},
                               {"JTAG Chain device count: 0", clGreen}}));
  EXPECT_EQ(form.JTAGChain.DeviceCount, 0);
  EXPECT_EQ(form.cb_jtag_devices.Count(), 0);
  EXPECT_FALSE(form.bt_bitcounter_execute.Enabled());
  EXPECT_FALSE(form.bt_norflash_programming.Enabled());
  // Only the initialisation of the count: no IDCODE read.
  EXPECT_EQ(fake->InitDivisors.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(LowAndHigh, StuckTdoTest, ::testing::Bool());

TEST_F(ChainDetectionTest, NotConnectedOrInitFailureKeepsTheChain) {
  Connect({Device(10, 0x0A0B0C0D)});
  form.DetectJTAGChain();
  form.cb_jtag_devices.SetItemIndex(0);
  const TJTAG_Chain before = form.JTAGChain;

  fake->FailInit = true;
  form.DetectJTAGChain();
  form.cb_FTDI_Device.SetEnabled(true);
  form.DetectJTAGChain();

  const std::vector<std::string> log = LogMessages();
  EXPECT_EQ(log[log.size() - 2], " Init JTAG device not possible...");
  EXPECT_EQ(log.back(), " Not connected to a JTAG dongle...");
  EXPECT_EQ(form.JTAGChain.IDCodes, before.IDCodes);
  EXPECT_EQ(form.cb_jtag_devices.Count(), 1);
  EXPECT_EQ(form.cb_jtag_devices.ItemIndex(), 0);
}

TEST_F(ChainDetectionTest, ChoosingAPositionUpdatesTheStatusBar) {
  Connect({Device(8, 0x01234093), Device(10, 0x0A0B0C0D)});
  form.cb_jtag_devices.UserDropDown();
  form.cb_jtag_devices.UserSelect(1);
  EXPECT_EQ(form.StatusBar1.Panel(1).Text, "ChainIndex: 1");
}

}  // namespace
