// The parser over every file of the vendor corpus: each one either parses or stops with
// one of the parser's own messages.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "bsdl/bsdl_parser.h"
#include "platform/pinloom_error.h"
#include "support/bsdl_corpus.h"

namespace {

namespace fs = std::filesystem;

bool IsParserMessage(const std::string& message) {
  static const std::regex kMessages(
      R"(List index out of bounds \(\d+\)|'[^]*' is not a valid integer value)");
  return std::regex_match(message, kMessages);
}

TEST(BSDLCorpus, EveryFileParsesOrStopsWithAParserMessage) {
  const fs::path corpus = BsdlCorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no BSDL corpus beside the source tree";
  int parsed = 0;
  int failed = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), {});
    std::vector<TBScan_Cell> cells;
    std::vector<TBScan_InstructionRegister> instructions;
    int32_t irLength = 0;
    size_t logLines = 0;
    try {
      ParseBSDLText(
          content, cells, instructions, irLength,
          [&logLines](const std::string&, uint32_t) { ++logLines; }, [] {});
      ++parsed;
    } catch (const EPinloomError& e) {
      ++failed;
      EXPECT_TRUE(IsParserMessage(e.what())) << entry.path() << ": " << e.what();
    }
    EXPECT_GE(logLines, 1u) << entry.path();
    // Element k is always cell number k.
    for (size_t k = 0; k < cells.size(); ++k) {
      if (cells[k].Port.empty()) continue;
      EXPECT_EQ(cells[k].Num, static_cast<int32_t>(k)) << entry.path();
    }
  }
  std::cout << "corpus: " << parsed << " parsed, " << failed << " stopped\n";
  EXPECT_GT(parsed, 0);
}

}  // namespace
