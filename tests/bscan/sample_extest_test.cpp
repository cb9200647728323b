#include <gtest/gtest.h>

#include "bscan/cell_list_fixture.h"

namespace {

using Log = std::vector<std::pair<std::string, TColor>>;

// The fake's opcodes: all ones BYPASS, 1 IDCODE, anything else the boundary register.
const std::vector<TBScan_InstructionRegister> kInstructions{
    {"BYPASS", "1111", 15}, {"IDCODE", "0001", 1}, {"SAMPLE", "0010", 2}, {"EXTEST", "0000", 0}};

class SampleExtestTest : public CellListFixture {
 protected:
  // A pin pair wired together on the board: OUT_A (output 0, control 1) drives IN_B
  // (input 2); IO_C is bidirectional (3, control 4); 5 is internal.
  void SetUp() override {
    form.DeviceDB = {{"Other", "01111111", 6}, {"Main", "02222222", 4}};
    Connect({Device(6, 0x01111111), Device(4, 0x02222222, 6)});
    form.DetectJTAGChain();
    form.cb_jtag_devices.SetItemIndex(1);
    Frm_BSDLFile->Instructions = kInstructions;
    Frm_BSDLFile->IRLength = 4;
    SetCells({Cell(0, "OUT_A", "OUTPUT3", "X", "1"), Cell(1, "*", "CONTROL", "1"),
              Cell(2, "IN_B", "INPUT", "X"), Cell(3, "IO_C", "BIDIR", "X", "4"),
              Cell(4, "*", "CONTROL", "0"), Cell(5, "*", "INTERNAL", "0")});
  }
  TFakeDevice& Main() { return fake->Devices[1]; }
  void SetPins(std::vector<bool> pins) { Main().Pins = std::move(pins); }
};

TEST_F(SampleExtestTest, FindInstructionMatchesAnyCaseAndSwapsSampleAndPreload) {
  struct Case {
    std::vector<std::string> names;
    std::string wanted;
    int32_t index;
  };
  for (const Case& c : std::vector<Case>{{{"BYPASS", "SAMPLE"}, "SAMPLE", 1},
                                         {{"bypass", "sample"}, "SAMPLE", 1},
                                         {{"BYPASS", "PRELOAD"}, "SAMPLE", 1},
                                         {{"SAMPLE", "Preload"}, "PRELOAD", 1},
                                         {{"SAMPLE"}, "PRELOAD", 0},
                                         {{"PRELOAD"}, "sample", -1},
                                         {{"BYPASS"}, "EXTEST", -1},
                                         {{}, "SAMPLE", -1}}) {
    Frm_BSDLFile->Instructions.clear();
    for (const std::string& n : c.names) Frm_BSDLFile->Instructions.push_back({n, "0", 0});
    EXPECT_EQ(form.FindInstruction(c.wanted), c.index) << c.wanted;
  }
}

TEST_F(SampleExtestTest, InstructionLoadLayout) {
  struct Case {
    int32_t irLength;
    TBScan_InstructionRegister entry;
    std::vector<uint8_t> bytes;
  };
  form.ItemBSDLCellsWriteOnly.SetChecked(true);  // the layout alone, on one device
  form.JtagLibrary.ClearBackends();
  Connect({Device(10, 0x02222222)});
  form.DetectJTAGChain();
  form.cb_jtag_devices.SetItemIndex(0);
  for (const Case& c : std::vector<Case>{
           {10, {"EXTEST", "0000000000", 0}, {0x00, 0x00}},
           {10, {"ALL", "1111111111", 0x3FF}, {0xFF, 0x03}},
           {40, {"WIDE", "1000000000000000000000000000000010100101", 0xA5}, {0xA5, 0, 0, 0, 0x80}},
       }) {
    Frm_BSDLFile->IRLength = c.irLength;
    Frm_BSDLFile->Instructions = {c.entry};
    form.SelectedInstruction = 0;
    std::fill_n(form.WriteArea(), 8, uint8_t{0xEE});
    ASSERT_TRUE(form.LoadAndShift(true)) << c.entry.Name;
    EXPECT_EQ(std::vector<uint8_t>(form.WriteArea(), form.WriteArea() + c.bytes.size()), c.bytes)
        << c.entry.Name;
    EXPECT_TRUE(form.ShiftIsInstruction);
    EXPECT_EQ(form.ShiftBitCount, c.irLength);
    EXPECT_EQ(form.ShiftByteCount, (c.irLength + 7) / 8);
    EXPECT_EQ(fake->Scans.back().Bits, static_cast<uint32_t>(c.irLength));
  }
}

TEST_F(SampleExtestTest, NothingToLoad) {
  const size_t scans = fake->Scans.size();
  Frm_BSDLFile->IRLength = 0;
  form.SelectedInstruction = 2;
  EXPECT_FALSE(form.LoadAndShift(true));
  form.SelectedInstruction = -1;
  Frm_BSDLFile->IRLength = 4;
  EXPECT_FALSE(form.LoadAndShift(true));
  const size_t lines = LogEntries().size();
  SetCells({});
  EXPECT_FALSE(form.LoadAndShift(false));
  EXPECT_EQ(fake->Scans.size(), scans);
  const Log log = LogEntries();
  EXPECT_EQ(Log(log.begin() + static_cast<long>(lines), log.end()),
            (Log{{"BSDL-> Warning: BitCount SDR = 0", clRed}}));
  ASSERT_EQ(host.Messages.size(), 1u);
  EXPECT_EQ(host.Messages[0].Text, "BSDL-> Warning: BitCount SDR = 0");
}

TEST_F(SampleExtestTest, SampleCapturesEveryCellAndLeavesEXTESTDrivingThem) {
  SetPins({true, true, false, true, false, true});
  form.BT_SampleClick();
  const std::vector<std::string> values{"1", "1", "0", "1", "0", "1"};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Value(i), values[i]) << i;
  // Control cell 1 at its safe value 1: a disabled driver; cell 4 at 0, safe 0: too.
  EXPECT_EQ(Direction(1), "input");
  EXPECT_EQ(Direction(4), "input");
  EXPECT_EQ(Direction(0), "-");
  EXPECT_EQ(Main().Instruction, 0u);  // EXTEST
  EXPECT_EQ(Main().Driven, (std::vector<bool>{true, true, false, true, false, true}));
  EXPECT_EQ(fake->Devices[0].Instruction, fake->Devices[0].BypassOpcode());
  EXPECT_TRUE(form.bt_Extest.Enabled());
  EXPECT_EQ(form.SelectedInstruction, 3);
  EXPECT_TRUE(form.ShiftIsInstruction);  // the settings of the EXTEST load
  EXPECT_EQ(form.ShiftBitCount, 4);

