#pragma once
// S29GL128N / S29GL256N / S29GL512N parallel NOR flash at its pins: the command state
// machine (unlock cycles, autoselect, CFI, reset, word program, write-buffer program,
// sector and chip erase), the embedded-operation status bits and word/byte bus modes.
// Busy times run on the caller's clock (picoseconds) times a scale factor.

#include <cstdint>
#include <string>
#include <vector>

enum class TS29GLType : uint8_t { S29GL128N, S29GL256N, S29GL512N };

// "S29GL128N" ... ; throws EPinloomError for another name.
TS29GLType S29GLTypeFromName(const std::string& name);

struct TNorPins {
  uint32_t Address = 0;  // A0 upwards (word address lines)
  uint16_t Data = 0;     // DQ0 ... DQ15 as they read on the bus
  bool CeN = true, OeN = true, WeN = true;
  bool ResetN = true;
  bool ByteN = true;  // high: word mode
  bool WpN = true;
};

class TS29GLFlash {
 public:
  // Status bits during an embedded operation.
  static constexpr uint16_t kDQ7 = 0x80, kDQ6 = 0x40, kDQ5 = 0x20, kDQ3 = 0x08, kDQ2 = 0x04,
                            kDQ1 = 0x02;

  explicit TS29GLFlash(TS29GLType type, double busyScale = 1.0, bool wpProtectsHighest = true);

  TS29GLType Type() const { return type_; }
  uint32_t Size() const { return static_cast<uint32_t>(memory_.size()); }
  uint32_t Sectors() const { return Size() / kSectorBytes; }

  // New pin levels at time `nowPs`; bus cycles are taken from the changes against the
  // previous call.
  void SetPins(const TNorPins& pins, uint64_t nowPs);
  // DQ lines the flash drives now and their levels.
  uint16_t DriveMask() const { return driveMask_; }
  uint16_t DriveValue() const { return driveValue_; }
  // True while an embedded operation or the sector-erase window runs: its status (and
  // so the driven data) can change with time alone.
  bool TimeDependent() const;

  std::vector<uint8_t>& Memory() { return memory_; }
  const std::vector<uint8_t>& Memory() const { return memory_; }
  void LoadFile(const std::string& path);
  void DumpFile(const std::string& path) const;

  static constexpr uint32_t kSectorBytes = 128 * 1024;

 private:
  enum class TState : uint8_t {
    Read,
    Unlock1,
    Unlock2,
    ProgramSetup,
    Autoselect,
    Cfi,
    EraseSetup,
    EraseUnlock1,
    EraseUnlock2,
    EraseWindow,
    BufferCount,
    BufferLoad,
    BufferConfirm,
    Aborted,
    AbortUnlock1,
    AbortUnlock2,
    Busy,
    Exceeded,
  };
  enum class TOp : uint8_t { None, Program, Erase };

  void Advance(uint64_t nowPs);
  void Write(uint32_t address, uint16_t data, uint64_t nowPs);
  uint16_t ReadValue(uint32_t address) const;
  uint16_t StatusValue(uint32_t address) const;
  uint16_t AutoselectWord(uint32_t wordAddress) const;
  uint16_t CfiWord(uint32_t wordAddress) const;

  bool IsUnlockA(uint32_t address) const;  // 555 (AAA in byte mode)
  bool IsUnlockB(uint32_t address) const;  // 2AA (555)
  uint32_t SectorOf(uint32_t address) const;
  uint32_t WordAddressOf(uint32_t address) const { return wordMode_ ? address : address >> 1; }
  bool Protected(uint32_t sector) const;
  // Programs one bus-width value at a bus address; returns false when it would have
  // to turn a 0 into a 1.
  bool ProgramValue(uint32_t address, uint16_t data);
  void Abort(uint16_t lastData);
  void StartBusy(TOp op, double seconds, uint64_t nowPs, bool exceeded);
  void ToRead() { state_ = TState::Read; }

  TS29GLType type_;
  double busyScale_;
  bool wpProtectsHighest_;
  std::vector<uint8_t> memory_;

  TNorPins pins_;
  bool wordMode_ = true;
  bool writeActive_ = false, readActive_ = false;
  uint32_t latchedAddress_ = 0;
  uint16_t latchedData_ = 0;
  uint16_t driveMask_ = 0, driveValue_ = 0;
  uint32_t readCycles_ = 0;  // toggles DQ6 / DQ2

  TState state_ = TState::Read;
  TState afterCfi_ = TState::Read;
  TOp op_ = TOp::None;
  uint64_t busyUntil_ = 0;
  uint64_t windowUntil_ = 0;
  bool exceedAtEnd_ = false;
  uint16_t opData_ = 0;  // the programmed value, for DQ7
  std::vector<bool> erasing_;
  uint32_t bufferSector_ = 0;
  uint32_t bufferRemaining_ = 0;
  uint32_t bufferPage_ = 0;
  bool bufferPageSet_ = false;
  std::vector<std::pair<uint32_t, uint16_t>> bufferLoads_;
  bool aborted_ = false;
};
