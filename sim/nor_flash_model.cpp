#include "nor_flash_model.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/pinloom_error.h"

namespace {

// Typical times in seconds.
constexpr double kWordProgramTime = 60e-6;
constexpr double kBufferProgramTimePer32Bytes = 240e-6;
constexpr double kSectorEraseTime = 0.5;
// The sector-erase window is a fixed time of the chip's logic, not a busy time: it is
// not scaled.
constexpr uint64_t kEraseWindowPs = 50'000'000;

struct TTypeInfo {
  const char* name;
  uint32_t size;
  uint16_t deviceId2;   // autoselect word 0E
  uint16_t cfiSizeLog;  // CFI 27
};
constexpr TTypeInfo kTypes[] = {
    {"S29GL128N", 16u << 20, 0x2221, 0x18},
    {"S29GL256N", 32u << 20, 0x2222, 0x19},
    {"S29GL512N", 64u << 20, 0x2223, 0x1A},
};

const TTypeInfo& Info(TS29GLType t) {
  return kTypes[static_cast<size_t>(t)];
}

}  // namespace

TS29GLType S29GLTypeFromName(const std::string& name) {
  for (size_t i = 0; i < std::size(kTypes); ++i)
    if (name == kTypes[i].name) return static_cast<TS29GLType>(i);
  throw EPinloomError("unknown NOR flash type '" + name + "' (S29GL128N, S29GL256N or S29GL512N)");
}

TS29GLFlash::TS29GLFlash(TS29GLType type, double busyScale, bool wpProtectsHighest)
    : type_(type),
      busyScale_(busyScale),
      wpProtectsHighest_(wpProtectsHighest),
      memory_(Info(type).size, 0xFF),
      erasing_(Info(type).size / kSectorBytes, false) {}

bool TS29GLFlash::TimeDependent() const {
  return state_ == TState::Busy || state_ == TState::EraseWindow;
}

bool TS29GLFlash::IsUnlockA(uint32_t a) const {
  return wordMode_ ? (a & 0x7FF) == 0x555 : (a & 0xFFF) == 0xAAA;
}

bool TS29GLFlash::IsUnlockB(uint32_t a) const {
  return wordMode_ ? (a & 0x7FF) == 0x2AA : (a & 0xFFF) == 0x555;
}

uint32_t TS29GLFlash::SectorOf(uint32_t a) const {
  return WordAddressOf(a) >> 16;
}

bool TS29GLFlash::Protected(uint32_t sector) const {
  if (pins_.WpN) return false;
  return sector == (wpProtectsHighest_ ? Sectors() - 1 : 0);
}

void TS29GLFlash::StartBusy(TOp op, double seconds, uint64_t fromPs, bool exceeded) {
  op_ = op;
  state_ = TState::Busy;
  busyUntil_ = fromPs + static_cast<uint64_t>(seconds * busyScale_ * 1e12);
  exceedAtEnd_ = exceeded;
}

void TS29GLFlash::Advance(uint64_t nowPs) {
  if (state_ == TState::EraseWindow && nowPs >= windowUntil_) {
    uint32_t n = 0;
    for (uint32_t s = 0; s < Sectors(); ++s) {
      if (!erasing_[s]) continue;
      std::fill_n(memory_.begin() + s * kSectorBytes, kSectorBytes, 0xFF);
      ++n;
    }
    StartBusy(TOp::Erase, n * kSectorEraseTime, windowUntil_, false);
  }
  if (state_ == TState::Busy && nowPs >= busyUntil_) {
    if (exceedAtEnd_) {
      state_ = TState::Exceeded;
    } else {
      state_ = TState::Read;
      op_ = TOp::None;
      std::fill(erasing_.begin(), erasing_.end(), false);
    }
  }
}

