// Adapter discovery and connection through the main window's handlers, on a scripted
// host and a fake backend whose listing and failures each test sets.

#include <gtest/gtest.h>

#include "jtag/backends/ftdi/ft2232_adapter.h"
#include "jtag/backends/ftdi/mpsse_emulator.h"
#include "jtag/batch_adapter.h"
#include "support/app_fixture.h"
#include "support/fake_jtag_chain.h"

namespace {

class TFakeBackend : public TBatchAdapter {
 public:
  std::vector<TAdapterDeviceInfo> Devices;
  FTC_STATUS OpenStatus = FTC_SUCCESS;
  FTC_STATUS InitStatus = FTC_SUCCESS;
  FTC_STATUS CloseStatus = FTC_SUCCESS;
  std::vector<std::string> Calls;
  bool Hardware = true;

  std::string Kind() const override { return "fake"; }
  bool IsHardware() const override { return Hardware; }
  std::vector<TAdapterDeviceInfo> ListDevices() override { return Devices; }
  FTC_STATUS OpenEx(const std::string& description, uint32_t location, FTC_HANDLE* h) override {
    Calls.push_back("OpenEx " + description + " " + std::to_string(location));
    if (OpenStatus != FTC_SUCCESS) return OpenStatus;
    *h = 7;
    open_ = true;
    return FTC_SUCCESS;
  }
  FTC_STATUS InitDevice(FTC_HANDLE, uint32_t divisor) override {
    Calls.push_back("InitDevice " + std::to_string(divisor));
    return InitStatus;
  }
  FTC_STATUS SetClock(FTC_HANDLE, uint32_t divisor, uint32_t*) override {
    Calls.push_back("SetClock " + std::to_string(divisor));
    return FTC_SUCCESS;
  }
  FTC_STATUS Close(FTC_HANDLE) override {
    Calls.push_back("Close");
    open_ = false;
    return CloseStatus;
  }

 protected:
  bool IsOpen(FTC_HANDLE h) const override { return open_ && h == 7; }
  FTC_STATUS RunScans(FTC_HANDLE, std::span<const TScanRequest>, std::span<uint8_t>) override {
    return FTC_SUCCESS;
  }

