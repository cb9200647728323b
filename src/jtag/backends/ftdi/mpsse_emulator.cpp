#include "jtag/backends/ftdi/mpsse_emulator.h"

#include <algorithm>
#include <cstdio>

#include "jtag/backends/ftdi/mpsse_encoder.h"

using namespace mpsse;

namespace {

std::string Hex(uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", b);
  return text;
}

bool IsHighSpeedOnly(uint8_t op) {
  return op == kDivideBy5Off || op == kDivideBy5On || op == kThreePhaseOff || op == kAdaptiveOff;
}

}  // namespace

TMpsseEmulator::TMpsseEmulator(TFtdiChip chip, TJtagTarget& target)
    : chip_(chip), target_(target) {}

uint32_t TMpsseEmulator::TckHz() const {
  const uint32_t base = ChipFacts(chip_).HighSpeed && !divideBy5_ ? 30000000u : 6000000u;
  return base / (1u + divisor_);
}

bool TMpsseEmulator::Fail(const std::string& message) {
  if (error_.empty()) error_ = message;
  return false;
}

bool TMpsseEmulator::Write(const uint8_t* data, size_t size) {
  if (unplugged_ || !error_.empty()) return false;
  ++writes_;
  if (record_) traffic_.insert(traffic_.end(), data, data + size);
  input_.insert(input_.end(), data, data + size);
  return RunCommands();
}

int TMpsseEmulator::Read(uint8_t* data, size_t size) {
  if (unplugged_) return -1;
  const size_t n = std::min(size, ready_.size());
  std::copy_n(ready_.begin(), n, data);
  ready_.erase(ready_.begin(), ready_.begin() + static_cast<std::ptrdiff_t>(n));
  return static_cast<int>(n);
}

bool TMpsseEmulator::Purge() {
  if (unplugged_) return false;
  input_.clear();
  pending_.clear();
  ready_.clear();
  return true;
}

size_t TMpsseEmulator::CommandLength(const uint8_t* p, size_t available) {
  const uint8_t op = p[0];
  size_t length = 0;
  switch (op) {
    case kBytesOut:
    case kBytesInOut:
      if (available < 3) return 0;
      length = 3 + (static_cast<size_t>(p[1]) | static_cast<size_t>(p[2]) << 8) + 1;
      break;
    case kBytesIn:
    case kBitsOut:
    case kBitsInOut:
    case kTmsOut:
    case kTmsInOut:
    case kSetLowByte:
    case kSetHighByte:
    case kSetDivisor:
      length = 3;
      break;
    case kBitsIn:
      length = 2;
      break;
    case kReadLowByte:
    case kReadHighByte:
    case kLoopbackOn:
    case kLoopbackOff:
    case kSendImmediate:
    case kSyncOpcode:
      length = 1;
      break;
    default:
      if (IsHighSpeedOnly(op)) {
        if (!ChipFacts(chip_).HighSpeed) {
          Fail("H-series command " + Hex(op) + " sent to an " + ChipFacts(chip_).Name);
          return 0;
        }
        length = 1;
        break;
      }
      Fail("unknown MPSSE command " + Hex(op));
      return 0;
  }
  return available >= length ? length : 0;
}

bool TMpsseEmulator::RunCommands() {
  size_t pos = 0;
  while (pos < input_.size() && error_.empty()) {
    const size_t length = CommandLength(input_.data() + pos, input_.size() - pos);
    if (length == 0) break;
    RunCommand(input_.data() + pos);
    pos += length;
  }
  input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(pos));
  if (pending_.size() + ready_.size() > ChipFacts(chip_).RxBuffer) {
    Fail("reply buffer overrun: " + std::to_string(pending_.size() + ready_.size()) +
         " bytes unread on an " + ChipFacts(chip_).Name);
  }
  return error_.empty();
}

bool TMpsseEmulator::PinsReady() {
  constexpr uint8_t outputs = kPinTck | kPinTdi | kPinTms;
  if (!lowSet_ || (lowDir_ & outputs) != outputs || (lowDir_ & kPinTdo) != 0) {
    return Fail("clocking before TCK, TDI and TMS were made outputs and TDO an input");
  }
  if ((lowValue_ & kPinTck) != 0) return Fail("clocking with TCK idling high");
  return true;
}

bool TMpsseEmulator::Clock(bool tms, bool tdi) {
  target_.SetPins(false, tms, tdi);
  const bool tdo = target_.Tdo();
  target_.SetPins(true, tms, tdi);
  target_.SetPins(false, tms, tdi);
  ++cycles_;
  lowValue_ = static_cast<uint8_t>((lowValue_ & ~(kPinTms | kPinTdi)) | (tms ? kPinTms : 0) |
                                   (tdi ? kPinTdi : 0));
  return tdo;
}

void TMpsseEmulator::Reply(uint8_t byte) {
  if (mute_) return;
  if (dropReplies_ > 0) {
    --dropReplies_;
    return;
  }
  pending_.push_back(byte);
}

