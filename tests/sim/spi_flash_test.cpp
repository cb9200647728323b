#include "spi_flash_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A mode-0 SPI host on the flash's pins: Q is sampled just before each rising edge.
struct TSpiHost {
  TM25PXFlash& flash;
  uint64_t now = 0;

  void Pins(bool cs, bool clk, bool d) {
    now += 50'000;  // 50 ns per edge
    flash.SetPins(cs, clk, d, now);
  }
  // One selection: sends `out` (plus `extraBits` zero bits), returns what Q carried
  // (1 where the flash does not drive it, as with a pull-up).
  std::vector<uint8_t> Transfer(const std::vector<uint8_t>& out, int extraBits = 0) {
    std::vector<uint8_t> in;
    Pins(false, false, false);
    auto bit = [&](bool d) {
      Pins(false, false, d);
      const bool q = flash.QDriven() ? flash.Q() : true;
      Pins(false, true, d);
      return q;
    };
    for (uint8_t b : out) {
      uint8_t r = 0;
      for (int i = 7; i >= 0; --i) r = static_cast<uint8_t>((r << 1) | bit((b >> i) & 1));
      in.push_back(r);
    }
    for (int i = 0; i < extraBits; ++i) bit(false);
    Pins(false, false, false);
    Pins(true, false, false);
    return in;
  }
  void Wait(double seconds) { now += static_cast<uint64_t>(seconds * 1e12); }
  uint8_t Status() { return Transfer({0x05, 0})[1]; }
};

using Bytes = std::vector<uint8_t>;

TEST(M25PXFlash, IdentificationPerType) {
  const struct {
    TM25PXType type;
    uint8_t capacity;
    uint32_t size;
  } cases[] = {{TM25PXType::M25PX16, 0x15, 2u << 20},
               {TM25PXType::M25PX32, 0x16, 4u << 20},
               {TM25PXType::M25PX64, 0x17, 8u << 20}};
  for (const auto& c : cases) {
    TM25PXFlash f(c.type);
    TSpiHost host{f};
    EXPECT_EQ(f.Size(), c.size);
    // Q is not driven during the command byte, then 20 71 xx and the length byte.
    EXPECT_EQ(host.Transfer({0x9F, 0, 0, 0, 0}), (Bytes{0xFF, 0x20, 0x71, c.capacity, 0x10}));
    EXPECT_EQ(host.Transfer({0x9E, 0, 0, 0}), (Bytes{0xFF, 0x20, 0x71, c.capacity}));
  }
  EXPECT_EQ(M25PXTypeFromName("M25PX32"), TM25PXType::M25PX32);
  EXPECT_ANY_THROW(M25PXTypeFromName("M25P16"));
}

