// Board files: INI in the system's dialect.
//
//   [BOARD]       DESCRIPTION, DEVICES (count), BUSY_TIME_SCALE (real, default 1),
//                 TCK_HZ (clock until the host sets one, default 1000000)
//   [DEVICE<k>]   NAME, BSDL (file), IDCODE (hex, "0x" optional); k = 0 nearest TDI
//   [PULLS]       COUNT, PULL<k> = <net>,UP|DOWN|NONE
//   [WIRES]       COUNT, WIRE<k> = <net>,<net>
//   [SPI_FLASH]   TYPE (M25PX16/32/64), IMAGE (optional), CS, SCK, MOSI, MISO
//   [NOR_FLASH]   TYPE (S29GL128N/256N/512N), IMAGE (optional), A0 ... A25, DQ0 ... DQ15,
//                 CE, OE, WE, RESET, BYTE, WP (nets), WP_PROTECTS = HIGHEST|LOWEST
//
// Nets are written DEVICE.PORT (or a bare port name: the first device that has it);
// file names are relative to the board file's directory.

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/pinloom_error.h"
#include "sim_board.h"

namespace {

class TBoardReader {
 public:
  explicit TBoardReader(const std::string& path)
      : path_(path), ini_(path), dir_(std::filesystem::path(path).parent_path()) {}

