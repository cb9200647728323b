// pinloom-cli list and connect, and the global adapter options, run as a program.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"

namespace {

// Without the adapter variables of the environment, so the options alone decide.
TRun RunClean(const std::string& args) {
  return RunCli(args, "env -u PINLOOM_BOARD -u PINLOOM_REMOTE_BITBANG ");
}

std::vector<std::string> Messages(const nlohmann::json& doc) {
  std::vector<std::string> out;
  for (const auto& line : doc["log"]) {
    const std::string text = line["text"];
    out.push_back(line["colour"].get<std::string>() + "|" + text.substr(text.find(" - ") + 3));
  }
  return out;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(CliAdapterTest, ListShowsTheSelectorItemsWithTheirBackends) {
  const TRun run = RunClean("--remote-bitbang 127.0.0.1:9 list --json");
  ASSERT_EQ(run.status, 0) << run.out;
  const auto doc = nlohmann::json::parse(run.out);
  const auto& adapters = doc["adapters"];
  ASSERT_GE(adapters.size(), 2u);
  // Hardware and external targets first, the built-in simulator last.
  const auto& remote = adapters[adapters.size() - 2];
  EXPECT_EQ(remote["item"], "Remote Bitbang 127.0.0.1:9 A - RBB1A - 0x00000001");
  EXPECT_EQ(remote["kind"], "remote_bitbang");
  const auto& sim = adapters.back();
  EXPECT_EQ(sim["item"], "Pinloom Simulated Board A - PLSIM1A - 0x00000001");
  EXPECT_EQ(sim["kind"], "simulator");
  EXPECT_EQ(sim["locationId"], "0x00000001");
  EXPECT_EQ(sim["index"], adapters.size() - 1);
}

TEST(CliAdapterTest, ConnectsToTheDemoBoardAtTheGivenClockAndDisconnects) {
  const TRun run = RunClean("--adapter simulated --clock 5 connect --json");
  ASSERT_EQ(run.status, 0) << run.out;
  const auto doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["connected"], true);
  EXPECT_EQ(doc["status"], "connected at Pinloom Simulated Board A 0x00000001");
  const auto log = Messages(doc);
  for (const char* line :
       {"green| JTAG Frequency: 1000000Hz", "gray| Open Pinloom Simulated Board A at 0x00000001",
        "gray| CLK Divisor 5", "gray| Close FTDI device"}) {
    EXPECT_TRUE(Contains(log, line)) << line;
  }
}

TEST(CliAdapterTest, FailuresToChooseOrReachAnAdapterExitNonZero) {
  for (const char* args : {
           "--adapter 9 connect --json",
           "--adapter nosuchthing connect --json",
           // Nothing listens on port 1: the open fails and logs nothing of its own.
           "--remote-bitbang 127.0.0.1:1 --adapter Remote connect --json",
           "--board /nonexistent/board.ini --adapter simulated connect --json",
       }) {
    const TRun run = RunClean(args);
    EXPECT_EQ(run.status, 1) << args;
    const auto doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["connected"], false) << args;
    EXPECT_FALSE(Contains(Messages(doc), "gray| Close FTDI device")) << args;
  }
  const auto doc =
      nlohmann::json::parse(RunClean("--board /nonexistent/board.ini list --json").out);
  bool warned = false;
  for (const std::string& line : Messages(doc)) warned = warned || line.rfind("orange|", 0) == 0;
  EXPECT_TRUE(warned);
}

}  // namespace
