// pinloom-cli detect, sample and extest on the built-in simulated demo board.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "support/cli_runner.h"

namespace {

const std::string kBsdl = std::string(PINLOOM_DEMO_DIR) + "/pl_mcu100.bsd";

TRun RunDemo(const std::string& args) {
  return RunCli(args, "env -u PINLOOM_BOARD -u PINLOOM_REMOTE_BITBANG ");
}

nlohmann::json CellOf(const nlohmann::json& doc, const std::string& port) {
  for (const auto& cell : doc["cells"]) {
    if (cell["port"] == port) return cell;
  }
  return {};
}

TEST(CliChainTest, DetectPrintsTheDemoChain) {
  const TRun run = RunDemo("detect --json");
  ASSERT_EQ(run.status, 0) << run.out;
  const auto doc = nlohmann::json::parse(run.out);
  const auto& devices = doc["devices"];
  ASSERT_EQ(devices.size(), 3u);
  EXPECT_EQ(devices[1]["index"], 1);
  EXPECT_EQ(devices[1]["idcode"], "4F80156B");
  EXPECT_EQ(devices[1]["description"], "PL_MCU100 (Pinloom demo microcontroller)");
  EXPECT_EQ(devices[1]["irLength"], 4);
  EXPECT_EQ(devices[1]["known"], true);
  EXPECT_FALSE(doc["log"].empty());
}

TEST(CliChainTest, DetectWithoutAConnectionFails) {
  const TRun run = RunDemo("--adapter no-such-adapter detect --json");
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(nlohmann::json::parse(run.out)["devices"].empty());
}

TEST(CliChainTest, SampleCapturesTheDeviceWhoseIRLengthMatches) {
  const TRun run = RunDemo("sample --bsdl " + kBsdl + " --json");
  ASSERT_EQ(run.status, 0) << run.out;
  const auto doc = nlohmann::json::parse(run.out);
  ASSERT_EQ(doc["cells"].size(), 122u);
  EXPECT_EQ(CellOf(doc, "USR_BTN0")["value"], "1");  // pulled up
  EXPECT_EQ(CellOf(doc, "USR_BTN1")["value"], "0");  // pulled down
  // Control cell 0 has safe value 1: at 1 its drivers are off.
  const auto& control = doc["cells"][0];
  EXPECT_EQ(control["direction"], control["value"] == "1" ? "input" : "output");
}

TEST(CliChainTest, ExtestDrivesALoopedBackOutput) {
  for (const char* level : {"1", "0"}) {
    const TRun run =
        RunDemo("extest --bsdl " + kBsdl + " --set TOUT0=" + level + " --enable TOUT0 --json");
    ASSERT_EQ(run.status, 0) << run.out;
    const auto doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(CellOf(doc, "TOUT0")["value"], level);
    EXPECT_EQ(CellOf(doc, "TIN0")["value"], level);
  }
  EXPECT_EQ(RunDemo("extest --bsdl " + kBsdl + " --set NO_SUCH_PORT=1 --json").status, 1);
  EXPECT_EQ(RunDemo("extest --bsdl " + kBsdl + " --set TOUT0=2 --json").status, 1);
}

TEST(CliChainTest, SampleWithAMissingBsdlFileFails) {
  const TRun run = RunDemo("sample --bsdl /nonexistent/file.bsd --json");
  EXPECT_EQ(run.status, 1);
}

}  // namespace

namespace {

// The quick start's main job: the demo drives the counter outputs and reads them back
// on the inputs they are wired to; the pattern is not symmetric, so a swapped or
// shifted pin shows.
TEST(CliDemoTest, DemoDrivesTheLoopbackPinsAndReadsThemBack) {
  const TRun run = RunDemo("demo --json");
  ASSERT_EQ(run.status, 0) << run.out;
  const auto doc = nlohmann::json::parse(run.out);
  EXPECT_EQ(doc["chain"].size(), 3u);
  EXPECT_EQ(doc["position"], 1);
  EXPECT_EQ(doc["cells"], 122);
  EXPECT_EQ(doc["driven"], "101101");
  EXPECT_EQ(doc["read"], "101101");
  EXPECT_EQ(doc["ok"], true);
}

TEST(CliDemoTest, DemoFailsOnABoardWithoutTheDemoDevice) {
  const TRun run = RunDemo("--adapter no-such-adapter demo --json");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(nlohmann::json::parse(run.out)["ok"], false);
}

}  // namespace
