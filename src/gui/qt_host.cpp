#include "gui/qt_host.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include "gui/qt_text.h"

namespace {

// Dialogs belong to the window the user works in.
QWidget* DialogParent() {
  return QApplication::activeWindow();
}

QMessageBox::Icon IconOf(TMsgKind kind) {
  switch (kind) {
    case TMsgKind::Warning:
      return QMessageBox::Warning;
    case TMsgKind::Error:
      return QMessageBox::Critical;
    case TMsgKind::Information:
      break;
  }
  return QMessageBox::Information;
}

}  // namespace

void TQtHost::ProcessMessages() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TQtHost::ProcessMessagesFor(int32_t ms) {
  if (ms <= 0) {
    ProcessMessages();
    return;
  }
  // Sleeps in a local event loop: messages are handled as they come, the core idles.
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(ms);
  loop.exec();
}

void TQtHost::MessageBox(const std::string& text, TMsgKind kind) {
  QMessageBox box(IconOf(kind), QString::fromLatin1(kMessageBoxTitle), ToQt(text), QMessageBox::Ok,
                  DialogParent());
  box.exec();
}

bool TQtHost::AskYesNo(const std::string& caption, const std::string& text) {
  const QString title = caption.empty() ? QString::fromLatin1(kMessageBoxTitle) : ToQt(caption);
  return QMessageBox::question(DialogParent(), title, ToQt(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::string TQtHost::InputBox(const std::string& caption, const std::string& prompt,
                              const std::string& defaultText) {
  bool ok = false;
  const QString text = QInputDialog::getText(DialogParent(), ToQt(caption), ToQt(prompt),
                                             QLineEdit::Normal, ToQt(defaultText), &ok);
  return ok ? FromQt(text) : defaultText;
}

std::optional<std::string> TQtHost::OpenFileDialog(const std::string& filter,
                                                   const std::string& initialDir) {
  const QString path = QFileDialog::getOpenFileName(DialogParent(), QString(), ToQt(initialDir),
                                                    QtFileFilter(filter));
  if (path.isEmpty()) return std::nullopt;
  return FromQt(path);
}

std::optional<std::string> TQtHost::SaveFileDialog(const std::string& filter,
                                                   const std::string& defaultExt) {
  QFileDialog dialog(DialogParent());
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(QtFileFilter(filter).split(QStringLiteral(";;"), Qt::SkipEmptyParts));
  QString suffix = ToQt(defaultExt);
  while (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  return FromQt(dialog.selectedFiles().constFirst());
}

void TQtHost::SetBusyCursor(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++busyDepth_;
  } else if (busyDepth_ > 0) {
    QApplication::restoreOverrideCursor();
    --busyDepth_;
  }
}

void TQtHost::ShowError(const std::string& message) {
  QMessageBox::critical(DialogParent(), QString::fromLatin1(kMessageBoxTitle), ToQt(message));
}

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = ToQt(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i].trimmed();
    // The description's own pattern list in parentheses is replaced by Qt's form.
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open >= 0 && description.endsWith(QLatin1Char(')'))) {
      description = description.left(open).trimmed();
    }
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'))) {
      if (!p.trimmed().isEmpty()) patterns << p.trimmed();
    }
    entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  if (entries.isEmpty() && !filter.empty()) entries << ToQt(filter);
  return entries.join(QStringLiteral(";;"));
}
