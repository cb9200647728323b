#pragma once
// One simulated chain device: instruction register, BYPASS, IDCODE and the boundary
// register with its update latches, built from the device's BSDL description. The TAP
// controller itself belongs to the board (all TAPs of a chain share TCK, TMS and TRST,
// so they are always in the same state); the board calls the capture, shift and update
// steps of the selected register.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bsdl/bsdl_types.h"

// What an opcode selects. Opcodes the device does not know, and all ones, select BYPASS.
enum class TSimMode : uint8_t { Bypass, Idcode, SamplePreload, Extest };

enum class TSimCellKind : uint8_t {
  Input,     // INPUT, CLOCK, OBSERVE_ONLY: captures the pin
  Output,    // OUTPUT2, OUTPUT3: captures its latch, drives its pin under EXTEST
  Bidir,     // BIDIR: captures the pin, drives it under EXTEST
  Control,   // CONTROL, CONTROLR: captures its latch
  Internal,  // INTERNAL and anything else: captures its latch
};

struct TSimInstruction {
  std::string Name;
  uint64_t Opcode = 0;
  TSimMode Mode = TSimMode::Bypass;
};

struct TSimCell {
  TSimCellKind Kind = TSimCellKind::Internal;
  int32_t Port = -1;         // index into the device's port names, -1 for "*"
  int32_t ControlCell = -1;  // ccell, -1 when none
  int8_t Disval = -1;        // 0 / 1, -1 when none
  uint8_t Safe = 0;          // initial update latch (X reads as 0)
};

// What a device is made of; built from a BSDL text by DeviceSpecFromBSDL.
struct TSimDeviceSpec {
  std::string Name;
  uint32_t IRLength = 0;   // 2 ... 64
  uint64_t IRCapture = 1;  // ...01 unless INSTRUCTION_CAPTURE says otherwise
  uint32_t IdCode = 0;
  std::vector<TSimInstruction> Instructions;
  std::vector<std::string> Ports;  // distinct port names, in cell order of first use
  std::vector<TSimCell> Cells;     // cell k = boundary bit k (bit 0 nearest TDO)
};

// Builds a device description from the text of its BSDL file. Throws EPinloomError when
// the file cannot serve as a simulated device (parse failure, no or an unusable
// instruction length, a cell or control-cell number out of range, an opcode of the
// wrong length); `what` names the file in the messages.
TSimDeviceSpec DeviceSpecFromBSDL(std::string_view bsdlText, const std::string& name,
                                  uint32_t idCode, const std::string& what);

// The INSTRUCTION_CAPTURE pattern of a BSDL text (first bit most significant, X read
// as 0), or `fallback` when the file has none.
uint64_t InstructionCaptureFromBSDL(std::string_view bsdlText, uint32_t irLength,
                                    uint64_t fallback);

class TSimDevice {
 public:
  explicit TSimDevice(TSimDeviceSpec spec);

  const TSimDeviceSpec& Spec() const { return spec_; }
  const std::string& Name() const { return spec_.Name; }
  uint32_t IRLength() const { return spec_.IRLength; }
  uint32_t BoundaryLength() const { return static_cast<uint32_t>(spec_.Cells.size()); }

  // Test-Logic-Reset: IDCODE is selected, or BYPASS for a device without one.
  void Reset();

  // The register between TDI and TDO for the current state: the instruction register
  // while shifting an instruction, else the data register the instruction selects.
  uint32_t ShiftLength(bool instruction) const { return instruction ? spec_.IRLength : drLength_; }
  uint8_t* ShiftBuffer(bool instruction) { return instruction ? irShift_.data() : drShift_.data(); }
  const uint8_t* ShiftBuffer(bool instruction) const {
    return instruction ? irShift_.data() : drShift_.data();
  }
  // One shift: returns the bit leaving at TDO, `in` enters at the TDI end.
  bool ShiftBit(bool instruction, bool in);

  void CaptureIR();
  // Capture-DR; `netLevels` holds the level (0 / 1) of every board net.
  void CaptureDR(const uint8_t* netLevels);
  // Update-IR: returns true when the instruction changed whether pins are driven.
  bool UpdateIR();
  // Update-DR: loads the update latches under SAMPLE/PRELOAD and EXTEST; returns true
  // when the pins may have changed (EXTEST).
  bool UpdateDR();

  TSimMode Mode() const { return mode_; }
  bool DrivesPins() const { return mode_ == TSimMode::Extest; }
  uint64_t Instruction() const { return instruction_; }
  // The name of the current instruction ("BYPASS" for an unknown opcode).
  std::string InstructionName() const;
  // The instruction register's shift stage (what was captured or shifted in last).
  uint64_t IRShiftValue() const;

  // Update latch of cell k, and the level the last Capture-DR took for it.
  bool UpdateLatch(uint32_t cell) const { return latches_.at(cell) != 0; }
  bool CapturedBit(uint32_t cell) const;

  // Ports to board nets (set by the board once the nets are known).
  void SetPortNet(uint32_t port, int32_t net) { portNet_.at(port) = net; }
  int32_t PortNet(uint32_t port) const { return portNet_.at(port); }
  int32_t PortIndex(std::string_view port) const;  // case-insensitive, -1 when none

  // Calls add(net, level) for every pin this device drives now.
  template <typename F>
  void ForEachDrivenPin(F&& add) const {
    if (mode_ != TSimMode::Extest) return;
    for (const TDriver& d : drivers_) {
      if (d.ControlCell >= 0 && latches_[static_cast<size_t>(d.ControlCell)] == d.Disval) continue;
      add(portNet_[static_cast<size_t>(d.Port)], latches_[d.Cell] != 0);
    }
  }

 private:
  struct TDriver {
    uint32_t Cell;
    int32_t Port;
    int32_t ControlCell;
    uint8_t Disval;
  };

  void SelectInstruction(uint64_t opcode);

  TSimDeviceSpec spec_;
  std::vector<TDriver> drivers_;
  std::vector<int32_t> portNet_;
  std::vector<uint8_t> latches_;  // one byte per cell: 0 / 1
  std::vector<uint8_t> irShift_;  // IR shift stage, 8 bytes
  std::vector<uint8_t> drShift_;  // selected data register's shift stage
  std::vector<uint8_t> bsrCaptured_;
  uint32_t drLength_ = 1;
  uint64_t instruction_ = 0;
  TSimMode mode_ = TSimMode::Bypass;
  int32_t instructionIndex_ = -1;
};
