#pragma once
// A fresh set of the three windows on a scripted host, for each test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/uMain.h"
#include "app/windows.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "log/uProtocolWindow.h"
#include "support/scripted_host.h"

class AppFixture : public ::testing::Test {
 protected:
  TScriptedHost host;
  TApplicationWindows windows{host};
  TForm1& form = *Form1;

  // The log lines' messages (the text after the time stamp and " - ").
  std::vector<std::string> LogMessages() const {
    std::vector<std::string> out;
    for (const TLogLine& line : Frm_Protocol->RichEdit1.Lines()) {
      out.push_back(line.Text.substr(line.Text.find(" - ") + 3));
    }
    return out;
  }
  std::vector<std::pair<std::string, TColor>> LogEntries() const {
    std::vector<std::pair<std::string, TColor>> out;
    for (const TLogLine& line : Frm_Protocol->RichEdit1.Lines()) {
      out.emplace_back(line.Text.substr(line.Text.find(" - ") + 3), line.Colour);
    }
    return out;
  }
};
