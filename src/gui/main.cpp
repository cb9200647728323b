// pinloom: the Qt 6 GUI. Builds the three windows in their start-up order, binds them
// to Qt windows, installs the adapter backends and runs the event loop until the main
// window closes.

#include <string>

#include "app/uMain.h"
#include "gui/gui_session.h"
#include "gui/pinloom_application.h"
#include "jtag/backends/install_backends.h"
#include "log/uProtocolWindow.h"

namespace {

// The value after `--name` on the command line, or "" (then the environment decides).
std::string OptionValue(int argc, char** argv, const std::string& name) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (argv[i] == name) return argv[i + 1];
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  TPinloomApplication app(argc, argv);
  TGuiSession session(app);
  const TBackendOptions adapters = BackendOptionsFrom(OptionValue(argc, argv, "--board"),
                                                      OptionValue(argc, argv, "--remote-bitbang"));
  for (const std::string& problem :
       InstallBackends(session.Windows().Main().JtagLibrary, adapters)) {
    AddToProtocol(problem, clOrange);
  }
  session.Start();
  return TPinloomApplication::exec();
}