void TS29GLFlash::SetPins(const TNorPins& pins, uint64_t nowPs) {
  Advance(nowPs);
  pins_ = pins;
  wordMode_ = pins.ByteN;
  if (!pins.ResetN) {
    // Hardware reset: any operation ends, the chip reads array data afterwards and
    // drives nothing while RESET# is low.
    state_ = TState::Read;
    op_ = TOp::None;
    aborted_ = false;
    std::fill(erasing_.begin(), erasing_.end(), false);
    writeActive_ = readActive_ = false;
    driveMask_ = 0;
    return;
  }
  const bool write = !pins.CeN && !pins.WeN && pins.OeN;
  const bool read = !pins.CeN && !pins.OeN && pins.WeN;
  const uint32_t address = wordMode_
                               ? pins.Address & (Size() / 2 - 1)
                               : ((pins.Address << 1) | ((pins.Data >> 15) & 1)) & (Size() - 1);
  // Data is taken on the first rising edge of WE# / CE#, i.e. as it stood while the
  // write was still active; the address on the later falling edge.
  if (writeActive_ && !write) Write(latchedAddress_, latchedData_, nowPs);
  if (write) {
    if (!writeActive_) latchedAddress_ = address;
    latchedData_ = wordMode_ ? pins.Data : static_cast<uint16_t>(pins.Data & 0xFF);
  }
  if (read && !readActive_) ++readCycles_;
  writeActive_ = write;
  readActive_ = read;
  if (read) {
    driveMask_ = wordMode_ ? 0xFFFF : 0x00FF;
    driveValue_ = static_cast<uint16_t>(ReadValue(address) & driveMask_);
  } else {
    driveMask_ = 0;
  }
}

bool TS29GLFlash::ProgramValue(uint32_t a, uint16_t data) {
  if (wordMode_) {
    uint8_t* p = &memory_[static_cast<size_t>(a) * 2];
    const uint16_t old = static_cast<uint16_t>(p[0] | (p[1] << 8));
    const uint16_t now = old & data;
    p[0] = static_cast<uint8_t>(now);
    p[1] = static_cast<uint8_t>(now >> 8);
    return (~old & data) == 0;
  }
  uint8_t& b = memory_[a];
  const uint8_t old = b;
  b = static_cast<uint8_t>(old & data);
  return (~old & data & 0xFF) == 0;
}

void TS29GLFlash::Abort(uint16_t lastData) {
  state_ = TState::Aborted;
  aborted_ = true;
  op_ = TOp::Program;
  opData_ = lastData;
}

