// pinloom-sim: a simulated board served to any JTAG host over remote_bitbang.
//
//   pinloom-sim --board FILE --port N [--dump-spi F] [--dump-nor F]
//
// Listens on 127.0.0.1 only. The flash contents are written to the dump files when the
// program ends (SIGINT, SIGTERM) and whenever it receives SIGUSR1.

#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>

#include "platform/pinloom_error.h"
#include "remote_bitbang_server.h"
#include "sim_board.h"

namespace {

// Set by the signal handlers only; read by the serving loop.
volatile std::sig_atomic_t gStopRequested = 0;
volatile std::sig_atomic_t gDumpRequested = 0;

void OnStop(int) {
  gStopRequested = 1;
}
void OnDump(int) {
  gDumpRequested = 1;
}

void InstallHandler(int sig, void (*handler)(int)) {
  struct sigaction sa {};
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: a signal ends the wait at once
  sigaction(sig, &sa, nullptr);
}

void Dump(const TSimBoard& board, const std::string& spiFile, const std::string& norFile) {
  if (!spiFile.empty()) board.DumpSpiFlash(spiFile);
  if (!norFile.empty()) board.DumpNorFlash(norFile);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"pinloom-sim: a simulated JTAG board served over OpenOCD's remote_bitbang protocol"};
  std::string boardFile = DemoBoardPath();
  int port = -1;
  std::string spiFile, norFile;
  app.add_option("--board", boardFile, "board file (INI); the demo board when omitted");
  app.add_option("--port", port, "TCP port on 127.0.0.1 (0: any free port)")
      ->required()
      ->check(CLI::Range(0, 65535));
  app.add_option("--dump-spi", spiFile, "write the SPI flash contents here on exit and SIGUSR1");
  app.add_option("--dump-nor", norFile, "write the NOR flash contents here on exit and SIGUSR1");
  CLI11_PARSE(app, argc, argv);

  try {
    const auto board = LoadSimBoard(boardFile);
    if (!spiFile.empty() && board->SpiFlash() == nullptr)
      throw EPinloomError("the board has no SPI flash to dump");
    if (!norFile.empty() && board->NorFlash() == nullptr)
      throw EPinloomError("the board has no NOR flash to dump");
    TRemoteBitbangServer server(*board, static_cast<uint16_t>(port));
    InstallHandler(SIGINT, OnStop);
    InstallHandler(SIGTERM, OnStop);
    InstallHandler(SIGUSR1, OnDump);
    std::cout << "pinloom-sim: " << board->Description() << " (" << board->DeviceCount()
              << " devices) listening on 127.0.0.1:" << server.Port() << std::endl;
    server.Run([] { return gStopRequested != 0; },
               [&] {
                 if (gDumpRequested) {
                   gDumpRequested = 0;
                   Dump(*board, spiFile, norFile);
                   std::cout << "pinloom-sim: flash contents dumped" << std::endl;
                 }
               });
    Dump(*board, spiFile, norFile);
    std::cout << "pinloom-sim: stopped; " << board->ContentionCount() << " contention(s)";
    for (const std::string& net : board->ContendedNets()) std::cout << " " << net;
    std::cout << std::endl;
  } catch (const EPinloomError& e) {
    std::cerr << "pinloom-sim: " << e.what() << std::endl;
    return 1;
  }
  return 0;
}
