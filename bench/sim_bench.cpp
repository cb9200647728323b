// Scan-level simulation speed on the demo chain, in Mbit/s of scan data.

#include <benchmark/benchmark.h>

#include <vector>

#include "bit_buffer.h"
#include "sim_board.h"

namespace {

// Puts the demo chain's devices into the given instructions (IOX 5 bits, MCU 4 bits,
// CPLD 8 bits, in the order they sit from TDO).
void LoadInstructions(TSimBoard& b, uint32_t iox, uint32_t mcu, uint32_t cpld) {
  const uint32_t v = iox | (mcu << 5) | (cpld << 9);
  const uint8_t ir[3] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                         static_cast<uint8_t>(v >> 16)};
  b.ScanFromIdle(true, ir, nullptr, 17);
}

void RunScans(benchmark::State& state, TSimBoard& b, uint32_t bits) {
  std::vector<uint8_t> tdi(sim::BytesForBits(bits)), tdo(tdi.size());
  uint64_t total = 0;
  uint8_t pattern = 0;
  for (auto _ : state) {
    tdi[tdi.size() / 2] = ++pattern;  // some pins change on every update
    b.ScanFromIdle(false, tdi.data(), tdo.data(), bits);
    benchmark::DoNotOptimize(tdo.data());
    total += bits;
  }
  state.counters["Mbit/s"] =
      benchmark::Counter(static_cast<double>(total) / 1e6, benchmark::Counter::kIsRate);
}

// The programmers' case: the main device in EXTEST driving the flash nets, the others
// in BYPASS.
void BM_SimScanMainDeviceExtest(benchmark::State& state) {
  auto b = LoadSimBoard(DemoBoardPath());
  b->ResetToIdle();
  LoadInstructions(*b, 0x1F, 0x0, 0xFF);
  RunScans(state, *b, 1 + b->Device(1).BoundaryLength() + 1);
}
BENCHMARK(BM_SimScanMainDeviceExtest);

// Every device's boundary register in the chain (SAMPLE: no pins driven).
void BM_SimScanWholeChainSample(benchmark::State& state) {
  auto b = LoadSimBoard(DemoBoardPath());
  b->ResetToIdle();
  LoadInstructions(*b, 0x01, 0x2, 0x01);
  uint32_t bits = 0;
  for (size_t d = 0; d < b->DeviceCount(); ++d) bits += b->Device(d).BoundaryLength();
  RunScans(state, *b, bits);
}
BENCHMARK(BM_SimScanWholeChainSample);

// Long scans through BYPASS (the chain detection's 8000-bit flushes).
void BM_SimScanBypassLong(benchmark::State& state) {
  auto b = LoadSimBoard(DemoBoardPath());
  b->ResetToIdle();
  LoadInstructions(*b, 0x1F, 0xF, 0xFF);
  RunScans(state, *b, 8000);
}
BENCHMARK(BM_SimScanBypassLong);

}  // namespace
