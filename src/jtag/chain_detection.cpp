// Chain detection: counting the devices through BYPASS, reading their IDCODEs, naming
// them from the device database, and settling unknown instruction-register lengths.

#include <algorithm>
#include <cmath>

#include "app/uMain.h"
#include "jtag/scan_engine.h"
#include "log/uProtocolWindow.h"
#include "platform/text_utils.h"

namespace {

// The raw scans of the count: 1000 bytes, 8000 bits.
constexpr size_t kFlushBytes = 1000;
constexpr uint32_t kFlushBits = kFlushBytes * 8;

// The IR-length measurement: a scan of ones with one zero byte at bit kIRProbeOnes.
// Everything captured and every opcode shifted out leaves TDO first, then the ones;
// the zero appears after exactly the total IR length. The trailing ones leave every
// device holding BYPASS.
constexpr uint32_t kIRProbeOnes = 4000;
constexpr uint32_t kIRProbeBits = 8000;

// The TCK frequency for a divisor, rounded to the nearest integer, halves to even.
long DetectionFrequency(int32_t divisor) {
  const double divider = static_cast<double>(divisor) + 1.0;
  if (divider == 0.0) return 0;
  return std::lrint(6000000.0 / divider);  // default rounding: nearest, ties to even
}

// The 8 hex digits of one IDCODE from its four read bytes, least significant first.
std::string IDCodeText(const uint8_t* bytes) {
  std::string text;
  for (int b = 3; b >= 0; --b) text += text::IntToHex(bytes[b], 2);
  return text;
}

}  // namespace

void TForm1::DetectJTAGChain() {
  if (cb_FTDI_Device.Enabled()) {
    AddToProtocol(" Not connected to a JTAG dongle...", clRed);
    return;
  }
  if (JtagLibrary.JTAG_InitDevice(DongleHandle, static_cast<uint32_t>(ClockDivisor)) !=
      FTC_SUCCESS) {
    AddToProtocol(" Init JTAG device not possible...", clRed);
    return;
  }
  AddToProtocol(" JTAG Frequency: " + std::to_string(DetectionFrequency(ClockDivisor)), clGray);
  cb_jtag_devices.Clear();

  uint8_t* write = BSRImage.data();
  const uint8_t* read = BSRImage.data() + kReadAreaOffset;

  // Every device into BYPASS, the chain flushed with zeros, then ones shifted through:
  // each device delays them by one bit.
  std::fill_n(write, kFlushBytes, uint8_t{0xFF});
  ShiftIR(kFlushBits);
  std::fill_n(write, kFlushBytes, uint8_t{0x00});
  ShiftDR(kFlushBits);
  std::fill_n(write, kFlushBytes, uint8_t{0xFF});
  ShiftDR(kFlushBits);

  JTAGChain = TJTAG_Chain{};
  int32_t count = 0;
  if (std::all_of(read, read + kFlushBytes, [](uint8_t b) { return b == 0x00; })) {
    AddToProtocol("Warning: TDO seams to be pulled to zero!", clRed);
  } else if (std::all_of(read, read + kFlushBytes, [](uint8_t b) { return b == 0xFF; })) {
    AddToProtocol("Warning: TDO seams to be pulled to one!", clRed);
  } else {
    while (count < static_cast<int32_t>(kFlushBits) && !GetBit(read, static_cast<size_t>(count))) {
      ++count;
    }
  }
  JTAGChain.DeviceCount = count;
  JTAGChain.IDCodes.resize(static_cast<size_t>(count));
  JTAGChain.Devices.resize(static_cast<size_t>(count));
  JTAGChain.Known.assign(static_cast<size_t>(count), false);
  JTAGChain.IRLenKnown.assign(static_cast<size_t>(count), false);

  if (count > 0) {
    // After a reset every device's data path is its IDCODE register; the adapter stays
    // at divisor 0 until it is next initialised.
    JtagLibrary.JTAG_InitDevice(DongleHandle, 0);
    std::fill_n(write, 4 * static_cast<size_t>(count), uint8_t{0x00});
    ShiftDR(static_cast<uint32_t>(count) * 32);
    // The first 32 bits out belong to the device nearest TDO.
    for (int32_t h = 0; h < count; ++h) {
      JTAGChain.IDCodes[static_cast<size_t>(count - 1 - h)] = IDCodeText(read + 4 * h);
    }
    for (const std::string& idcode : JTAGChain.IDCodes) cb_jtag_devices.AddItem(idcode);
  }

  NameChainDevices();
  SettleUnknownIRLengths();

  AddToProtocol("JTAG Chain device count: " + std::to_string(count), clGreen);
  for (int32_t i = 0; i < count; ++i) {
    const TFPGATypes& device = JTAGChain.Devices[static_cast<size_t>(i)];
    AddToProtocol(std::to_string(i) + ". device:\r\n   Description: " + device.Description +
                      "\r\n   IDCode: 0x" + device.IDCode +
                      "\r\n   IR-Len: " + std::to_string(device.IRLen),
                  clGreen);
  }
}

