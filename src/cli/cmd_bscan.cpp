// pinloom-cli sample / extest: capture a chain device's pins and drive them, by the
// ports of its BSDL file.

#include <iomanip>
#include <iostream>

#include "app/uMain.h"
#include "app/windows.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "cli/cli_chain.h"
#include "cli/cli_session.h"
#include "log/uProtocolWindow.h"
#include "platform/paths.h"

namespace {

struct TBScanOptions {
  std::string bsdl;
  int position = -1;             // -1: the first device whose IR length is the BSDL file's, else 0
  std::vector<std::string> set;  // PORT=0|1
  std::vector<std::string> enable;  // PORT
};

std::string CellText(int row, TCellColumn column) {
  return Frm_BSDLFile->ListBoundaryScanCells.Cell(row, column + 1);
}

nlohmann::json CellsJson() {
  nlohmann::json cells = nlohmann::json::array();
  const TListView& list = Frm_BSDLFile->ListBoundaryScanCells;
  for (int row = 0; row < list.Count(); ++row) {
    cells.push_back({{"num", list.Cell(row, 0)},
                     {"port", CellText(row, colPort)},
                     {"function", CellText(row, colFunction)},
                     {"value", CellText(row, colValue)},
                     {"direction", CellText(row, colDirection)}});
  }
  return cells;
}

void PrintCells() {
  const TListView& list = Frm_BSDLFile->ListBoundaryScanCells;
  for (int row = 0; row < list.Count(); ++row) {
    std::cout << std::setw(5) << list.Cell(row, 0) << "  " << std::setw(16) << std::left
              << CellText(row, colPort) << std::setw(14) << CellText(row, colFunction) << std::right
              << std::setw(2) << CellText(row, colValue) << "  " << CellText(row, colDirection)
              << "\n";
  }
}

int ChoosePosition(const TBScanOptions& options) {
  if (options.position >= 0) return options.position;
  const TJTAG_Chain& chain = Form1->JTAGChain;
  for (int32_t i = 0; i < chain.DeviceCount; ++i) {
    if (chain.Devices[static_cast<size_t>(i)].IRLen == Frm_BSDLFile->IRLength) return i;
  }
  return 0;
}

// Connects, detects, selects the position, loads the BSDL file and samples. False,
// with the reason in the log, when any step fails.
bool SampleDevice(TCliSession& session, const TBScanOptions& options) {
  if (!ConnectAndDetect(session)) return false;
  if (!FileExists(options.bsdl)) {
    AddToProtocol("BSDL file not found: " + options.bsdl, clRed);
    return false;
  }
  Form1->LoadBSDLFile(options.bsdl);
  const int position = ChoosePosition(options);
  if (position >= Form1->cb_jtag_devices.Count()) {
    AddToProtocol("No chain position " + std::to_string(position), clRed);
    return false;
  }
  Form1->cb_jtag_devices.SetItemIndex(position);
  Form1->cb_jtag_devices_oldChange();
  Form1->BT_SampleClick();
  return Form1->bt_Extest.Enabled() && Form1->LastShiftStatus == 0;
}

// Sets the output cells and enables the drivers the options name; false when a port
// has no such cell.
bool ApplyPinOptions(const TBScanOptions& options) {
  for (const std::string& assignment : options.set) {
    const size_t eq = assignment.find('=');
    const std::string port = assignment.substr(0, eq);
    const std::string level = eq == std::string::npos ? std::string() : assignment.substr(eq + 1);
    int32_t index = -1;
    if ((level != "0" && level != "1") || !Form1->GetBitIndexOutput(port, index) ||
        !Form1->SetCellValue(index, level == "1")) {
      AddToProtocol("Cannot set " + assignment + ": expected PORT=0|1 with an output cell", clRed);
      return false;
    }
  }
  for (const std::string& port : options.enable) {
    int32_t index = -1;
    if (!Form1->GetBitIndexDDR(port, index) || !Form1->SetControlCell(index, true)) {
      AddToProtocol("Cannot enable " + port + ": no control cell", clRed);
      return false;
    }
  }
  return true;
}

int Finish(TCliSession& session, bool ok) {
  if (session.Options().json) {
    session.PrintJson({{"cells", CellsJson()}});
  } else {
    PrintCells();
  }
  return ok ? 0 : 1;
}

void AddBsdlOptions(CLI::App* sub, TBScanOptions& options) {
  sub->add_option("--bsdl", options.bsdl, "BSDL file of the device")->required();
  sub->add_option("--position", options.position,
                  "chain position (default: the first device whose IR length is the file's)")
      ->check(CLI::NonNegativeNumber);
}

}  // namespace

TCliCommand RegisterSampleCommand(CLI::App& app) {
  CLI::App* sub = app.add_subcommand("sample", "capture the pins of a chain device (SAMPLE)");
  auto options = std::make_shared<TBScanOptions>();
  AddBsdlOptions(sub, *options);
  return {sub, [options](TCliSession& session) {
            const bool ok = SampleDevice(session, *options);
            return Finish(session, ok);
          }};
}

TCliCommand RegisterExtestCommand(CLI::App& app) {
  CLI::App* sub =
      app.add_subcommand("extest", "sample, then drive output cells and read the pins (EXTEST)");
  auto options = std::make_shared<TBScanOptions>();
  AddBsdlOptions(sub, *options);
  sub->add_option("--set", options->set, "drive a port's output cell: PORT=0|1");
  sub->add_option("--enable", options->enable, "enable a port's output driver");
  return {sub, [options](TCliSession& session) {
            bool ok = SampleDevice(session, *options) && ApplyPinOptions(*options);
            if (ok) {
              // A scan captures before it updates: the first drives the new values,
              // the second reads the pins as they are driven.
              Form1->bt_ExtestClick();
              Form1->bt_ExtestClick();
              ok = Form1->LastShiftStatus == 0;
            }
            return Finish(session, ok);
          }};
}
