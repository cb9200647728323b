#pragma once
// The boundary-scan image and the bit operations the scan engine builds its streams
// with. The scans themselves are TForm1 methods (scan_engine.cpp), since they read the
// chain, the chain position and the shift-mode flags of the main window.

#include <cstddef>
#include <cstdint>

#include "jtag/jtag_adapter.h"

// BSRImage: a write area from byte 0 and a read area from byte 65535 to the end.
constexpr size_t kBSRImageSize = 131072;
constexpr size_t kReadAreaOffset = 65535;
constexpr size_t kReadAreaSize = kBSRImageSize - kReadAreaOffset;
// A scan stream may use at most the bytes of the write area, which ends where the read
// area begins.
constexpr size_t kMaxScanBytes = kReadAreaOffset;
constexpr size_t kMaxScanBits = kMaxScanBytes * 8;

// Added to the library's status when a write-read scan returns fewer bytes than it
// shifted, so a short read never counts as success.
constexpr FTC_STATUS kShortReadStatus = 256;
// The status of a scan the engine refuses before anything reaches the adapter: no
// chain detected, no position chosen or one outside the chain, a chain device of
// unknown instruction-register length, a 0-bit scan or a stream longer than the write
// area.
constexpr FTC_STATUS kScanRefusedStatus = 0x10000;

constexpr size_t BytesForBits(size_t bits) {
  return (bits + 7) / 8;
}

// Bit k of an area is bit (k mod 8) of byte (k div 8).
inline bool GetBit(const uint8_t* area, size_t bit) {
  return ((area[bit / 8] >> (bit % 8)) & 1u) != 0;
}
inline void PutBit(uint8_t* area, size_t bit, bool value) {
  const auto mask = static_cast<uint8_t>(1u << (bit % 8));
  if (value) {
    area[bit / 8] |= mask;
  } else {
    area[bit / 8] &= static_cast<uint8_t>(~mask);
  }
}

// Copies `count` bits from bit `srcBit` of `src` to bit `dstBit` of `dst`, a byte at a
// time. Bits of `dst` outside the target range keep their values. `src` is read only
// within bytes srcBit / 8 ... (srcBit + count - 1) / 8. The areas may overlap when the
// copy moves bits towards lower positions (dstBit <= srcBit, same buffer).
void CopyBits(const uint8_t* src, size_t srcBit, uint8_t* dst, size_t dstBit, size_t count);

// Sets `count` bits from bit `first` of `dst` to one.
void FillOnes(uint8_t* dst, size_t first, size_t count);
