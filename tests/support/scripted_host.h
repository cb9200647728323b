#pragma once
// A host for tests: records every call and answers questions, input boxes and file
// dialogs from queues; its clock is virtual and advances only when told (or by the
// waits of ProcessMessagesFor).

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/THost.h"

class TScriptedHost : public THost {
 public:
  struct TMessage {
    std::string Text;
    TMsgKind Kind;
  };

  // Answers, taken in order; an empty queue answers no / the default / cancel.
  std::deque<bool> YesNoAnswers;
  std::deque<std::optional<std::string>> InputAnswers;
  std::deque<std::optional<std::string>> FileDialogAnswers;

  // Records.
  std::vector<TMessage> Messages;
  std::vector<std::string> Errors;
  std::vector<std::string> Calls;  // "ProcessMessages", "ProcessMessagesFor(5)", ...
  int ProcessMessagesCount = 0;
  int BusyDepth = 0;
  bool EverBusy = false;

  // Run inside each ProcessMessages (a user's click arriving mid-operation, say).
  std::function<void()> OnProcessMessages;

  uint32_t Clock = 1000;  // virtual milliseconds
  uint32_t TickStep = 0;  // added to Clock on every TickCount() call
  std::string TimeText = "12:34:56";

  void ProcessMessages() override {
    ++ProcessMessagesCount;
    if (OnProcessMessages) OnProcessMessages();
  }
  void ProcessMessagesFor(int32_t ms) override {
    Calls.push_back("ProcessMessagesFor(" + std::to_string(ms) + ")");
    ProcessMessages();
    if (ms > 0) Clock += static_cast<uint32_t>(ms);
  }
  void MessageBox(const std::string& text, TMsgKind kind) override {
    Messages.push_back({text, kind});
  }
  bool AskYesNo(const std::string&, const std::string&) override {
    if (YesNoAnswers.empty()) return false;
    const bool a = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return a;
  }
  std::string InputBox(const std::string&, const std::string&,
                       const std::string& defaultText) override {
    if (InputAnswers.empty()) return defaultText;
    auto a = InputAnswers.front();
    InputAnswers.pop_front();
    return a ? *a : defaultText;
  }
  std::optional<std::string> OpenFileDialog(const std::string&, const std::string&) override {
    return NextFile();
  }
  std::optional<std::string> SaveFileDialog(const std::string&, const std::string&) override {
    return NextFile();
  }
  void SetBusyCursor(bool busy) override {
    BusyDepth += busy ? 1 : -1;
    EverBusy = EverBusy || busy;
  }
  void ShowError(const std::string& message) override { Errors.push_back(message); }
  uint32_t TickCount() override {
    Clock += TickStep;
    return Clock;
  }
  std::string TimeOfDayText() override { return TimeText; }

 private:
  std::optional<std::string> NextFile() {
    if (FileDialogAnswers.empty()) return std::nullopt;
    auto a = FileDialogAnswers.front();
    FileDialogAnswers.pop_front();
    return a;
  }
};
