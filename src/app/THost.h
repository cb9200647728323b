#pragma once
// The user-interface services the behaviour needs. The GUI implements them with Qt,
// the CLI non-interactively, the tests with a scripted host (tests/support).

#include <cstdint>
#include <optional>
#include <string>

enum class TMsgKind { Information, Warning, Error };

class THost {
 public:
  virtual ~THost() = default;

  // Processes all pending window messages, then returns.
  virtual void ProcessMessages() = 0;
  // Processes window messages for up to `ms` milliseconds, sleeping while none are
  // pending (so a wait does not burn a core). Returns early at no point before `ms`
  // has passed only if the event loop cannot wait that precisely.
  virtual void ProcessMessagesFor(int32_t ms) = 0;

  // A modal message box with a single OK button.
  virtual void MessageBox(const std::string& text, TMsgKind kind) = 0;
  // A yes/no question; true for yes.
  virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
  // An input box: returns the text entered, or `defaultText` on cancel.
  virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                               const std::string& defaultText) = 0;
  // File dialogs. `filter` is in the form "Description (*.a; *.b)|*.a; *.b".
  // Return the chosen full path, or nothing when the user cancels.
  virtual std::optional<std::string> OpenFileDialog(const std::string& filter,
                                                    const std::string& initialDir) = 0;
  virtual std::optional<std::string> SaveFileDialog(const std::string& filter,
                                                    const std::string& defaultExt) = 0;

  // The busy cursor over the application's windows.
  virtual void SetBusyCursor(bool busy) = 0;
  // The general error display for a failure no handler caught.
  virtual void ShowError(const std::string& message) = 0;

  // Milliseconds of a monotonic tick counter (wraps around at 2^32).
  virtual uint32_t TickCount() = 0;
  // The current local time of day in the user's long time format.
  virtual std::string TimeOfDayText() = 0;
};

// Shared pieces of the real hosts (GUI and CLI): the clock.
class TSystemClockHost : public THost {
 public:
  uint32_t TickCount() override;
  std::string TimeOfDayText() override;
};
