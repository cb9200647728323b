#pragma once
// Flash type descriptors of the SPI and NOR programmers, and their type tables.

#include <cstdint>
#include <string>
#include <vector>

struct TSPIFlashType {
  bool Valid = false;
  std::string Name;
  int32_t Size = 0;
  int32_t Pages = 0;
  int32_t Sectors = 0;
  int32_t PageSize = 0;
  int32_t SectorSize = 0;
  std::string IDCode;
};

struct TNORFlashType {
  bool Valid = false;
  std::string Name;
  int32_t Size = 0;
  int32_t Pages = 0;
  int32_t Sectors = 0;
  int32_t PageSize = 0;
  int32_t SectorSize = 0;
  std::string DeviceID;
  bool WordMode = false;
  int32_t AddressLines = 0;
  int32_t DataWidth = 0;
  std::vector<int32_t> Adr_Index_Array_OUT;
  std::vector<int32_t> Adr_Index_Array_DDR;
  std::vector<int32_t> Data_Index_Array_OUT;
  std::vector<int32_t> Data_Index_Array_IN;
  std::vector<int32_t> Data_Index_Array_DDR;
  int32_t CE_Q_Index_DDR = -1, OE_Q_Index_DDR = -1, WE_Q_Index_DDR = -1, WP_Q_Index_DDR = -1,
          RST_Q_Index_DDR = -1, BYTE_Q_Index_DDR = -1;
  int32_t CE_Q_Index_OUT = -1, OE_Q_Index_OUT = -1, WE_Q_Index_OUT = -1, WP_Q_Index_OUT = -1,
          RST_Q_Index_OUT = -1, BYTE_Q_Index_OUT = -1;
  std::string FileName;
  int32_t StartAddress = 0;
};

// One row of the NOR type table, with its address-line counts per bus mode.
struct TNORFlashTableRow {
  const char* Name;
  int32_t Size;
  int32_t Pages;
  int32_t Sectors;
  int32_t PageSize;
  int32_t SectorSize;
  const char* DeviceID;
  int32_t ByteModeAddressLines;
  int32_t WordModeAddressLines;
};

struct TSPIFlashTableRow {
  const char* Name;
  int32_t Size;
  int32_t Pages;
  int32_t Sectors;
  int32_t PageSize;
  int32_t SectorSize;
  const char* IDCode;
};

inline constexpr TNORFlashTableRow kNORFlashTable[] = {
    {"S29GL128N", 0x1000000, 0x80000, 128, 32, 0x20000, "007E2101", 23, 22},
    {"S29GL256N", 0x2000000, 0x100000, 256, 32, 0x20000, "007E2201", 24, 23},
    {"S29GL512N", 0x4000000, 0x200000, 512, 32, 0x20000, "007E2301", 25, 24},
};

inline constexpr TSPIFlashTableRow kSPIFlashTable[] = {
    {"M25PX16", 0x200000, 8192, 32, 256, 0x10000, "207115"},
    {"M25PX32", 0x400000, 16384, 64, 256, 0x10000, "207116"},
    {"M25PX64", 0x800000, 32768, 128, 256, 0x10000, "207117"},
};
