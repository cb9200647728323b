// The demo board behind every backend: the in-process simulator, the FT2232 through
// the MPSSE emulator, the remote_bitbang client against a server in a thread and
// against pinloom-sim (when built). The same scans must shift the same bits.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "jtag/backend_rigs.h"
#include "sim/sim_board.h"

extern char** environ;

namespace {

// pinloom-sim on a free port, for one test.
class TSimProcess {
 public:
  TSimProcess() {
    const std::string program = std::string(PINLOOM_BINARY_DIR) + "/sim/pinloom-sim";
    if (!std::filesystem::exists(program)) return;
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string board = DemoBoardPath();
    char* argv[] = {const_cast<char*>(program.c_str()),
                    const_cast<char*>("--board"),
                    const_cast<char*>(board.c_str()),
                    const_cast<char*>("--port"),
                    const_cast<char*>("0"),
                    nullptr};
    const int spawned = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
      pid_ = -1;
      close(out[0]);
      return;
    }
    // "pinloom-sim: ... listening on 127.0.0.1:PORT"
    FILE* in = fdopen(out[0], "r");
    char line[512];
    if (in != nullptr && std::fgets(line, sizeof line, in) != nullptr) {
      const std::string text = line;
      const size_t at = text.rfind("127.0.0.1:");
      if (at != std::string::npos) endpoint_ = text.substr(at, text.find_first_of("\r\n", at) - at);
    }
    if (in != nullptr) std::fclose(in);
  }
  ~TSimProcess() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Endpoint() const { return endpoint_; }

 private:
  pid_t pid_ = -1;
  std::string endpoint_;
};

// Runs the script on the first listed adapter; returns every read-back, in order.
std::vector<uint8_t> RunScript(TJtagLibrary& lib) {
  std::vector<uint8_t> out;
  const auto& listing = lib.RefreshListing();
  if (listing.empty()) return out;
  FTC_HANDLE h = 0;
  EXPECT_EQ(lib.JTAG_OpenEx(listing[0].Info.Description, listing[0].Info.LocationID, &h),
            FTC_SUCCESS);
  EXPECT_EQ(lib.JTAG_InitDevice(h, 0), FTC_SUCCESS);
  auto read = [&](int32_t reg, uint32_t bits, uint8_t fill) {
    std::vector<uint8_t> tdi(ScanBytes(bits), fill), tdo(tdi.size());
    uint32_t n = 0;
    EXPECT_EQ(lib.JTAG_WriteRead(h, reg, bits, tdi.data(), static_cast<uint32_t>(tdi.size()),
                                 tdo.data(), &n, 2),
              FTC_SUCCESS);
    out.insert(out.end(), tdo.begin(), tdo.end());
  };
  read(kDataRegister, 96, 0x00);         // the three IDCODEs
  read(kInstructionRegister, 64, 0xFF);  // the captured IRs, then BYPASS everywhere
  const std::vector<uint8_t> zeros(8, 0), ones(8, 0xFF);
  EXPECT_EQ(lib.JTAG_AddDeviceWriteCmd(h, kDataRegister, 64, zeros.data(), 8, 2), FTC_SUCCESS);
  EXPECT_EQ(lib.JTAG_AddDeviceWriteReadCmd(h, kDataRegister, 64, ones.data(), 8, 2), FTC_SUCCESS);
  std::vector<uint8_t> queued(8);
  uint32_t n = 0;
  EXPECT_EQ(lib.JTAG_ExecuteCmdSequence(h, queued.data(), 8, &n), FTC_SUCCESS);
  EXPECT_EQ(n, 8u);
  out.insert(out.end(), queued.begin(), queued.end());
  EXPECT_EQ(lib.JTAG_Close(h), FTC_SUCCESS);
  return out;
}

uint32_t Word(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(DemoBoardBackends, EveryBackendShiftsTheSameBits) {
  const std::string board = DemoBoardPath();
  const std::vector<uint8_t> reference = RunScript(SimulatorRig(LoadSimBoard(board))->library);
  ASSERT_EQ(reference.size(), 12u + 8u + 8u);
  // The device nearest TDO answers first.
  EXPECT_EQ(Word(reference, 0), 0x0E6D256Bu);
  EXPECT_EQ(Word(reference, 4), 0x4F80156Bu);
  EXPECT_EQ(Word(reference, 8), 0x1C51A56Bu);
  EXPECT_EQ(reference[20], 0xF8);  // three devices in BYPASS: three zeros first

  EXPECT_EQ(RunScript(FtdiRig(LoadSimBoard(board), TFtdiChip::FT2232H)->library), reference);
  EXPECT_EQ(RunScript(FtdiRig(LoadSimBoard(board), TFtdiChip::FT2232C)->library), reference);
  EXPECT_EQ(RunScript(RemoteBitbangRig(LoadSimBoard(board))->library), reference);

  TSimProcess sim;
  if (sim.Endpoint().empty()) GTEST_SKIP() << "pinloom-sim is not built";
  TJtagLibrary lib;
  lib.AddBackend(std::make_unique<TRemoteBitbangAdapter>(std::vector{sim.Endpoint()}));
  EXPECT_EQ(RunScript(lib), reference);
}

}  // namespace
