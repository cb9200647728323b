#pragma once
// A small JTAG chain for adapter tests, modelled at pin level: each device has an
// instruction register (capturing ...01), BYPASS, an optional IDCODE (selected after
// reset) and a loop-back data register (instruction 2) that captures what was last
// updated into it. The scan-level calls drive the same pins, so both paths agree.

#include <cstdint>
#include <vector>

#include "sim/jtag_target.h"

class TFakeJtagChain : public TJtagTarget {
 public:
  struct TDevice {
    uint32_t IRLength;
    uint32_t IdCode;  // 0: none (BYPASS after reset)
    uint32_t DataLength = 20;
  };
  static constexpr uint64_t kIdcodeOpcode = 1;
  static constexpr uint64_t kLoopOpcode = 2;

  explicit TFakeJtagChain(std::vector<TDevice> devices) : devices_(std::move(devices)) {
    for (const TDevice& d : devices_) state_.push_back({d, {}, 0, std::vector<bool>(d.DataLength)});
    Reset();
  }

  void SetPins(bool tck, bool tms, bool tdi) override {
    if (tck && !tck_) Rise(tms, tdi);
    if (!tck && tck_) Fall();
    tck_ = tck;
  }
  bool Tdo() const override { return tdo_; }
  void SetTrst(bool asserted) override {
    if (asserted) {
      tap_ = kReset;
      Reset();
    }
  }
  void SetClockHz(uint32_t hz) override { clockHz = hz; }

  void ScanFromIdle(bool instruction, const uint8_t* tdi, uint8_t* tdo, uint32_t bits) override {
    Walk(instruction ? std::vector<int>{1, 1, 0, 0} : std::vector<int>{1, 0, 0});
    for (uint32_t k = 0; k < bits; ++k) {
      const bool in = ((tdi[k / 8] >> (k % 8)) & 1) != 0;
      const bool out = Cycle(k + 1 == bits, in);
      if (tdo != nullptr) {
        if (out)
          tdo[k / 8] |= static_cast<uint8_t>(1u << (k % 8));
        else
          tdo[k / 8] &= static_cast<uint8_t>(~(1u << (k % 8)));
      }
    }
    Walk({1, 0});
  }
  void ResetToIdle() override { Walk({1, 1, 1, 1, 1, 0}); }
  void Idle(uint32_t cycles) override {
    for (uint32_t i = 0; i < cycles; ++i) Cycle(false, false);
  }

  bool InIdle() const { return tap_ == kIdle; }
  bool InReset() const { return tap_ == kReset; }
  uint64_t Instruction(size_t device) const { return state_.at(device).Ir; }
  uint64_t Rises() const { return rises_; }
  uint32_t clockHz = 0;

 private:
  enum TTap {
    kReset,
    kIdle,
    kSelectDr,
    kCaptureDr,
    kShiftDr,
    kExit1Dr,
    kPauseDr,
    kExit2Dr,
    kUpdateDr,
    kSelectIr,
    kCaptureIr,
    kShiftIr,
    kExit1Ir,
    kPauseIr,
    kExit2Ir,
    kUpdateIr
  };
  struct TDeviceState {
    TDevice Spec;
    std::vector<bool> Shift;  // the register between TDI and TDO, index 0 nearest TDO
    uint64_t Ir;
    std::vector<bool> Loop;
  };

  static TTap Next(TTap s, bool tms) {
    static const TTap table[16][2] = {
        {kIdle, kReset},       {kIdle, kSelectDr},    {kCaptureDr, kSelectIr},
        {kShiftDr, kExit1Dr},  {kShiftDr, kExit1Dr},  {kPauseDr, kUpdateDr},
        {kPauseDr, kExit2Dr},  {kShiftDr, kUpdateDr}, {kIdle, kSelectDr},
        {kCaptureIr, kReset},  {kShiftIr, kExit1Ir},  {kShiftIr, kExit1Ir},
        {kPauseIr, kUpdateIr}, {kPauseIr, kExit2Ir},  {kShiftIr, kUpdateIr},
        {kIdle, kSelectDr}};
    return table[s][tms ? 1 : 0];
  }

  void Reset() {
    for (TDeviceState& d : state_) d.Ir = d.Spec.IdCode != 0 ? kIdcodeOpcode : AllOnes(d);
  }
  static uint64_t AllOnes(const TDeviceState& d) { return (uint64_t{1} << d.Spec.IRLength) - 1; }

  void Capture(bool instruction) {
    for (TDeviceState& d : state_) {
      d.Shift.clear();
      if (instruction) {
        d.Shift.assign(d.Spec.IRLength, false);
        d.Shift[0] = true;  // ...01
      } else if (d.Ir == kIdcodeOpcode && d.Spec.IdCode != 0) {
        for (int b = 0; b < 32; ++b) d.Shift.push_back(((d.Spec.IdCode >> b) & 1) != 0);
      } else if (d.Ir == kLoopOpcode) {
        d.Shift = d.Loop;
      } else {
        d.Shift.assign(1, false);  // BYPASS captures 0
      }
    }
  }
  void ShiftAll(bool tdi) {
    bool in = tdi;
    for (TDeviceState& d : state_) {
      const bool out = d.Shift.front();
      d.Shift.erase(d.Shift.begin());
      d.Shift.push_back(in);
      in = out;
    }
  }
  void Update(bool instruction) {
    for (TDeviceState& d : state_) {
      if (instruction) {
        d.Ir = 0;
        for (size_t b = 0; b < d.Shift.size(); ++b) d.Ir |= uint64_t{d.Shift[b]} << b;
      } else if (d.Ir == kLoopOpcode) {
        d.Loop = d.Shift;
      }
    }
  }

  void Rise(bool tms, bool tdi) {
    ++rises_;
    if (tap_ == kCaptureDr || tap_ == kCaptureIr) Capture(tap_ == kCaptureIr);
    if (tap_ == kShiftDr || tap_ == kShiftIr) ShiftAll(tdi);
    tap_ = Next(tap_, tms);
    if (tap_ == kUpdateDr || tap_ == kUpdateIr) Update(tap_ == kUpdateIr);
    if (tap_ == kReset) Reset();
  }
  void Fall() {
    if (tap_ == kShiftDr || tap_ == kShiftIr) tdo_ = state_.back().Shift.front();
  }

  bool Cycle(bool tms, bool tdi) {
    SetPins(false, tms, tdi);
    const bool out = Tdo();
    SetPins(true, tms, tdi);
    SetPins(false, tms, tdi);
    return out;
  }
  void Walk(const std::vector<int>& tms) {
    for (int t : tms) Cycle(t != 0, false);
  }

  std::vector<TDevice> devices_;
  std::vector<TDeviceState> state_;
  TTap tap_ = kReset;
  bool tck_ = false;
  bool tdo_ = false;
  uint64_t rises_ = 0;
};
