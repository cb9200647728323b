#pragma once
// The IEEE 1149.1 TAP controller as a pure function of its state and TMS.

#include <cstdint>
#include <string_view>

enum class TTapState : uint8_t {
  TestLogicReset,
  RunTestIdle,
  SelectDR,
  CaptureDR,
  ShiftDR,
  Exit1DR,
  PauseDR,
  Exit2DR,
  UpdateDR,
  SelectIR,
  CaptureIR,
  ShiftIR,
  Exit1IR,
  PauseIR,
  Exit2IR,
  UpdateIR,
};

constexpr int kTapStateCount = 16;

// The state after one rising edge of TCK with the given TMS level.
constexpr TTapState NextTapState(TTapState s, bool tms) {
  using S = TTapState;
  switch (s) {
    case S::TestLogicReset:
      return tms ? S::TestLogicReset : S::RunTestIdle;
    case S::RunTestIdle:
      return tms ? S::SelectDR : S::RunTestIdle;
    case S::SelectDR:
      return tms ? S::SelectIR : S::CaptureDR;
    case S::CaptureDR:
      return tms ? S::Exit1DR : S::ShiftDR;
    case S::ShiftDR:
      return tms ? S::Exit1DR : S::ShiftDR;
    case S::Exit1DR:
      return tms ? S::UpdateDR : S::PauseDR;
    case S::PauseDR:
      return tms ? S::Exit2DR : S::PauseDR;
    case S::Exit2DR:
      return tms ? S::UpdateDR : S::ShiftDR;
    case S::UpdateDR:
      return tms ? S::SelectDR : S::RunTestIdle;
    case S::SelectIR:
      return tms ? S::TestLogicReset : S::CaptureIR;
    case S::CaptureIR:
      return tms ? S::Exit1IR : S::ShiftIR;
    case S::ShiftIR:
      return tms ? S::Exit1IR : S::ShiftIR;
    case S::Exit1IR:
      return tms ? S::UpdateIR : S::PauseIR;
    case S::PauseIR:
      return tms ? S::Exit2IR : S::PauseIR;
    case S::Exit2IR:
      return tms ? S::UpdateIR : S::ShiftIR;
    case S::UpdateIR:
      return tms ? S::SelectDR : S::RunTestIdle;
  }
  return S::TestLogicReset;
}

// The state's name as the standard writes it, e.g. "Shift-DR".
std::string_view TapStateName(TTapState s);
