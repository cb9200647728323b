#include <gtest/gtest.h>

#include "bscan/cell_list_fixture.h"

namespace {

using Log = std::vector<std::pair<std::string, TColor>>;

class PinAddressingTest : public CellListFixture {
 protected:
  void SetUp() override {
    std::vector<TBScan_Cell> cells;
    for (int i = 0; i < 16; ++i) cells.push_back(Cell(i, "*", "INTERNAL", "X"));
    cells[5] = Cell(5, "IO5", "BIDIR", "X", "6");
    cells[6] = Cell(6, "*", "CONTROL", "1");
    cells[7] = Cell(7, "SAFE0", "CONTROL", "0");
    cells[8] = Cell(8, "CLK", "CLOCK", "X");
    cells[9] = Cell(9, "OBS", "OBSERVE_ONLY", "X");
    cells[10] = Cell(10, "BAD", "OUTPUT3", "X", "1x");
    cells[11] = Cell(11, "PIN12", "INPUT", "X");
    cells[12] = Cell(12, "PIN12", "OUTPUT3", "X", "13");
    cells[13] = Cell(13, "*", "CONTROL", "1");
    cells[14] = Cell(14, "DUP", "OUTPUT2", "X");
    cells[15] = Cell(15, "DUP", "OUTPUT2", "X");
    SetCells(cells);
  }
};

TEST_F(PinAddressingTest, LookupsByPortName) {
  struct Case {
    std::string port;
    int32_t ddr, output, input;
  };
  for (const Case& c : std::vector<Case>{{"PIN12", 13, 12, 11},
                                         {"IO5", 6, 5, 5},
                                         {"DUP", -1, 14, -1},
                                         {"CLK", -1, -1, -1},
                                         {"OBS", -1, -1, -1},
                                         {"pin12", -1, -1, -1},
                                         {"NONE", -1, -1, -1}}) {
    const size_t before = LogEntries().size();
    int32_t ddr = 99, output = 99, input = 99;
    EXPECT_EQ(form.GetBitIndexDDR(c.port, ddr), c.ddr >= 0) << c.port;
    EXPECT_EQ(form.GetBitIndexOutput(c.port, output), c.output >= 0) << c.port;
    EXPECT_EQ(form.GetBitIndexInput(c.port, input), c.input >= 0) << c.port;
    EXPECT_EQ(ddr, c.ddr) << c.port;
    EXPECT_EQ(output, c.output) << c.port;
    EXPECT_EQ(input, c.input) << c.port;
    const Log log = LogEntries();
    EXPECT_EQ(Log(log.begin() + static_cast<long>(before), log.end()),
              (Log{{"BitIndexDDR for " + c.port + " " + std::to_string(c.ddr), clNavy},
                   {"BitIndexOutput for " + c.port + " " + std::to_string(c.output), clNavy},
                   {"BitIndexInput for " + c.port + " " + std::to_string(c.input), clNavy}}));
  }
  EXPECT_EQ(form.CellIndexFromPort("pin12"), 11);
  EXPECT_EQ(form.CellIndexFromPort("Io5"), 5);
  EXPECT_EQ(form.CellIndexFromPort("NONE"), -1);
}

TEST_F(PinAddressingTest, ControlCellNumberThatIsNoInteger) {
  int32_t index = 99;
  EXPECT_FALSE(form.GetBitIndexDDR("BAD", index));
  EXPECT_EQ(index, -1);
  EXPECT_EQ(LogEntries(), (Log{{"Exception: index_of_control_cell := StrToInt(s);", clRed}}));
}

TEST_F(PinAddressingTest, SettersWriteListAndImage) {
  struct Case {
    int32_t row;
    bool enable;
    std::string value;
  };
  // Safe 1 (row 6): enable drives 0; safe 0 (row 7) and X (row 8): enable drives 1.
  for (const Case& c : std::vector<Case>{{6, true, "0"},
                                         {6, false, "1"},
                                         {7, true, "1"},
                                         {7, false, "0"},
                                         {8, true, "1"},
                                         {8, false, "0"}}) {
    PutBit(form.WriteArea(), c.row, c.value == "0");
    EXPECT_TRUE(form.SetControlCell(c.row, c.enable));
    EXPECT_EQ(Value(c.row), c.value) << c.row << " " << c.enable;
    EXPECT_EQ(GetBit(form.WriteArea(), c.row), c.value == "1") << c.row << " " << c.enable;
  }
  EXPECT_TRUE(form.SetCellValue(12, true));
  EXPECT_EQ(Value(12), "1");
  EXPECT_TRUE(GetBit(form.WriteArea(), 12));
  EXPECT_TRUE(form.SetCellValue(12, false));
  EXPECT_EQ(Value(12), "0");
  EXPECT_FALSE(GetBit(form.WriteArea(), 12));
}

TEST_F(PinAddressingTest, SettersRefuseRowsOutsideTheList) {
  std::vector<uint8_t> image(form.BSRImage.begin(), form.BSRImage.begin() + 8);
  const std::vector<TListItem> rows = Frm_BSDLFile->ListBoundaryScanCells.Rows();
  EXPECT_TRUE(form.SetControlCell(-1, true));  // none: nothing to do
  EXPECT_TRUE(form.SetCellValue(-1, true));
  for (int32_t bad : {-2, -100, 16, 17, 1 << 30}) {
    EXPECT_FALSE(form.SetControlCell(bad, true)) << bad;
    EXPECT_FALSE(form.SetCellValue(bad, true)) << bad;
  }
  EXPECT_EQ(std::vector<uint8_t>(form.BSRImage.begin(), form.BSRImage.begin() + 8), image);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(Frm_BSDLFile->ListBoundaryScanCells.Row(static_cast<int>(i)).SubItems,
              rows[i].SubItems);
  }
}

}  // namespace