void TS29GLFlash::Write(uint32_t a, uint16_t data, uint64_t nowPs) {
  const uint8_t cmd = static_cast<uint8_t>(data);
  const bool cfiAddress = wordMode_ ? (a & 0x7FF) == 0x55 : (a & 0xFFF) == 0xAA;
  switch (state_) {
    case TState::Read:
      if (IsUnlockA(a) && cmd == 0xAA) {
        state_ = TState::Unlock1;
      } else if (cfiAddress && cmd == 0x98) {
        state_ = TState::Cfi;
        afterCfi_ = TState::Read;
      }
      return;
    case TState::Unlock1:
      state_ = IsUnlockB(a) && cmd == 0x55 ? TState::Unlock2 : TState::Read;
      return;
    case TState::Unlock2:
      ToRead();
      if (IsUnlockA(a) && cmd == 0x90) state_ = TState::Autoselect;
      if (IsUnlockA(a) && cmd == 0xA0) state_ = TState::ProgramSetup;
      if (IsUnlockA(a) && cmd == 0x80) state_ = TState::EraseSetup;
      if (cmd == 0x25) {
        state_ = TState::BufferCount;
        bufferSector_ = SectorOf(a);
      }
      return;
    case TState::ProgramSetup: {
      ToRead();
      if (Protected(SectorOf(a))) return;  // ignored on a protected sector
      opData_ = data;
      const bool ok = ProgramValue(a, data);
      StartBusy(TOp::Program, kWordProgramTime, nowPs, !ok);
      return;
    }
    case TState::Autoselect:
      if (cmd == 0xF0) ToRead();
      if (cfiAddress && cmd == 0x98) {
        state_ = TState::Cfi;
        afterCfi_ = TState::Autoselect;
      }
      return;
    case TState::Cfi:
      if (cmd == 0xF0) state_ = afterCfi_;  // back to where the query was entered from
      return;
    case TState::EraseSetup:
      state_ = IsUnlockA(a) && cmd == 0xAA ? TState::EraseUnlock1 : TState::Read;
      return;
    case TState::EraseUnlock1:
      state_ = IsUnlockB(a) && cmd == 0x55 ? TState::EraseUnlock2 : TState::Read;
      return;
    case TState::EraseUnlock2:
      ToRead();
      if (IsUnlockA(a) && cmd == 0x10) {
        uint32_t n = 0;
        for (uint32_t s = 0; s < Sectors(); ++s) {
          if (Protected(s)) continue;
          erasing_[s] = true;
          std::fill_n(memory_.begin() + s * kSectorBytes, kSectorBytes, 0xFF);
          ++n;
        }
        StartBusy(TOp::Erase, n * kSectorEraseTime, nowPs, false);
      } else if (cmd == 0x30) {
        std::fill(erasing_.begin(), erasing_.end(), false);
        if (!Protected(SectorOf(a))) erasing_[SectorOf(a)] = true;
        op_ = TOp::Erase;
        state_ = TState::EraseWindow;
        windowUntil_ = nowPs + kEraseWindowPs;
      }
      return;
    case TState::EraseWindow:
      if (cmd == 0x30) {
        if (!Protected(SectorOf(a))) erasing_[SectorOf(a)] = true;
        windowUntil_ = nowPs + kEraseWindowPs;
      } else {
        // Any other command in the window cancels the erase.
        ToRead();
        op_ = TOp::None;
        std::fill(erasing_.begin(), erasing_.end(), false);
      }
      return;
    case TState::BufferCount: {
      const uint32_t limit = wordMode_ ? 15 : 31;
      if (cmd > limit) {
        Abort(data);
        return;
      }
      bufferRemaining_ = cmd + 1u;
      bufferLoads_.clear();
      bufferPageSet_ = false;
      state_ = TState::BufferLoad;
      return;
    }
    case TState::BufferLoad: {
      const uint32_t page = wordMode_ ? a >> 4 : a >> 5;  // 32-byte pages
      if (SectorOf(a) != bufferSector_ || (bufferPageSet_ && page != bufferPage_)) {
        Abort(data);
        return;
      }
      bufferPage_ = page;
      bufferPageSet_ = true;
      bufferLoads_.push_back({a, data});
      if (--bufferRemaining_ == 0) state_ = TState::BufferConfirm;
      return;
    }
    case TState::BufferConfirm: {
      if (cmd != 0x29 || SectorOf(a) != bufferSector_) {
        Abort(bufferLoads_.back().second);
        return;
      }
      ToRead();
      if (Protected(bufferSector_)) return;
      bool ok = true;
      for (const auto& [addr, value] : bufferLoads_) ok = ProgramValue(addr, value) && ok;
      opData_ = bufferLoads_.back().second;
      const size_t bytes = bufferLoads_.size() * (wordMode_ ? 2 : 1);
      StartBusy(TOp::Program, kBufferProgramTimePer32Bytes * static_cast<double>((bytes + 31) / 32),
                nowPs, !ok);
      return;
    }
    case TState::Aborted:
      if (IsUnlockA(a) && cmd == 0xAA) state_ = TState::AbortUnlock1;
      return;
    case TState::AbortUnlock1:
      state_ = IsUnlockB(a) && cmd == 0x55 ? TState::AbortUnlock2 : TState::Aborted;
      return;
    case TState::AbortUnlock2:
      if (IsUnlockA(a) && cmd == 0xF0) {
        ToRead();
        aborted_ = false;
        op_ = TOp::None;
      } else {
        state_ = TState::Aborted;
      }
      return;
    case TState::Busy:
      return;  // commands are ignored while an embedded operation runs
    case TState::Exceeded:
      if (cmd == 0xF0) {
        ToRead();
        op_ = TOp::None;
        std::fill(erasing_.begin(), erasing_.end(), false);
      }
      return;
  }
}

