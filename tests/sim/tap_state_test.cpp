#include "tap_state.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using S = TTapState;

// The state diagram of IEEE 1149.1, written out edge by edge: (state, TMS) -> next.
struct TEdge {
  S from;
  bool tms;
  S to;
};
constexpr TEdge kDiagram[] = {
    {S::TestLogicReset, 0, S::RunTestIdle},
    {S::TestLogicReset, 1, S::TestLogicReset},
    {S::RunTestIdle, 0, S::RunTestIdle},
    {S::RunTestIdle, 1, S::SelectDR},
    {S::SelectDR, 0, S::CaptureDR},
    {S::SelectDR, 1, S::SelectIR},
    {S::CaptureDR, 0, S::ShiftDR},
    {S::CaptureDR, 1, S::Exit1DR},
    {S::ShiftDR, 0, S::ShiftDR},
    {S::ShiftDR, 1, S::Exit1DR},
    {S::Exit1DR, 0, S::PauseDR},
    {S::Exit1DR, 1, S::UpdateDR},
    {S::PauseDR, 0, S::PauseDR},
    {S::PauseDR, 1, S::Exit2DR},
    {S::Exit2DR, 0, S::ShiftDR},
    {S::Exit2DR, 1, S::UpdateDR},
    {S::UpdateDR, 0, S::RunTestIdle},
    {S::UpdateDR, 1, S::SelectDR},
    {S::SelectIR, 0, S::CaptureIR},
    {S::SelectIR, 1, S::TestLogicReset},
    {S::CaptureIR, 0, S::ShiftIR},
    {S::CaptureIR, 1, S::Exit1IR},
    {S::ShiftIR, 0, S::ShiftIR},
    {S::ShiftIR, 1, S::Exit1IR},
    {S::Exit1IR, 0, S::PauseIR},
    {S::Exit1IR, 1, S::UpdateIR},
    {S::PauseIR, 0, S::PauseIR},
    {S::PauseIR, 1, S::Exit2IR},
    {S::Exit2IR, 0, S::ShiftIR},
    {S::Exit2IR, 1, S::UpdateIR},
    {S::UpdateIR, 0, S::RunTestIdle},
    {S::UpdateIR, 1, S::SelectDR},
};

TEST(TapState, EveryEdgeOfTheDiagram) {
  std::set<std::pair<int, bool>> seen;
  for (const TEdge& e : kDiagram) {
    EXPECT_EQ(NextTapState(e.from, e.tms), e.to)
        << TapStateName(e.from) << " TMS " << e.tms << " gave "
        << TapStateName(NextTapState(e.from, e.tms));
    seen.insert({static_cast<int>(e.from), e.tms});
  }
  EXPECT_EQ(seen.size(), 2u * kTapStateCount);  // the table covers all 32 edges
}

TEST(TapState, FiveOnesReachTestLogicResetFromEveryState) {
  for (int i = 0; i < kTapStateCount; ++i) {
    S s = static_cast<S>(i);
    for (int k = 0; k < 5; ++k) s = NextTapState(s, true);
    EXPECT_EQ(s, S::TestLogicReset) << TapStateName(static_cast<S>(i));
  }
}

TEST(TapState, NamesAreDistinct) {
  std::set<std::string_view> names;
  for (int i = 0; i < kTapStateCount; ++i) names.insert(TapStateName(static_cast<S>(i)));
  EXPECT_EQ(names.size(), static_cast<size_t>(kTapStateCount));
  EXPECT_EQ(TapStateName(S::ShiftDR), "Shift-DR");
}

}  // namespace
