#include "spi_flash_model.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/pinloom_error.h"

namespace {

constexpr uint8_t kWrsr = 0x01, kPp = 0x02, kRead = 0x03, kWrdi = 0x04, kRdsr = 0x05, kWren = 0x06,
                  kFastRead = 0x0B, kSse = 0x20, kRdid2 = 0x9E, kRdid = 0x9F, kRes = 0xAB,
                  kDp = 0xB9, kBe = 0xC7, kSe = 0xD8;

// Typical times in seconds. Subsector erase and the status-register write are taken
// from sibling parts.
constexpr double kPageProgramTime = 0.8e-3;
constexpr double kSubsectorEraseTime = 70e-3;
constexpr double kSectorEraseTime = 0.6;
constexpr double kWriteStatusTime = 1.3e-3;

struct TTypeInfo {
  const char* name;
  uint32_t size;
  uint8_t capacityId;
  double bulkEraseTime;
};
constexpr TTypeInfo kTypes[] = {
    {"M25PX16", 2u << 20, 0x15, 15.0},
    {"M25PX32", 4u << 20, 0x16, 34.0},
    {"M25PX64", 8u << 20, 0x17, 68.0},
};

const TTypeInfo& Info(TM25PXType t) {
  return kTypes[static_cast<size_t>(t)];
}

}  // namespace

TM25PXType M25PXTypeFromName(const std::string& name) {
  for (size_t i = 0; i < std::size(kTypes); ++i)
    if (name == kTypes[i].name) return static_cast<TM25PXType>(i);
  throw EPinloomError("unknown SPI flash type '" + name + "' (M25PX16, M25PX32 or M25PX64)");
}

TM25PXFlash::TM25PXFlash(TM25PXType type, double busyScale)
    : type_(type), busyScale_(busyScale), memory_(Info(type).size, 0xFF) {}

void TM25PXFlash::Advance(uint64_t nowPs) {
  if (busy_ && nowPs >= busyUntil_) {
    busy_ = false;
    status_ &= static_cast<uint8_t>(~kWel);  // WEL clears when the write cycle ends
  }
}

bool TM25PXFlash::Busy(uint64_t nowPs) {
  Advance(nowPs);
  return busy_;
}

uint8_t TM25PXFlash::Status(uint64_t nowPs) {
  Advance(nowPs);
  return static_cast<uint8_t>(status_ | (busy_ ? kWip : 0));
}

void TM25PXFlash::StartBusy(double seconds, uint64_t nowPs) {
  busy_ = true;
  busyUntil_ = nowPs + static_cast<uint64_t>(seconds * busyScale_ * 1e12);
}

void TM25PXFlash::SetPins(bool csN, bool clock, bool d, uint64_t nowPs) {
  Advance(nowPs);
  // S# falling is seen before a clock edge of the same moment, S# rising after it.
  if (csN_ && !csN) Select();
  if (selected_ && clock != clock_) {
    if (clock) {
      RisingEdge(d);
    } else {
      FallingEdge(nowPs);
    }
  }
  if (!csN_ && csN) Deselect(nowPs);
  csN_ = csN;
  clock_ = clock;
}

void TM25PXFlash::Select() {
  selected_ = true;
  bitsIn_ = 0;
  shiftIn_ = 0;
  opcode_ = 0;
  ignored_ = false;
  outputActive_ = false;
  outputIndex_ = 0;
  outBit_ = 0;
  pageBytes_ = 0;
  page_.fill(0xFF);
}

void TM25PXFlash::RisingEdge(bool d) {
  shiftIn_ = static_cast<uint8_t>((shiftIn_ << 1) | (d ? 1 : 0));
  ++bitsIn_;
  if (bitsIn_ % 8 == 0) ByteIn(shiftIn_);
}

void TM25PXFlash::FallingEdge(uint64_t nowPs) {
  if (!outputActive_) return;
  if (outBit_ == 0) outByte_ = NextOutputByte(nowPs);
  q_ = (outByte_ >> (7 - outBit_)) & 1;
  qDriven_ = true;
  outBit_ = (outBit_ + 1) & 7;
}

