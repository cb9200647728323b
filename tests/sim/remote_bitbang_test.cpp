#include "remote_bitbang_server.h"

#include <gtest/gtest.h>

#include "sim_board.h"

namespace {

// A chunk of OpenOCD requests: five TMS ones and a zero (reset, idle), then the walk
// to Shift-DR and 32 reads of the IDCODE nearest TDO, with LED and unknown requests
// mixed in.
std::string IdcodeRequests() {
  std::string s = "Bb";
  auto bit = [&s](bool tms, bool tdi, bool read) {
    const char low = static_cast<char>('0' + (tms ? 2 : 0) + (tdi ? 1 : 0));
    s += low;
    if (read) s += 'R';
    s += static_cast<char>(low + 4);
  };
  for (int i = 0; i < 5; ++i) bit(true, false, false);
  bit(false, false, false);
  bit(true, false, false);   // Select-DR
  bit(false, false, false);  // Capture-DR
  bit(false, false, false);  // Shift-DR
  s += "Zz?";
  for (int i = 0; i < 32; ++i) bit(i == 31, false, true);
  return s;
}

TEST(RemoteBitbang, AnswersReadsInOrderAndIgnoresTheRest) {
  auto board = LoadSimBoard(DemoBoardPath());
  std::string reply;
  EXPECT_TRUE(
      ProcessRemoteBitbang(*board, IdcodeRequests().data(), IdcodeRequests().size(), reply));
  ASSERT_EQ(reply.size(), 32u);
  uint32_t id = 0;
  for (int i = 0; i < 32; ++i)
    id |= static_cast<uint32_t>(reply[static_cast<size_t>(i)] == '1') << i;
  EXPECT_EQ(id, 0x0E6D256Bu);  // the IOX, nearest TDO
  EXPECT_EQ(board->TapState(), TTapState::Exit1DR);
}

TEST(RemoteBitbang, TrstAndQuit) {
  auto board = LoadSimBoard(DemoBoardPath());
  std::string reply;
  const std::string walk = "0426";  // TMS 0 then 1 with clock edges: Idle, Select-DR
  ProcessRemoteBitbang(*board, walk.data(), walk.size(), reply);
  EXPECT_EQ(board->TapState(), TTapState::SelectDR);
  ProcessRemoteBitbang(*board, "t", 1, reply);  // TRST asserted
  EXPECT_EQ(board->TapState(), TTapState::TestLogicReset);
  ProcessRemoteBitbang(*board, "04", 2, reply);
  EXPECT_EQ(board->TapState(), TTapState::TestLogicReset);  // held
  ProcessRemoteBitbang(*board, "r04", 3, reply);
  EXPECT_EQ(board->TapState(), TTapState::RunTestIdle);
  EXPECT_FALSE(ProcessRemoteBitbang(*board, "0Q4R", 4, reply));
  EXPECT_EQ(board->TapState(), TTapState::RunTestIdle);  // nothing after Q
  EXPECT_TRUE(reply.empty());
}

}  // namespace
