// The FT2232 backend on an emulated FT2232H: 1000 queued write-only scans of 1000
// bits and one read-back, sent with one ExecuteCmdSequence. Reports how often the
// host waited for the adapter (goal: once) and how fast the host encodes scan data
// into MPSSE commands (goal: at least 1000 Mbit/s, thirty times an FT2232H's TCK).

#include <benchmark/benchmark.h>

#include <vector>

#include "jtag/FT2232CJTAGUnit.h"
#include "jtag/backends/ftdi/ft2232_adapter.h"
#include "jtag/backends/ftdi/mpsse_emulator.h"
#include "support/fake_jtag_chain.h"

namespace {

constexpr uint32_t kScans = 1000;
constexpr uint32_t kBits = 1000;
constexpr uint32_t kBytes = (kBits + 7) / 8;

void BM_QueuedBatchOnEmulatedFT2232H(benchmark::State& state) {
  TFakeJtagChain chain({{10, 0x0BA00477}});
  auto bus = std::make_unique<TEmulatedFtdiBus>();
  const size_t a = bus->AddChip(TFtdiChip::FT2232H, "Dual RS232-HS", "FTB", 0x31400000, {&chain});
  TMpsseEmulator& emulator = bus->Emulator(a);
  TJtagLibrary library;
  library.AddBackend(std::make_unique<TFt2232Adapter>(std::move(bus)));
  const auto& info = library.RefreshListing().front().Info;
  FTC_HANDLE h = 0;
  if (library.JTAG_OpenEx(info.Description, info.LocationID, &h) != FTC_SUCCESS ||
      library.JTAG_InitDevice(h, 0) != FTC_SUCCESS) {
    state.SkipWithError("cannot open the emulated adapter");
    return;
  }
  const std::vector<uint8_t> data(kBytes, 0xA5);
  std::vector<uint8_t> readBack(kBytes);
  uint64_t waits = 0;
  for (auto _ : state) {
    const uint32_t before = emulator.SendImmediateCount();
    for (uint32_t i = 0; i < kScans; ++i) {
      library.JTAG_AddDeviceWriteCmd(h, kDataRegister, kBits, data.data(), kBytes, 2);
    }
    library.JTAG_AddDeviceWriteReadCmd(h, kDataRegister, kBits, data.data(), kBytes, 2);
    uint32_t returned = 0;
    if (library.JTAG_ExecuteCmdSequence(h, readBack.data(), kBytes, &returned) != FTC_SUCCESS ||
        returned != kBytes) {
      state.SkipWithError(emulator.Error().c_str());
      return;
    }
    waits += emulator.SendImmediateCount() - before;
  }
  state.counters["waits_per_batch"] =
      benchmark::Counter(static_cast<double>(waits) / static_cast<double>(state.iterations()));
  state.SetItemsProcessed(state.iterations() * (kScans + 1) * kBits);  // bits through the chain
}
BENCHMARK(BM_QueuedBatchOnEmulatedFT2232H)->Unit(benchmark::kMillisecond);

// The host's share of the same batch: compiling it into one MPSSE buffer.
void BM_EncodeQueuedBatch(benchmark::State& state) {
  const std::vector<uint8_t> data(kBytes, 0xA5);
  std::vector<TScanRequest> scans(kScans, TScanRequest{false, kBits, data.data(), false});
  scans.push_back({false, kBits, data.data(), true});
  std::vector<mpsse::TScanReply> replies;
  for (auto _ : state) {
    mpsse::TProgram program = CompileScans(scans, ReplyBudget(TFtdiChip::FT2232H), &replies);
    benchmark::DoNotOptimize(program.Bytes.data());
  }
  const double bits = static_cast<double>(scans.size()) * kBits;
  state.counters["Mbit_per_s"] = benchmark::Counter(
      bits * static_cast<double>(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EncodeQueuedBatch)->Unit(benchmark::kMicrosecond);

}  // namespace
