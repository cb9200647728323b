// pinloom-cli demo: the main job on the built-in simulated board, as far as the
// program can take it.

#include <iostream>

#include "app/uMain.h"
#include "cli/cli_session.h"
#include "platform/version_info.h"

TCliCommand RegisterDemoCommand(CLI::App& app) {
  CLI::App* sub = app.add_subcommand("demo", "run the main job on the built-in simulated board");
  return {sub, [](TCliSession& session) {
            session.StartUp();
            if (session.Options().json) {
              session.PrintJson({{"version", GetAppVersion()}, {"caption", Form1->Caption()}});
            } else {
              std::cout << Form1->Caption() << "\n";
            }
            return 0;
          }};
}
