#pragma once
// The application on a connected fake adapter with a chain of test devices.

#include <memory>

#include "jtag/fake_chain_adapter.h"
#include "support/app_fixture.h"

class ChainFixture : public AppFixture {
 protected:
  TFakeChainAdapter* fake = nullptr;

  // Registers the fake adapter, opens it and marks the program connected.
  void Connect(std::vector<TFakeDevice> devices) {
    auto adapter = std::make_unique<TFakeChainAdapter>();
    fake = adapter.get();
    fake->Devices = std::move(devices);
    form.JtagLibrary.AddBackend(std::move(adapter));
    ASSERT_EQ(form.JtagLibrary.JTAG_OpenEx("Fake A", 1, &form.DongleHandle), FTC_SUCCESS);
    form.cb_FTDI_Device.SetEnabled(false);
  }

  static TFakeDevice Device(uint32_t irLength, uint32_t idcode, size_t cells = 0) {
    TFakeDevice d;
    d.IRLength = irLength;
    d.IDCode = idcode;
    d.Pins.assign(cells, false);
    return d;
  }
};