// A table of command sequences with the contents and status they must leave.
TEST(M25PXFlash, CommandSequences) {
  struct TStep {
    Bytes out;
    Bytes expect;     // compared from byte 0 when not empty
    double wait = 0;  // seconds after the selection
    int extraBits = 0;
  };
  struct TCase {
    const char* name;
    std::vector<TStep> steps;
    uint32_t checkAddress;
    Bytes contents;  // expected at checkAddress afterwards
  };
  const TCase cases[] = {
      {"program without WEL is ignored",
       {{{0x02, 0x00, 0x00, 0x10, 0x12, 0x34}, {}}, {{0x05, 0}, {0xFF, 0x00}}},
       0x10,
       {0xFF, 0xFF}},
      {"WREN, program, WIP while busy, WEL cleared at the end",
       {{{0x06}, {}},
        {{0x05, 0}, {0xFF, 0x02}},
        {{0x02, 0x00, 0x00, 0x10, 0x12, 0x34}, {}},
        {{0x05, 0, 0}, {0xFF, 0x03, 0x03}, 1e-3},
        {{0x05, 0}, {0xFF, 0x00}}},
       0x10,
       {0x12, 0x34}},
      {"program only clears bits",
       {{{0x06}, {}},
        {{0x02, 0, 0, 0, 0xF0}, {}, 1e-3},
        {{0x06}, {}},
        {{0x02, 0, 0, 0, 0x3C}, {}, 1e-3}},
       0,
       {0x30, 0xFF}},
      {"page program wraps at the page end",
       {{{0x06}, {}}, {{0x02, 0x00, 0x01, 0xFE, 1, 2, 3, 4}, {}, 1e-3}},
       0x100,
       {3, 4, 0xFF}},
      {"S# not on a byte boundary: WREN not executed",
       {{{0x06}, {}, 0, 1}, {{0x05, 0}, {0xFF, 0x00}}},
       0,
       {0xFF}},
      {"PP with the address only is not executed",
       {{{0x06}, {}}, {{0x02, 0, 0, 0}, {}}, {{0x05, 0}, {0xFF, 0x02}}},
       0,
       {0xFF}},
      {"commands other than RDSR are ignored while busy",
       {{{0x06}, {}},
        {{0x02, 0, 0, 0, 0x00}, {}},
        {{0x03, 0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {{0x9F, 0}, {0xFF, 0xFF}},
        {{0x05, 0}, {0xFF, 0x03}, 1e-3},
        {{0x03, 0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF, 0x00}}},
       0,
       {0x00}},
      {"WRSR keeps bits 0, 1 and 6",
       {{{0x06}, {}}, {{0x01, 0xFF}, {}}, {{0x05, 0}, {0xFF, 0xBF}, 2e-3}},
       0,
       {0xFF}},
      {"deep power-down ignores all but release",
       {{{0xB9}, {}},
        {{0x9F, 0}, {0xFF, 0xFF}},
        {{0x06}, {}},
        {{0x05, 0}, {0xFF, 0xFF}},
        {{0xAB}, {}},
        {{0x9F, 0}, {0xFF, 0x20}},
        {{0x05, 0}, {0xFF, 0x00}}},
       0,
       {0xFF}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TM25PXFlash f(TM25PXType::M25PX16);
    TSpiHost host{f};
    for (const TStep& s : c.steps) {
      const Bytes in = host.Transfer(s.out, s.extraBits);
      if (!s.expect.empty()) {
        EXPECT_EQ(Bytes(in.begin(), in.begin() + static_cast<long>(s.expect.size())), s.expect);
      }
      host.Wait(s.wait);
    }
    EXPECT_EQ(Bytes(f.Memory().begin() + c.checkAddress,
                    f.Memory().begin() + c.checkAddress + c.contents.size()),
              c.contents);
  }
}

TEST(M25PXFlash, MoreThanAPageKeepsTheLast256Bytes) {
  TM25PXFlash f(TM25PXType::M25PX16);
  TSpiHost host{f};
  Bytes pp = {0x02, 0x00, 0x02, 0x00};
  for (int i = 0; i < 300; ++i) pp.push_back(i < 256 ? 0xF0 : 0x0F);
  host.Transfer({0x06});
  host.Transfer(pp);
  // Bytes 256..299 replace the first 44 of the page instead of adding to them.
  EXPECT_EQ(f.Memory()[0x200], 0x0F);
  EXPECT_EQ(f.Memory()[0x22B], 0x0F);
  EXPECT_EQ(f.Memory()[0x22C], 0xF0);
  EXPECT_EQ(f.Memory()[0x2FF], 0xF0);
  EXPECT_EQ(f.Memory()[0x300], 0xFF);
}

TEST(M25PXFlash, ReadsWrapAndErasesCoverTheirBlocks) {
  TM25PXFlash f(TM25PXType::M25PX16);
  TSpiHost host{f};
  auto& m = f.Memory();
  std::fill(m.begin(), m.end(), 0x00);
  m[f.Size() - 1] = 0xA5;
  m[0] = 0x5A;
  // READ at the top wraps to 0; FAST_READ after its dummy byte.
  EXPECT_EQ(host.Transfer({0x03, 0x1F, 0xFF, 0xFF, 0, 0}),
            (Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xA5, 0x5A}));
  EXPECT_EQ(host.Transfer({0x0B, 0xFF, 0xFF, 0xFF, 0, 0, 0}).back(),
            0x5A);  // beyond the size wraps

  host.Transfer({0x06});
  host.Transfer({0x20, 0x12, 0x34, 0x56});  // subsector 0x123000-0x123FFF
  EXPECT_EQ(host.Status() & TM25PXFlash::kWip, TM25PXFlash::kWip);
  host.Wait(0.1);
  EXPECT_EQ(host.Status(), 0);
  EXPECT_EQ(m[0x122FFF], 0x00);
  EXPECT_EQ(m[0x123000], 0xFF);
  EXPECT_EQ(m[0x123FFF], 0xFF);
  EXPECT_EQ(m[0x124000], 0x00);

  host.Transfer({0x06});
  host.Transfer({0xD8, 0x05, 0x80, 0x00});  // sector 0x050000-0x05FFFF
  host.Wait(0.5);
  EXPECT_NE(host.Status() & TM25PXFlash::kWip, 0);  // 0.6 s typical
  host.Wait(0.2);
  EXPECT_EQ(host.Status(), 0);
  EXPECT_EQ(m[0x04FFFF], 0x00);
  EXPECT_EQ(m[0x050000], 0xFF);
  EXPECT_EQ(m[0x05FFFF], 0xFF);
  EXPECT_EQ(m[0x060000], 0x00);

  host.Transfer({0x06});
  host.Transfer({0xC7});
  host.Wait(14);
  EXPECT_NE(host.Status() & TM25PXFlash::kWip, 0);
  host.Wait(2);
  EXPECT_EQ(host.Status(), 0);
  EXPECT_TRUE(std::all_of(m.begin(), m.end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST(M25PXFlash, BusyTimesFollowTheScale) {
  TM25PXFlash f(TM25PXType::M25PX16, 0.001);
  TSpiHost host{f};
  host.Transfer({0x06});
  host.Transfer({0xC7});  // 15 s typical, scaled to 15 ms
  host.Wait(0.014);
  EXPECT_NE(host.Status() & TM25PXFlash::kWip, 0);
  host.Wait(0.002);
  EXPECT_EQ(host.Status(), 0);
}

}  // namespace
