#include "gui/pinloom_application.h"

#include <QStyleFactory>
#include <QtDebug>
#include <exception>

#include "app/THost.h"

namespace {

void ReportError(const std::string& message) {
  if (auto* app = qobject_cast<TPinloomApplication*>(QCoreApplication::instance())) {
    app->ShowError(message);
  } else {
    qWarning("Pinloom: %s", message.c_str());
  }
}

// Calls `action`; any exception becomes a report to the general error handler.
template <typename F>
auto Guarded(F&& action, decltype(action()) onError) -> decltype(action()) {
  try {
    return action();
  } catch (const std::exception& e) {
    ReportError(e.what());
  } catch (...) {
    ReportError("Unknown error");
  }
  return onError;
}

}  // namespace

TPinloomApplication::TPinloomApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  setApplicationName(QStringLiteral("Pinloom"));
}

void TPinloomApplication::ShowError(const std::string& message) {
  if (errorHost_ != nullptr) {
    errorHost_->ShowError(message);
  } else {
    qWarning("Pinloom: %s", message.c_str());
  }
}

bool TPinloomApplication::notify(QObject* receiver, QEvent* event) {
  return Guarded([&] { return QApplication::notify(receiver, event); }, false);
}

void RunUserAction(const std::function<void()>& action) {
  Guarded(
      [&] {
        action();
        return 0;
      },
      0);
}
