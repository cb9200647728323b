#include <algorithm>
#include <bit>
#include <cstring>

#include "jtag/scan_engine.h"

namespace {

// The 8 bits of `src` that start at bit `bit`, without reading past byte `lastByte`
// (missing high bits read as 0).
uint8_t ByteAt(const uint8_t* src, size_t bit, size_t lastByte) {
  const size_t byte = bit / 8;
  const unsigned shift = bit % 8;
  if (shift == 0) return src[byte];
  unsigned value = src[byte] >> shift;
  if (byte + 1 <= lastByte) value |= static_cast<unsigned>(src[byte + 1]) << (8 - shift);
  return static_cast<uint8_t>(value);
}

// Writes the low `count` (1 ... 8) bits of `value` at bit `bit` of `dst`.
void PutBitsAt(uint8_t* dst, size_t bit, unsigned value, unsigned count) {
  const size_t byte = bit / 8;
  const unsigned shift = bit % 8;
  const unsigned mask = ((1u << count) - 1u) << shift;  // up to 15 bits wide
  const unsigned bits = (value << shift) & mask;
  dst[byte] = static_cast<uint8_t>((dst[byte] & ~mask) | bits);
  if (shift + count > 8) {
    dst[byte + 1] = static_cast<uint8_t>((dst[byte + 1] & ~(mask >> 8)) | (bits >> 8));
  }
}

// 56 bits at a time through 64-bit words, while whole words of both areas lie within
// the bytes the copy may touch; returns the bits done.
size_t CopyWords(const uint8_t* src, size_t srcBit, uint8_t* dst, size_t dstBit, size_t count) {
  if constexpr (std::endian::native != std::endian::little) return 0;
  constexpr size_t kChunk = 56;
  const size_t srcEnd = (srcBit + count - 1) / 8 + 1;  // one past the last byte
  const size_t dstEnd = (dstBit + count - 1) / 8 + 1;
  size_t done = 0;
  while (count - done >= kChunk) {
    const size_t s = (srcBit + done) / 8;
    const size_t d = (dstBit + done) / 8;
    if (s + 8 > srcEnd || d + 8 > dstEnd) break;
    uint64_t in = 0;
    uint64_t out = 0;
    std::memcpy(&in, src + s, 8);
    std::memcpy(&out, dst + d, 8);
    const unsigned shift = (dstBit + done) % 8;
    const uint64_t mask = ((uint64_t{1} << kChunk) - 1) << shift;
    out = (out & ~mask) | (((in >> ((srcBit + done) % 8)) << shift) & mask);
    std::memcpy(dst + d, &out, 8);
    done += kChunk;
  }
  return done;
}

}  // namespace

void CopyBits(const uint8_t* src, size_t srcBit, uint8_t* dst, size_t dstBit, size_t count) {
  if (count == 0) return;
  const size_t lastByte = (srcBit + count - 1) / 8;
  if (srcBit % 8 == 0 && dstBit % 8 == 0) {
    // Both aligned: whole bytes move at once, the tail bits one merge.
    const size_t whole = count / 8;
    std::copy(src + srcBit / 8, src + srcBit / 8 + whole, dst + dstBit / 8);
    const auto rest = static_cast<unsigned>(count % 8);
    if (rest != 0) PutBitsAt(dst, dstBit + whole * 8, src[srcBit / 8 + whole], rest);
    return;
  }
  size_t done = CopyWords(src, srcBit, dst, dstBit, count);
  while (done < count) {
    const auto n = static_cast<unsigned>(std::min<size_t>(8, count - done));
    PutBitsAt(dst, dstBit + done, ByteAt(src, srcBit + done, lastByte), n);
    done += n;
  }
}

void FillOnes(uint8_t* dst, size_t first, size_t count) {
  size_t done = 0;
  // Up to the next byte boundary, whole bytes, then the tail.
  while (done < count && (first + done) % 8 != 0) {
    const auto n = static_cast<unsigned>(std::min<size_t>(8 - (first + done) % 8, count - done));
    PutBitsAt(dst, first + done, 0xFFu, n);
    done += n;
  }
  const size_t whole = (count - done) / 8;
  std::fill_n(dst + (first + done) / 8, whole, uint8_t{0xFF});
  done += whole * 8;
  if (done < count) PutBitsAt(dst, first + done, 0xFFu, static_cast<unsigned>(count - done));
}
