#include "nor_flash_model.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A bus master on the flash's pins. In byte mode the addresses are byte addresses:
// A-1 goes out on DQ15.
struct TNorHost {
  TS29GLFlash& flash;
  bool byteMode = false;
  bool wp = true;
  uint64_t now = 0;

  TNorPins Bus(uint32_t a, uint16_t d) const {
    TNorPins p;
    p.ByteN = !byteMode;
    p.WpN = wp;
    p.Address = byteMode ? a >> 1 : a;
    p.Data = byteMode ? static_cast<uint16_t>((d & 0xFF) | ((a & 1) << 15)) : d;
    return p;
  }
  void Apply(const TNorPins& p) {
    now += 100'000;  // 100 ns
    flash.SetPins(p, now);
  }
  void Write(uint32_t a, uint16_t d) {
    TNorPins p = Bus(a, d);
    Apply(p);
    p.CeN = p.WeN = false;
    Apply(p);
    p.WeN = p.CeN = true;
    Apply(p);
  }
  uint16_t Read(uint32_t a) {
    TNorPins p = Bus(a, 0);
    Apply(p);
    p.CeN = p.OeN = false;
    Apply(p);
    const uint16_t v = static_cast<uint16_t>((flash.DriveValue() & flash.DriveMask()) |
                                             (~flash.DriveMask() & (byteMode ? 0xFF : 0xFFFF)));
    p.CeN = p.OeN = true;
    Apply(p);
    return v;
  }
  void Unlock() {
    Write(byteMode ? 0xAAA : 0x555, 0xAA);
    Write(byteMode ? 0x555 : 0x2AA, 0x55);
  }
  void Command(uint8_t cmd) {
    Unlock();
    Write(byteMode ? 0xAAA : 0x555, cmd);
  }
  void Wait(double seconds) { now += static_cast<uint64_t>(seconds * 1e12); }
  void PulseReset() {
    TNorPins p = Bus(0, 0);
    p.ResetN = false;
    Apply(p);
    p.ResetN = true;
    Apply(p);
  }
};

// Steps of a command table.
struct TStep {
  // 'W' write, 'R' read, 'G' DQ6 toggles at the address, 'T' wait (value = µs),
  // 'X' RESET# pulse.
  char op;
  uint32_t address;
  uint32_t value;
  uint16_t mask = 0xFFFF;
};

void RunSteps(TNorHost& host, const std::vector<TStep>& steps) {
  for (size_t i = 0; i < steps.size(); ++i) {
    const TStep& s = steps[i];
    SCOPED_TRACE("step " + std::to_string(i));
    switch (s.op) {
      case 'W':
        host.Write(s.address, static_cast<uint16_t>(s.value));
        break;
      case 'R':
        EXPECT_EQ(host.Read(s.address) & s.mask, s.value & s.mask);
        break;
      case 'G': {
        const uint16_t a = host.Read(s.address), b = host.Read(s.address);
        EXPECT_NE(a & TS29GLFlash::kDQ6, b & TS29GLFlash::kDQ6);
        break;
      }
      case 'T':
        host.Wait(s.value * 1e-6);
        break;
      case 'X':
        host.PulseReset();
        break;
    }
  }
}

std::vector<TStep> Unlocked(uint32_t a, uint16_t cmd) {
  return {{'W', 0x555, 0xAA}, {'W', 0x2AA, 0x55}, {'W', a, cmd}};
}