  std::unique_ptr<TSimBoard> Read();

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw EPinloomError("Board file " + path_ + ": " + what);
  }
  std::string Get(const std::string& section, const std::string& key) const {
    return ini_.ReadString(section, key, "");
  }
  std::string Require(const std::string& section, const std::string& key) const {
    const std::string v = Get(section, key);
    if (v.empty()) Fail("[" + section + "] " + key + " is missing");
    return v;
  }
  std::string FileOf(const std::string& name) const {
    return (dir_ / std::filesystem::path(name)).lexically_normal().string();
  }
  int32_t Net(const TSimBoard& board, const std::string& section, const std::string& key,
              const std::string& name) const {
    const int32_t n = board.NetIndex(name);
    if (n < 0) Fail("[" + section + "] " + key + ": no net named " + name);
    return n;
  }
  std::pair<std::string, std::string> Pair(const std::string& section,
                                           const std::string& key) const {
    const std::string v = Require(section, key);
    const size_t comma = v.find(',');
    if (comma == std::string::npos) Fail("[" + section + "] " + key + " needs two parts: " + v);
    auto trim = [](std::string s) {
      const size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
      return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    return {trim(v.substr(0, comma)), trim(v.substr(comma + 1))};
  }
  double Scale() const;
  void ReadDevices(TSimBoard& board) const;
  void ReadPulls(TSimBoard& board) const;
  void ReadWires(TSimBoard& board) const;
  void ReadSpiFlash(TSimBoard& board, double scale) const;
  void ReadNorFlash(TSimBoard& board, double scale) const;

  std::string path_;
  TIniFile ini_;
  std::filesystem::path dir_;
};

double TBoardReader::Scale() const {
  const std::string text = Get("BOARD", "BUSY_TIME_SCALE");
  if (text.empty()) return 1.0;
  try {
    size_t used = 0;
    const double v = std::stod(text, &used);
    if (used == text.size() && v > 0) return v;
  } catch (const std::exception&) {
  }
  Fail("[BOARD] BUSY_TIME_SCALE must be a number above 0: " + text);
}

void TBoardReader::ReadDevices(TSimBoard& board) const {
  const int32_t count = ini_.ReadInteger("BOARD", "DEVICES", 0);
  if (count < 1 || count > 64) Fail("[BOARD] DEVICES must be 1 to 64");
  for (int32_t k = 0; k < count; ++k) {
    const std::string section = "DEVICE" + std::to_string(k);
    std::string name = Get(section, "NAME");
    if (name.empty()) name = section;
    if (name.find('.') != std::string::npos) Fail("[" + section + "] NAME must not hold a '.'");
    const std::string bsdl = FileOf(Require(section, "BSDL"));
    std::ifstream in(bsdl, std::ios::binary);
    if (!in) Fail("[" + section + "] BSDL file not found: " + bsdl);
    std::stringstream text;
    text << in.rdbuf();
    std::string id = Get(section, "IDCODE");
    if (id.rfind("0x", 0) == 0 || id.rfind("0X", 0) == 0) id = id.substr(2);
    uint32_t idCode = 0;
    if (id.empty() || id.size() > 8 ||
        id.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      Fail("[" + section + "] IDCODE must be up to 8 hex digits");
    idCode = static_cast<uint32_t>(std::stoul(id, nullptr, 16));
    try {
      board.AddDevice(DeviceSpecFromBSDL(text.str(), name, idCode, bsdl));
    } catch (const EPinloomError& e) {
      Fail("[" + section + "] " + e.what());
    }
  }
}

void TBoardReader::ReadPulls(TSimBoard& board) const {
  const int32_t count = ini_.ReadInteger("PULLS", "COUNT", 0);
  for (int32_t k = 0; k < count; ++k) {
    const std::string key = "PULL" + std::to_string(k);
    const auto [net, kind] = Pair("PULLS", key);
    TSimPull pull = TSimPull::None;
    std::string upper = kind;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "UP") {
      pull = TSimPull::Up;
    } else if (upper == "DOWN") {
      pull = TSimPull::Down;
    } else if (upper != "NONE") {
      Fail("[PULLS] " + key + ": the pull must be UP, DOWN or NONE, not " + kind);
    }
    Net(board, "PULLS", key, net);
    board.SetPull(net, pull);
  }
}

void TBoardReader::ReadWires(TSimBoard& board) const {
  const int32_t count = ini_.ReadInteger("WIRES", "COUNT", 0);
  for (int32_t k = 0; k < count; ++k) {
    const std::string key = "WIRE" + std::to_string(k);
    const auto [a, b] = Pair("WIRES", key);
    Net(board, "WIRES", key, a);
    Net(board, "WIRES", key, b);
    try {
      board.AddWire(a, b);
    } catch (const EPinloomError& e) {
      Fail("[WIRES] " + key + ": " + e.what());
    }
  }
}

void TBoardReader::ReadSpiFlash(TSimBoard& board, double scale) const {
  const std::string s = "SPI_FLASH";
  if (!ini_.SectionExists(s)) return;
  std::unique_ptr<TM25PXFlash> flash;
  try {
    flash = std::make_unique<TM25PXFlash>(M25PXTypeFromName(Require(s, "TYPE")), scale);
    if (!Get(s, "IMAGE").empty()) flash->LoadFile(FileOf(Get(s, "IMAGE")));
  } catch (const EPinloomError& e) {
    Fail("[" + s + "] " + e.what());
  }
  TSpiWiring w;
  w.Cs = Net(board, s, "CS", Require(s, "CS"));
  w.Sck = Net(board, s, "SCK", Require(s, "SCK"));
  w.Mosi = Net(board, s, "MOSI", Require(s, "MOSI"));
  w.Miso = Net(board, s, "MISO", Require(s, "MISO"));
  board.AttachSpiFlash(std::move(flash), w);
}

void TBoardReader::ReadNorFlash(TSimBoard& board, double scale) const {
  const std::string s = "NOR_FLASH";
  if (!ini_.SectionExists(s)) return;
  const std::string protects = Get(s, "WP_PROTECTS");
  if (!protects.empty() && protects != "HIGHEST" && protects != "LOWEST")
    Fail("[" + s + "] WP_PROTECTS must be HIGHEST or LOWEST");
  std::unique_ptr<TS29GLFlash> flash;
  try {
    flash = std::make_unique<TS29GLFlash>(S29GLTypeFromName(Require(s, "TYPE")), scale,
                                          protects != "LOWEST");
    if (!Get(s, "IMAGE").empty()) flash->LoadFile(FileOf(Get(s, "IMAGE")));
  } catch (const EPinloomError& e) {
    Fail("[" + s + "] " + e.what());
  }
  TNorWiring w;
  auto optional = [&](const std::string& key) {
    const std::string v = Get(s, key);
    return v.empty() ? -1 : Net(board, s, key, v);
  };
  for (int i = 0; i < TNorWiring::kAddressLines; ++i)
    w.A[static_cast<size_t>(i)] = optional("A" + std::to_string(i));
  for (int i = 0; i < 16; ++i) w.DQ[static_cast<size_t>(i)] = optional("DQ" + std::to_string(i));
  w.Ce = Net(board, s, "CE", Require(s, "CE"));
  w.Oe = Net(board, s, "OE", Require(s, "OE"));
  w.We = Net(board, s, "WE", Require(s, "WE"));
  w.Reset = optional("RESET");
  w.Byte = optional("BYTE");
  w.Wp = optional("WP");
  board.AttachNorFlash(std::move(flash), w);
}

std::unique_ptr<TSimBoard> TBoardReader::Read() {
  auto board = std::make_unique<TSimBoard>();
  board->SetDescription(Get("BOARD", "DESCRIPTION").empty()
                            ? "Simulated board " + std::filesystem::path(path_).filename().string()
                            : Get("BOARD", "DESCRIPTION"));
  const int32_t hz = ini_.ReadInteger("BOARD", "TCK_HZ", 1'000'000);
  if (hz <= 0) Fail("[BOARD] TCK_HZ must be above 0");
  board->SetClockHz(static_cast<uint32_t>(hz));
  const double scale = Scale();
  ReadDevices(*board);
  ReadPulls(*board);
  ReadWires(*board);
  ReadSpiFlash(*board, scale);
  ReadNorFlash(*board, scale);
  return board;
}

}  // namespace

std::unique_ptr<TSimBoard> LoadSimBoard(const std::string& boardFile) {
  if (!FileExists(boardFile)) throw EPinloomError("Board file not found: " + boardFile);
  return TBoardReader(boardFile).Read();
}

std::string DemoBoardPath() {
  return PINLOOM_DEMO_DIR "/board.ini";
}
