#include "jtag/device_database.h"

#include <algorithm>

#include "app/uMain.h"
#include "log/uProtocolWindow.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/version_info.h"

bool ReadDeviceDatabaseFile(const std::string& path, std::vector<TFPGATypes>& entries) {
  if (!FileExists(path)) return false;
  const TIniFile ini(path);
  if (ini.ReadString("MAIN", "TYPE", "") != kDeviceDatabaseType) return false;
  const int32_t count =
      std::clamp(ini.ReadInteger("MAIN", "COUNT", 0), int32_t{0}, kMaxDeviceDatabaseEntries);
  std::vector<TFPGATypes> read(static_cast<size_t>(count));
  for (int32_t n = 0; n < count; ++n) {
    const std::string section = "device" + std::to_string(n);
    TFPGATypes& entry = read[static_cast<size_t>(n)];
    entry.Description = ini.ReadString(section, "Description", "");
    entry.IDCode = ini.ReadString(section, "IDCode", "");
    // Kept modulo 256, as an 8-bit length.
    entry.IRLen = static_cast<uint8_t>(static_cast<uint32_t>(ini.ReadInteger(section, "IRLen", 0)));
  }
  entries = std::move(read);
  return true;
}

std::vector<std::string> DeviceDatabaseDirectories(const std::string& programDirectory,
                                                   const std::string& demoDirectory) {
  auto withSlash = [](std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
  };
  std::vector<std::string> dirs{withSlash(programDirectory),
                                withSlash(programDirectory) + "../share/pinloom/"};
  if (!demoDirectory.empty()) dirs.push_back(withSlash(demoDirectory));
  return dirs;
}

int32_t FindDeviceEntry(const std::vector<TFPGATypes>& database, const std::string& idcode) {
  const std::string wanted = idcode.empty() ? std::string() : idcode.substr(1);
  for (size_t n = 0; n < database.size(); ++n) {
    const std::string& entry = database[n].IDCode;
    const std::string candidate = entry.empty() ? std::string() : entry.substr(1);
    if (candidate == wanted) return static_cast<int32_t>(n);
  }
  return -1;
}

bool TForm1::ReadDeviceDatabase(const std::vector<std::string>& directories) {
  for (const std::string& dir : directories) {
    std::vector<TFPGATypes> entries;
    if (!ReadDeviceDatabaseFile(dir + kDeviceDatabaseFileName, entries)) continue;
    DeviceDB = std::move(entries);
    DeviceDBCount = static_cast<int32_t>(DeviceDB.size());
    AddToProtocol("Supported devices: ", clGray);
    for (int32_t n = 0; n < DeviceDBCount; ++n) {
      AddToProtocol(std::to_string(n) + ". device: " + DeviceDB[static_cast<size_t>(n)].Description,
                    clGray);
    }
    return true;
  }
  return false;
}

void TForm1::ReadDeviceDatabase() {
  ReadDeviceDatabase(DeviceDatabaseDirectories(ProgramDirectory(), PINLOOM_DEMO_DIR));
}
