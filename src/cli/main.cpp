// pinloom-cli: the headless front end. Every command drives the same TForm1 handlers
// as the GUI; --json prints one JSON document with the result and the log.

#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_session.h"
#include "platform/pinloom_error.h"
#include "platform/version_info.h"

int main(int argc, char** argv) {
  CLI::App app{"Pinloom boundary-scan tool and flash programmer (headless)", "pinloom-cli"};
  app.set_version_flag("--version", [] { return "pinloom-cli " + GetAppVersion(); });
  app.require_subcommand(0, 1);

  TCliOptions options;
  app.add_option("--adapter", options.adapter,
                 "adapter to connect: item index, or a text the item contains");
  app.add_option("--clock", options.clockDivisor, "JTAG clock divisor: TCK = 6 MHz / (1 + n)")
      ->check(CLI::Range(0, 65535));
  app.add_option("--board", options.board, "simulated board file (default: the demo board)");
  app.add_option("--remote-bitbang", options.remoteBitbang,
                 "remote_bitbang JTAG server as HOST:PORT");

  std::vector<TCliCommand> commands;
  for (const TCliCommandFactory& factory :
       {TCliCommandFactory(RegisterDemoCommand), TCliCommandFactory(RegisterBsdlCommand),
        TCliCommandFactory(RegisterListCommand), TCliCommandFactory(RegisterConnectCommand),
        TCliCommandFactory(RegisterDetectCommand), TCliCommandFactory(RegisterSampleCommand),
        TCliCommandFactory(RegisterExtestCommand)}) {
    commands.push_back(factory(app));
  }
  for (TCliCommand& command : commands) {
    command.sub->add_flag("--json", options.json, "print one JSON document");
  }

  CLI11_PARSE(app, argc, argv);

  try {
    for (TCliCommand& command : commands) {
      if (command.sub->parsed()) {
        TCliSession session(options);
        return command.run(session);
      }
    }
    // Without a command: the demo.
    TCliSession session(options);
    return commands.front().run(session);
  } catch (const EPinloomError& e) {
    std::cerr << "Error: " << e.what() << "\n";
    return 1;
  }
}
