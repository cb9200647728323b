// The host side of one boundary-register scan: ShiftCurrentData on a 1000-cell device
// in the middle of a three-device chain, through an adapter that does nothing. The
// engine must never be the bottleneck of a 30 MHz TCK.

#include <benchmark/benchmark.h>

#include <memory>

#include "app/uMain.h"
#include "app/windows.h"
#include "support/scripted_host.h"

namespace {

// Accepts every call at once and returns every byte a write-read asks for.
class TNullAdapter : public TJtagAdapter {
 public:
  std::string Kind() const override { return "null"; }
  bool IsHardware() const override { return false; }
  std::vector<TAdapterDeviceInfo> ListDevices() override { return {{"Null A", "N1", 1}}; }
  FTC_STATUS OpenEx(const std::string&, uint32_t, FTC_HANDLE* handle) override {
    *handle = 1;
    return FTC_SUCCESS;
  }
  FTC_STATUS InitDevice(FTC_HANDLE, uint32_t) override { return FTC_SUCCESS; }
  FTC_STATUS SetClock(FTC_HANDLE, uint32_t, uint32_t*) override { return FTC_SUCCESS; }
  FTC_STATUS GetClock(uint32_t divisor, uint32_t* hz) override {
    *hz = 6000000u / (1u + divisor);
    return FTC_SUCCESS;
  }
  FTC_STATUS Close(FTC_HANDLE) override { return FTC_SUCCESS; }
  FTC_STATUS Write(FTC_HANDLE, int32_t, uint32_t, const uint8_t*, uint32_t, uint32_t) override {
    return FTC_SUCCESS;
  }
  FTC_STATUS WriteRead(FTC_HANDLE, int32_t, uint32_t, const uint8_t* data, uint32_t bytes,
                       uint8_t* read, uint32_t* returned, uint32_t) override {
    benchmark::DoNotOptimize(data[0]);
    read[0] = data[0];
    *returned = bytes;
    return FTC_SUCCESS;
  }
  FTC_STATUS AddDeviceWriteCmd(FTC_HANDLE, int32_t, uint32_t, const uint8_t*, uint32_t,
                               uint32_t) override {
    return FTC_SUCCESS;
  }
  FTC_STATUS AddDeviceWriteReadCmd(FTC_HANDLE, int32_t, uint32_t, const uint8_t*, uint32_t,
                                   uint32_t) override {
    return FTC_SUCCESS;
  }
  FTC_STATUS ExecuteCmdSequence(FTC_HANDLE, uint8_t*, uint32_t, uint32_t* returned) override {
    *returned = 0;
    return FTC_SUCCESS;
  }
};

void BM_ShiftCurrentData1000CellsMiddleOfThree(benchmark::State& state) {
  TScriptedHost host;
  TApplicationWindows windows(host);
  TForm1& form = *Form1;
  form.JtagLibrary.AddBackend(std::make_unique<TNullAdapter>());
  if (form.JtagLibrary.JTAG_OpenEx("Null A", 1, &form.DongleHandle) != FTC_SUCCESS) {
    state.SkipWithError("the null adapter did not open");
    return;
  }
  form.cb_FTDI_Device.SetEnabled(false);
  // Chain positions 0 and 2 in BYPASS around the 1000-cell device at position 1.
  form.JTAGChain.DeviceCount = 3;
  form.JTAGChain.IDCodes = {"01111111", "02222222", "03333333"};
  form.JTAGChain.Devices = {{"A", "01111111", 6}, {"B", "02222222", 10}, {"C", "03333333", 8}};
  form.JTAGChain.Known.assign(3, true);
  form.JTAGChain.IRLenKnown.assign(3, true);
  form.cb_jtag_devices.SetItems(form.JTAGChain.IDCodes);
  form.cb_jtag_devices.SetItemIndex(1);
  constexpr int32_t kCells = 1000;
  for (int32_t k = 0; k < kCells; ++k) PutBit(form.WriteArea(), k, (k * 7) % 3 == 0);
  form.ShiftIsInstruction = false;
  form.ShiftBitCount = kCells;
  form.ShiftByteCount = (kCells + 7) / 8;

  for (auto _ : state) {
    if (!form.ShiftCurrentData()) {
      state.SkipWithError("the scan failed");
      return;
    }
    benchmark::DoNotOptimize(form.ReadArea()[0]);
  }
  // Cells moved per second of host time (the stream itself is 1002 bits).
  state.counters["bits"] = benchmark::Counter(kCells, benchmark::Counter::kIsIterationInvariantRate,
                                              benchmark::Counter::kIs1000);
}
BENCHMARK(BM_ShiftCurrentData1000CellsMiddleOfThree);

}  // namespace