void TMpsseEmulator::RunCommand(const uint8_t* p) {
  const uint8_t op = p[0];
  const bool tms = (lowValue_ & kPinTms) != 0;
  switch (op) {
    case kBytesOut:
    case kBytesInOut:
    case kBytesIn: {
      if (!PinsReady()) return;
      const size_t n = (static_cast<size_t>(p[1]) | static_cast<size_t>(p[2]) << 8) + 1;
      const bool tdiLevel = (lowValue_ & kPinTdi) != 0;
      for (size_t i = 0; i < n; ++i) {
        uint8_t in = 0;
        for (int b = 0; b < 8; ++b) {
          const bool tdi = op == kBytesIn ? tdiLevel : ((p[3 + i] >> b) & 1) != 0;
          if (Clock(tms, tdi)) in |= static_cast<uint8_t>(1u << b);
        }
        if (op != kBytesOut) Reply(in);
      }
      return;
    }
    case kBitsOut:
    case kBitsInOut:
    case kBitsIn: {
      if (!PinsReady()) return;
      const uint32_t n = p[1] + 1u;
      if (n > kMaxBitsPerCommand) {
        Fail("bit command of " + std::to_string(n) + " bits");
        return;
      }
      const bool tdiLevel = (lowValue_ & kPinTdi) != 0;
      uint8_t in = 0;
      for (uint32_t b = 0; b < n; ++b) {
        const bool tdi = op == kBitsIn ? tdiLevel : ((p[2] >> b) & 1) != 0;
        // Bits enter the reply byte from the top: the first ends at bit 8 - n.
        in = static_cast<uint8_t>(in >> 1);
        if (Clock(tms, tdi)) in |= 0x80;
      }
      if (op != kBitsOut) Reply(in);
      return;
    }
    case kTmsOut:
    case kTmsInOut: {
      if (!PinsReady()) return;
      const uint32_t n = p[1] + 1u;
      if (n > kMaxTmsBitsPerCommand) {
        Fail("TMS command of " + std::to_string(n) + " bits");
        return;
      }
      const bool tdi = (p[2] & 0x80) != 0;
      uint8_t in = 0;
      for (uint32_t b = 0; b < n; ++b) {
        in = static_cast<uint8_t>(in >> 1);
        if (Clock(((p[2] >> b) & 1) != 0, tdi)) in |= 0x80;
      }
      if (op == kTmsInOut) Reply(in);
      return;
    }
    case kSetLowByte:
      lowValue_ = p[1];
      lowDir_ = p[2];
      lowSet_ = true;
      target_.SetPins((lowValue_ & kPinTck) != 0, (lowValue_ & kPinTms) != 0,
                      (lowValue_ & kPinTdi) != 0);
      return;
    case kSetHighByte:
      highValue_ = p[1];
      highDir_ = p[2];
      return;
    case kReadLowByte:
      Reply(static_cast<uint8_t>((lowValue_ & lowDir_) | (target_.Tdo() ? kPinTdo : 0)));
      return;
    case kReadHighByte:
      Reply(static_cast<uint8_t>(highValue_ & highDir_));
      return;
    case kSetDivisor:
      divisor_ = static_cast<uint16_t>(p[1] | p[2] << 8);
      target_.SetClockHz(TckHz());
      return;
    case kSendImmediate:
      ++sendImmediate_;
      ready_.insert(ready_.end(), pending_.begin(), pending_.end());
      pending_.clear();
      return;
    case kLoopbackOn:
      Fail("loopback switched on");
      return;
    case kLoopbackOff:
    case kThreePhaseOff:
    case kAdaptiveOff:
      return;
    case kDivideBy5On:
    case kDivideBy5Off:
      divideBy5_ = op == kDivideBy5On;
      target_.SetClockHz(TckHz());
      return;
    case kSyncOpcode:
      // A bad command is answered at once, as the chip does.
      Reply(kBadCommand);
      Reply(op);
      ready_.insert(ready_.end(), pending_.begin(), pending_.end());
      pending_.clear();
      return;
    default:
      Fail("unknown MPSSE command " + Hex(op));
  }
}

// ---- The emulated bus ----

namespace {

class TEmulatedTransport : public TFtdiTransport {
 public:
  explicit TEmulatedTransport(TMpsseEmulator& emulator) : emulator_(emulator) {}
  bool Write(const uint8_t* data, size_t size, int) override { return emulator_.Write(data, size); }
  int Read(uint8_t* data, size_t size) override { return emulator_.Read(data, size); }
  bool Purge() override { return emulator_.Purge(); }

 private:
  TMpsseEmulator& emulator_;
};

}  // namespace

size_t TEmulatedFtdiBus::AddChannel(const TFtdiChannel& channel, TJtagTarget* target) {
  TEntry entry{channel, nullptr};
  if (target != nullptr) entry.Emulator = std::make_unique<TMpsseEmulator>(channel.Chip, *target);
  channels_.push_back(std::move(entry));
  return channels_.size() - 1;
}

size_t TEmulatedFtdiBus::AddChip(TFtdiChip chip, const std::string& product,
                                 const std::string& serial, uint32_t locationBase,
                                 std::vector<TJtagTarget*> targets) {
  const size_t first = channels_.size();
  for (int c = 0; c < ChipFacts(chip).Channels; ++c) {
    TFtdiChannel channel;
    channel.Info = ChannelInfo(product, serial, locationBase + static_cast<uint32_t>(c) + 1, c);
    channel.Chip = chip;
    channel.Channel = c;
    TJtagTarget* target =
        channel.HasMpsse() && static_cast<size_t>(c) < targets.size() ? targets[c] : nullptr;
    AddChannel(channel, target);
  }
  return first;
}

std::vector<TFtdiChannel> TEmulatedFtdiBus::Channels() {
  std::vector<TFtdiChannel> out;
  for (const TEntry& e : channels_) out.push_back(e.Channel);
  return out;
}

std::unique_ptr<TFtdiTransport> TEmulatedFtdiBus::Open(const TFtdiChannel& channel) {
  if (failOpens_) return nullptr;
  for (TEntry& e : channels_) {
    if (e.Channel.Info.Description == channel.Info.Description &&
        e.Channel.Info.LocationID == channel.Info.LocationID && e.Emulator) {
      ++opens_;
      return std::make_unique<TEmulatedTransport>(*e.Emulator);
    }
  }
  return nullptr;
}
