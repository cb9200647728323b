// pinloom: the Qt 6 GUI. Builds the three windows in their start-up order, binds them
// to Qt windows, installs the adapter backends and runs the event loop until the
// main window closes.

#include <QCommandLineParser>

#include "app/uMain.h"
#include "gui/gui_session.h"
#include "gui/pinloom_application.h"
#include "gui/qt_text.h"
#include "jtag/backends/install_backends.h"
#include "log/uProtocolWindow.h"
#include "platform/version_info.h"

int main(int argc, char** argv) {
  TPinloomApplication app(argc, argv);
  TPinloomApplication::setApplicationVersion(ToQt(GetAppVersion()));

  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Pinloom boundary-scan tool and flash programmer"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption board(QStringLiteral("board"),
                                 QStringLiteral("simulated board file (default: the demo board)"),
                                 QStringLiteral("FILE"));
  const QCommandLineOption remoteBitbang(
      QStringLiteral("remote-bitbang"),
      QStringLiteral("remote_bitbang JTAG server(s) as HOST:PORT, separated by commas"),
      QStringLiteral("HOST:PORT"));
  parser.addOption(board);
  parser.addOption(remoteBitbang);
  parser.process(app);

  TGuiSession session(app);
  const TBackendOptions options =
      BackendOptionsFrom(FromQt(parser.value(board)), FromQt(parser.value(remoteBitbang)));
  for (const std::string& problem : InstallBackends(Form1->JtagLibrary, options)) {
    AddToProtocol(problem, clOrange);
  }
  session.Start();
  return TPinloomApplication::exec();
}