  SetPins({false, false, true, true, true, true});
  form.BT_SampleClick();
  EXPECT_EQ(Direction(1), "output");  // 0 against safe 1
  EXPECT_EQ(Direction(4), "output");  // 1 against safe 0
}

TEST_F(SampleExtestTest, SampleWorksThroughTheUserButtonWithPreloadOnly) {
  Frm_BSDLFile->Instructions = {
      {"bypass", "1111", 15}, {"preload", "0010", 2}, {"extest", "0000", 0}};
  SetPins({false, true, true, false, false, false});
  form.Expert1.UserClick();
  form.BT_Sample.SetEnabled(true);
  form.BT_Sample.UserClick();
  EXPECT_EQ(Value(2), "1");
  EXPECT_TRUE(form.bt_Extest.Enabled());
}

TEST_F(SampleExtestTest, MissingInstructionsStopTheSample) {
  Frm_BSDLFile->Instructions = {{"BYPASS", "1111", 15}};
  const size_t scans = fake->Scans.size();
  form.BT_SampleClick();
  EXPECT_EQ(LogEntries().back(), (std::pair<std::string, TColor>{
                                     "BSDL-> Error: instruction SAMPLE/PRELOAD not found", clRed}));
  EXPECT_EQ(fake->Scans.size(), scans);
  EXPECT_FALSE(form.bt_Extest.Enabled());

  Frm_BSDLFile->Instructions = {{"SAMPLE", "0010", 2}};
  SetPins({true, false, true, false, true, false});
  form.BT_SampleClick();
  EXPECT_EQ(LogEntries().back(),
            (std::pair<std::string, TColor>{"BSDL-> Error: instruction EXTEST not found", clRed}));
  EXPECT_EQ(Value(0), "1");  // the captures were made
  EXPECT_EQ(Main().Instruction, 2u);
  EXPECT_FALSE(form.bt_Extest.Enabled());
}

