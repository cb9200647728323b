// pinloom-cli demo: the main job on the built-in simulated board. Connects, detects
// the chain, picks the demo microcontroller, captures its pins (Sample), then drives
// the six counter outputs through EXTEST and reads them back on the inputs they are
// wired to.

#include <iostream>

#include "app/uMain.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "cli/cli_chain.h"
#include "cli/cli_session.h"
#include "log/uProtocolWindow.h"
#include "platform/version_info.h"

namespace {

constexpr const char* kDemoMainIdcode = "4F80156B";
constexpr const char* kDemoMainBsdl = PINLOOM_DEMO_DIR "/pl_mcu100.bsd";
constexpr int kLoopbackPins = 6;

struct TLoopbackResult {
  std::string driven;  // TOUT0..5 as "0"/"1", bit 0 first
  std::string read;    // TIN0..5
};

// The demo microcontroller's chain position, -1 when the chain has none.
int DemoMainPosition() {
  return Form1->cb_jtag_devices.IndexOf(kDemoMainIdcode);
}

// Drives TOUT0..5 with `pattern` under EXTEST and reads TIN0..5, which the demo board
// wires to them.
bool DriveLoopback(const std::string& pattern, TLoopbackResult& result) {
  for (int k = 0; k < kLoopbackPins; ++k) {
    const std::string out = "TOUT" + std::to_string(k);
    int32_t output = -1;
    int32_t control = -1;
    if (!Form1->GetBitIndexOutput(out, output)) return false;
    Form1->GetBitIndexDDR(out, control);
    Form1->SetControlCell(control, true);
    Form1->SetCellValue(output, pattern[static_cast<size_t>(k)] == '1');
  }
  // A scan captures before it updates: the second one reads the pins as driven.
  Form1->bt_ExtestClick();
  Form1->bt_ExtestClick();
  if (Form1->LastShiftStatus != 0) return false;
  result.driven = pattern;
  const TListView& cells = Frm_BSDLFile->ListBoundaryScanCells;
  for (int k = 0; k < kLoopbackPins; ++k) {
    int32_t input = -1;
    if (!Form1->GetBitIndexInput("TIN" + std::to_string(k), input)) return false;
    result.read += cells.Cell(input, colValue + 1);
  }
  return true;
}

}  // namespace

TCliCommand RegisterDemoCommand(CLI::App& app) {
  CLI::App* sub = app.add_subcommand("demo", "run the main job on the built-in simulated board");
  return {sub, [](TCliSession& session) {
            bool ok = ConnectAndDetect(session);
            const int position = ok ? DemoMainPosition() : -1;
            TLoopbackResult loopback;
            if (position < 0) {
              AddToProtocol("The demo microcontroller (IDCODE 0x" + std::string(kDemoMainIdcode) +
                                ") is not on this chain",
                            clRed);
              ok = false;
            } else {
              Form1->LoadBSDLFile(kDemoMainBsdl);
              Form1->cb_jtag_devices.SetItemIndex(position);
              Form1->cb_jtag_devices_oldChange();
              Form1->BT_SampleClick();
              ok = Form1->bt_Extest.Enabled() && DriveLoopback("101101", loopback);
              AddToProtocol(
                  "Demo: TOUT0..5 driven " + loopback.driven + ", TIN0..5 read " + loopback.read,
                  loopback.driven == loopback.read ? clGreen : clRed);
              ok = ok && loopback.driven == loopback.read;
            }
            if (session.Options().json) {
              session.PrintJson({{"version", GetAppVersion()},
                                 {"chain", ChainJson(Form1->JTAGChain)},
                                 {"position", position},
                                 {"cells", Frm_BSDLFile->ListBoundaryScanCells.Count()},
                                 {"driven", loopback.driven},
                                 {"read", loopback.read},
                                 {"ok", ok}});
            } else {
              std::cout << Form1->Caption() << "\n"
                        << "chain: " << Form1->JTAGChain.DeviceCount << " devices, main device at "
                        << position << ", " << Frm_BSDLFile->ListBoundaryScanCells.Count()
                        << " cells sampled\n"
                        << "loopback: driven " << loopback.driven << ", read " << loopback.read
                        << (ok ? "  OK" : "  FAILED") << "\n";
            }
            return ok ? 0 : 1;
          }};
}
