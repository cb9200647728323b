#pragma once
// Adapter discovery and connection: the listed adapters. The handlers are TForm1
// methods (adapter_connection.cpp), since they work on the main window's adapter
// selector, connect button and status bar.

#include <cstdint>
#include <string>

// One listed adapter. Both texts end at the first NUL of the library's buffer.
struct TDongleInfo {
  uint32_t LocationID = 0;
  std::string SerialNumber;  // up to 16 characters
  std::string Description;   // up to 64 characters
};

// The divisors the clock dialog accepts: what every adapter accepts.
constexpr int32_t kMinClockDivisor = 0;
constexpr int32_t kMaxDialogClockDivisor = 65535;
