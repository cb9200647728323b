#include <gtest/gtest.h>

#include "support/bsdl_fixtures.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/pinloom_error.h"
#include "support/app_fixture.h"

namespace {

namespace fs = std::filesystem;

// A register of `ports` input cells P00, P01, ... (several cells per port when
// `cellsPerPort` > 1) in a BOUNDARY_LENGTH of `length` (at least the number of cells).
std::string InputChip(int ports, int cellsPerPort, int length) {
  std::string text = "attribute BOUNDARY_LENGTH of X : entity is " + std::to_string(length) +
                     ";\nattribute BOUNDARY_REGISTER of X : entity is\n";
  const int cells = ports * cellsPerPort;
  for (int k = 0; k < cells; ++k) {
    const int port = k / cellsPerPort;
    text += "  \"" + std::to_string(k) + " (BC_1, P" + (port < 10 ? "0" : "") +
            std::to_string(port) + ", INPUT, X)" + (k + 1 < cells ? ",\" &\n" : "\";\n");
  }
  return text;
}

class BSDLLoadingTest : public AppFixture {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pinloom_bsdl_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  TFrm_BSDLFile& bsdl = *Frm_BSDLFile;
  fs::path dir_;
};

std::vector<std::string> RowTexts(const TListView& list, int row) {
  std::vector<std::string> texts{list.Row(row).Caption};
  for (const std::string& s : list.Row(row).SubItems) texts.push_back(s);
  return texts;
}

TEST_F(BSDLLoadingTest, DemoChipFillsTheCellListAndThePinLists) {
  const std::string path = Write("demo.bsd", kDemoChip);
  int listNotifications = 0;
  bsdl.ListBoundaryScanCells.Subscribe([&](TChange) { ++listNotifications; });

  form.LoadBSDLFile(path);

  const TListView& list = bsdl.ListBoundaryScanCells;
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(listNotifications, 1);
  using Row = std::vector<std::string>;
  EXPECT_EQ(RowTexts(list, 0), (Row{"0", "BC_1", "PA1", "INPUT", "X", "", "", "", "", "-"}));
  EXPECT_EQ(RowTexts(list, 1), (Row{"1", "BC_1", "PA0", "OUTPUT3", "X", "2", "1", "Z", "", "-"}));
  EXPECT_EQ(RowTexts(list, 2), (Row{"2", "BC_1", "*", "CONTROL", "1", "", "", "", "", ""}));
  EXPECT_EQ(bsdl.Caption(), "BSDL File Interpreter: " + path + " - Cells (3)");
  EXPECT_EQ(bsdl.BSDLFileName, path);
  EXPECT_EQ(LogEntries(), (std::vector<std::pair<std::string, TColor>>{
                              {"BSDL-> Parse: " + path, clGray},
                              {"BSDL-> Removing comments...", clGray},
                              {"Entity: DEMO_CHIP", clGreen},
                              {"frequency: 1000000", clGreen},
                              {"IR-Len: 2", clGray},
                              {"JTAG-Ports: TDI TCK ", clGreen},
                              {"BSDL-> End Parsing: " + path, clGray},
                          }));

  EXPECT_TRUE(form.BT_Sample.Enabled());
  EXPECT_FALSE(form.bt_Extest.Enabled());
  EXPECT_TRUE(host.EverBusy);
  EXPECT_EQ(host.BusyDepth, 0);

  const std::vector<std::string> ports{"PA0", "PA1"};
  const std::vector<std::string> withNotConnected{"-> NOT CONNECTED", "PA0", "PA1"};
  const std::array<TComboBox*, 64> lists = form.PinLists();
  for (size_t n = 0; n < lists.size(); ++n) {
    const TComboBox& combo = *lists[n];
    const bool notConnected = n == 61 || n == 62 || n == 63;
    EXPECT_EQ(combo.Items(), notConnected ? withNotConnected : ports) << combo.Name();
    std::string selected;
    if (n == 0 || n == 4 || n == 10) selected = "PA0";
    if (n == 1 || n == 5 || n == 11) selected = "PA1";
    EXPECT_EQ(combo.Text(), selected) << combo.Name();
  }
}

TEST_F(BSDLLoadingTest, DefaultSelectionsFollowTheTable) {
  // 60 ports with two cells each: each port listed once.
  form.LoadBSDLFile(Write("wide.bsd", InputChip(60, 2, 120)));
  ASSERT_EQ(form.combo_spi_flasher_sck.Count(), 60);
  auto port = [](int k) { return std::string("P") + (k < 10 ? "0" : "") + std::to_string(k); };
  const std::vector<std::pair<const TComboBox*, std::string>> expected = {
      {&form.combo_spi_flasher_sck, port(0)},  {&form.combo_spi_flasher_cs, port(3)},
      {form.combo_bitcounter_bit[5], port(5)}, {form.combo_norflash_adr[31], port(31)},
      {form.combo_norflash_data[0], port(32)}, {form.combo_norflash_data[15], port(47)},
      {&form.combo_norflash_ce_q, port(48)},   {&form.combo_norflash_we_q, port(50)},
      {&form.combo_norflash_wp_q, port(50)},  // behind "-> NOT CONNECTED"
      {&form.combo_norflash_byte_q, port(52)},
  };
  for (const auto& [combo, text] : expected) EXPECT_EQ(combo->Text(), text) << combo->Name();

  // Fewer ports than positions: those lists select nothing.
  form.LoadBSDLFile(Write("narrow.bsd", InputChip(3, 1, 3)));
  EXPECT_EQ(form.combo_spi_flasher_miso.Text(), "P02");
  EXPECT_EQ(form.combo_spi_flasher_cs.ItemIndex(), -1);
  EXPECT_EQ(form.combo_bitcounter_bit[3]->ItemIndex(), -1);
  EXPECT_EQ(form.combo_norflash_wp_q.ItemIndex(), -1);
  EXPECT_EQ(form.combo_norflash_data[0]->ItemIndex(), -1);
}

TEST_F(BSDLLoadingTest, UndescribedCellsShowEmptyRows) {
  form.LoadBSDLFile(Write("short.bsd", InputChip(2, 1, 4)));
  const TListView& list = bsdl.ListBoundaryScanCells;
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(RowTexts(list, 3),
            (std::vector<std::string>{"0", "", "", "", "", "", "", "", "", "-"}));
  EXPECT_EQ(form.combo_norflash_ce_q.Items(), (std::vector<std::string>{"", "P00", "P01"}));
}

TEST_F(BSDLLoadingTest, ReloadDiscardsValuesAndPinChoices) {
  const std::string path = Write("demo.bsd", kDemoChip);
  form.LoadBSDLFile(path);
  bsdl.ListBoundaryScanCells.SetSubItem(0, colValue, "1");
  form.combo_spi_flasher_sck.SetItemIndex(1);
  form.LoadBSDLFile(path);
  EXPECT_EQ(bsdl.ListBoundaryScanCells.Cell(0, colValue + 1), "");
  EXPECT_EQ(form.combo_spi_flasher_sck.Text(), "PA0");
}

TEST_F(BSDLLoadingTest, MissingFileChangesNothing) {
  form.BT_Sample.SetEnabled(true);
  form.LoadBSDLFile((dir_ / "absent.bsd").string());
  EXPECT_TRUE(form.BT_Sample.Enabled());
  EXPECT_FALSE(host.EverBusy);
  EXPECT_TRUE(LogMessages().empty());
  EXPECT_FALSE(bsdl.InterpretBSDLFile((dir_ / "absent.bsd").string()));
  EXPECT_EQ(bsdl.Caption(), "BSDL File Interpreter");
}

TEST_F(BSDLLoadingTest, FailedParseEmptiesCellsAndListButKeepsThePinLists) {
  form.LoadBSDLFile(Write("demo.bsd", kDemoChip));
  const std::string bad = Write("bad.bsd",
                                "attribute INSTRUCTION_LENGTH of X : entity is 5;\n"
                                "attribute BOUNDARY_LENGTH of X : entity is 2;\n"
                                "attribute BOUNDARY_REGISTER of X : entity is\n"
                                "  \"1 (BC_1, B, INPUT, X),\" &\n"
                                "  \"0(BC_1, A, INPUT, X)\";\n");
  try {
    form.LoadBSDLFile(bad);
    FAIL() << "no error";
  } catch (const EPinloomError& e) {
    EXPECT_STREQ(e.what(), "'0(BC_1' is not a valid integer value");
  }
  EXPECT_TRUE(bsdl.Cells.empty());
  EXPECT_EQ(bsdl.ListBoundaryScanCells.Count(), 0);
  EXPECT_EQ(bsdl.IRLength, 5);
  EXPECT_EQ(bsdl.BSDLFileName, bad);
  EXPECT_EQ(bsdl.Caption(), "BSDL File Interpreter: " + bad);
  EXPECT_EQ(form.combo_spi_flasher_sck.Items(), (std::vector<std::string>{"PA0", "PA1"}));
  EXPECT_FALSE(form.BT_Sample.Enabled());
  EXPECT_FALSE(form.bt_Extest.Enabled());
  EXPECT_EQ(host.BusyDepth, 0);
  EXPECT_EQ(LogMessages().back(), "IR-Len: 5");
}

TEST_F(BSDLLoadingTest, UnreadableFileRaisesTheFileError) {
  const std::string path = (dir_ / "absent.bsd").string();
  try {
    bsdl.ParseBSDLFile(path);
    FAIL() << "no error";
  } catch (const EPinloomError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot open file \"" + path + "\". No such file or directory");
  }
}

