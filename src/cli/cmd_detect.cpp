// pinloom-cli detect: connect, detect the JTAG chain and print it.

#include <iostream>

#include "app/uMain.h"
#include "cli/cli_chain.h"
#include "cli/cli_session.h"

nlohmann::json ChainJson(const TJTAG_Chain& chain) {
  nlohmann::json devices = nlohmann::json::array();
  for (int32_t i = 0; i < chain.DeviceCount; ++i) {
    const auto k = static_cast<size_t>(i);
    devices.push_back({{"index", i},
                       {"idcode", chain.IDCodes[k]},
                       {"description", chain.Devices[k].Description},
                       {"irLength", chain.Devices[k].IRLen},
                       {"known", static_cast<bool>(chain.Known[k])}});
  }
  return devices;
}

bool ConnectAndDetect(TCliSession& session) {
  if (!ConnectFromOptions(session)) return false;
  Form1->cb_jtag_devices_oldDropDown();
  return Form1->JTAGChain.DeviceCount > 0;
}

TCliCommand RegisterDetectCommand(CLI::App& app) {
  CLI::App* sub = app.add_subcommand("detect", "connect, detect the JTAG chain and print it");
  return {sub, [](TCliSession& session) {
            const bool found = ConnectAndDetect(session);
            const TJTAG_Chain& chain = Form1->JTAGChain;
            if (session.Options().json) {
              session.PrintJson({{"devices", ChainJson(chain)}});
            } else {
              for (int32_t i = 0; i < chain.DeviceCount; ++i) {
                const auto k = static_cast<size_t>(i);
                std::cout << i << "  0x" << chain.IDCodes[k] << "  IR "
                          << int{chain.Devices[k].IRLen} << "  "
                          << (chain.Known[k] ? chain.Devices[k].Description : "(unknown)") << "\n";
              }
            }
            return found ? 0 : 1;
          }};
}
