#pragma once
// Bit strings in the scan layout: bit k is bit (k mod 8) of byte (k div 8).

#include <cstddef>
#include <cstdint>

namespace sim {

// Copies `count` bits from `src` (starting at bit `srcBit`) to `dst` (starting at bit
// `dstBit`); bits of `dst` outside the target range keep their values. Reads and writes
// only the bytes that hold bits of the two ranges. The ranges must not overlap.
void CopyBits(uint8_t* dst, size_t dstBit, const uint8_t* src, size_t srcBit, size_t count);

inline bool GetBit(const uint8_t* p, size_t bit) {
  return (p[bit >> 3] >> (bit & 7)) & 1;
}

inline void SetBit(uint8_t* p, size_t bit, bool v) {
  const uint8_t m = static_cast<uint8_t>(1u << (bit & 7));
  p[bit >> 3] = v ? static_cast<uint8_t>(p[bit >> 3] | m) : static_cast<uint8_t>(p[bit >> 3] & ~m);
}

inline size_t BytesForBits(size_t bits) {
  return (bits + 7) / 8;
}

}  // namespace sim
