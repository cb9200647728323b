// The adapter side of every pinloom-cli command that connects: installing the
// backends the global options name, choosing the selector item and connecting through
// the same handlers as the GUI.

#include <algorithm>
#include <cctype>

#include "app/uMain.h"
#include "cli/cli_session.h"
#include "jtag/backends/install_backends.h"
#include "log/uProtocolWindow.h"
#include "platform/text_utils.h"

namespace {

// The item --adapter names: an index, or the first item containing the text (letter
// case ignored); -1 when none does.
int AdapterItem(const std::string& wanted, const TComboBox& selector) {
  if (!wanted.empty() && std::all_of(wanted.begin(), wanted.end(),
                                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
    const auto index = text::ParseDecimal(wanted);
    return index && *index < selector.Count() ? *index : -1;
  }
  for (int k = 0; k < selector.Count(); ++k) {
    if (text::ContainsText(selector.Items()[static_cast<size_t>(k)], wanted)) return k;
  }
  return -1;
}

}  // namespace

bool InstallBackendsFromOptions(TCliSession& session) {
  TJtagLibrary& library = Form1->JtagLibrary;
  if (library.BackendCount() > 0) return false;
  const TCliOptions& o = session.Options();
  for (const std::string& problem :
       InstallBackends(library, BackendOptionsFrom(o.board, o.remoteBitbang))) {
    AddToProtocol(problem, clOrange);
  }
  return true;
}

void RefreshAdapters(TCliSession& session) {
  const bool installed = InstallBackendsFromOptions(session);
  if (Form1->Timer_StartUp.Enabled()) {
    session.StartUp();
  } else if (installed) {
    Form1->cb_FTDI_DeviceDropDown();
  }
}

bool ConnectFromOptions(TCliSession& session) {
  RefreshAdapters(session);
  TForm1& form = *Form1;
  if (!form.cb_FTDI_Device.Enabled()) return true;  // connected already
  const std::string& wanted = session.Options().adapter;
  if (!wanted.empty()) {
    const int item = AdapterItem(wanted, form.cb_FTDI_Device);
    if (item < 0) {
      session.Host().ShowError("No adapter matches --adapter " + wanted);
      return false;
    }
    form.cb_FTDI_Device.SetItemIndex(item);
  }
  form.Bt_Connect.Click();
  return !form.cb_FTDI_Device.Enabled();
}
