#include "tap_state.h"

#include <array>

std::string_view TapStateName(TTapState s) {
  static constexpr std::array<std::string_view, kTapStateCount> kNames = {
      "Test-Logic-Reset", "Run-Test/Idle",  "Select-DR-Scan", "Capture-DR",
      "Shift-DR",         "Exit1-DR",       "Pause-DR",       "Exit2-DR",
      "Update-DR",        "Select-IR-Scan", "Capture-IR",     "Shift-IR",
      "Exit1-IR",         "Pause-IR",       "Exit2-IR",       "Update-IR"};
  return kNames[static_cast<size_t>(s)];
}