void TM25PXFlash::ByteIn(uint8_t b) {
  const uint32_t index = bitsIn_ / 8 - 1;  // byte number within this selection
  if (index == 0) {
    opcode_ = b;
    if (deepPowerDown_) {
      ignored_ = opcode_ != kRes;
    } else if (busy_) {
      ignored_ = opcode_ != kRdsr;  // only RDSR is decoded during a write cycle
    }
    if (!ignored_ && (opcode_ == kRdsr || opcode_ == kRdid || opcode_ == kRdid2))
      outputActive_ = true;
    return;
  }
  if (ignored_) return;
  switch (opcode_) {
    case kRead:
    case kFastRead:
    case kPp:
    case kSe:
    case kSse:
      if (index <= 3) {
        address_ = ((address_ << 8) | b) & 0xFFFFFF;
        if (index == 3) address_ &= AddressMask();
        if (index == 3 && opcode_ == kRead) outputActive_ = true;
      } else if (opcode_ == kFastRead && index == 4) {
        outputActive_ = true;  // after the dummy byte
      } else if (opcode_ == kPp) {
        // Bytes past the end of the page wrap to its start; later bytes overwrite.
        page_[(address_ + pageBytes_) & 0xFF] = b;
        ++pageBytes_;
      }
      break;
    case kWrsr:
      if (index == 1) wrsrValue_ = b;
      break;
    default:
      break;
  }
}

uint8_t TM25PXFlash::NextOutputByte(uint64_t nowPs) {
  const uint32_t i = outputIndex_++;
  switch (opcode_) {
    case kRdsr:
      return Status(nowPs);
    case kRdid:
    case kRdid2:
      if (i == 0) return 0x20;
      if (i == 1) return 0x71;
      if (i == 2) return Info(type_).capacityId;
      if (i == 3) return 0x10;  // 16 bytes of factory data follow
      return 0x00;
    case kRead:
    case kFastRead: {
      const uint8_t v = memory_[address_];
      address_ = (address_ + 1) & AddressMask();
      return v;
    }
    default:
      return 0xFF;
  }
}

void TM25PXFlash::Deselect(uint64_t nowPs) {
  selected_ = false;
  outputActive_ = false;
  qDriven_ = false;
  q_ = true;
  if (ignored_ || bitsIn_ == 0 || bitsIn_ % 8 != 0) return;  // S# not high on a byte boundary
  const uint32_t bytes = bitsIn_ / 8;
  const bool wel = (status_ & kWel) != 0;
  switch (opcode_) {
    case kWren:
      if (bytes == 1) status_ |= kWel;
      break;
    case kWrdi:
      if (bytes == 1) status_ &= static_cast<uint8_t>(~kWel);
      break;
    case kWrsr:
      if (bytes == 2 && wel) {
        // Bits 0, 1 and 6 are not written.
        status_ = static_cast<uint8_t>((status_ & 0x43) | (wrsrValue_ & 0xBC));
        StartBusy(kWriteStatusTime, nowPs);
      }
      break;
    case kPp:
      if (bytes >= 5 && wel) {
        const uint32_t base = address_ & ~0xFFu;
        for (uint32_t k = 0; k < 256; ++k) memory_[base + k] &= page_[k];
        StartBusy(kPageProgramTime, nowPs);
      }
      break;
    case kSse:
    case kSe:
      if (bytes == 4 && wel) {
        const uint32_t span = opcode_ == kSe ? 0x10000 : 0x1000;
        const uint32_t base = address_ & ~(span - 1);
        std::fill_n(memory_.begin() + base, span, 0xFF);
        StartBusy(opcode_ == kSe ? kSectorEraseTime : kSubsectorEraseTime, nowPs);
      }
      break;
    case kBe:
      if (bytes == 1 && wel) {
        std::fill(memory_.begin(), memory_.end(), 0xFF);
        StartBusy(Info(type_).bulkEraseTime, nowPs);
      }
      break;
    case kDp:
      if (bytes == 1) deepPowerDown_ = true;
      break;
    case kRes:
      deepPowerDown_ = false;
      break;
    default:
      break;
  }
}

void TM25PXFlash::LoadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EPinloomError("cannot read the SPI flash image " + path);
  std::fill(memory_.begin(), memory_.end(), 0xFF);
  in.read(reinterpret_cast<char*>(memory_.data()), static_cast<std::streamsize>(memory_.size()));
}

void TM25PXFlash::DumpFile(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(memory_.data()),
            static_cast<std::streamsize>(memory_.size()));
  if (!out) throw EPinloomError("cannot write the SPI flash dump " + path);
}
