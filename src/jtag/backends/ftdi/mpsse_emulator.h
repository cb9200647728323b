#pragma once
// An FTDI chip in MPSSE mode, emulated for tests and benchmarks: it decodes every
// command the host sends, drives a simulated JTAG target bit by bit through its pins
// and answers as the chip does (bit replies MSB-justified, replies handed to the host
// on "send immediate"). It refuses any command it does not know, H-series commands on
// an FT2232C/D, and replies piling up beyond the chip's buffer (a real chip would
// stall there): the first such error is kept and every later write fails.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "jtag/backends/ftdi/ftdi_transport.h"
#include "sim/jtag_target.h"

class TMpsseEmulator {
 public:
  TMpsseEmulator(TFtdiChip chip, TJtagTarget& target);

  // The host's side.
  bool Write(const uint8_t* data, size_t size);
  int Read(uint8_t* data, size_t size);
  bool Purge();

  // Faults: unplugged (every call fails), mute (commands run, no reply ever comes),
  // and the next `n` reply bytes lost on the way.
  void Unplug() { unplugged_ = true; }
  void SetMute(bool mute) { mute_ = mute; }
  void DropReplyBytes(size_t n) { dropReplies_ = n; }

  // What it saw.
  const std::string& Error() const { return error_; }
  // "Send immediate" commands received: the times the host waited for the adapter.
  uint32_t SendImmediateCount() const { return sendImmediate_; }
  uint32_t WriteCount() const { return writes_; }
  uint64_t TckCycles() const { return cycles_; }
  uint16_t Divisor() const { return divisor_; }
  // The TCK frequency the chip runs at.
  uint32_t TckHz() const;
  bool LowByteSet() const { return lowSet_; }
  uint8_t LowValue() const { return lowValue_; }
  uint8_t LowDirection() const { return lowDir_; }
  uint8_t HighValue() const { return highValue_; }
  uint8_t HighDirection() const { return highDir_; }
  // Every byte received, when recording is on (off by default: benchmarks send a lot).
  void RecordTraffic(bool on) { record_ = on; }
  const std::vector<uint8_t>& Traffic() const { return traffic_; }

 private:
  // Runs the complete commands at the front of the input; false on an error.
  bool RunCommands();
  // Length of the command at `p` (0 when incomplete); sets error_ for an unknown one.
  size_t CommandLength(const uint8_t* p, size_t available);
  void RunCommand(const uint8_t* p);
  bool Fail(const std::string& message);
  bool PinsReady();
  // One TCK cycle: the data set while TCK is low, TDO sampled, the rising edge, back low.
  bool Clock(bool tms, bool tdi);
  void Reply(uint8_t byte);

  TFtdiChip chip_;
  TJtagTarget& target_;
  std::vector<uint8_t> input_;
  std::vector<uint8_t> pending_;  // replies not yet handed over
  std::deque<uint8_t> ready_;     // replies the host may read
  std::string error_;
  bool unplugged_ = false;
  bool mute_ = false;
  size_t dropReplies_ = 0;
  bool record_ = false;
  std::vector<uint8_t> traffic_;
  uint32_t sendImmediate_ = 0;
  uint32_t writes_ = 0;
  uint64_t cycles_ = 0;
  uint16_t divisor_ = 0;
  bool divideBy5_ = false;
  bool lowSet_ = false;
  uint8_t lowValue_ = 0;
  uint8_t lowDir_ = 0;
  uint8_t highValue_ = 0;
  uint8_t highDir_ = 0;
};

// A bus of emulated channels for the FT2232 backend.
class TEmulatedFtdiBus : public TFtdiBus {
 public:
  // Adds every channel of a chip; `targets` are the targets wired to its MPSSE
  // channels (A first). Returns the index of channel A's emulator.
  size_t AddChip(TFtdiChip chip, const std::string& product, const std::string& serial,
                 uint32_t locationBase, std::vector<TJtagTarget*> targets);
  // Adds one listed channel (tests of odd listings); `target` may be null.
  size_t AddChannel(const TFtdiChannel& channel, TJtagTarget* target);

  TMpsseEmulator& Emulator(size_t index) { return *channels_.at(index).Emulator; }
  int OpenCount() const { return opens_; }
  // Makes the next Open calls fail.
  void FailOpens(bool fail) { failOpens_ = fail; }

  std::vector<TFtdiChannel> Channels() override;
  std::unique_ptr<TFtdiTransport> Open(const TFtdiChannel& channel) override;

 private:
  struct TEntry {
    TFtdiChannel Channel;
    std::unique_ptr<TMpsseEmulator> Emulator;  // null without a target
  };
  std::vector<TEntry> channels_;
  int opens_ = 0;
  bool failOpens_ = false;
};
