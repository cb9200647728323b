#pragma once
// What a JTAG host sees of a simulated board: its pins, bit by bit, and a fast
// scan-level path that must behave exactly like the same TMS/TDI sequence clocked
// bit by bit. The adapter backends use it: the simulator backend through the scan
// path; the MPSSE emulator and pinloom-sim's remote_bitbang server through the pins.

#include <cstdint>

class TJtagTarget {
 public:
  virtual ~TJtagTarget() = default;

  // Pin level. The TAP steps on a rising edge of TCK (sampling TMS and TDI); TDO
  // changes on the falling edge. Setting the same levels again is no edge.
  virtual void SetPins(bool tck, bool tms, bool tdi) = 0;
  virtual bool Tdo() const = 0;
  // TRST (active when asserted): holds every TAP in Test-Logic-Reset.
  virtual void SetTrst(bool asserted) = 0;

  // The TCK frequency the host runs at: each TCK cycle advances simulated time (flash
  // busy times) by 1 / hz.
  virtual void SetClockHz(uint32_t hz) = 0;

  // Scan level, equivalent to the TMS walks of a host that starts and ends in
  // Run-Test/Idle: Idle -> Select -> Capture -> Shift (bits, TMS 1 on the last) ->
  // Exit1 -> Update -> Idle. `tdo` (may be null) receives bit k of the scan as bit
  // (k mod 8) of byte (k div 8); `tdi` is read the same way.
  virtual void ScanFromIdle(bool instruction, const uint8_t* tdi, uint8_t* tdo, uint32_t bits) = 0;
  // Five TMS ones (Test-Logic-Reset) then one zero (Run-Test/Idle).
  virtual void ResetToIdle() = 0;
  // Cycles in Run-Test/Idle (TMS 0).
  virtual void Idle(uint32_t cycles) = 0;
};
