#pragma once
// Installs the adapter backends the front ends use into the adapter library: FT2232
// adapters on USB, the remote_bitbang servers named, and the simulated board.

#include <string>
#include <vector>

class TJtagLibrary;

// The simulated board's name in the listing (its entry reads "<name> A").
constexpr const char* kSimulatedBoardName = "Pinloom Simulated Board";

struct TBackendOptions {
  bool Ftdi = true;
  bool Simulator = true;
  std::string BoardFile;                   // empty: the demo board
  std::vector<std::string> RemoteBitbang;  // HOST:PORT endpoints
};

// The options from the command line, else the environment (PINLOOM_BOARD,
// PINLOOM_REMOTE_BITBANG; endpoints separated by commas), else the defaults.
TBackendOptions BackendOptionsFrom(const std::string& boardOption,
                                   const std::string& remoteBitbangOption);

// Returns what could not be installed (a board file that does not load, a malformed
// endpoint), as texts for the log.
std::vector<std::string> InstallBackends(TJtagLibrary& library, const TBackendOptions& options);
