// pinloom-cli list: the adapter selector's items as the program forms them, with the
// backend behind each; pinloom-cli connect: connects as "connect" does, then
// disconnects, with the log lines of both.

#include <iostream>

#include "app/uMain.h"
#include "cli/cli_session.h"
#include "platform/text_utils.h"

namespace {

constexpr int kExitNotConnected = 1;

std::string KindOf(const TDongleInfo& dongle) {
  const TJtagLibrary::TListedDevice* listed =
      Form1->JtagLibrary.FindListed(dongle.Description, dongle.LocationID);
  return listed != nullptr ? listed->Backend->Kind() : "";
}

}  // namespace

TCliCommand RegisterListCommand(CLI::App& app) {
  CLI::App* sub = app.add_subcommand("list", "list the JTAG adapters as the adapter selector does");
  return {sub, [](TCliSession& session) {
            RefreshAdapters(session);
            const TForm1& form = *Form1;
            nlohmann::json adapters = nlohmann::json::array();
            for (int k = 0; k < form.DongleCount; ++k) {
              const TDongleInfo& d = form.Dongles[static_cast<size_t>(k)];
              const std::string& item = form.cb_FTDI_Device.Items()[static_cast<size_t>(k)];
              if (session.Options().json) {
                adapters.push_back({{"index", k},
                                    {"item", item},
                                    {"description", d.Description},
                                    {"serialNumber", d.SerialNumber},
                                    {"locationId", "0x" + text::IntToHex(d.LocationID, 8)},
                                    {"kind", KindOf(d)}});
              } else {
                std::cout << k << ": " << item << "  [" << KindOf(d) << "]\n";
              }
            }
            if (session.Options().json) {
              session.PrintJson({{"adapters", std::move(adapters)}});
            } else if (form.DongleCount == 0) {
              std::cout << "No JTAG adapter found\n";
            }
            return 0;
          }};
}

TCliCommand RegisterConnectCommand(CLI::App& app) {
  CLI::App* sub =
      app.add_subcommand("connect", "connect to the adapter (--adapter), then disconnect");
  return {sub, [](TCliSession& session) {
            const bool connected = ConnectFromOptions(session);
            const std::string status = Form1->StatusBar1.Panel(0).Text;
            if (connected) Form1->Bt_Connect.Click();  // disconnect
            if (session.Options().json) {
              session.PrintJson({{"connected", connected}, {"status", status}});
            } else {
              std::cout << (connected ? status : "not connected") << "\n";
            }
            return connected ? 0 : kExitNotConnected;
          }};
}
