#pragma once
// Each adapter backend wired to a fake chain, behind the adapter library, for the
// tests that every backend must pass alike.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jtag/FT2232CJTAGUnit.h"
#include "jtag/backends/ftdi/ft2232_adapter.h"
#include "jtag/backends/ftdi/mpsse_emulator.h"
#include "jtag/backends/remote_bitbang/remote_bitbang_adapter.h"
#include "jtag/backends/simulator/simulator_adapter.h"
#include "support/bitbang_test_server.h"
#include "support/fake_jtag_chain.h"

struct TBackendRig {
  // Declared before the library: they outlive the backends that use them.
  std::unique_ptr<TJtagTarget> ownedTarget;
  std::unique_ptr<TBitbangTestServer> server;
  TJtagLibrary library;
  TJtagTarget* target = nullptr;
  TFakeJtagChain* chain = nullptr;     // when the target is a fake chain
  TMpsseEmulator* emulator = nullptr;  // FT2232 rigs
  // Faults the rig can inject (empty when the backend has no such failure).
  std::function<void()> mute;
  std::function<void()> loseReplyByte;
  std::function<void()> unplug;
};

using TChainSpec = std::vector<TFakeJtagChain::TDevice>;
using TRigFactory = std::function<std::unique_ptr<TBackendRig>(const TChainSpec&)>;

// Each rig takes the target it drives.
inline std::unique_ptr<TBackendRig> SimulatorRig(std::unique_ptr<TJtagTarget> target) {
  auto rig = std::make_unique<TBackendRig>();
  rig->target = target.get();
  std::vector<TSimulatedBoard> boards;
  boards.push_back({"Pinloom Simulated Board", std::move(target)});
  rig->library.AddBackend(std::make_unique<TSimulatorAdapter>(std::move(boards)));
  return rig;
}

inline std::unique_ptr<TBackendRig> FtdiRig(std::unique_ptr<TJtagTarget> target, TFtdiChip chip) {
  auto rig = std::make_unique<TBackendRig>();
  rig->ownedTarget = std::move(target);
  rig->target = rig->ownedTarget.get();
  auto bus = std::make_unique<TEmulatedFtdiBus>();
  const size_t a = bus->AddChip(chip, "Dual RS232-HS", "FT5X7Q", 0x31400000, {rig->target});
  TMpsseEmulator* emulator = &bus->Emulator(a);
  rig->emulator = emulator;
  TFt2232Options options;
  options.ReadTimeoutMs = 50;
  rig->library.AddBackend(std::make_unique<TFt2232Adapter>(std::move(bus), options));
  rig->mute = [emulator] { emulator->SetMute(true); };
  rig->loseReplyByte = [emulator] { emulator->DropReplyBytes(1); };
  rig->unplug = [emulator] { emulator->Unplug(); };
  return rig;
}

inline std::unique_ptr<TBackendRig> RemoteBitbangRig(std::unique_ptr<TJtagTarget> target) {
  auto rig = std::make_unique<TBackendRig>();
  rig->ownedTarget = std::move(target);
  rig->target = rig->ownedTarget.get();
  rig->server = std::make_unique<TBitbangTestServer>(*rig->target);
  TRemoteBitbangOptions options;
  options.TimeoutMs = 200;
  rig->library.AddBackend(
      std::make_unique<TRemoteBitbangAdapter>(std::vector{rig->server->Endpoint()}, options));
  TBitbangTestServer* server = rig->server.get();
  rig->mute = [server] { server->mute = true; };
  rig->unplug = [server] { server->hangUp = true; };
  return rig;
}

// A rig over a fake chain of that shape.
template <typename... TArgs>
std::unique_ptr<TBackendRig> OnFakeChain(
    std::unique_ptr<TBackendRig> (*make)(std::unique_ptr<TJtagTarget>, TArgs...),
    const TChainSpec& spec, TArgs... args) {
  auto chain = std::make_unique<TFakeJtagChain>(spec);
  TFakeJtagChain* raw = chain.get();
  auto rig = make(std::move(chain), args...);
  rig->chain = raw;
  return rig;
}
