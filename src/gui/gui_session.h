#pragma once
// The GUI program run: the Qt host, the three windows of the core in their start-up
// order, and their Qt windows bound to them. The program entry and the GUI checks
// build it the same way.

#include <memory>

#include "app/windows.h"
#include "gui/qt_host.h"

class TPinloomApplication;
class TMainWindow;
class TBSDLWindow;
class TProtocolWindow;

class TGuiSession {
 public:
  explicit TGuiSession(TPinloomApplication& app);
  ~TGuiSession();
  TGuiSession(const TGuiSession&) = delete;
  TGuiSession& operator=(const TGuiSession&) = delete;

  TQtHost& Host() { return host_; }
  TApplicationWindows& Windows() { return *windows_; }
  TMainWindow& MainWindow() { return *main_; }
  TBSDLWindow& BSDLWindow() { return *bsdl_; }
  TProtocolWindow& ProtocolWindow() { return *protocol_; }

  // Shows the main window, tells the menu it has been loaded, and arms the start-up
  // timer to fire once after the event loop has started.
  void Start();

 private:
  TPinloomApplication& app_;
  TQtHost host_;
  // The core's windows outlive the Qt windows bound to them.
  std::unique_ptr<TApplicationWindows> windows_;
  std::unique_ptr<TMainWindow> main_;
  std::unique_ptr<TBSDLWindow> bsdl_;
  std::unique_ptr<TProtocolWindow> protocol_;
};
