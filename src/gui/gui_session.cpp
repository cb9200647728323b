#include "gui/gui_session.h"

#include <QCoreApplication>
#include <QTimer>

#include "app/uMain.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "gui/bindings.h"
#include "gui/bsdl_window.h"
#include "gui/main_window.h"
#include "gui/pinloom_application.h"
#include "gui/protocol_window.h"
#include "log/uProtocolWindow.h"

TGuiSession::TGuiSession(TPinloomApplication& app) : app_(app) {
  app_.SetErrorHost(&host_);
  windows_ = std::make_unique<TApplicationWindows>(host_);
  TForm1& form = windows_->Main();

  // Closing the main window ends the program, after whatever the core does on close.
  form.OnClose = [previous = form.OnClose] {
    if (previous) previous();
    QCoreApplication::quit();
  };

  main_ = std::make_unique<TMainWindow>(form);
  bsdl_ = std::make_unique<TBSDLWindow>(windows_->BSDL());
  protocol_ = std::make_unique<TProtocolWindow>(windows_->Protocol());
  Bind(windows_->BSDL(), bsdl_.get(), TCloseBehaviour::HideOnly);
  Bind(windows_->Protocol(), protocol_.get(), TCloseBehaviour::HideOnly);
}

TGuiSession::~TGuiSession() {
  protocol_.reset();
  bsdl_.reset();
  main_.reset();
  windows_.reset();
  app_.SetErrorHost(nullptr);
}

void TGuiSession::Start() {
  TForm1& form = windows_->Main();
  // Binding the main window's form shows it (the form is visible as designed).
  Bind(form, main_.get(), TCloseBehaviour::EndsProgram);
  form.MainMenu1.Loaded();
  QTimer::singleShot(form.Timer_StartUp.Interval(), main_.get(),
                     [&form] { RunUserAction([&form] { form.Timer_StartUp.Fire(); }); });
}