void TForm1::NameChainDevices() {
  for (size_t i = 0; i < JTAGChain.IDCodes.size(); ++i) {
    const int32_t entry = FindDeviceEntry(DeviceDB, JTAGChain.IDCodes[i]);
    if (entry >= 0) {
      JTAGChain.Devices[i] = DeviceDB[static_cast<size_t>(entry)];
      JTAGChain.Known[i] = true;
      JTAGChain.IRLenKnown[i] = true;
      continue;
    }
    // Described by entry 0; with an empty database only by its IDCODE, its length to
    // be measured.
    JTAGChain.Devices[i] =
        DeviceDB.empty() ? TFPGATypes{"", JTAGChain.IDCodes[i], 0} : DeviceDB.front();
    AddToProtocol("WARNING: JTAG DEVICE UNKOWN!", clRed);
    AddToProtocol("WARNING: PLEASE ADD DEVICE INFORMATION IN JTAGDEVICES.INI", clRed);
  }
}

int32_t TForm1::MeasureChainIRLength() {
  uint8_t* write = BSRImage.data();
  const uint8_t* read = BSRImage.data() + kReadAreaOffset;
  std::fill_n(write, BytesForBits(kIRProbeBits), uint8_t{0xFF});
  write[kIRProbeOnes / 8] = 0x00;
  if (ShiftIR(kIRProbeBits) != FTC_SUCCESS) return -1;
  for (uint32_t bit = kIRProbeOnes; bit < kIRProbeBits; ++bit) {
    if (!GetBit(read, bit)) return static_cast<int32_t>(bit - kIRProbeOnes);
  }
  return -1;
}

void TForm1::SettleUnknownIRLengths() {
  const auto count = static_cast<size_t>(JTAGChain.DeviceCount);
  const auto unknown =
      static_cast<size_t>(std::count(JTAGChain.Known.begin(), JTAGChain.Known.end(), false));
  if (unknown == 0) return;
  // A lone device in a chain needs no padding; entry 0 stands in for it, as named.
  if (count == 1 && !DeviceDB.empty()) {
    JTAGChain.IRLenKnown[0] = true;
    return;
  }
  const int32_t total = MeasureChainIRLength();
  if (total <= 0) {
    AddToProtocol(
        "WARNING: total IR length of the chain could not be measured; "
        "scans of this chain are refused",
        clRed);
    return;
  }
  AddToProtocol("Measured total IR length of the chain: " + std::to_string(total), clGray);
  int32_t known = 0;
  for (size_t i = 0; i < count; ++i) {
    if (JTAGChain.Known[i]) known += JTAGChain.Devices[i].IRLen;
  }
  const int32_t rest = total - known;
  // Every instruction register is at least 2 bits long (IEEE 1149.1) and the length
  // is kept in 8 bits.
  if (unknown > 1 || rest < 2 || rest > 255) {
    AddToProtocol(
        "WARNING: IR length of the unknown devices cannot be settled; "
        "scans of this chain are refused",
        clRed);
    return;
  }
  const auto index = static_cast<size_t>(
      std::find(JTAGChain.Known.begin(), JTAGChain.Known.end(), false) - JTAGChain.Known.begin());
  JTAGChain.Devices[index].IRLen = static_cast<uint8_t>(rest);
  JTAGChain.IRLenKnown[index] = true;
  AddToProtocol("IR length of device " + std::to_string(index) +
                    " from the measurement: " + std::to_string(rest),
                clGray);
}

void TForm1::UpdateChainPosition() {
  StatusBar1.SetPanelText(1, "ChainIndex: " + std::to_string(cb_jtag_devices.ItemIndex()));
  const bool any = cb_jtag_devices.Count() > 0;
  bt_bitcounter_execute.SetEnabled(any);
  bt_spi_flasher_program.SetEnabled(any);
  bt_norflash_programming.SetEnabled(any);
}

void TForm1::cb_jtag_devices_oldDropDown() {
  DetectJTAGChain();
  UpdateChainPosition();
}

void TForm1::cb_jtag_devices_oldChange() {
  UpdateChainPosition();
}