std::vector<TStep> Join(std::initializer_list<std::vector<TStep>> parts) {
  std::vector<TStep> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

TEST(S29GLFlash, AutoselectCodesPerType) {
  const struct {
    TS29GLType type;
    uint16_t id2;
    uint32_t size;
  } cases[] = {{TS29GLType::S29GL128N, 0x2221, 16u << 20},
               {TS29GLType::S29GL256N, 0x2222, 32u << 20},
               {TS29GLType::S29GL512N, 0x2223, 64u << 20}};
  for (const auto& c : cases) {
    TS29GLFlash f(c.type);
    TNorHost host{f};
    EXPECT_EQ(f.Size(), c.size);
    RunSteps(host, Join({Unlocked(0x555, 0x90),
                         {{'R', 0x00, 0x0001},
                          {'R', 0x01, 0x227E},
                          {'R', 0x0E, c.id2},
                          {'R', 0x0F, 0x2201},
                          {'R', 0x20002, 0x0000},
                          {'W', 0x000, 0xF0F0},
                          {'R', 0x01, 0xFFFF}}}));
  }
}

TEST(S29GLFlash, ByteModeAutoselectAndUnlockAddresses) {
  TS29GLFlash f(TS29GLType::S29GL256N);
  TNorHost host{f, true};
  host.Command(0x90);
  EXPECT_EQ(host.Read(0x00), 0x01);
  EXPECT_EQ(host.Read(0x02), 0x7E);
  EXPECT_EQ(host.Read(0x1C), 0x22);
  EXPECT_EQ(host.Read(0x1E), 0x01);
  host.Write(0, 0xF0);
  // Byte program at an odd byte address: the high byte of word 0x10.
  host.Command(0xA0);
  host.Write(0x21, 0x12);
  host.Wait(1e-3);
  EXPECT_EQ(host.Read(0x21), 0x12);
  EXPECT_EQ(f.Memory()[0x21], 0x12);
  EXPECT_EQ(f.Memory()[0x20], 0xFF);
  // In word mode the same word reads 12FF.
  host.byteMode = false;
  EXPECT_EQ(host.Read(0x10), 0x12FF);
}

TEST(S29GLFlash, CfiQuery) {
  TS29GLFlash f(TS29GLType::S29GL512N);
  TNorHost host{f};
  RunSteps(host, {{'W', 0x55, 0x98},
                  {'R', 0x10, 'Q'},
                  {'R', 0x11, 'R'},
                  {'R', 0x12, 'Y'},
                  {'R', 0x27, 0x1A},
                  {'R', 0x2A, 0x05},
                  {'R', 0x2C, 0x01},
                  {'R', 0x2D, 0xFF},
                  {'R', 0x2E, 0x01},
                  {'R', 0x2F, 0x00},
                  {'R', 0x30, 0x02},
                  {'W', 0, 0xF0},
                  {'R', 0x10, 0xFFFF}});
  TS29GLFlash g(TS29GLType::S29GL128N);
  TNorHost byteHost{g, true};
  RunSteps(byteHost, {{'W', 0xAA, 0x98}, {'R', 0x20, 'Q'}, {'R', 0x4E, 0x18}, {'R', 0x5A, 0x7F}});
}

// Word-mode command sequences on an S29GL128N, checked through the bus.
TEST(S29GLFlash, CommandSequences) {
  struct TCase {
    const char* name;
    std::vector<TStep> steps;
  };
  const std::vector<TCase> cases = {
      {"word program: DQ7 complement and DQ6 toggle while busy, data afterwards",
       Join({Unlocked(0x555, 0xA0),
             {{'W', 0x1234, 0xA55A},
              {'R', 0x1234, 0x80, 0x80},
              {'G', 0x1234, 0},
              {'R', 0x1234, 0x00, TS29GLFlash::kDQ5},
              {'T', 0, 100},
              {'R', 0x1234, 0xA55A},
              {'R', 0x1234, 0xA55A}}})},
      {"a write without the unlock cycles changes nothing",
       {{'W', 0x1234, 0x0000}, {'W', 0x555, 0xA0}, {'W', 0x1234, 0x0000}, {'R', 0x1234, 0xFFFF}}},
      {"unlock cycles compare A10-A0 only",
       Join({{{'W', 0x7D555, 0xAA}, {'W', 0x1AAA, 0x55}, {'W', 0x3555, 0x90}},
             {{'R', 0x01, 0x227E}, {'W', 0, 0xF0}}})},
      {"reset in the middle of an unlock sequence",
       {{'W', 0x555, 0xAA},
        {'W', 0x000, 0xF0},
        {'W', 0x555, 0xA0},
        {'W', 0x40, 0x0000},
        {'R', 0x40, 0xFFFF}}},
      {"programming a 0 to 1 times out with DQ5 until reset",
       Join({Unlocked(0x555, 0xA0),
             {{'W', 0x10, 0x0000}, {'T', 0, 100}},
             Unlocked(0x555, 0xA0),
             {{'W', 0x10, 0x00FF},
              {'T', 0, 100},
              {'R', 0x10, 0x20, 0x20},
              {'G', 0x10, 0},
              {'W', 0x000, 0xF0},
              {'R', 0x10, 0x0000}}})},
      {"write buffer programs its words", Join({{{'W', 0x555, 0xAA},
                                                 {'W', 0x2AA, 0x55},
                                                 {'W', 0x20000, 0x25},
                                                 {'W', 0x20000, 3},
                                                 {'W', 0x20008, 0x1111},
                                                 {'W', 0x20009, 0x2222},
                                                 {'W', 0x2000A, 0x3333},
                                                 {'W', 0x2000B, 0x0044},
                                                 {'W', 0x20000, 0x29}},
                                                {{'R', 0x20008, 0x80, 0x80},
                                                 {'G', 0x20000, 0},
                                                 {'T', 0, 300},
                                                 {'R', 0x20008, 0x1111},
                                                 {'R', 0x20009, 0x2222},
                                                 {'R', 0x2000A, 0x3333},
                                                 {'R', 0x2000B, 0x0044},
                                                 {'R', 0x2000C, 0xFFFF}}})},
      {"write buffer: a load outside the page aborts; only the abort reset clears DQ1",
       {{'W', 0x555, 0xAA},
        {'W', 0x2AA, 0x55},
        {'W', 0x20000, 0x25},
        {'W', 0x20000, 1},
        {'W', 0x2000F, 0x0000},
        {'W', 0x20010, 0x0000},
        {'R', 0x20000, TS29GLFlash::kDQ1, TS29GLFlash::kDQ1},
        {'G', 0x20000, 0},
        {'W', 0x000, 0xF0},
        {'R', 0x20000, TS29GLFlash::kDQ1, TS29GLFlash::kDQ1},
        {'W', 0x555, 0xAA},
        {'W', 0x2AA, 0x55},
        {'W', 0x555, 0xF0},
        {'R', 0x2000F, 0xFFFF},
        {'R', 0x20010, 0xFFFF}}},
      {"write buffer: a word count over 15 aborts",
       {{'W', 0x555, 0xAA},
        {'W', 0x2AA, 0x55},
        {'W', 0x20000, 0x25},
        {'W', 0x20000, 16},
        {'R', 0x20000, TS29GLFlash::kDQ1, TS29GLFlash::kDQ1}}},
      {"write buffer: anything but 29 after the last load aborts",
       {{'W', 0x555, 0xAA},
        {'W', 0x2AA, 0x55},
        {'W', 0x20000, 0x25},
        {'W', 0x20000, 0},
        {'W', 0x20000, 0x1234},
        {'W', 0x20000, 0x30},
        {'R', 0x20000, TS29GLFlash::kDQ1, TS29GLFlash::kDQ1},
        {'W', 0x555, 0xAA},
        {'W', 0x2AA, 0x55},
        {'W', 0x555, 0xF0},
        {'R', 0x20000, 0xFFFF}}},
      {"write buffer: a load in another sector aborts",
       {{'W', 0x555, 0xAA},
        {'W', 0x2AA, 0x55},
        {'W', 0x20000, 0x25},
        {'W', 0x20000, 0},
        {'W', 0x30000, 0x1234},
        {'R', 0x20000, TS29GLFlash::kDQ1, TS29GLFlash::kDQ1}}},
      {"sector erase: window with DQ3 = 0, then DQ3 = 1, DQ2 toggles in the sector only",
       Join({Unlocked(0x555, 0xA0),
             {{'W', 0x30000, 0x0000}, {'T', 0, 100}},
             Unlocked(0x555, 0xA0),
             {{'W', 0x40000, 0x0000}, {'T', 0, 100}},
             Unlocked(0x555, 0x80),
             Unlocked(0x30000, 0x30),
             {{'R', 0x30000, 0x00, TS29GLFlash::kDQ3 | TS29GLFlash::kDQ7},
              {'T', 0, 60},
              {'R', 0x30000, TS29GLFlash::kDQ3, TS29GLFlash::kDQ3 | TS29GLFlash::kDQ7},
              {'G', 0x30000, 0},
              {'T', 0, 400000},
              {'R', 0x30000, 0x08, 0x08},
              {'T', 0, 200000},
              {'R', 0x30000, 0xFFFF},
              {'R', 0x40000, 0x0000}}})},
      {"sector erase: a second SA/30 in the window adds a sector",
       Join({Unlocked(0x555, 0xA0),
             {{'W', 0x50000, 0x0000}, {'T', 0, 100}},
             Unlocked(0x555, 0x80),
             Unlocked(0x30000, 0x30),
             {{'W', 0x50000, 0x30}, {'T', 0, 1100000}, {'R', 0x50000, 0xFFFF}}})},
      {"RESET# low ends an erase and returns to reading",
       Join({Unlocked(0x555, 0x80),
             Unlocked(0x555, 0x10),
             {{'T', 0, 100},
              {'R', 0x0, TS29GLFlash::kDQ3, TS29GLFlash::kDQ3},
              {'X', 0, 0},
              {'R', 0x0, 0xFFFF},
              {'R', 0x0, 0xFFFF}}})},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TS29GLFlash f(TS29GLType::S29GL128N);
    TNorHost host{f};
    RunSteps(host, c.steps);
  }
}

TEST(S29GLFlash, StatusReadsAndTheResetPin) {
  TS29GLFlash f(TS29GLType::S29GL128N);
  TNorHost host{f};
  std::fill(f.Memory().begin(), f.Memory().end(), 0x00);
  // DQ2 toggles on reads of the erasing sector and stays put elsewhere during a
  // sector erase.
  host.Command(0x80);
  host.Unlock();
  host.Write(0x60000, 0x30);
  host.Wait(100e-6);
  const uint16_t in1 = host.Read(0x60000), in2 = host.Read(0x60000);
  EXPECT_NE(in1 & TS29GLFlash::kDQ2, in2 & TS29GLFlash::kDQ2);
  const uint16_t out1 = host.Read(0x70000), out2 = host.Read(0x70000);
  EXPECT_EQ(out1 & TS29GLFlash::kDQ2, out2 & TS29GLFlash::kDQ2);
  EXPECT_TRUE(f.TimeDependent());
  host.PulseReset();
  EXPECT_FALSE(f.TimeDependent());
  EXPECT_EQ(host.Read(0x70000), 0x0000);  // array data again

  // Chip erase takes sectors x 0.5 s; with the scale factor a thousandth of that.
  TS29GLFlash g(TS29GLType::S29GL128N, 0.001);
  TNorHost h{g};
  std::fill(g.Memory().begin(), g.Memory().end(), 0x00);
  h.Command(0x80);
  h.Command(0x10);
  h.Wait(0.063);
  EXPECT_NE(h.Read(0) & TS29GLFlash::kDQ3, 0);
  h.Wait(0.002);
  EXPECT_EQ(h.Read(0), 0xFFFF);
  EXPECT_TRUE(
      std::all_of(g.Memory().begin(), g.Memory().end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST(S29GLFlash, WriteProtectGuardsTheHighestSector) {
  TS29GLFlash f(TS29GLType::S29GL128N);
  TNorHost host{f};
  host.wp = false;
  const uint32_t top = 127u << 16;
  host.Command(0xA0);
  host.Write(top + 5, 0x0000);
  host.Command(0xA0);
  host.Write(5, 0x0000);
  host.Wait(1e-3);
  EXPECT_EQ(host.Read(top + 5), 0xFFFF);
  EXPECT_EQ(host.Read(5), 0x0000);
  host.Command(0x90);
  EXPECT_EQ(host.Read(top + 2), 0x0001);
  EXPECT_EQ(host.Read(2), 0x0000);
}

}  // namespace