TEST_F(BSDLLoadingTest, OpenMenuLoadsTheChosenFile) {
  host.FileDialogAnswers = {std::nullopt, Write("demo.bsd", kDemoChip)};
  form.Open1.UserClick();  // cancelled
  EXPECT_EQ(bsdl.ListBoundaryScanCells.Count(), 0);
  EXPECT_TRUE(LogMessages().empty());
  form.Open1.UserClick();
  EXPECT_EQ(bsdl.ListBoundaryScanCells.Count(), 3);
}

// ---- The interpreter window ----

class BSDLWindowTest : public AppFixture {
 protected:
  TFrm_BSDLFile& bsdl = *Frm_BSDLFile;
  TListView& list = bsdl.ListBoundaryScanCells;

  void SetPorts(const std::vector<std::string>& ports) {
    std::vector<TListItem> rows;
    for (size_t k = 0; k < ports.size(); ++k) {
      rows.push_back({std::to_string(k), {"BC_1", ports[k], "INPUT", "X", "", "", "", "", "-"}});
    }
    list.SetRows(rows);
  }
};

TEST_F(BSDLWindowTest, SearchWalksThroughTheMatchesAndStopsAtTheLast) {
  SetPorts({"PA0", "PA1", "PA10", "PB0"});
  bsdl.txt_signal_name.SetText("pa1*");
  bsdl.BtSearchBSDL.UserClick();
  EXPECT_EQ(list.FirstSelected(), 1);
  EXPECT_EQ(list.TopItem(), 1);
  bsdl.txt_signal_name.UserKeyUp(kKeyEnter);
  EXPECT_EQ(list.FirstSelected(), 2);
  EXPECT_FALSE(list.IsSelected(1));
  EXPECT_EQ(list.TopItem(), 2);
  bsdl.BtSearchBSDL.UserClick();
  EXPECT_EQ(list.FirstSelected(), 2);
  bsdl.txt_signal_name.SetText("P*");
  bsdl.txt_signal_name.UserKeyUp('A');  // only Enter searches
  EXPECT_EQ(list.FirstSelected(), 2);
  bsdl.txt_signal_name.UserKeyUp(kKeyEnter);
  EXPECT_EQ(list.FirstSelected(), 3);
}

