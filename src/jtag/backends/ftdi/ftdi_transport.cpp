#include "jtag/backends/ftdi/ftdi_transport.h"

#include <algorithm>

namespace {

// Buffer sizes from FTDI's datasheets; the FT2232C/D has one MPSSE, on channel A.
constexpr TFtdiChipFacts kChips[] = {
    {"FT2232C/D", 0x6010, 0x0500, 2, 1, false, 128, 384},
    {"FT2232H", 0x6010, 0x0700, 2, 2, true, 4096, 4096},
    {"FT4232H", 0x6011, 0x0800, 4, 2, true, 2048, 2048},
    {"FT232H", 0x6014, 0x0900, 1, 1, true, 1024, 1024},
};

}  // namespace

const TFtdiChipFacts& ChipFacts(TFtdiChip chip) {
  return kChips[static_cast<int>(chip)];
}

bool ChipFromBcdDevice(uint16_t bcdDevice, TFtdiChip* chip) {
  for (int i = 0; i < static_cast<int>(std::size(kChips)); ++i) {
    if (kChips[i].BcdDevice == bcdDevice) {
      *chip = static_cast<TFtdiChip>(i);
      return true;
    }
  }
  return false;
}

TAdapterDeviceInfo ChannelInfo(const std::string& product, const std::string& serial,
                               uint32_t location, int channel) {
  const char letter = static_cast<char>('A' + channel);
  TAdapterDeviceInfo info;
  info.Description = product.substr(0, 61) + " " + letter;
  info.SerialNumber = serial.substr(0, 14) + letter;
  info.LocationID = location;
  return info;
}

uint32_t UsbLocationId(uint8_t bus, const uint8_t* ports, int portCount, int channel) {
  uint32_t id = static_cast<uint32_t>(bus & 0x0F) << 28;
  const int n = std::clamp(portCount, 0, 6);
  for (int i = 0; i < n; ++i) id |= static_cast<uint32_t>(ports[i] & 0x0F) << (24 - 4 * i);
  return id | static_cast<uint32_t>((channel + 1) & 0x0F);
}
