#include <gtest/gtest.h>

#include "support/bsdl_fixtures.h"

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "bsdl/bsdl_parser.h"
#include "bsdl/bsdl_parser_detail.h"
#include "log/uProtocolWindow.h"
#include "platform/pinloom_error.h"
#include "platform/text_utils.h"

namespace {

using TLog = std::vector<std::pair<std::string, TColor>>;

struct TParse {
  std::vector<TBScan_Cell> cells;
  std::vector<TBScan_InstructionRegister> instructions;
  int32_t irLength = -1;
  TLog log;
  std::optional<std::string> error;
  int processed = 0;
};

TParse Parse(const std::string& text) {
  TParse r;
  // Leftovers of an earlier parse must all be replaced.
  r.cells.resize(5);
  r.instructions.resize(2);
  try {
    ParseBSDLText(
        text, r.cells, r.instructions, r.irLength,
        [&r](const std::string& m, uint32_t c) { r.log.emplace_back(m, c); },
        [&r] { ++r.processed; });
  } catch (const EPinloomError& e) {
    r.error = e.what();
  }
  return r;
}

std::vector<std::string> Messages(const TLog& log) {
  std::vector<std::string> out;
  for (const auto& entry : log) out.push_back(entry.first);
  return out;
}

TBScan_Cell Cell(int32_t num, std::string type, std::string port, std::string function,
                 std::string safe, std::string ccell = {}, std::string disval = {},
                 std::string rslt = {}) {
  return {num, type, port, function, safe, ccell, disval, rslt};
}

TEST(BSDLParser, DemoChipGivesTheDocumentedResults) {
  const std::string withComment = kDemoChip;
  const std::string withoutComment = text::ReplaceAll(withComment, "  -- pad A0", "");
  for (const std::string& text : {withComment, withoutComment}) {
    const TParse r = Parse(text);
    ASSERT_FALSE(r.error) << *r.error;
    EXPECT_EQ(r.irLength, 2);
    EXPECT_EQ(r.instructions, (std::vector<TBScan_InstructionRegister>{
                                  {"EXTEST", "00", 0}, {"SAMPLE", "01", 1}, {"BYPASS", "11", 3}}));
    EXPECT_EQ(r.cells, (std::vector<TBScan_Cell>{
                           Cell(0, "BC_1", "PA1", "INPUT", "X"),
                           Cell(1, "BC_1", "PA0", "OUTPUT3", "X", "2", "1", "Z"),
                           Cell(2, "BC_1", "*", "CONTROL", "1"),
                       }));
    EXPECT_EQ(r.log, (TLog{{"BSDL-> Removing comments...", clGray},
                           {"Entity: DEMO_CHIP", clGreen},
                           {"frequency: 1000000", clGreen},
                           {"IR-Len: 2", clGray},
                           {"JTAG-Ports: TDI TCK ", clGreen}}));
    // Scanned lines 0-4, 8, 9, 13 and the boundary-register lines 9-12.
    EXPECT_EQ(r.processed, 12);
  }
}

TEST(BSDLParser, LineEndsCaseAndTabsDoNotMatter) {
  const TParse reference = Parse(kDemoChip);
  const std::vector<std::string> variants = {
      text::ReplaceAll(kDemoChip, "\n", "\r\n"),
      text::ReplaceAll(kDemoChip, "\n", "\r"),
      text::ReplaceAll(kDemoChip, "  ", "\t"),
      text::LowerCase(kDemoChip),
  };
  for (const std::string& text : variants) {
    const TParse r = Parse(text);
    ASSERT_FALSE(r.error) << *r.error;
    EXPECT_EQ(r.cells, reference.cells);
    EXPECT_EQ(r.instructions, reference.instructions);
    EXPECT_EQ(r.log, reference.log);
  }
}

// One-attribute files and the log lines between "Removing comments" and "JTAG-Ports".
struct TLogCase {
  const char* name;
  std::string text;
  TLog expected;
};

TEST(BSDLParser, LoggedAttributes) {
  const std::vector<TLogCase> cases = {
      {"reset false adds nothing",
       "attribute TAP_SCAN_RESET of TRST : signal is false;\n",
       {{"JTAG-Ports: ", clGreen}}},
      {"all five signals in file order",
       "attribute TAP_SCAN_CLOCK of TCK : signal is (10.0e6, BOTH);\n"
       "attribute TAP_SCAN_RESET of TRST : signal is true;\n"
       "attribute TAP_SCAN_OUT of TDO : signal is true;\n"
       "attribute TAP_SCAN_MODE of TMS : signal is true;\n"
       "attribute TAP_SCAN_IN of TDI : signal is true;\n",
       {{"frequency: 10000000", clGreen}, {"JTAG-Ports: TCK TRST TDO TMS TDI ", clGreen}}},
      {"no exponent, half to even",
       "attribute TAP_SCAN_CLOCK of TCK : signal is (2.5, BOTH);\n"
       "attribute TAP_SCAN_CLOCK of TCK : signal is (3.5, BOTH);\n"
       "attribute TAP_SCAN_CLOCK of TCK : signal is (-2.5, BOTH);\n"
       "attribute TAP_SCAN_CLOCK of TCK : signal is (.5e1, BOTH);\n"
       "attribute TAP_SCAN_CLOCK of TCK : signal is (25E-1, BOTH);\n",
       {{"frequency: 2", clGreen},
        {"frequency: 4", clGreen},
        {"frequency: -2", clGreen},
        {"frequency: 5", clGreen},
        {"frequency: 2", clGreen},
        {"JTAG-Ports: TCK TCK TCK TCK TCK ", clGreen}}},
      {"unconvertible clock",
       "attribute TAP_SCAN_CLOCK of TCK : signal is (unknown, BOTH);\n"
       "attribute TAP_SCAN_CLOCK of TCK : signal is (1.0e999, BOTH);\n",
       {{"BSDL-> Error on parsing TCK", clRed},
        {"BSDL-> TCK set to: 1000000", clRed},
        {"frequency: 1000000", clGreen},
        {"BSDL-> Error on parsing TCK", clRed},
        {"BSDL-> TCK set to: 1000000", clRed},
        {"frequency: 1000000", clGreen},
        {"JTAG-Ports: TCK TCK ", clGreen}}},
      {"idcode fragments with comments",
       "attribute IDCODE_REGISTER of X : entity is\n"
       "  \"XXXX\" &          -- version\n"
       "  \"0001010\" &       -- part\n"
       "  \"000010100\" &\t-- more\n"
       "  \"00001001001\" &   -- manufacturer\n"
       "  \"1\";              -- required\n",
       {{"IDCode: XXXX0001010000010100000010010011", clGreen}, {"JTAG-Ports: ", clGreen}}},
      {"every IS of the entity line removed",
       "entity MY_ISO_CHIP is\n",
       {{"Entity: MY_O_CHIP", clGreen}, {"JTAG-Ports: ", clGreen}}},
      {"a line longer than any before",
       "entity E is\nentity " + std::string(3000, 'X') + " is -- " + std::string(700, '-') + "\n",
       {{"Entity: E", clGreen},
        {"Entity: " + std::string(3000, 'X'), clGreen},
        {"JTAG-Ports: ", clGreen}}},
      {"comment inside a string cuts the line",
       "attribute TAP_SCAN_IN of TDI : signal is \"--\" true;\n",
       {{"JTAG-Ports: ", clGreen}}},
  };
  for (const TLogCase& c : cases) {
    const TParse r = Parse(c.text);
    ASSERT_FALSE(r.error) << c.name << ": " << *r.error;
    TLog expected{{"BSDL-> Removing comments...", clGray}};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(r.log, expected) << c.name;
  }
}

struct TInstructionCase {
  const char* name;
  std::string text;
  std::vector<TBScan_InstructionRegister> expected;
};

TEST(BSDLParser, InstructionTable) {
  const std::vector<TInstructionCase> cases = {
      {"several opcodes keep the first",
       "attribute INSTRUCTION_OPCODE of X : entity is\n"
       "  \"IDCODE (001001, 001010),\" &\n"
       "  \"BYPASS (111111)\";\n",
       {{"IDCODE", "001001", 9}, {"BYPASS", "111111", 63}}},
      {"first instruction on the attribute line",
       "attribute INSTRUCTION_OPCODE of DEMO_CHIP : entity is \"BYPASS (11),\" &\n"
       "  \"EXTEST (00)\";\n",
       {{"ATTRIBUTEINSTRUCTION_OPCODEOFDEMO_CHIP:ENTITYISBYPASS", "11", 3}, {"EXTEST", "00", 0}}},
      {"only the first instruction of a line",
       "attribute INSTRUCTION_OPCODE of X : entity is\n"
       "  \"EXTEST (00), SAMPLE (01)\";\n",
       {{"EXTEST", "00", 0}}},
      {"longer than 32 bits keeps the text and the low 32 bits",
       "attribute INSTRUCTION_OPCODE of X : entity is\n"
       "  \"WIDE (1111000000000000000000000000000000000101)\";\n",
       {{"WIDE", "1111000000000000000000000000000000000101", 5}}},
      {"32 bits",
       "attribute INSTRUCTION_OPCODE of X : entity is\n"
       "  \"TOP (10000000000000000000000000000001)\";\n",
       {{"TOP", "10000000000000000000000000000001", static_cast<int32_t>(0x80000001u)}}},
      {"digits other than 0 and 1 are OR-ed in place",
       "attribute INSTRUCTION_OPCODE of X : entity is\n  \"ODD (21)\";\n",
       {{"ODD", "21", 5}}},
      {"a line without parenthesis yields nothing, an empty opcode is kept",
       "attribute INSTRUCTION_OPCODE of X : entity is\n"
       "  \"BYPASS\" &\n"
       "  \"EMPTY ()\";\n",
       {{"EMPTY", "", 0}}},
  };
  for (const TInstructionCase& c : cases) {
    const TParse r = Parse(c.text);
    ASSERT_FALSE(r.error) << c.name << ": " << *r.error;
    EXPECT_EQ(r.instructions, c.expected) << c.name;
  }
}

TEST(BSDLParser, AttributeRightAfterTheLastLineOfAnotherIsRead) {
  const TParse r = Parse(
      "attribute INSTRUCTION_OPCODE of X : entity is\n"
      "  \"BYPASS (1)\";\n"
      "attribute BOUNDARY_LENGTH of X : entity is 2;\n"
      "attribute IDCODE_REGISTER of X : entity is\n"
      "  \"0001\";\n"
      "attribute INSTRUCTION_LENGTH of X : entity is 1;\n");
  ASSERT_FALSE(r.error) << *r.error;
  EXPECT_EQ(r.cells.size(), 2u);
  EXPECT_EQ(r.irLength, 1);
  EXPECT_EQ(Messages(r.log),
            (std::vector<std::string>{"BSDL-> Removing comments...", "IDCode: 0001", "IR-Len: 1",
                                      "JTAG-Ports: "}));
}

struct TBoundaryCase {
  const char* name;
  std::vector<std::string> entries;  // the lines after the attribute line
  std::vector<TBScan_Cell> expected;
};

TEST(BSDLParser, BoundaryRegisterEntries) {
  const TBScan_Cell empty{};
  const std::vector<TBoundaryCase> cases = {
      {"two entries on a line run together",
       {"\"0 (BC_1, PA1, INPUT, X), 1 (BC_2, PA2, OUTPUT2, 1)\";"},
       {Cell(0, "BC_1", "PA1", "INPUT", "X1", "BC_2", "PA2", "OUTPUT2"), empty, empty}},
      {"closing quote last on the line yields no cell",
       {"\"0 (BC_1, PA1, INPUT, X)\"", "& \"1 (BC_1, PA2, INPUT, X)\";"},
       {empty, Cell(1, "BC_1", "PA2", "INPUT", "X"), empty}},
      {"indexed port is garbled",
       {"\"2 (BC_1, D(0), OUTPUT3, X, 6, 1, Z)\";"},
       {empty, empty, Cell(2, "BC_1", "D(0OUTPUT3", "X", "6", "1", "Z", "")}},
      {"text after the eighth field is ignored",
       {"\"1 (BC_1, P, OUTPUT3, X, 0, 1, Z, EXTRA, MORE)\";"},
       {empty, Cell(1, "BC_1", "P", "OUTPUT3", "X", "0", "1", "Z"), empty}},
      {"entries in any order, a later one for the same number wins",
       {"\"2 (BC_1, C, INPUT, X),\" &", "\"0 (BC_1, A, INPUT, X),\" &",
        "\"2 (BC_4, C2, INPUT, 0)\";"},
       {Cell(0, "BC_1", "A", "INPUT", "X"), empty, Cell(2, "BC_4", "C2", "INPUT", "0")}},
      {"numbers outside the register are dropped",
       {"\"3 (BC_1, A, INPUT, X),\" &", "\"-1 (BC_1, B, INPUT, X),\" &",
        "\"1 (BC_1, C, INPUT, X)\";"},
       {empty, Cell(1, "BC_1", "C", "INPUT", "X"), empty}},
  };
  for (const TBoundaryCase& c : cases) {
    std::string text =
        "attribute BOUNDARY_LENGTH of X : entity is 3;\n"
        "attribute BOUNDARY_REGISTER of X : entity is\n";
    for (const std::string& line : c.entries) text += "  " + line + "\n";
    const TParse r = Parse(text);
    ASSERT_FALSE(r.error) << c.name << ": " << *r.error;
    EXPECT_EQ(r.cells, c.expected) << c.name;
  }
}

TEST(BSDLParser, CellsWithoutRoomAreDroppedWithAWarning) {
  // Entries beyond the length are dropped; a second length resizes and keeps what fits;
  // lengths no device has are ignored.
  const TParse r = Parse(
      "attribute BOUNDARY_LENGTH of X : entity is 2;\n"
      "attribute BOUNDARY_REGISTER of X : entity is\n"
      "  \"0 (BC_1, A, INPUT, X),\" &\n"
      "  \"1 (BC_1, B, INPUT, X),\" &\n"
      "  \"7 (BC_1, C, INPUT, X),\" &\n"
      "  \"-2 (BC_1, D, INPUT, X)\";\n"
      "attribute BOUNDARY_LENGTH of X : entity is 1;\n"
      "attribute BOUNDARY_LENGTH of X : entity is -4;\n"
      "attribute BOUNDARY_LENGTH of X : entity is 99999999;\n");
  ASSERT_FALSE(r.error) << *r.error;
  EXPECT_EQ(r.cells, (std::vector<TBScan_Cell>{Cell(0, "BC_1", "A", "INPUT", "X")}));
  EXPECT_EQ(r.log,
            (TLog{
                {"BSDL-> Removing comments...", clGray},
                {"BSDL-> Cell number 7 outside the boundary register, entry dropped", clOrange},
                {"BSDL-> Cell number -2 outside the boundary register, entry dropped", clOrange},
                {"BSDL-> Boundary length -4 out of range, ignored", clOrange},
                {"BSDL-> Boundary length 99999999 out of range, ignored", clOrange},
                {"JTAG-Ports: ", clGreen},
            }));
}

struct TFailureCase {
  const char* name;
  std::string text;
  std::string error;
  int32_t irLength;
  size_t cells;
  std::vector<TBScan_InstructionRegister> instructions;
  std::vector<std::string> log;
};

TEST(BSDLParser, FailuresStopWithTheirMessageAndKeepWhatWasRead) {
  const std::string head =
      "attribute INSTRUCTION_LENGTH of X : entity is 4;\n"
      "attribute BOUNDARY_LENGTH of X : entity is 2;\n";
  const std::vector<std::string> headLog = {"BSDL-> Removing comments...", "IR-Len: 4"};
  auto log = [&headLog](std::vector<std::string> more) {
    std::vector<std::string> all = headLog;
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const std::vector<TFailureCase> cases = {
      {"empty file", "", "List index out of bounds (0)", 0, 0, {}, {"BSDL-> Removing comments..."}},
      {"opcode attribute without end",
       head + "attribute INSTRUCTION_OPCODE of X : entity is\n  \"BYPASS (1111)\" &\n",
       "List index out of bounds (4)",
       4,
       2,
       {},
       log({})},
      {"idcode attribute without end",
       head + "attribute IDCODE_REGISTER of X : entity is\n  \"0001\" &\n",
       "List index out of bounds (4)",
       4,
       2,
       {},
       log({})},
      {"idcode on the attribute line swallows the rest",
       head + "attribute IDCODE_REGISTER of X : entity is \"0001\";\n",
       "List index out of bounds (3)",
       4,
       2,
       {},
       log({})},
      {"boundary register without end",
       head + "attribute BOUNDARY_REGISTER of X : entity is\n  \"0 (BC_1, A, INPUT, X)\" &",
       "List index out of bounds (4)",
       4,
       2,
       {},
       log({})},
      {"instruction length not a number",
       "attribute INSTRUCTION_LENGTH of X : entity is 0x4;\n",
       "'0X4' is not a valid integer value",
       0,
       0,
       {},
       {"BSDL-> Removing comments...", "IR-Len: 0X4"}},
      {"length without a final character to drop",
       "attribute INSTRUCTION_LENGTH of X : entity is 4",
       "'' is not a valid integer value",
       0,
       0,
       {},
       {"BSDL-> Removing comments...", "IR-Len: "}},
      {"boundary length not a number",
       head + "attribute BOUNDARY_LENGTH of X : entity is N;\n",
       "'N' is not a valid integer value",
       4,
       2,
       {},
       log({})},
      {"cell number without its space",
       head + "attribute BOUNDARY_REGISTER of X : entity is\n"
              "  \"1 (BC_1, B, INPUT, X),\" &\n"
              "  \"0(BC_1, *, CONTROL, 1)\";\n",
       "'0(BC_1' is not a valid integer value",
       4,
       2,
       {},
       log({})},
      {"opcode character not a digit, after the whole scan",
       head + "attribute INSTRUCTION_OPCODE of X : entity is\n"
              "  \"EXTEST (0000),\" &\n"
              "  \"HIGHZ (01X1),\" &\n"
              "  \"BYPASS (1111)\";\n"
              "attribute BOUNDARY_REGISTER of X : entity is\n"
              "  \"1 (BC_1, B, INPUT, X)\";\n",
       "'X' is not a valid integer value",
       4,
       2,
       {{"EXTEST", "0000", 0}, {"HIGHZ", "01X1", 0}, {"", "", 0}},
       log({})},
  };
  for (const TFailureCase& c : cases) {
    const TParse r = Parse(c.text);
    ASSERT_TRUE(r.error) << c.name;
    EXPECT_EQ(*r.error, c.error) << c.name;
    EXPECT_EQ(r.irLength, c.irLength) << c.name;
    EXPECT_EQ(r.cells.size(), c.cells) << c.name;
    EXPECT_EQ(r.instructions, c.instructions) << c.name;
    EXPECT_EQ(Messages(r.log), c.log) << c.name;
  }
}

TEST(BSDLParser, CellsAreCompleteWhenTheOpcodeFails) {
  const TParse r = Parse(
      "attribute INSTRUCTION_OPCODE of X : entity is\n  \"BAD (2-)\";\n"
      "attribute BOUNDARY_LENGTH of X : entity is 1;\n"
      "attribute BOUNDARY_REGISTER of X : entity is\n  \"0 (BC_1, A, INPUT, X)\";\n");
  ASSERT_TRUE(r.error);
  EXPECT_EQ(*r.error, "'-' is not a valid integer value");
  EXPECT_EQ(r.cells, (std::vector<TBScan_Cell>{Cell(0, "BC_1", "A", "INPUT", "X")}));
}

// The one-pass entry rewrite against the four rewrites done one after the other.
TEST(BSDLParser, EntrySplitEqualsTheStepwiseRewrite) {
  std::mt19937 random(12345);
  const std::string alphabet = " (),A1";
  std::string buffer;
  bsdl_detail::TEntryFields fields;
  for (int n = 0; n < 20000; ++n) {
    std::string entry(random() % 14, ' ');
    for (char& c : entry) c = alphabet[random() % alphabet.size()];

    std::string e = text::RemoveAll(entry, "),");
    e = text::RemoveAll(e, ")");
    e = text::ReplaceAll(e, " (", ",");
    e = text::RemoveAll(e, " ") + ",";
    std::vector<std::string> expected;
    size_t start = 0;
    for (int f = 0; f < 8; ++f) {
      const size_t comma = e.find(',', start);
      if (comma == std::string::npos) {
        expected.emplace_back();
        start = e.size();
      } else {
        expected.push_back(e.substr(start, comma - start));
        start = comma + 1;
      }
    }

    bsdl_detail::SplitBoundaryEntry(entry, buffer, fields);
    const std::vector<std::string> actual(fields.begin(), fields.end());
    ASSERT_EQ(actual, expected) << "entry '" << entry << "'";
  }
}

}  // namespace