TEST(MatchWildcard, Patterns) {
  struct Case {
    const char* text;
    const char* pattern;
    bool match;
  };
  const Case cases[] = {
      {"PA0", "PA?", true},     {"PA1", "PA?", true},
      {"PA10", "PA?", false},   {"PA0", "P*0", true},
      {"PA10", "P*0", true},    {"PB0", "P*0", true},
      {"PA1", "P*0", false},    {"PA0", "*", true},
      {"", "*", true},          {"PA0", "", false},
      {"", "", true},           {"BABB", "*?B", false},
      {"BABB", "*B", true},     {"BABB", "*AB?", true},
      {"PA0", "PA0", true},     {"PA0", "PA", false},
      {"PA", "PA0", false},     {"PA0", "pa0", false},
      {"ABCABD", "*ABD", true}, {"ABCABD", "A*C*D", true},
      {"AB", "A**B", true},     {"A", "?*", true},
      {"", "?", false},         {"XAYB", "*A*B", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchWildcard(c.text, c.pattern), c.match) << c.text << " / " << c.pattern;
  }
}

TEST_F(BSDLWindowTest, DoubleClickTogglesValueAndControlDirection) {
  struct Case {
    std::string value, safe, direction;  // before
    std::string newValue, newDirection;  // after
  };
  const std::vector<Case> cases = {
      {"1", "X", "-", "0", "-"}, {"0", "X", "-", "1", "-"},    {"Z", "X", "-", "0", "-"},
      {"", "X", "-", "", "-"},   {"0", "1", "", "1", "input"}, {"1", "1", "input", "0", "output"},
      {"", "1", "", "", ""},
  };
  for (const Case& c : cases) {
    list.SetRows({{"0", {"BC_1", "P", "CONTROL", c.safe, "", "", "", c.value, c.direction}}});
    list.UserDblClick(0);
    EXPECT_EQ(list.Cell(0, colValue + 1), c.newValue) << c.value << "/" << c.direction;
    EXPECT_EQ(list.Cell(0, colDirection + 1), c.newDirection) << c.value << "/" << c.direction;
  }
  // Without a focused row nothing happens.
  list.SetRows({{"0", {"BC_1", "P", "INPUT", "X", "", "", "", "1", "-"}}});
  bsdl.ListBoundaryScanCellsDblClick();
  EXPECT_EQ(list.Cell(0, colValue + 1), "1");
}

}  // namespace
