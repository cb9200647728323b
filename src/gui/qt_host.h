#pragma once
// The GUI's host: Qt's event loop, dialogs and cursor behind THost.

#include <QString>

#include "app/THost.h"

class QWidget;

class TQtHost : public TSystemClockHost {
 public:
  void ProcessMessages() override;
  void ProcessMessagesFor(int32_t ms) override;
  void MessageBox(const std::string& text, TMsgKind kind) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& defaultText) override;
  std::optional<std::string> OpenFileDialog(const std::string& filter,
                                            const std::string& initialDir) override;
  std::optional<std::string> SaveFileDialog(const std::string& filter,
                                            const std::string& defaultExt) override;
  void SetBusyCursor(bool busy) override;
  void ShowError(const std::string& message) override;

 private:
  int busyDepth_ = 0;
};

// The title of the program's message boxes.
inline constexpr const char* kMessageBoxTitle = "Pinloom";

// "Desc (*.a; *.b)|*.a; *.b|Other|*.c" in Qt's form "Desc (*.a *.b);;Other (*.c)".
QString QtFileFilter(const std::string& filter);
