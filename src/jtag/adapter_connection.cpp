// Adapter discovery and connection: listing the adapters into the selector, opening
// and closing the chosen one, and the clock divisor dialog.

#include "jtag/adapter_connection.h"

#include <cstring>

#include "app/THost.h"
#include "app/uMain.h"
#include "jtag/My_D2XXUnit.h"
#include "log/uProtocolWindow.h"
#include "platform/text_utils.h"

namespace {

constexpr const char* kConnectCaption = "connect";
constexpr const char* kDisconnectCaption = "disconnect";
constexpr size_t kDescriptionBuffer = 64;
constexpr size_t kSerialBuffer = 16;

// A library text buffer up to its first NUL (or its end, should none be there).
std::string BufferText(const char* buffer, size_t size) {
  return std::string(buffer, strnlen(buffer, size));
}

std::string LocationText(uint32_t locationID) {
  return text::IntToHex(locationID, 8);
}

}  // namespace

void TForm1::WireAdapterHandlers() {
  cb_FTDI_Device.OnDropDown = [this] { cb_FTDI_DeviceDropDown(); };
  Bt_Connect.OnClick = [this] { Bt_ConnectClick(); };
  ItemJTAGCLK.OnClick = [this] { ItemJTAGCLKClick(); };
}

void TForm1::ListFTDIDevices() {
  DongleCount = 0;
  Dongles.clear();
  uint32_t count = 0;
  if (FT_ListDevices(JtagLibrary, reinterpret_cast<uintptr_t>(&count), nullptr,
                     FT_LIST_NUMBER_ONLY) != FT_OK) {
    return;
  }
  Dongles.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    char description[kDescriptionBuffer] = {};
    char serial[kSerialBuffer] = {};
    uint32_t location = 0;
    const FT_STATUS s1 =
        FT_ListDevices(JtagLibrary, i, description, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
    const FT_STATUS s2 =
        FT_ListDevices(JtagLibrary, i, serial, FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER);
    const FT_STATUS s3 =
        FT_ListDevices(JtagLibrary, i, &location, FT_LIST_BY_INDEX | FT_OPEN_BY_LOCATION);
    // Each status on its own: a sum of non-zero statuses could wrap around to 0.
    if (s1 != FT_OK || s2 != FT_OK || s3 != FT_OK) continue;
    const std::string text = BufferText(description, sizeof description);
    // Only channel A of a multi-channel chip is kept.
    if (text.empty() || text.back() != 'A') continue;
    TDongleInfo& entry = Dongles[static_cast<size_t>(DongleCount)];
    entry.LocationID = location;
    entry.SerialNumber = BufferText(serial, sizeof serial);
    entry.Description = text;
    ++DongleCount;
  }
  // Dongles holds exactly the kept entries, so entry k is selector item k.
  Dongles.resize(static_cast<size_t>(DongleCount));
}

void TForm1::cb_FTDI_DeviceDropDown() {
  const int remembered = cb_FTDI_Device.ItemIndex();
  cb_FTDI_Device.Clear();
  ListFTDIDevices();
  for (const TDongleInfo& d : Dongles) {
    cb_FTDI_Device.AddItem(d.Description + " - " + d.SerialNumber + " - 0x" +
                           LocationText(d.LocationID));
  }
  cb_FTDI_Device.SetItemIndex(remembered >= 0 ? remembered : 0);
  Bt_Connect.SetEnabled(cb_FTDI_Device.Count() > 0);
}

void TForm1::Bt_ConnectClick() {
  if (Bt_Connect.Caption() != kConnectCaption) {
    CloseDongle();
    Bt_Connect.SetCaption(kConnectCaption);
    cb_FTDI_Device.SetEnabled(true);
    return;
  }
  if (DongleCount == 0) {
    AddToProtocol("Please select a JTAG dongle", clRed);
    return;
  }
  int index = cb_FTDI_Device.ItemIndex();
  if (index < 0 || index >= DongleCount || static_cast<size_t>(index) >= Dongles.size()) {
    // Nothing selected while adapters are listed: the first one.
    index = 0;
    cb_FTDI_Device.SetItemIndex(0);
  }
  if (OpenDongle(Dongles[static_cast<size_t>(index)])) {
    Bt_Connect.SetCaption(kDisconnectCaption);
    cb_FTDI_Device.SetEnabled(false);
  }
}

bool TForm1::OpenDongle(const TDongleInfo& info) {
  StatusBar1.SetPanelText(0, "");
  if (DongleHandle != 0) return true;
  if (JtagLibrary.JTAG_OpenEx(info.Description, info.LocationID, &DongleHandle) != FTC_SUCCESS) {
    CloseDongle();
    return false;
  }
  const auto divisor = static_cast<uint32_t>(ClockDivisor);
  if (JtagLibrary.JTAG_InitDevice(DongleHandle, divisor) != FTC_SUCCESS) {
    CloseDongle();
    return false;
  }
  uint32_t unused = 0;
  JtagLibrary.JTAG_SetClock(DongleHandle, divisor, &unused);
  uint32_t hz = 0;
  JtagLibrary.JTAG_GetClock(divisor, &hz);
  AddToProtocol(" JTAG Frequency: " + std::to_string(hz) + "Hz", clGreen);
  cb_FTDI_Device.SetEnabled(false);
  const std::string location = LocationText(info.LocationID);
  StatusBar1.SetPanelText(0, "connected at " + info.Description + " 0x" + location);
  AddToProtocol(" Open " + info.Description + " at 0x" + location, clGray);
  AddToProtocol(" CLK Divisor " + std::to_string(ClockDivisor), clGray);
  return true;
}

bool TForm1::CloseDongle() {
  StatusBar1.SetPanelText(0, "");
  if (DongleHandle == 0) return true;
  const FTC_STATUS status = JtagLibrary.JTAG_Close(DongleHandle);
  DongleHandle = 0;
  if (status == FTC_SUCCESS) cb_FTDI_Device.SetEnabled(true);
  AddToProtocol(" Close FTDI device", clGray);
  return status == FTC_SUCCESS;
}

void TForm1::ItemJTAGCLKClick() {
  const std::string answer = Host().InputBox(
      "JTAG frequency",
      "Please enter the clock devider [6Mhz/(1+n)]: ", std::to_string(ClockDivisor));
  const std::optional<int32_t> value = text::ParseInteger(answer);
  if (!value) return;
  if (*value < kMinClockDivisor || *value > kMaxDialogClockDivisor) {
    const std::string message = "The clock divisor must lie between " +
                                std::to_string(kMinClockDivisor) + " and " +
                                std::to_string(kMaxDialogClockDivisor) + ".";
    AddToProtocol(message, clOrange);
    Host().MessageBox(message, TMsgKind::Warning);
    return;
  }
  ClockDivisor = *value;
}