TEST_F(SampleExtestTest, FailedScansLogAndLeaveTheList) {
  form.cb_jtag_devices.SetItemIndex(-1);
  form.BT_SampleClick();
  const std::vector<std::string> log = LogMessages();
  EXPECT_EQ(
      std::vector<std::string>(log.end() - 4, log.end()),
      (std::vector<std::string>{"BSDL-> Error on Shift IR SAMPLE", "BSDL-> Error on Shift DR",
                                "BSDL-> Error on Shift DR", "BSDL-> Error on Shift IR EXTEST"}));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Value(i), "") << i;
}

TEST_F(SampleExtestTest, ExtestTakesInputsThatDifferFromWhatWasDriven) {
  SetPins({false, true, false, false, true, false});
  form.BT_SampleClick();
  // The user drives OUT_A high and enables it; the board's wire makes IN_B follow, an
  // internal cell and the bidirectional pin read something else.
  ASSERT_TRUE(form.SetCellValue(0, true));
  ASSERT_TRUE(form.SetControlCell(1, true));
  SetPins({false, true, true, true, false, true});
  int notifications = 0;
  const int token =
      Frm_BSDLFile->ListBoundaryScanCells.Subscribe([&](TChange) { ++notifications; });
  form.bt_ExtestClick();
  Frm_BSDLFile->ListBoundaryScanCells.Unsubscribe(token);
  EXPECT_EQ(Main().Driven, (std::vector<bool>{true, false, false, false, true, false}));
  EXPECT_EQ(Value(0), "1");     // output: keeps its value though it captured 0
  EXPECT_EQ(Value(1), "0");     // control: keeps the driven value
  EXPECT_EQ(Value(2), "1");     // input: flips to the captured level
  EXPECT_EQ(Value(3), "1");     // bidirectional: takes the capture
  EXPECT_EQ(Value(4), "1");     // control: captured 0 against driven 1, kept
  EXPECT_EQ(Value(5), "0");     // internal: kept
  EXPECT_EQ(notifications, 1);  // one repaint for the whole capture
  EXPECT_FALSE(form.ShiftIsInstruction);
  EXPECT_EQ(form.ShiftBitCount, 6);
}

TEST_F(SampleExtestTest, LoadAndCaptureStayWithinTheShorterOfListAndCells) {
  SetPins({true, true, true, true, true, true});
  // Six cells but three rows.
  std::vector<TListItem> rows(Frm_BSDLFile->ListBoundaryScanCells.Rows().begin(),
                              Frm_BSDLFile->ListBoundaryScanCells.Rows().begin() + 3);
  Frm_BSDLFile->ListBoundaryScanCells.SetRows(rows);
  form.BT_SampleClick();
  EXPECT_EQ(Frm_BSDLFile->ListBoundaryScanCells.Count(), 3);
  EXPECT_EQ(Value(2), "1");
  EXPECT_EQ(form.ShiftBitCount, 4);
  // Six rows, three cells: the scan is three bits long.
  SetCells({Cell(0, "A", "INPUT", "X"), Cell(1, "B", "INPUT", "X"), Cell(2, "C", "INPUT", "X")});
  Frm_BSDLFile->ListBoundaryScanCells.AddRow(
      {"3", {"BC_1", "D", "INPUT", "X", "", "", "", "", "-"}});
  Main().Pins = {true, false, true};
  form.bt_ExtestClick();
  EXPECT_EQ(form.ShiftBitCount, 3);
  EXPECT_EQ(Value(3), "");
}

}  // namespace
