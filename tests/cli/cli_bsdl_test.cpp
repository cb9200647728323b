// pinloom-cli bsdl, run as a program.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/text_utils.h"
#include "support/bsdl_corpus.h"
#include "support/cli_runner.h"

namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

class CliBsdlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pinloom_cli_bsdl_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Write(const std::string& name, const std::string& content) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }
  fs::path dir_;
};

TEST_F(CliBsdlTest, JsonDocumentOfASmallFile) {
  const std::string path = Write("tiny.bsd",
                                 "entity TINY is\n"
                                 "attribute INSTRUCTION_LENGTH of TINY : entity is 3;\n"
                                 "attribute INSTRUCTION_OPCODE of TINY : entity is\n"
                                 "  \"BYPASS (111),\" &\n"
                                 "  \"EXTEST (000)\";\n"
                                 "attribute BOUNDARY_LENGTH of TINY : entity is 3;\n"
                                 "attribute BOUNDARY_REGISTER of TINY : entity is\n"
                                 "  \"0 (BC_1, b1, INPUT, X),\" &\n"
                                 "  \"1 (BC_1, A2, OUTPUT3, X, 2, 1, Z),\" &\n"
                                 "  \"2 (BC_1, *, CONTROL, 1)\";\n");
  const TRun run = RunCli("bsdl --json " + Quoted(path));
  ASSERT_EQ(run.status, 0) << run.out;
  const nlohmann::json doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["file"], path);
  EXPECT_EQ(doc["irLength"], 3);
  EXPECT_EQ(doc["instructions"], nlohmann::json::parse(R"([
      {"name": "BYPASS", "opcode": "111", "value": 7},
      {"name": "EXTEST", "opcode": "000", "value": 0}])"));
  EXPECT_EQ(doc["cells"][1], nlohmann::json::parse(R"(
      {"num": 1, "cellType": "BC_1", "port": "A2", "function": "OUTPUT3", "safe": "X",
       "ccell": "2", "disval": "1", "rslt": "Z"})"));
  EXPECT_EQ(doc["cells"].size(), 3u);
  EXPECT_EQ(doc["ports"], nlohmann::json::parse(R"(["A2", "B1"])"));
  EXPECT_TRUE(doc["error"].is_null());
  ASSERT_FALSE(doc["log"].empty());
  const std::string last = doc["log"].back()["text"];
  EXPECT_EQ(last.substr(last.find(" - ") + 3), "BSDL-> End Parsing: " + path);
}

TEST_F(CliBsdlTest, FailuresAndTheirExitStatus) {
  const std::string bad = Write("bad.bsd", "attribute BOUNDARY_LENGTH of X : entity is many;\n");
  const TRun failed = RunCli("bsdl --json " + Quoted(bad));
  EXPECT_EQ(failed.status, 1);
  const nlohmann::json doc = nlohmann::json::parse(failed.out);
  EXPECT_EQ(doc["error"], "'MANY' is not a valid integer value");
  EXPECT_TRUE(doc["cells"].empty());

  EXPECT_EQ(RunCli("bsdl " + Quoted(bad)).status, 1);
  EXPECT_EQ(RunCli("bsdl --json " + Quoted((dir_ / "absent.bsd").string())).status, 2);
  EXPECT_EQ(RunCli("bsdl " + Quoted((dir_ / "absent.bsd").string())).status, 2);
}

TEST_F(CliBsdlTest, VendorFile) {
  const fs::path corpus = BsdlCorpusDir();
  if (corpus.empty()) GTEST_SKIP() << "no BSDL corpus beside the source tree";
  const fs::path file = corpus / "TI_SN74BCT8244A.bsd";
  if (!fs::exists(file)) GTEST_SKIP() << "not in the corpus: " << file;
  const TRun run = RunCli("bsdl --json " + Quoted(file.string()));
  ASSERT_EQ(run.status, 0) << run.out;
  const nlohmann::json doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["irLength"], 8);
  ASSERT_EQ(doc["instructions"].size(), 13u);
  EXPECT_EQ(doc["instructions"][1],
            nlohmann::json::parse(R"({"name": "BYPASS", "opcode": "11111111", "value": 255})"));
  ASSERT_EQ(doc["cells"].size(), 18u);
  for (size_t k = 0; k < doc["cells"].size(); ++k) EXPECT_EQ(doc["cells"][k]["num"], k);
  // Ports with an index are stored garbled ("Y2(4OUTPUT3"), as the parser's rules give.
  EXPECT_EQ(doc["cells"][0]["port"], "Y2(4OUTPUT3");
  const std::vector<std::string> ports = doc["ports"];
  ASSERT_FALSE(ports.empty());
  EXPECT_TRUE(std::is_sorted(ports.begin(), ports.end(), text::LessText));
  EXPECT_TRUE(doc["error"].is_null());
}

TEST_F(CliBsdlTest, TextOutputListsTheModel) {
  const std::string path = Write("tiny.bsd",
                                 "attribute INSTRUCTION_LENGTH of T : entity is 2;\n"
                                 "attribute INSTRUCTION_OPCODE of T : entity is\n"
                                 "  \"BYPASS (11)\";\n"
                                 "attribute BOUNDARY_LENGTH of T : entity is 1;\n"
                                 "attribute BOUNDARY_REGISTER of T : entity is\n"
                                 "  \"0 (BC_1, P, INPUT, X)\";\n");
  const TRun run = RunCli("bsdl " + Quoted(path));
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "IR length: 2\n"
            "Instructions (1):\n"
            "  BYPASS\t11\t3\n"
            "Cells (1):\n"
            "  Num\tCell Type\tPort\tFunction\tSafe\tCCell\tDisval\tRslt\n"
            "  0\tBC_1\tP\tINPUT\tX\t\t\t\n");
}

}  // namespace
