#pragma once
// A simulated board: a JTAG chain of devices (device 0 nearest TDI, the last one's TDO
// is the board's TDO), the nets that join their pins, and the flash chips wired to
// those nets. One device model serves both ways in: the pin level (SetPins, bit by
// bit, for pinloom-sim and the MPSSE emulator) and the scan level (ScanFromIdle, for
// the in-process simulator backend).
//
// Nets: every device port is a net, named "DEVICE.PORT". A wire joins two nets into
// one. A net resolves, after every Update-DR / Update-IR / Test-Logic-Reset, to the
// level of its drivers; with two drivers fighting it reads 1 and the contention is
// counted; with no driver it takes its pull (up 1, down 0) and without a pull it reads
// 1, like the weak pull-up of a floating CMOS input, so that results stay
// deterministic.
//
// Time: every TCK cycle advances simulated time by one clock period (SetClockHz);
// flash busy times run on it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jtag_target.h"
#include "nor_flash_model.h"
#include "sim_device.h"
#include "spi_flash_model.h"
#include "tap_state.h"

enum class TSimPull : uint8_t { None, Up, Down };

struct TSpiWiring {
  int32_t Cs = -1, Sck = -1, Mosi = -1, Miso = -1;  // net indexes
};

// Unconnected lines (-1) read 0 for address and data, and high (inactive) for RESET#,
// BYTE# and WP#. CE#, OE# and WE# must be connected.
struct TNorWiring {
  static constexpr int kAddressLines = 26;
  std::array<int32_t, kAddressLines> A;
  std::array<int32_t, 16> DQ;
  int32_t Ce = -1, Oe = -1, We = -1, Reset = -1, Byte = -1, Wp = -1;
  TNorWiring() {
    A.fill(-1);
    DQ.fill(-1);
  }
};

class TSimBoard : public TJtagTarget {
 public:
  TSimBoard();

  // Building (LoadSimBoard does this from a board file). Net names are "DEVICE.PORT";
  // a bare port name means the first device in chain order that has the port. The
  // builders throw EPinloomError for unknown names.
  void SetDescription(std::string text) { description_ = std::move(text); }
  void AddDevice(TSimDeviceSpec spec);
  int32_t NetIndex(const std::string& name) const;  // -1 when unknown
  void SetPull(const std::string& net, TSimPull pull);
  void AddWire(const std::string& a, const std::string& b);
  void AttachSpiFlash(std::unique_ptr<TM25PXFlash> flash, const TSpiWiring& wiring);
  void AttachNorFlash(std::unique_ptr<TS29GLFlash> flash, const TNorWiring& wiring);

  // TJtagTarget.
  void SetPins(bool tck, bool tms, bool tdi) override;
  bool Tdo() const override { return tdo_.empty() ? true : tdo_.back() != 0; }
  void SetTrst(bool asserted) override;
  void SetClockHz(uint32_t hz) override;
  void ScanFromIdle(bool instruction, const uint8_t* tdi, uint8_t* tdo, uint32_t bits) override;
  void ResetToIdle() override;
  void Idle(uint32_t cycles) override;

  // Inspection.
  const std::string& Description() const { return description_; }
  size_t DeviceCount() const { return devices_.size(); }
  TSimDevice& Device(size_t i) { return devices_.at(i); }
  const TSimDevice& Device(size_t i) const { return devices_.at(i); }
  TTapState TapState() const { return state_; }
  uint64_t NowPs() const { return nowPs_; }
  uint32_t ClockHz() const { return clockHz_; }
  // Level of a net by name; throws EPinloomError for an unknown name.
  bool NetLevel(const std::string& name) const;
  bool NetLevel(int32_t net) const { return levels_.at(static_cast<size_t>(net)) != 0; }
  size_t NetCount() const { return levels_.size(); }
  // How often a net started to be driven both ways, and the nets contended now.
  uint64_t ContentionCount() const { return contentionCount_; }
  std::vector<std::string> ContendedNets() const;
  std::string NetName(int32_t net) const;

  TM25PXFlash* SpiFlash() { return spi_.get(); }
  TS29GLFlash* NorFlash() { return nor_.get(); }
  // Flash contents to files; throw EPinloomError when the board has no such flash or
  // the file cannot be written.
  void DumpSpiFlash(const std::string& path) const;
  void DumpNorFlash(const std::string& path) const;

 private:
  int32_t FindRoot(int32_t n) const;
  void Rising();
  void Falling();
  void CaptureAll(bool instruction);
  void UpdateAll(bool instruction);
  void EnterTestLogicReset();
  void EvaluateNets();
  bool FeedFlashes();
  bool ClockTms(bool tms, bool tdi);
  void SlowScan(bool instruction, const uint8_t* tdi, uint8_t* tdo, uint32_t bits);

  std::string description_;
  std::vector<TSimDevice> devices_;
  std::vector<int32_t> portBase_;  // first net of each device's ports

  // Nets: union-find over the ports while building; levels per root.
  std::vector<int32_t> parent_;
  std::vector<uint8_t> pulls_;
  std::vector<uint8_t> levels_;
  std::vector<uint16_t> drive0_, drive1_;
  std::vector<uint8_t> contended_;
  uint64_t contentionCount_ = 0;

  std::unique_ptr<TM25PXFlash> spi_;
  TSpiWiring spiWiring_;
  std::unique_ptr<TS29GLFlash> nor_;
  TNorWiring norWiring_;

  // TAP and pins (shared by all devices).
  TTapState state_ = TTapState::TestLogicReset;
  bool tck_ = false, tms_ = false, tdi_ = false, trst_ = false;
  std::vector<uint8_t> tdo_;    // each device's TDO as set on the last falling edge
  std::vector<uint8_t> chain_;  // scratch for the scan-level path

  uint32_t clockHz_ = 1'000'000;
  uint64_t periodPs_ = 1'000'000;
  uint64_t nowPs_ = 0;
};

// Reads a board file (INI, names relative to its directory). Throws EPinloomError with
// a message naming the file and the faulty entry.
std::unique_ptr<TSimBoard> LoadSimBoard(const std::string& boardFile);

// The demo board shipped with the program.
std::string DemoBoardPath();
