#pragma once
// The headless front end's session: the non-interactive host, the three windows,
// the global options and the log, shared by every pinloom-cli command.

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "app/THost.h"
#include "app/windows.h"

// Message boxes go to the log stream; questions answer no, input boxes and file
// dialogs answer as cancelled; waits sleep.
class TCliHost : public TSystemClockHost {
 public:
  void ProcessMessages() override {}
  void ProcessMessagesFor(int32_t ms) override;
  void MessageBox(const std::string& text, TMsgKind kind) override;
  bool AskYesNo(const std::string& caption, const std::string& text) override;
  std::string InputBox(const std::string& caption, const std::string& prompt,
                       const std::string& defaultText) override;
  std::optional<std::string> OpenFileDialog(const std::string& filter,
                                            const std::string& initialDir) override;
  std::optional<std::string> SaveFileDialog(const std::string& filter,
                                            const std::string& defaultExt) override;
  void SetBusyCursor(bool) override {}
  void ShowError(const std::string& message) override;

  // Message-box texts and errors, in order, for a command's JSON result.
  std::vector<std::string> Messages;
  std::vector<std::string> Errors;
  bool quiet = false;  // --json: the texts go into the document only
};

struct TCliOptions {
  bool json = false;
  std::string adapter;        // item index or a text the item contains
  int clockDivisor = -1;      // -1: keep the program's default
  std::string board;          // simulated board file
  std::string remoteBitbang;  // HOST:PORT
};

class TCliSession {
 public:
  explicit TCliSession(const TCliOptions& options);
  ~TCliSession();

  const TCliOptions& Options() const { return options_; }
  TCliHost& Host() { return host_; }
  TApplicationWindows& Windows() { return *windows_; }

  // Runs the start-up timer's work, as the message loop does 250 ms after start.
  void StartUp();

  // The log lines so far as [{"colour","text"}].
  nlohmann::json LogJson() const;
  // Prints `result` plus "log" (and "messages" when any) as one JSON document on
  // standard output; used by every command's --json path.
  void PrintJson(nlohmann::json result) const;

 private:
  TCliOptions options_;
  TCliHost host_;
  std::unique_ptr<TApplicationWindows> windows_;
  int logToken_ = 0;
  bool colourLog_ = false;
};

// A pinloom-cli command: registers its sub-command and options on the app; the
// callback runs the command and returns the exit status.
struct TCliCommand {
  CLI::App* sub;
  std::function<int(TCliSession&)> run;
};
using TCliCommandFactory = std::function<TCliCommand(CLI::App&)>;

// Commands of the subsystems, each defined in its own file.
TCliCommand RegisterDemoCommand(CLI::App& app);
TCliCommand RegisterListCommand(CLI::App& app);
TCliCommand RegisterConnectCommand(CLI::App& app);

// Adapters (cli_adapter.cpp). Installs the backends the global options name (--board,
// --remote-bitbang, else PINLOOM_BOARD / PINLOOM_REMOTE_BITBANG, else the demo board)
// once per session; true when it installed them now. What cannot be installed is
// logged in orange.
bool InstallBackendsFromOptions(TCliSession& session);
// Installs the backends and refreshes the adapter selector (the start-up, when it has
// not run yet).
void RefreshAdapters(TCliSession& session);
// Installs the backends, refreshes the selector, selects the item --adapter names
// (an index, or a text the item contains) and connects as the "connect" button does.
// True when connected.
bool ConnectFromOptions(TCliSession& session);
TCliCommand RegisterBsdlCommand(CLI::App& app);
TCliCommand RegisterDetectCommand(CLI::App& app);
TCliCommand RegisterSampleCommand(CLI::App& app);
TCliCommand RegisterExtestCommand(CLI::App& app);
