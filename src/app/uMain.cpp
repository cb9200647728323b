#include "app/uMain.h"

#include "app/THost.h"
#include "app/windows.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "log/uProtocolWindow.h"
#include "platform/version_info.h"

namespace {

const char* const kInfoCredits =
    "Boundary-scan pin tool and flash programmer\n"
    "Written by the Pinloom developers";

}  // namespace

TForm1::TForm1(THost& host) : TForm("Form1", kDesignedCaption, 209, 123, 536, 353), host_(host) {
  auto numberedList = [this](const std::string& name) {
    numberedLists_.push_back(std::make_unique<TComboBox>(name, true));
    return numberedLists_.back().get();
  };
  auto numberedLabel = [this](const std::string& name, const std::string& caption) {
    numberedLabels_.push_back(std::make_unique<TLabel>(name, caption));
    return numberedLabels_.back().get();
  };
  for (int k = 0; k < 6; ++k) {
    combo_bitcounter_bit[k] = numberedList("combo_bitcounter_bit" + std::to_string(k));
  }
  for (int k = 0; k < 32; ++k) {
    combo_norflash_adr[k] = numberedList("combo_norflash_adr" + std::to_string(k));
    lbl_adr[k] = numberedLabel("lbl_adr" + std::to_string(k), "Adr Bit " + std::to_string(k));
  }
  for (int k = 0; k < 16; ++k) {
    combo_norflash_data[k] = numberedList("combo_norflash_data" + std::to_string(k));
    lbl_norflash_data[k] =
        numberedLabel("lbl_norflash_data" + std::to_string(k), "Data Bit " + std::to_string(k));
  }

  // Top strip, as designed.
  BT_Sample.SetHint("Sample / Preload");
  BT_Sample.SetEnabled(false);
  BT_Sample.SetVisible(false);
  bt_Extest.SetHint("Extest");
  bt_Extest.SetEnabled(false);
  bt_Extest.SetVisible(false);
  Bt_Connect.SetEnabled(false);

  PageControl1.Pages = {{"Binary Counter"}, {"SPI Flasher"}, {"NOR Flash"}, {"Init"}};
  PageControl1.SetActivePage(kPageNORFlash);

  combo_spi_flash.SetItems({"M25PX16", "M25PX32", "M25PX64"});
  combo_norflash.SetItems({"S29GL128N", "S29GL256N", "S29GL512N"});
  combo_norflash.SetItemIndex(0);
  combo_nor_flash_mode.SetItems({"BYTE", "WORD"});
  combo_nor_flash_mode.SetItemIndex(1);
  combo_norflash_address.SetHint("BYTE Address");
  const char* binaryHint =
      "The file must be a plain binary without any format; convert it first if necessary";
  txt_spi_flasher_bin.SetHint(binaryHint);
  txt_norflash_binary.SetHint(binaryHint);

  MemoInit.SetLines({"// Enter Init-Values", "// for example switch on voltages...", "",
                     "//Example: set PIN_XYZ to Output 1", "//OUT,PIN_XYZ", "//1,PIN_XYZ"});
  Button1.SetVisible(false);

  StatusBar1.SetPanelAlignment(0, TStatusPanel::TAlign::Left);
  StatusBar1.SetPanelAlignment(1, TStatusPanel::TAlign::Center);
  StatusBar1.SetPanelAlignment(2, TStatusPanel::TAlign::Right);
  StatusBar1.SetPanelText(2, kStatusCredit);

  BuildMenu();
  WireHandlers();
}

TForm1::~TForm1() = default;

void TForm1::BuildMenu() {
  open1.Items = {&Menuopenprojectfile, &Open1};
  save1.Items = {&saveprojectfile, &currentprojectfile1};
  File1.Items = {&open1, &save1, &FileSeparator, &close1};
  Settings1.Items = {&ItemBSDLCellsWriteOnly, &ItemBSDLCellsAddOnly, &ItemJTAGCLK};
  View1.Items = {&BSDLFileInterpreter1, &ProtocolWindow, &ViewSeparator, &Expert1};
  Help1.Items = {&ItemInfo};
  ItemBSDLCellsWriteOnly.SetVisible(false);
  ItemBSDLCellsAddOnly.SetVisible(false);
  for (TMenuItem* top : {&File1, &Settings1, &View1, &Help1}) MainMenu1.Add(top);
}

void TForm1::WireHandlers() {
  bt_cancel.OnClick = [this] { bt_cancelClick(); };
  close1.OnClick = [this] { close1Click(); };
  Open1.OnClick = [this] { Open1Click(); };
  BSDLFileInterpreter1.OnClick = [this] { BSDLFileInterpreter1Click(); };
  ProtocolWindow.OnClick = [this] { ProtocolWindowClick(); };
  Expert1.OnClick = [this] { Expert1Click(); };
  ItemInfo.OnClick = [this] { ItemInfoClick(); };
  MainMenu1.OnChange = [this] { MainMenu1Change(); };
  StatusBar1.OnResize = [this] { StatusBar1Resize(); };
  Timer_StartUp.OnTimer = [this] { Timer_StartUpTimer(); };
  combo_norflash.OnChange = [this] { combo_norflashChange(); };
  combo_nor_flash_mode.OnChange = [this] { combo_norflashChange(); };
  WireAdapterHandlers();
  WireChainHandlers();
  WireBScanHandlers();
}

