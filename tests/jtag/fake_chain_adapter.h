#pragma once
// A test double of an adapter with a small JTAG chain behind it: each device has an
// instruction register (capturing ...01), BYPASS, an optional IDCODE register and a
// boundary register that captures `Pins` and updates `Driven`. Scans are modelled at
// the level the scan engine uses them (a whole register path shifted bit by bit); the
// TAP walk itself is not modelled. Index 0 is the device nearest TDI.

#include <cstdint>
#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "jtag/jtag_adapter.h"

struct TFakeDevice {
  uint32_t IRLength = 4;
  uint32_t IDCode = 0;       // 0: no IDCODE register (BYPASS after reset)
  std::vector<bool> Pins;    // what the boundary register captures; its length
  std::vector<bool> Driven;  // what the last boundary update wrote
  uint64_t Instruction = 0;

  uint64_t BypassOpcode() const { return (uint64_t{1} << IRLength) - 1; }
  static constexpr uint64_t kIDCodeOpcode = 1;
};

class TFakeChainAdapter : public TJtagAdapter {
 public:
  struct TScan {
    int32_t Reg;
    uint32_t Bits;
    std::vector<uint8_t> Data;
    bool Read;
  };

  std::vector<TFakeDevice> Devices;
  std::optional<bool> TdoStuck;  // TDO held at a level
  bool FailInit = false;         // InitDevice fails
  uint32_t ShortBy = 0;          // WriteRead returns this many bytes fewer
  std::vector<uint32_t> InitDivisors;
  std::vector<TScan> Scans;  // every scan that reached the chain, in order
  std::vector<TScan> Queue;  // queued, not yet executed

  std::string Kind() const override { return "fake"; }
  bool IsHardware() const override { return false; }
  std::vector<TAdapterDeviceInfo> ListDevices() override { return {{"Fake A", "F1", 1}}; }

  FTC_STATUS OpenEx(const std::string&, uint32_t, FTC_HANDLE* handle) override {
    *handle = 7;
    return FTC_SUCCESS;
  }
  FTC_STATUS InitDevice(FTC_HANDLE, uint32_t divisor) override {
    InitDivisors.push_back(divisor);
    if (FailInit) return FTC_IO_ERROR;
    for (TFakeDevice& d : Devices) {
      d.Instruction = d.IDCode != 0 ? TFakeDevice::kIDCodeOpcode : d.BypassOpcode();
    }
    return FTC_SUCCESS;
  }
  FTC_STATUS SetClock(FTC_HANDLE, uint32_t, uint32_t* hz) override {
    if (hz) *hz = 0;
    return FTC_SUCCESS;
  }
  FTC_STATUS GetClock(uint32_t divisor, uint32_t* hz) override {
    *hz = 6000000u / (1u + divisor);
    return FTC_SUCCESS;
  }
  FTC_STATUS Close(FTC_HANDLE) override { return FTC_SUCCESS; }

  FTC_STATUS Write(FTC_HANDLE, int32_t reg, uint32_t bits, const uint8_t* data, uint32_t bytes,
                   uint32_t) override {
    Scan(reg, bits, data, bytes, nullptr, false);
    return FTC_SUCCESS;
  }
  FTC_STATUS WriteRead(FTC_HANDLE, int32_t reg, uint32_t bits, const uint8_t* data, uint32_t bytes,
                       uint8_t* readBuffer, uint32_t* returned, uint32_t) override {
    Scan(reg, bits, data, bytes, readBuffer, true);
    *returned = bytes - ShortBy;
    return FTC_SUCCESS;
  }
  FTC_STATUS AddDeviceWriteCmd(FTC_HANDLE, int32_t reg, uint32_t bits, const uint8_t* data,
                               uint32_t bytes, uint32_t) override {
    Queue.push_back({reg, bits, {data, data + bytes}, false});
    return FTC_SUCCESS;
  }
  FTC_STATUS AddDeviceWriteReadCmd(FTC_HANDLE, int32_t reg, uint32_t bits, const uint8_t* data,
                                   uint32_t bytes, uint32_t) override {
    Queue.push_back({reg, bits, {data, data + bytes}, true});
    return FTC_SUCCESS;
  }
  FTC_STATUS ExecuteCmdSequence(FTC_HANDLE, uint8_t* readBuffer, uint32_t size,
                                uint32_t* returned) override {
    uint32_t at = 0;
    for (const TScan& s : Queue) {
      const auto bytes = static_cast<uint32_t>(s.Data.size());
      if (s.Read && at + bytes > size) return FTC_INVALID_PARAMETER;
      Scan(s.Reg, s.Bits, s.Data.data(), bytes, s.Read ? readBuffer + at : nullptr, s.Read);
      if (s.Read) at += bytes;
    }
    Queue.clear();
    *returned = at;
    return FTC_SUCCESS;
  }

  // The register path a data scan goes through in one device.
  std::vector<bool> CaptureDR(const TFakeDevice& d) const {
    if (d.Instruction == d.BypassOpcode()) return {false};
    if (d.Instruction == TFakeDevice::kIDCodeOpcode && d.IDCode != 0) {
      std::vector<bool> r(32);
      for (int k = 0; k < 32; ++k) r[k] = ((d.IDCode >> k) & 1u) != 0;
      return r;
    }
    return d.Pins;
  }

 private:
  void Scan(int32_t reg, uint32_t bits, const uint8_t* data, uint32_t bytes, uint8_t* out,
            bool read) {
    Scans.push_back({reg, bits, {data, data + bytes}, read});
    const bool ir = reg != kDataRegister;
    // The whole path, TDO end first: the device nearest TDO holds the front bits.
    std::deque<bool> path;
    std::vector<size_t> lengths(Devices.size());
    for (size_t i = Devices.size(); i-- > 0;) {
      std::vector<bool> r;
      if (ir) {
        r.assign(Devices[i].IRLength, false);
        r[0] = true;
      } else {
        r = CaptureDR(Devices[i]);
      }
      lengths[i] = r.size();
      path.insert(path.end(), r.begin(), r.end());
    }
    if (out) std::memset(out, 0, bytes);
    for (uint32_t k = 0; k < bits; ++k) {
      bool tdo = path.empty() ? false : path.front();
      if (TdoStuck) tdo = *TdoStuck;
      if (out && tdo) out[k / 8] |= static_cast<uint8_t>(1u << (k % 8));
      const bool tdi = ((data[k / 8] >> (k % 8)) & 1u) != 0;
      if (path.empty()) continue;
      path.pop_front();
      path.push_back(tdi);
    }
    // Update: each device takes its part of the path.
    size_t at = 0;
    for (size_t i = Devices.size(); i-- > 0;) {
      TFakeDevice& d = Devices[i];
      std::vector<bool> r(path.begin() + static_cast<long>(at),
                          path.begin() + static_cast<long>(at + lengths[i]));
      at += lengths[i];
      if (ir) {
        d.Instruction = 0;
        for (size_t k = 0; k < r.size() && k < 64; ++k) {
          if (r[k]) d.Instruction |= uint64_t{1} << k;
        }
      } else if (r.size() == d.Pins.size() && d.Instruction != d.BypassOpcode() &&
                 d.Instruction != TFakeDevice::kIDCodeOpcode) {
        d.Driven = r;
      }
    }
    (void)read;
  }
};
