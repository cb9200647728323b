// The demo board end to end: detection, Sample and Extest of its microcontroller, as
// the simulator sees them.

#include <gtest/gtest.h>

#include "jtag/backends/simulator/simulator_adapter.h"
#include "platform/text_utils.h"
#include "sim_board.h"
#include "support/app_fixture.h"

namespace {

class DemoBoardTest : public AppFixture {
 protected:
  TSimBoard* board = nullptr;

  void SetUp() override {
    std::unique_ptr<TSimBoard> loaded = LoadSimBoard(DemoBoardPath());
    board = loaded.get();
    std::vector<TSimulatedBoard> boards;
    boards.push_back({"Demo Board", std::move(loaded)});
    form.JtagLibrary.AddBackend(std::make_unique<TSimulatorAdapter>(std::move(boards)));
    ASSERT_EQ(form.JtagLibrary.JTAG_OpenEx("Demo Board A", 1, &form.DongleHandle), FTC_SUCCESS);
    form.cb_FTDI_Device.SetEnabled(false);
    ASSERT_TRUE(form.ReadDeviceDatabase({PINLOOM_DEMO_DIR "/"}));
    form.cb_jtag_devices.UserDropDown();
    ASSERT_EQ(form.JTAGChain.DeviceCount, 3);
    form.LoadBSDLFile(PINLOOM_DEMO_DIR "/pl_mcu100.bsd");
    ASSERT_EQ(Frm_BSDLFile->Cells.size(), 122u);
    form.cb_jtag_devices.UserSelect(1);
  }

  const TListView& List() const { return Frm_BSDLFile->ListBoundaryScanCells; }
  std::string Text(int row, TCellColumn column) const { return List().Cell(row, column + 1); }

  // Every cell shows what the simulator captured last; the cells that observe a pin
  // (inputs and bidirectional cells) show the level of its net.
  void ExpectCellsShowCaptures() const {
    int pins = 0;
    for (int row = 0; row < List().Count(); ++row) {
      const bool captured = board->Device(1).CapturedBit(static_cast<uint32_t>(row));
      EXPECT_EQ(Text(row, colValue), captured ? "1" : "0") << "row " << row;
      const std::string function = Text(row, colFunction);
      if (function != "INPUT" && function != "BIDIR") continue;
      ++pins;
      const bool level = board->NetLevel("MCU." + Text(row, colPort));
      EXPECT_EQ(Text(row, colValue), level ? "1" : "0")
          << "row " << row << " " << Text(row, colPort);
    }
    EXPECT_GT(pins, 20);
  }
};

TEST_F(DemoBoardTest, DetectsAndNamesTheChain) {
  EXPECT_EQ(form.JTAGChain.IDCodes, (std::vector<std::string>{"1C51A56B", "4F80156B", "0E6D256B"}));
  EXPECT_EQ(form.JTAGChain.Devices[1].Description, "PL_MCU100 (Pinloom demo microcontroller)");
  EXPECT_EQ(form.JTAGChain.Devices[2].IRLen, 5);
  EXPECT_EQ(form.StatusBar1.Panel(1).Text, "ChainIndex: 1");
}

TEST_F(DemoBoardTest, ScansReachTheDeviceAtEveryPosition) {
  // IDCODE opcodes of the CPLD, the microcontroller and the I/O expander.
  const std::vector<std::pair<uint32_t, uint32_t>> idcodes{
      {0xFE, 0x1C51A56B}, {0x1, 0x4F80156B}, {0x2, 0x0E6D256B}};
  for (int32_t p = 0; p < 3; ++p) {
    const uint32_t irLength = form.JTAGChain.Devices[static_cast<size_t>(p)].IRLen;
    std::fill_n(form.WriteArea(), 8, uint8_t{0});
    form.WriteArea()[0] = static_cast<uint8_t>(idcodes[static_cast<size_t>(p)].first);
    ASSERT_EQ(form.ScanIR(p, irLength), FTC_SUCCESS);
    for (int32_t j = 0; j < 3; ++j) {
      EXPECT_EQ(board->Device(static_cast<size_t>(j)).InstructionName(),
                j == p ? "IDCODE" : "BYPASS")
          << p << " " << j;
    }
    ASSERT_EQ(form.ScanDR(p, 32), FTC_SUCCESS);
    uint32_t read = 0;
    for (int b = 3; b >= 0; --b) read = (read << 8) | form.ReadArea()[b];
    EXPECT_EQ(read, idcodes[static_cast<size_t>(p)].second) << p;
  }
}

TEST_F(DemoBoardTest, SampleShowsEveryNetLevelAndLeavesExtest) {
  form.BT_SampleClick();
  ExpectCellsShowCaptures();
  for (int row = 0; row < List().Count(); ++row) {
    if (Text(row, colFunction) != "CONTROL") continue;
    EXPECT_EQ(Text(row, colDirection),
              Text(row, colValue) == Text(row, colSafe) ? "input" : "output")
        << row;
  }
  EXPECT_EQ(board->Device(1).InstructionName(), "EXTEST");
  EXPECT_EQ(board->Device(0).InstructionName(), "BYPASS");
  EXPECT_EQ(board->Device(2).InstructionName(), "BYPASS");
  EXPECT_TRUE(form.bt_Extest.Enabled());
}

TEST_F(DemoBoardTest, ExtestDrivesALoopedBackOutput) {
  form.BT_SampleClick();
  int32_t out = -1, in = -1, control = -1;
  ASSERT_TRUE(form.GetBitIndexOutput("TOUT0", out));
  ASSERT_TRUE(form.GetBitIndexInput("TIN0", in));
  ASSERT_TRUE(form.GetBitIndexDDR("TOUT0", control));
  for (bool level : {true, false, true}) {
    ASSERT_TRUE(form.SetCellValue(out, level));
    ASSERT_TRUE(form.SetControlCell(control, true));
    form.bt_ExtestClick();
    EXPECT_EQ(board->NetLevel("MCU.TIN0"), level);
    // The scan that drives the output captured before its update: the next one sees
    // the wire's new level.
    form.bt_ExtestClick();
    EXPECT_EQ(Text(in, colValue), level ? "1" : "0");
    EXPECT_EQ(Text(out, colValue), level ? "1" : "0");  // the output row keeps its value
  }
}

TEST_F(DemoBoardTest, PreloadOnlyAndLowerCaseNamesStillSample) {
  auto& table = Frm_BSDLFile->Instructions;
  std::erase_if(table, [](const TBScan_InstructionRegister& i) { return i.Name == "SAMPLE"; });
  for (TBScan_InstructionRegister& i : table) i.Name = text::LowerCase(i.Name);
  form.BT_SampleClick();
  ExpectCellsShowCaptures();
  EXPECT_EQ(board->Device(1).InstructionName(), "EXTEST");
  EXPECT_TRUE(form.bt_Extest.Enabled());
}

}  // namespace
