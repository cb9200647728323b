#include "jtag/backends/install_backends.h"

#include <cstdlib>
#include <memory>

#include "jtag/FT2232CJTAGUnit.h"
#include "jtag/backends/ftdi/ft2232_adapter.h"
#include "jtag/backends/ftdi/libftdi_bus.h"
#include "jtag/backends/remote_bitbang/remote_bitbang_adapter.h"
#include "jtag/backends/simulator/simulator_adapter.h"
#include "platform/pinloom_error.h"
#include "sim/sim_board.h"

namespace {

std::string OptionOrEnvironment(const std::string& option, const char* variable) {
  if (!option.empty()) return option;
  const char* value = std::getenv(variable);
  return value != nullptr ? value : "";
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = std::min(text.find(',', start), text.size());
    if (comma > start) out.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return out;
}

}  // namespace

TBackendOptions BackendOptionsFrom(const std::string& boardOption,
                                   const std::string& remoteBitbangOption) {
  TBackendOptions options;
  options.BoardFile = OptionOrEnvironment(boardOption, "PINLOOM_BOARD");
  options.RemoteBitbang =
      SplitList(OptionOrEnvironment(remoteBitbangOption, "PINLOOM_REMOTE_BITBANG"));
  return options;
}

std::vector<std::string> InstallBackends(TJtagLibrary& library, const TBackendOptions& options) {
  std::vector<std::string> problems;
  if (options.Ftdi) library.AddBackend(std::make_unique<TFt2232Adapter>(MakeLibftdiBus()));
  std::vector<std::string> endpoints;
  for (const std::string& endpoint : options.RemoteBitbang) {
    std::string host, port;
    if (ParseEndpoint(endpoint, &host, &port)) {
      endpoints.push_back(endpoint);
    } else {
      problems.push_back("remote_bitbang endpoint '" + endpoint + "' is not HOST:PORT");
    }
  }
  if (!endpoints.empty()) {
    library.AddBackend(std::make_unique<TRemoteBitbangAdapter>(std::move(endpoints)));
  }
  if (options.Simulator) {
    const std::string path = options.BoardFile.empty() ? DemoBoardPath() : options.BoardFile;
    try {
      std::vector<TSimulatedBoard> boards;
      boards.push_back({kSimulatedBoardName, LoadSimBoard(path)});
      library.AddBackend(std::make_unique<TSimulatorAdapter>(std::move(boards)));
    } catch (const EPinloomError& e) {
      problems.push_back(e.what());
    }
  }
  return problems;
}
