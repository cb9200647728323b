// pinloom: the Qt 6 GUI. Builds the three windows in their start-up order, binds them
// to Qt windows and runs the event loop until the main window closes.

#include "gui/gui_session.h"
#include "gui/pinloom_application.h"

int main(int argc, char** argv) {
  TPinloomApplication app(argc, argv);
  TGuiSession session(app);
  session.Start();
  return TPinloomApplication::exec();
}
