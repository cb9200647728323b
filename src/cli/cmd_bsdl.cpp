// pinloom-cli bsdl FILE: interprets a BSDL file as File > open > bsdl does and prints
// the instruction length, the instructions and the cells.

#include <iostream>
#include <string>

#include "app/uMain.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "cli/cli_session.h"
#include "platform/paths.h"
#include "platform/pinloom_error.h"

namespace {

constexpr int kExitParseFailed = 1;
constexpr int kExitNoFile = 2;

nlohmann::json ResultJson(const std::string& path, const std::optional<std::string>& error) {
  const TFrm_BSDLFile& bsdl = *Frm_BSDLFile;
  nlohmann::json instructions = nlohmann::json::array();
  for (const TBScan_InstructionRegister& i : bsdl.Instructions) {
    instructions.push_back({{"name", i.Name}, {"opcode", i.Opcode}, {"value", i.Value}});
  }
  nlohmann::json cells = nlohmann::json::array();
  for (const TBScan_Cell& c : bsdl.Cells) {
    cells.push_back({{"num", c.Num},
                     {"cellType", c.CellType},
                     {"port", c.Port},
                     {"function", c.Function},
                     {"safe", c.Safe},
                     {"ccell", c.CCell},
                     {"disval", c.Disval},
                     {"rslt", c.Rslt}});
  }
  return {{"file", path},
          {"irLength", bsdl.IRLength},
          {"instructions", std::move(instructions)},
          {"cells", std::move(cells)},
          {"ports", Form1->combo_spi_flasher_sck.Items()},
          {"error", error ? nlohmann::json(*error) : nlohmann::json(nullptr)}};
}

void PrintText() {
  const TFrm_BSDLFile& bsdl = *Frm_BSDLFile;
  std::cout << "IR length: " << bsdl.IRLength << "\n";
  std::cout << "Instructions (" << bsdl.Instructions.size() << "):\n";
  for (const TBScan_InstructionRegister& i : bsdl.Instructions) {
    std::cout << "  " << i.Name << "\t" << i.Opcode << "\t" << i.Value << "\n";
  }
  std::cout << "Cells (" << bsdl.Cells.size() << "):\n";
  std::cout << "  Num\tCell Type\tPort\tFunction\tSafe\tCCell\tDisval\tRslt\n";
  for (const TBScan_Cell& c : bsdl.Cells) {
    std::cout << "  " << c.Num << "\t" << c.CellType << "\t" << c.Port << "\t" << c.Function << "\t"
              << c.Safe << "\t" << c.CCell << "\t" << c.Disval << "\t" << c.Rslt << "\n";
  }
}

int RunBsdl(TCliSession& session, const std::string& path) {
  const bool json = session.Options().json;
  std::optional<std::string> error;
  int status = 0;
  if (!FileExists(path)) {
    error = "File not found: " + path;
    status = kExitNoFile;
  } else {
    try {
      Form1->LoadBSDLFile(path);
    } catch (const EPinloomError& e) {
      error = e.what();
      status = kExitParseFailed;
    }
  }
  if (json) {
    session.PrintJson(ResultJson(path, error));
  } else if (error) {
    session.Host().ShowError(*error);
  } else {
    PrintText();
  }
  return status;
}

}  // namespace

TCliCommand RegisterBsdlCommand(CLI::App& app) {
  CLI::App* sub = app.add_subcommand("bsdl", "interpret a BSDL file and print its model");
  auto path = std::make_shared<std::string>();
  sub->add_option("FILE", *path, "the BSDL file")->required();
  return {sub, [path](TCliSession& session) { return RunBsdl(session, *path); }};
}
