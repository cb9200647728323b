#pragma once
// The USB side of the FT2232 backend, kept behind two small interfaces so that the
// backend's MPSSE byte stream can run through an emulator in tests: a bus that lists
// the FTDI channels and opens one, and the byte pipe to an open channel.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "jtag/jtag_adapter.h"

enum class TFtdiChip { FT2232C, FT2232H, FT4232H, FT232H };

struct TFtdiChipFacts {
  const char* Name;
  uint16_t ProductId;
  uint16_t BcdDevice;
  int Channels;       // interfaces A, B, ...
  int MpsseChannels;  // the first n channels have an MPSSE
  bool HighSpeed;     // H-series: 60 MHz clock, the 0x8A/0x8B/0x8D/0x97 commands
  size_t TxBuffer;    // host -> chip bytes
  size_t RxBuffer;    // chip -> host bytes
};

const TFtdiChipFacts& ChipFacts(TFtdiChip chip);
// The chip type from a USB device's bcdDevice; false for one that has no MPSSE.
bool ChipFromBcdDevice(uint16_t bcdDevice, TFtdiChip* chip);

// One listed channel.
struct TFtdiChannel {
  TAdapterDeviceInfo Info;  // D2XX-style: description and serial with the channel letter
  TFtdiChip Chip = TFtdiChip::FT2232H;
  int Channel = 0;  // 0 = A
  bool HasMpsse() const { return Channel < ChipFacts(Chip).MpsseChannels; }
};

// The D2XX-style entry of channel `channel` of a chip: every channel its own entry,
// " A", " B" ... appended to the description and "A", "B" ... to the serial number.
// A single-channel chip (FT232H) is named as channel A, so that it is listed too.
TAdapterDeviceInfo ChannelInfo(const std::string& product, const std::string& serial,
                               uint32_t location, int channel);

// The location ID of a channel: the USB bus number in the top nibble, then one nibble
// per port of the path from the root hub (each taken modulo 16), and the channel
// number (1 = A, 2 = B, ...) in the lowest nibble. A path of more than six ports keeps
// its first six. Bus 3, ports 1.4, channel A give 0x31400001.
uint32_t UsbLocationId(uint8_t bus, const uint8_t* ports, int portCount, int channel);

// The byte pipe to one open channel in MPSSE mode.
class TFtdiTransport {
 public:
  virtual ~TFtdiTransport() = default;
  // Writes all bytes or fails; returns false on failure. `timeoutMs` bounds the call.
  virtual bool Write(const uint8_t* data, size_t size, int timeoutMs) = 0;
  // Reads what has arrived, up to `size` bytes, waiting at most a short while; returns
  // the number of bytes (0 when none arrived yet) or -1 on failure.
  virtual int Read(uint8_t* data, size_t size) = 0;
  // Drops whatever is buffered in either direction.
  virtual bool Purge() = 0;
};

class TFtdiBus {
 public:
  virtual ~TFtdiBus() = default;
  virtual std::vector<TFtdiChannel> Channels() = 0;
  // Opens a listed channel in MPSSE mode; nullptr on failure.
  virtual std::unique_ptr<TFtdiTransport> Open(const TFtdiChannel& channel) = 0;
};
