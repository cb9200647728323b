#include "cli/cli_session.h"

#include <unistd.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "app/uMain.h"
#include "log/uProtocolWindow.h"

namespace {

// ANSI colour of a log line on a terminal.
const char* AnsiColour(TColor colour) {
  switch (colour) {
    case clRed:
      return "\x1b[31m";
    case clOrange:
      return "\x1b[33m";
    case clGray:
      return "\x1b[90m";
    case clGreen:
      return "\x1b[32m";
    case clNavy:
      return "\x1b[34m";
    default:
      return "";
  }
}

}  // namespace

void TCliHost::ProcessMessagesFor(int32_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void TCliHost::MessageBox(const std::string& text, TMsgKind) {
  Messages.push_back(text);
  if (!quiet) std::cerr << "[message] " << text << "\n";
}

bool TCliHost::AskYesNo(const std::string&, const std::string&) {
  return false;
}

std::string TCliHost::InputBox(const std::string&, const std::string&,
                               const std::string& defaultText) {
  return defaultText;
}

std::optional<std::string> TCliHost::OpenFileDialog(const std::string&, const std::string&) {
  return std::nullopt;
}

std::optional<std::string> TCliHost::SaveFileDialog(const std::string&, const std::string&) {
  return std::nullopt;
}

void TCliHost::ShowError(const std::string& message) {
  Errors.push_back(message);
  if (!quiet) std::cerr << "Error: " << message << "\n";
}

TCliSession::TCliSession(const TCliOptions& options)
    : options_(options), windows_(std::make_unique<TApplicationWindows>(host_)) {
  host_.quiet = options_.json;
  colourLog_ = ::isatty(STDERR_FILENO) == 1;
  if (!options_.json) {
    // The log follows on standard error as it is written.
    logToken_ = Frm_Protocol->RichEdit1.Subscribe([this](TChange) {
      const TLogLine& line = Frm_Protocol->RichEdit1.Lines().back();
      if (colourLog_ && line.Colour != clBlack) {
        std::cerr << AnsiColour(line.Colour) << line.Text << "\x1b[0m\n";
      } else {
        std::cerr << line.Text << "\n";
      }
    });
  }
  if (options_.clockDivisor >= 0) Form1->ClockDivisor = options_.clockDivisor;
}

TCliSession::~TCliSession() {
  if (logToken_ != 0) Frm_Protocol->RichEdit1.Unsubscribe(logToken_);
}

void TCliSession::StartUp() {
  Form1->Timer_StartUp.Fire();
}

nlohmann::json TCliSession::LogJson() const {
  nlohmann::json log = nlohmann::json::array();
  for (const TLogLine& line : Frm_Protocol->RichEdit1.Lines()) {
    log.push_back({{"colour", ColourName(line.Colour)}, {"text", line.Text}});
  }
  return log;
}

void TCliSession::PrintJson(nlohmann::json result) const {
  result["log"] = LogJson();
  if (!host_.Messages.empty()) result["messages"] = host_.Messages;
  // Texts are 8-bit; replace what is not valid UTF-8 rather than fail.
  std::cout << result.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}