uint16_t TS29GLFlash::StatusValue(uint32_t a) const {
  const bool toggle = (readCycles_ & 1) != 0;
  uint16_t s = 0;
  if (op_ == TOp::Program) s |= (opData_ & kDQ7) ^ kDQ7;
  if (toggle) s |= kDQ6;
  if (state_ == TState::Exceeded) s |= kDQ5;
  if (op_ == TOp::Erase) {
    if (state_ != TState::EraseWindow) s |= kDQ3;
    if (toggle && erasing_[SectorOf(a)]) s |= kDQ2;
  }
  if (aborted_) s |= kDQ1;
  return s;
}

uint16_t TS29GLFlash::AutoselectWord(uint32_t wa) const {
  switch (wa & 0xFF) {
    case 0x00:
      return 0x0001;
    case 0x01:
      return 0x227E;
    case 0x0E:
      return Info(type_).deviceId2;
    case 0x0F:
      return 0x2201;
    case 0x02:
      return Protected(wa >> 16) ? 0x0001 : 0x0000;
    default:
      return 0x0000;
  }
}

uint16_t TS29GLFlash::CfiWord(uint32_t wa) const {
  // Query identification, system interface and device geometry (word offsets 10-30),
  // then the primary vendor table's "PRI" and version 1.3 (40-44).
  static constexpr uint16_t kQuery[] = {
      0x51, 0x52, 0x59, 0x02, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00,        // 10-1A
      0x27, 0x36, 0x00, 0x00, 0x06, 0x08, 0x09, 0x00, 0x03, 0x05, 0x05, 0x00,  // 1B-26
  };
  const uint32_t off = wa & 0xFF;
  if (off >= 0x10 && off <= 0x26) return kQuery[off - 0x10];
  const uint32_t regionSectors = Sectors() - 1;
  switch (off) {
    case 0x27:
      return Info(type_).cfiSizeLog;
    case 0x28:
      return 0x02;  // x8 / x16
    case 0x2A:
      return 0x05;  // write buffer 2^5 bytes
    case 0x2C:
      return 0x01;  // one erase region
    case 0x2D:
      return regionSectors & 0xFF;
    case 0x2E:
      return (regionSectors >> 8) & 0xFF;
    case 0x2F:
      return 0x00;  // 0x0200 x 256 bytes
    case 0x30:
      return 0x02;
    case 0x40:
      return 'P';
    case 0x41:
      return 'R';
    case 0x42:
      return 'I';
    case 0x43:
      return '1';
    case 0x44:
      return '3';
    default:
      return 0x00;
  }
}

uint16_t TS29GLFlash::ReadValue(uint32_t a) const {
  switch (state_) {
    case TState::Busy:
    case TState::EraseWindow:
    case TState::Exceeded:
    case TState::Aborted:
    case TState::AbortUnlock1:
    case TState::AbortUnlock2:
      return StatusValue(a);
    case TState::Autoselect: {
      const uint16_t w = AutoselectWord(WordAddressOf(a));
      return wordMode_ ? w : static_cast<uint16_t>(w & 0xFF);
    }
    case TState::Cfi: {
      const uint16_t w = CfiWord(WordAddressOf(a));
      return wordMode_ ? w : static_cast<uint16_t>(w & 0xFF);
    }
    default:
      break;
  }
  if (wordMode_) {
    const uint8_t* p = &memory_[static_cast<size_t>(a) * 2];
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
  }
  return memory_[a];
}

void TS29GLFlash::LoadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw EPinloomError("cannot read the NOR flash image " + path);
  std::fill(memory_.begin(), memory_.end(), 0xFF);
  in.read(reinterpret_cast<char*>(memory_.data()), static_cast<std::streamsize>(memory_.size()));
}

void TS29GLFlash::DumpFile(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(memory_.data()),
            static_cast<std::streamsize>(memory_.size()));
  if (!out) throw EPinloomError("cannot write the NOR flash dump " + path);
}
