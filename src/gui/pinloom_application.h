#pragma once
// The GUI's application object and its general error handler: a failure raised by a
// handler that nothing caught is shown by the host's error display, and the program
// goes on.

#include <QApplication>
#include <functional>
#include <string>

class THost;

class TPinloomApplication : public QApplication {
  Q_OBJECT

 public:
  TPinloomApplication(int& argc, char** argv);

  // The host whose ShowError displays failures (none: they go to the Qt log).
  void SetErrorHost(THost* host) { errorHost_ = host; }
  void ShowError(const std::string& message);

  // Qt's event dispatch, with the general error handler around every event.
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  THost* errorHost_ = nullptr;
};

// Runs a user action (a click, a pick, a key); an error it raises reaches the general
// error handler and the program goes on. Every binding calls the models' User*
// methods through this, so no exception crosses Qt's signal delivery.
void RunUserAction(const std::function<void()>& action);
