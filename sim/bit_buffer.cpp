#include "bit_buffer.h"

#include <algorithm>
#include <bit>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "the bit copies load bytes as little-endian words");

namespace sim {
namespace {

// Loads up to eight bytes (fewer at the end of a range) as a little-endian word.
inline uint64_t LoadWord(const uint8_t* p, size_t available) {
  uint64_t w = 0;
  if (available >= 8) {
    std::memcpy(&w, p, 8);
  } else {
    std::memcpy(&w, p, available);
  }
  return w;
}

inline void StoreWord(uint8_t* p, size_t available, uint64_t w) {
  if (available >= 8) {
    std::memcpy(p, &w, 8);
  } else {
    std::memcpy(p, &w, available);
  }
}

}  // namespace

void CopyBits(uint8_t* dst, size_t dstBit, const uint8_t* src, size_t srcBit, size_t count) {
  const size_t srcEndByte = BytesForBits(srcBit + count);
  const size_t dstEndByte = BytesForBits(dstBit + count);
  // Chunks of at most 56 bits fit a word at any bit offset (offset <= 7).
  constexpr size_t kChunk = 56;
  while (count > 0) {
    const size_t n = std::min(count, kChunk);
    const size_t sByte = srcBit >> 3;
    const size_t dByte = dstBit >> 3;
    const unsigned sShift = static_cast<unsigned>(srcBit & 7);
    const unsigned dShift = static_cast<unsigned>(dstBit & 7);
    const uint64_t mask = (uint64_t{1} << n) - 1;
    const uint64_t bits = (LoadWord(src + sByte, srcEndByte - sByte) >> sShift) & mask;
    const size_t dAvail = std::min(dstEndByte - dByte, BytesForBits(dShift + n));
    uint64_t w = LoadWord(dst + dByte, dAvail);
    w = (w & ~(mask << dShift)) | (bits << dShift);
    StoreWord(dst + dByte, dAvail, w);
    srcBit += n;
    dstBit += n;
    count -= n;
  }
}

}  // namespace sim
