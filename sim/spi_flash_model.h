#pragma once
// M25PX16 / M25PX32 / M25PX64 serial flash at its pins (S#, C, D, Q), SPI mode 0 or 3:
// D is sampled on the rising edge of C, Q changes on the falling edge, most significant
// bit first. Busy times run on the caller's clock (picoseconds), multiplied by a scale
// factor so that tests can make them short.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class TM25PXType : uint8_t { M25PX16, M25PX32, M25PX64 };

// "M25PX16" ... ; throws EPinloomError for another name.
TM25PXType M25PXTypeFromName(const std::string& name);

class TM25PXFlash {
 public:
  static constexpr uint8_t kWip = 0x01;
  static constexpr uint8_t kWel = 0x02;

  explicit TM25PXFlash(TM25PXType type, double busyScale = 1.0);

  TM25PXType Type() const { return type_; }
  uint32_t Size() const { return static_cast<uint32_t>(memory_.size()); }

  // New pin levels at time `nowPs`; edges are taken against the previous call.
  void SetPins(bool csN, bool clock, bool d, uint64_t nowPs);
  bool QDriven() const { return qDriven_; }
  bool Q() const { return q_; }

  uint8_t Status(uint64_t nowPs);
  bool Busy(uint64_t nowPs);

  std::vector<uint8_t>& Memory() { return memory_; }
  const std::vector<uint8_t>& Memory() const { return memory_; }
  // Contents from a file (bytes beyond its end stay erased, 0xFF); throws EPinloomError.
  void LoadFile(const std::string& path);
  void DumpFile(const std::string& path) const;

 private:
  void Advance(uint64_t nowPs);
  void Select();
  void Deselect(uint64_t nowPs);
  void RisingEdge(bool d);
  void FallingEdge(uint64_t nowPs);
  void ByteIn(uint8_t b);
  uint8_t NextOutputByte(uint64_t nowPs);
  void StartBusy(double seconds, uint64_t nowPs);
  uint32_t AddressMask() const { return Size() - 1; }

  TM25PXType type_;
  double busyScale_;
  std::vector<uint8_t> memory_;

  // Pins as last seen.
  bool csN_ = true, clock_ = false;
  bool q_ = true, qDriven_ = false;

  // One selection (S# low).
  bool selected_ = false;
  uint32_t bitsIn_ = 0;
  uint8_t shiftIn_ = 0;
  uint8_t opcode_ = 0;
  bool ignored_ = false;  // opcode not decoded (busy, deep power-down, unknown)
  uint32_t address_ = 0;
  uint8_t wrsrValue_ = 0;
  bool outputActive_ = false;
  uint32_t outputIndex_ = 0;
  uint8_t outByte_ = 0;
  int outBit_ = 0;
  std::array<uint8_t, 256> page_{};
  uint32_t pageBytes_ = 0;

  // Device state.
  uint8_t status_ = 0;  // WEL and the write-protect bits; WIP comes from busyUntil_
  bool busy_ = false;
  uint64_t busyUntil_ = 0;
  bool deepPowerDown_ = false;
};
