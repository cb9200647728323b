#pragma once
// The device database JTAGDEVICES.INI and the detected JTAG chain.

#include <cstdint>
#include <string>
#include <vector>

// One database entry.
struct TFPGATypes {
  std::string Description;
  std::string IDCode;  // 8 hex digits, most significant first, no prefix
  uint8_t IRLen = 0;   // instruction-register length in bits
  bool operator==(const TFPGATypes&) const = default;
};

// The detected chain, in chain index order: index 0 nearest TDI.
struct TJTAG_Chain {
  int32_t DeviceCount = 0;
  std::vector<std::string> IDCodes;  // as read, 8 upper-case hex digits
  std::vector<TFPGATypes> Devices;   // the database entry taken for each device
  // Whether each device matched a database entry.
  std::vector<bool> Known;
  // Whether each device's IRLen is its true length (from the database or measured);
  // scans of a multi-device chain need every length to pad the others with BYPASS.
  std::vector<bool> IRLenKnown;
};

constexpr const char* kDeviceDatabaseFileName = "JTAGDEVICES.INI";
constexpr const char* kDeviceDatabaseType = "PINLOOM";
// A COUNT beyond this is taken as this many entries: a damaged file must not make the
// program allocate without bound.
constexpr int32_t kMaxDeviceDatabaseEntries = 65536;

// Reads one database file. False, and `entries` untouched, when the file is missing or
// its [MAIN] TYPE is not exactly "PINLOOM".
bool ReadDeviceDatabaseFile(const std::string& path, std::vector<TFPGATypes>& entries);

// The directories searched for the database, in order: the program's directory, then
// ../share/pinloom/ beside it (an installed program), then the demo board's directory.
std::vector<std::string> DeviceDatabaseDirectories(const std::string& programDirectory,
                                                   const std::string& demoDirectory);

// Index of the first entry whose IDCode equals `idcode` from the second character on
// (the first hex digit is the version field), compared exactly; -1 when none.
int32_t FindDeviceEntry(const std::vector<TFPGATypes>& database, const std::string& idcode);