 private:
  bool open_ = false;
};

class AdapterConnectionTest : public AppFixture {
 protected:
  TFakeBackend& AddBackend(std::vector<TAdapterDeviceInfo> devices) {
    auto b = std::make_unique<TFakeBackend>();
    b->Devices = std::move(devices);
    TFakeBackend& ref = *b;
    form.JtagLibrary.AddBackend(std::move(b));
    return ref;
  }
  bool Connected() const { return !form.cb_FTDI_Device.Enabled(); }
};

const std::vector<TAdapterDeviceInfo> kDualChip = {
    {"Dual RS232-HS A", "FT5X7QA", 0x231},
    {"Dual RS232-HS B", "FT5X7QB", 0x232},
    {"Single RS232", "FT0001", 0x300},
};

TEST_F(AdapterConnectionTest, StartUpListsChannelAOnlyAndEnablesConnect) {
  AddBackend(kDualChip);
  form.Timer_StartUp.Fire();
  ASSERT_EQ(form.DongleCount, 1);
  ASSERT_EQ(form.Dongles.size(), 1u);
  EXPECT_EQ(form.Dongles[0].Description, "Dual RS232-HS A");
  EXPECT_EQ(form.Dongles[0].SerialNumber, "FT5X7QA");
  EXPECT_EQ(form.cb_FTDI_Device.Items(),
            std::vector<std::string>{"Dual RS232-HS A - FT5X7QA - 0x00000231"});
  EXPECT_EQ(form.cb_FTDI_Device.ItemIndex(), 0);
  EXPECT_TRUE(form.Bt_Connect.Enabled());
  EXPECT_EQ(LogEntries().front(), std::make_pair(std::string("  "), clGray));
}

TEST_F(AdapterConnectionTest, RelistingKeepsTheIndexAndAnEmptyListDisablesConnect) {
  // Hardware first, then the simulated backend, whatever the order of adding.
  TFakeBackend& sim = AddBackend({{"Pinloom Simulated Board A", "PLSIM1A", 1}});
  sim.Hardware = false;
  TFakeBackend& hw = AddBackend({{"Dual RS232-HS A", "FT5X7QA", 0x231}});
  form.cb_FTDI_Device.UserDropDown();
  ASSERT_EQ(form.cb_FTDI_Device.Count(), 2);
  EXPECT_EQ(form.cb_FTDI_Device.Items()[1], "Pinloom Simulated Board A - PLSIM1A - 0x00000001");
  form.cb_FTDI_Device.UserSelect(1);
  hw.Devices.push_back({"Another A", "X1A", 0x400});  // the order changed
  form.cb_FTDI_Device.UserDropDown();
  EXPECT_EQ(form.cb_FTDI_Device.Count(), 3);
  EXPECT_EQ(form.cb_FTDI_Device.ItemIndex(), 1);
  hw.Devices.clear();
  sim.Devices.clear();
  form.cb_FTDI_Device.UserDropDown();
  EXPECT_EQ(form.cb_FTDI_Device.Count(), 0);
  EXPECT_EQ(form.cb_FTDI_Device.ItemIndex(), -1);
  EXPECT_FALSE(form.Bt_Connect.Enabled());
}

TEST_F(AdapterConnectionTest, ConnectAndDisconnectWithTheirLogLinesAndStatusBar) {
  TFakeBackend& b = AddBackend(kDualChip);
  form.Timer_StartUp.Fire();
  form.ClockDivisor = 5;
  form.Bt_Connect.UserClick();
  EXPECT_TRUE(Connected());
  EXPECT_EQ(form.Bt_Connect.Caption(), "disconnect");
  EXPECT_NE(form.DongleHandle, 0u);
  EXPECT_EQ(form.StatusBar1.Panel(0).Text, "connected at Dual RS232-HS A 0x00000231");
  EXPECT_EQ(b.Calls,
            (std::vector<std::string>{"OpenEx Dual RS232-HS A 561", "InitDevice 5", "SetClock 5"}));
  const auto log = LogEntries();
  ASSERT_GE(log.size(), 3u);
  const std::vector<std::pair<std::string, TColor>> tail(log.end() - 3, log.end());
  EXPECT_EQ(tail, (std::vector<std::pair<std::string, TColor>>{
                      {" JTAG Frequency: 1000000Hz", clGreen},
                      {" Open Dual RS232-HS A at 0x00000231", clGray},
                      {" CLK Divisor 5", clGray}}));

  form.Bt_Connect.UserClick();
  EXPECT_FALSE(Connected());
  EXPECT_EQ(form.Bt_Connect.Caption(), "connect");
  EXPECT_EQ(form.DongleHandle, 0u);
  EXPECT_EQ(form.StatusBar1.Panel(0).Text, "");
  EXPECT_EQ(LogEntries().back(), std::make_pair(std::string(" Close FTDI device"), clGray));
}

TEST_F(AdapterConnectionTest, ConnectWithNothingListedOrNothingSelected) {
  form.Bt_Connect.Click();  // by code: the button is disabled
  EXPECT_EQ(LogEntries().back(), std::make_pair(std::string("Please select a JTAG dongle"), clRed));
  EXPECT_FALSE(Connected());

  AddBackend(kDualChip);
  form.cb_FTDI_Device.UserDropDown();
  form.cb_FTDI_Device.SetItemIndex(-1);
  form.Bt_Connect.UserClick();
  EXPECT_TRUE(Connected());
  EXPECT_EQ(form.cb_FTDI_Device.ItemIndex(), 0);
}

TEST_F(AdapterConnectionTest, FailedOpenOrInitLeavesConnectAndLogsOnlyTheCleanUp) {
  TFakeBackend& b = AddBackend(kDualChip);
  form.cb_FTDI_Device.UserDropDown();
  const size_t before = LogEntries().size();

  b.OpenStatus = FTC_DEVICE_NOT_OPENED;  // no handle stored: no line at all
  form.Bt_Connect.UserClick();
  EXPECT_EQ(form.Bt_Connect.Caption(), "connect");
  EXPECT_FALSE(Connected());
  EXPECT_EQ(form.DongleHandle, 0u);
  EXPECT_EQ(LogEntries().size(), before);

  b.OpenStatus = FTC_SUCCESS;
  b.InitStatus = FTC_IO_ERROR;  // a handle was stored: the clean-up line only
  form.Bt_Connect.UserClick();
  EXPECT_EQ(form.Bt_Connect.Caption(), "connect");
  EXPECT_FALSE(Connected());
  EXPECT_EQ(form.DongleHandle, 0u);
  ASSERT_EQ(LogEntries().size(), before + 1);
  EXPECT_EQ(LogEntries().back(), std::make_pair(std::string(" Close FTDI device"), clGray));
  EXPECT_EQ(form.StatusBar1.Panel(0).Text, "");
}

TEST_F(AdapterConnectionTest, AFailedCloseStillDisconnects) {
  TFakeBackend& b = AddBackend(kDualChip);
  form.cb_FTDI_Device.UserDropDown();
  form.Bt_Connect.UserClick();
  ASSERT_TRUE(Connected());
  b.CloseStatus = FTC_IO_ERROR;
  EXPECT_FALSE(form.CloseDongle());
  EXPECT_EQ(form.DongleHandle, 0u);
  EXPECT_TRUE(Connected());  // CloseDongle leaves the selector on a failed close ...
  EXPECT_EQ(LogEntries().back().first, " Close FTDI device");
  form.Bt_Connect.UserClick();  // ... the button enables it anyway
  EXPECT_FALSE(Connected());
  EXPECT_EQ(form.Bt_Connect.Caption(), "connect");
  EXPECT_TRUE(form.CloseDongle());  // nothing open: true, nothing logged
}

TEST_F(AdapterConnectionTest, ClockDialogTakesDivisorsWithinTheAdaptersRange) {
  struct TCase {
    std::optional<std::string> answer;
    int32_t divisor;
    bool refused;
  } cases[] = {
      {"5", 5, false}, {"0x10", 16, false},      {"65535", 65535, false}, {"abc", 7, false},
      {"", 7, false},  {std::nullopt, 7, false}, {"-1", 7, true},         {"65536", 7, true},
  };
  for (const TCase& c : cases) {
    form.ClockDivisor = 7;
    host.Messages.clear();
    host.InputAnswers = {c.answer};
    form.ItemJTAGCLK.UserClick();
    EXPECT_EQ(form.ClockDivisor, c.divisor) << c.answer.value_or("<cancel>");
    ASSERT_EQ(host.Messages.size(), c.refused ? 1u : 0u) << c.answer.value_or("<cancel>");
    if (c.refused) {
      EXPECT_NE(host.Messages[0].Text.find("0 and 65535"), std::string::npos);
    }
  }
}

TEST_F(AdapterConnectionTest, AnAdapterUnpluggedWhileConnectedFailsScansButDisconnects) {
  TFakeJtagChain chain({{10, 0x0BA00477}});
  auto bus = std::make_unique<TEmulatedFtdiBus>();
  const size_t a = bus->AddChip(TFtdiChip::FT2232H, "Dual RS232-HS", "FT5X7Q", 0x230, {&chain});
  TMpsseEmulator& emulator = bus->Emulator(a);
  TFt2232Options options;
  options.ReadTimeoutMs = 20;
  form.JtagLibrary.AddBackend(std::make_unique<TFt2232Adapter>(std::move(bus), options));
  form.Timer_StartUp.Fire();
  ASSERT_EQ(form.cb_FTDI_Device.Items(),
            std::vector<std::string>{"Dual RS232-HS A - FT5X7QA - 0x00000231"});
  form.Bt_Connect.UserClick();
  ASSERT_TRUE(Connected());

  emulator.Unplug();
  std::vector<uint8_t> tdi(4, 0), tdo(4);
  uint32_t n = 0;
  EXPECT_NE(form.JtagLibrary.JTAG_WriteRead(form.DongleHandle, kDataRegister, 32, tdi.data(), 4,
                                            tdo.data(), &n, 2),
            FTC_SUCCESS);
  EXPECT_NE(form.JtagLibrary.JTAG_InitDevice(form.DongleHandle, 0), FTC_SUCCESS);
  form.Bt_Connect.UserClick();
  EXPECT_FALSE(Connected());
  EXPECT_EQ(form.Bt_Connect.Caption(), "connect");
  EXPECT_EQ(form.DongleHandle, 0u);
  EXPECT_EQ(LogEntries().back().first, " Close FTDI device");
}

}  // namespace
