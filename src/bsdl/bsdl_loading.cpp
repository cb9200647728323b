// TForm1's BSDL loading: File > open > bsdl and the pin lists filled from the ports.

#include <string>
#include <unordered_set>
#include <vector>

#include "app/THost.h"
#include "app/uMain.h"
#include "app/windows.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "platform/paths.h"
#include "platform/version_info.h"

namespace {

constexpr const char* kBSDLFilter = "Boundary Scan Description File (*.bsd; *.bsdl)|*.bsd; *.bsdl";
constexpr const char* kNotConnected = "-> NOT CONNECTED";

// The default entry of pin list n (in TForm1::PinLists order), by position in its list:
// SPI 0-3, counter bits 0-5, address bits 0-31, data bits 32-47, NOR controls 48-53.
int DefaultPosition(size_t n) {
  if (n < 4) return static_cast<int>(n);
  if (n < 10) return static_cast<int>(n - 4);
  return static_cast<int>(n - 10);
}

// Every distinct Port text of the cell list except "*", in row order.
std::vector<std::string> DistinctPorts(const TListView& cells) {
  std::vector<std::string> ports;
  std::unordered_set<std::string> seen;
  for (int row = 0; row < cells.Count(); ++row) {
    std::string port = cells.Cell(row, colPort + 1);
    if (port != "*" && seen.insert(port).second) ports.push_back(std::move(port));
  }
  return ports;
}

// Shows the busy cursor for the lifetime of the object, also when a parse error
// passes through.
class TBusyCursor {
 public:
  explicit TBusyCursor(THost& host) : host_(host) { host_.SetBusyCursor(true); }
  ~TBusyCursor() { host_.SetBusyCursor(false); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  THost& host_;
};

}  // namespace

void TForm1::LoadBSDLFile(const std::string& path) {
  if (!FileExists(path)) return;
  const TBusyCursor busy(Host());
  BT_Sample.SetEnabled(false);
  bt_Extest.SetEnabled(false);
  if (!Frm_BSDLFile->InterpretBSDLFile(path)) return;
  BT_Sample.SetEnabled(true);

  const std::vector<std::string> ports = DistinctPorts(Frm_BSDLFile->ListBoundaryScanCells);
  const std::array<TComboBox*, 64> lists = PinLists();
  for (size_t n = 0; n < lists.size(); ++n) {
    TComboBox& list = *lists[n];
    list.BeginUpdate();
    list.SetItems(ports);
    if (&list == &combo_norflash_wp_q || &list == &combo_norflash_byte_q ||
        &list == &combo_norflash_rst_q) {
      list.AddItem(kNotConnected);
    }
    list.SetItemIndex(DefaultPosition(n));
    list.EndUpdate();
  }
}

void TForm1::Open1Click() {
  if (const auto path = Host().OpenFileDialog(kBSDLFilter, ProgramDirectory())) {
    LoadBSDLFile(*path);
  }
}