std::array<TComboBox*, 64> TForm1::PinLists() const {
  std::array<TComboBox*, 64> lists{};
  size_t n = 0;
  auto self = const_cast<TForm1*>(this);
  for (TComboBox* c : {&self->combo_spi_flasher_sck, &self->combo_spi_flasher_mosi,
                       &self->combo_spi_flasher_miso, &self->combo_spi_flasher_cs}) {
    lists[n++] = c;
  }
  for (TComboBox* c : combo_bitcounter_bit) lists[n++] = c;
  for (TComboBox* c : combo_norflash_adr) lists[n++] = c;
  for (TComboBox* c : combo_norflash_data) lists[n++] = c;
  for (TComboBox* c :
       {&self->combo_norflash_ce_q, &self->combo_norflash_oe_q, &self->combo_norflash_we_q,
        &self->combo_norflash_wp_q, &self->combo_norflash_rst_q, &self->combo_norflash_byte_q}) {
    lists[n++] = c;
  }
  return lists;
}

// Runs while the main window is created, before the other two windows exist: it must
// not write to the log or touch them.
void TForm1::FormCreate() {
  ClockDivisor = 0;
  SetCaption(Caption() + kVersionSeparator + GetAppVersion());
  ProgressGauge.SetBounds(StatusBar1.Width() / 2, 3, ProgressGauge.Width(),
                          StatusBar1.Height() - 6);
  ProgressGauge.SetPosition(100);
  bt_bitcounter_execute.SetEnabled(false);
  bt_spi_flasher_program.SetEnabled(false);
  bt_norflash_programming.SetEnabled(false);
  combo_norflashChange();
  SPIFlash.Valid = false;
  NORFlash.Valid = false;
  for (TComboBox* list : PinLists()) list->Clear();
}

void TForm1::bt_cancelClick() {
  StopRequested = true;
}

void TForm1::close1Click() {
  Close();
}

void TForm1::BSDLFileInterpreter1Click() {
  BSDLFileInterpreter1.SetChecked(!BSDLFileInterpreter1.Checked());
  Frm_BSDLFile->SetVisible(BSDLFileInterpreter1.Checked());
}

void TForm1::ProtocolWindowClick() {
  ProtocolWindow.SetChecked(!ProtocolWindow.Checked());
  Frm_Protocol->SetVisible(ProtocolWindow.Checked());
}

void TForm1::Expert1Click() {
  Expert1.SetChecked(!Expert1.Checked());
  const bool expert = Expert1.Checked();
  ItemBSDLCellsWriteOnly.SetVisible(expert);
  ItemBSDLCellsAddOnly.SetVisible(expert);
  BT_Sample.SetVisible(expert);
  bt_Extest.SetVisible(expert);
}

void TForm1::ItemInfoClick() {
  host_.MessageBox(std::string("Pinloom  V ") + GetAppVersion() + "\n\n" + kInfoCredits,
                   TMsgKind::Information);
}

void TForm1::MainMenu1Change() {
  ItemJTAGCLK.SetCaption("JTAG CLK: " + std::to_string(ClockDivisor));
}

void TForm1::StatusBar1Resize() {
  const int width = Width() / StatusBar1.PanelCount();
  for (int i = 0; i < StatusBar1.PanelCount(); ++i) StatusBar1.SetPanelWidth(i, width);
  ProgressGauge.SetBounds(StatusBar1.Panel(0).Width + 4, ProgressGauge.Top(),
                          StatusBar1.Panel(0).Width - 8, ProgressGauge.Height());
}

void TForm1::Timer_StartUpTimer() {
  Timer_StartUp.SetEnabled(false);
  AddToProtocol("  ", clGray);
  cb_FTDI_DeviceDropDown();
  ReadDeviceDatabase();
}

void Delay(int32_t ms) {
  THost& host = Form1->Host();
  const uint32_t start = host.TickCount();
  do {
    // Sleep in the event loop until a message arrives or the wait is over.
    const uint32_t elapsed = host.TickCount() - start;
    const int64_t left = static_cast<int64_t>(ms) - static_cast<int64_t>(elapsed) + 1;
    if (left > 0) {
      host.ProcessMessagesFor(static_cast<int32_t>(left));
    } else {
      host.ProcessMessages();
    }
  } while (static_cast<int64_t>(ms) >= static_cast<int64_t>(host.TickCount() - start));
}
