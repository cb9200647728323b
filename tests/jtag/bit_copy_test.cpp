#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "jtag/scan_engine.h"

namespace {

// The byte-wise copies against a bit-at-a-time reference, over every alignment.
TEST(BitCopy, MatchesBitByBitCopyAtEveryOffset) {
  std::mt19937 random(42);
  std::vector<uint8_t> src(64);
  for (uint8_t& b : src) b = static_cast<uint8_t>(random());
  for (size_t srcBit = 0; srcBit < 16; ++srcBit) {
    for (size_t dstBit = 0; dstBit < 16; ++dstBit) {
      for (size_t count : {1u, 7u, 8u, 9u, 63u, 200u}) {
        std::vector<uint8_t> dst(64, 0xA5);
        std::vector<uint8_t> expected = dst;
        for (size_t k = 0; k < count; ++k) {
          PutBit(expected.data(), dstBit + k, GetBit(src.data(), srcBit + k));
        }
        CopyBits(src.data(), srcBit, dst.data(), dstBit, count);
        ASSERT_EQ(dst, expected) << srcBit << " " << dstBit << " " << count;
      }
    }
  }
}

TEST(BitCopy, MovesDownInPlaceAndFillsOnes) {
  std::mt19937 random(7);
  std::vector<uint8_t> area(40);
  for (uint8_t& b : area) b = static_cast<uint8_t>(random());
  for (size_t from : {1u, 5u, 8u, 13u, 64u}) {
    std::vector<uint8_t> moved = area;
    CopyBits(moved.data(), from, moved.data(), 0, 200);
    for (size_t k = 0; k < 200; ++k) {
      ASSERT_EQ(GetBit(moved.data(), k), GetBit(area.data(), from + k)) << from << " " << k;
    }
  }
  for (size_t first : {0u, 3u, 8u, 11u}) {
    for (size_t count : {1u, 5u, 8u, 21u}) {
      std::vector<uint8_t> dst(8, 0);
      FillOnes(dst.data(), first, count);
      for (size_t k = 0; k < 64; ++k) {
        ASSERT_EQ(GetBit(dst.data(), k), k >= first && k < first + count) << first << " " << k;
      }
    }
  }
}

}  // namespace
