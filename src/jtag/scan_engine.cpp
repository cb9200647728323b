// The scan engine: raw scans of the whole chain, scans of the selected device with the
// others held in BYPASS, and ShiftCurrentData.

#include "jtag/scan_engine.h"

#include "app/uMain.h"

FTC_STATUS TForm1::RawScan(int32_t reg, const uint8_t* data, uint32_t bits) {
  if (bits == 0 || bits > kMaxScanBits) return kScanRefusedStatus;
  const auto bytes = static_cast<uint32_t>(BytesForBits(bits));
  const bool writeOnly = ItemBSDLCellsWriteOnly.Checked();
  const bool addOnly = ItemBSDLCellsAddOnly.Checked();
  if (addOnly) {
    return writeOnly ? JtagLibrary.JTAG_AddDeviceWriteCmd(DongleHandle, reg, bits, data, bytes,
                                                          kEndStateRunTestIdle)
                     : JtagLibrary.JTAG_AddDeviceWriteReadCmd(DongleHandle, reg, bits, data, bytes,
                                                              kEndStateRunTestIdle);
  }
  if (writeOnly) {
    return JtagLibrary.JTAG_Write(DongleHandle, reg, bits, data, bytes, kEndStateRunTestIdle);
  }
  uint32_t returned = 0;
  const FTC_STATUS status = JtagLibrary.JTAG_WriteRead(DongleHandle, reg, bits, data, bytes,
                                                       ReadArea(), &returned, kEndStateRunTestIdle);
  return returned == bytes ? status : status + kShortReadStatus;
}

FTC_STATUS TForm1::ShiftIR(uint32_t bits) {
  return RawScan(kInstructionRegister, WriteArea(), bits);
}

FTC_STATUS TForm1::ShiftDR(uint32_t bits) {
  return RawScan(kDataRegister, WriteArea(), bits);
}

bool TForm1::ChainAllowsScanAt(int32_t position) const {
  const int32_t count = JTAGChain.DeviceCount;
  if (count <= 0 || position < 0 || position >= count) return false;
  if (JTAGChain.Devices.size() != static_cast<size_t>(count) ||
      JTAGChain.IRLenKnown.size() != static_cast<size_t>(count)) {
    return false;
  }
  if (count == 1) return true;
  // The padding needs every other device's length.
  for (int32_t j = 0; j < count; ++j) {
    if (j != position && !JTAGChain.IRLenKnown[static_cast<size_t>(j)]) return false;
  }
  return true;
}

uint32_t TForm1::BypassBits(bool instruction, int32_t from, int32_t to) const {
  uint32_t bits = 0;
  for (int32_t j = from; j < to; ++j) {
    bits += instruction ? JTAGChain.Devices[static_cast<size_t>(j)].IRLen : 1u;
  }
  return bits;
}

FTC_STATUS TForm1::ScanSelected(bool instruction, int32_t position, uint32_t bits) {
  if (bits == 0 || !ChainAllowsScanAt(position)) return kScanRefusedStatus;
  const int32_t reg = instruction ? kInstructionRegister : kDataRegister;
  if (JTAGChain.DeviceCount == 1) return RawScan(reg, WriteArea(), bits);

  // Stream order: the devices between the selected one and TDO, the register, then
  // the devices between TDI and the selected one. The image stays as it is.
  const uint32_t ahead = BypassBits(instruction, position + 1, JTAGChain.DeviceCount);
  const uint32_t behind = BypassBits(instruction, 0, position);
  const uint64_t total = uint64_t{ahead} + bits + behind;
  if (total > kMaxScanBits) return kScanRefusedStatus;
  scanStream_.assign(BytesForBits(total), uint8_t{0xFF});
  CopyBits(WriteArea(), 0, scanStream_.data(), ahead, bits);

  const FTC_STATUS status = RawScan(reg, scanStream_.data(), static_cast<uint32_t>(total));
  // The bits of the selected device leave TDO after those of the devices ahead of it.
  CopyBits(ReadArea(), ahead, ReadArea(), 0, bits);
  return status;
}

FTC_STATUS TForm1::ScanIR(int32_t position, uint32_t bits) {
  return ScanSelected(true, position, bits);
}

FTC_STATUS TForm1::ScanDR(int32_t position, uint32_t bits) {
  return ScanSelected(false, position, bits);
}

bool TForm1::ShiftCurrentData() {
  LastShiftStatus = -1;
  LastShiftBytes = 0;
  const int32_t position = cb_jtag_devices.ItemIndex();
  const uint32_t bits = ShiftBitCount > 0 ? static_cast<uint32_t>(ShiftBitCount) : 0;
  const FTC_STATUS status = ShiftIsInstruction ? ScanIR(position, bits) : ScanDR(position, bits);
  LastShiftStatus = static_cast<int32_t>(status);
  if (status != FTC_SUCCESS) return false;
  LastShiftBytes = ShiftByteCount;
  return true;
}

void TForm1::ItemBSDLCellsWriteOnlyClick() {
  ItemBSDLCellsWriteOnly.SetChecked(!ItemBSDLCellsWriteOnly.Checked());
}

void TForm1::ItemBSDLCellsAddOnlyClick() {
  ItemBSDLCellsAddOnly.SetChecked(!ItemBSDLCellsAddOnly.Checked());
}

void TForm1::WireChainHandlers() {
  cb_jtag_devices.OnDropDown = [this] { cb_jtag_devices_oldDropDown(); };
  cb_jtag_devices.OnChange = [this] { cb_jtag_devices_oldChange(); };
  ItemBSDLCellsWriteOnly.OnClick = [this] { ItemBSDLCellsWriteOnlyClick(); };
  ItemBSDLCellsAddOnly.OnClick = [this] { ItemBSDLCellsAddOnlyClick(); };
}
