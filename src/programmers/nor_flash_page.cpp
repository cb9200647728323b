// The NOR Flash page: flash type table and the change handler that sets the page up
// for a type and bus mode.

#include "app/uMain.h"
#include "platform/text_utils.h"

void TForm1::combo_norflashChange() {
  NORFlash.Valid = false;
  for (int k = 0; k < 32; ++k) {
    combo_norflash_adr[k]->SetVisible(false);
    lbl_adr[k]->SetVisible(false);
  }
  for (int k = 0; k < 16; ++k) {
    combo_norflash_data[k]->SetVisible(false);
    lbl_norflash_data[k]->SetVisible(false);
  }
  const bool wordMode = combo_nor_flash_mode.Text() == "WORD";
  for (const TNORFlashTableRow& row : kNORFlashTable) {
    if (combo_norflash.Text() != row.Name) continue;
    NORFlash.Valid = true;
    NORFlash.Name = row.Name;
    NORFlash.Size = row.Size;
    NORFlash.Pages = row.Pages;
    NORFlash.PageSize = row.PageSize;
    NORFlash.Sectors = row.Sectors;
    NORFlash.SectorSize = row.SectorSize;
    NORFlash.DeviceID = row.DeviceID;
    for (int k = 0; k < row.ByteModeAddressLines; ++k) {
      combo_norflash_adr[k]->SetVisible(true);
      lbl_adr[k]->SetVisible(true);
    }
    if (!wordMode) {
      NORFlash.AddressLines = row.ByteModeAddressLines;
      NORFlash.DataWidth = 8;
      NORFlash.WordMode = false;
    } else {
      const int highest = row.ByteModeAddressLines - 1;
      combo_norflash_adr[highest]->SetVisible(false);
      lbl_adr[highest]->SetVisible(false);
      NORFlash.AddressLines = row.WordModeAddressLines;
      NORFlash.DataWidth = 16;
      NORFlash.WordMode = true;
    }
    break;
  }
  const int dataLines = wordMode ? 16 : 8;
  for (int k = 0; k < dataLines; ++k) {
    combo_norflash_data[k]->SetVisible(true);
    lbl_norflash_data[k]->SetVisible(true);
  }
  combo_norflash_address.Clear();
  if (!NORFlash.Valid) return;
  std::vector<std::string> items;
  items.reserve(static_cast<size_t>(NORFlash.Sectors));
  for (int n = 0; n < NORFlash.Sectors; ++n) {
    items.push_back(
        std::to_string(n) + ". " +
        text::IntToHex(static_cast<uint32_t>(n) * static_cast<uint32_t>(NORFlash.SectorSize), 8));
  }
  combo_norflash_address.SetItems(std::move(items));
  combo_norflash_address.SetItemIndex(0);
}
