#include "jtag/backends/ftdi/libftdi_bus.h"

#include <ftdi.h>
#include <libusb.h>

#include <functional>

namespace {

constexpr int kFtdiVendor = 0x0403;
constexpr uint16_t kProducts[] = {0x6010, 0x6011, 0x6014};
constexpr unsigned char kLatencyMs = 1;
constexpr int kReadCallTimeoutMs = 100;

using TContext = std::unique_ptr<ftdi_context, decltype(&ftdi_free)>;

TContext NewContext() {
  return TContext(ftdi_new(), &ftdi_free);
}

class TLibftdiTransport : public TFtdiTransport {
 public:
  explicit TLibftdiTransport(TContext context) : ctx_(std::move(context)) {}
  ~TLibftdiTransport() override {
    ftdi_set_bitmode(ctx_.get(), 0, BITMODE_RESET);
    ftdi_usb_close(ctx_.get());
  }

  bool Write(const uint8_t* data, size_t size, int timeoutMs) override {
    ctx_->usb_write_timeout = timeoutMs;
    while (size > 0) {
      const int n = ftdi_write_data(ctx_.get(), data, static_cast<int>(size));
      if (n <= 0) return false;
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  int Read(uint8_t* data, size_t size) override {
    const int n = ftdi_read_data(ctx_.get(), data, static_cast<int>(size));
    return n < 0 ? -1 : n;
  }

  bool Purge() override { return ftdi_tcioflush(ctx_.get()) == 0; }

 private:
  TContext ctx_;
};

// Calls `visit` for every channel of every FTDI chip with an MPSSE that can be named;
// stops when it returns true.
void ForEachChannel(const std::function<bool(libusb_device*, const TFtdiChannel&)>& visit) {
  TContext ctx = NewContext();
  if (!ctx) return;
  for (uint16_t product : kProducts) {
    ftdi_device_list* list = nullptr;
    if (ftdi_usb_find_all(ctx.get(), &list, kFtdiVendor, product) <= 0) {
      ftdi_list_free(&list);
      continue;
    }
    bool stop = false;
    for (ftdi_device_list* item = list; item != nullptr && !stop; item = item->next) {
      libusb_device_descriptor descriptor{};
      TFtdiChip chip;
      if (libusb_get_device_descriptor(item->dev, &descriptor) != 0 ||
          !ChipFromBcdDevice(descriptor.bcdDevice, &chip)) {
        continue;
      }
      char manufacturer[128] = {};
      char description[128] = {};
      char serial[128] = {};
      // A device the user may not open cannot be named; it is left out.
      if (ftdi_usb_get_strings(ctx.get(), item->dev, manufacturer, sizeof manufacturer, description,
                               sizeof description, serial, sizeof serial) != 0) {
        continue;
      }
      uint8_t ports[7] = {};
      const int portCount = libusb_get_port_numbers(item->dev, ports, 7);
      const uint8_t bus = libusb_get_bus_number(item->dev);
      for (int c = 0; c < ChipFacts(chip).Channels && !stop; ++c) {
        TFtdiChannel channel;
        channel.Info = ChannelInfo(description, serial,
                                   UsbLocationId(bus, ports, std::max(portCount, 0), c), c);
        channel.Chip = chip;
        channel.Channel = c;
        stop = visit(item->dev, channel);
      }
    }
    ftdi_list_free(&list);
    if (stop) return;
  }
}

std::unique_ptr<TFtdiTransport> OpenMpsse(libusb_device* device, int channel) {
  TContext ctx = NewContext();
  if (!ctx) return nullptr;
  const auto interface = static_cast<ftdi_interface>(INTERFACE_A + channel);
  if (ftdi_set_interface(ctx.get(), interface) != 0) return nullptr;
  if (ftdi_usb_open_dev(ctx.get(), device) != 0) return nullptr;
  ctx->usb_read_timeout = kReadCallTimeoutMs;
  if (ftdi_set_latency_timer(ctx.get(), kLatencyMs) != 0 ||
      ftdi_set_bitmode(ctx.get(), 0, BITMODE_RESET) != 0 ||
      ftdi_set_bitmode(ctx.get(), 0, BITMODE_MPSSE) != 0 || ftdi_tcioflush(ctx.get()) != 0) {
    ftdi_usb_close(ctx.get());
    return nullptr;
  }
  return std::make_unique<TLibftdiTransport>(std::move(ctx));
}

class TLibftdiBus : public TFtdiBus {
 public:
  std::vector<TFtdiChannel> Channels() override {
    std::vector<TFtdiChannel> out;
    ForEachChannel([&out](libusb_device*, const TFtdiChannel& channel) {
      out.push_back(channel);
      return false;
    });
    return out;
  }

  std::unique_ptr<TFtdiTransport> Open(const TFtdiChannel& wanted) override {
    std::unique_ptr<TFtdiTransport> transport;
    ForEachChannel([&](libusb_device* device, const TFtdiChannel& channel) {
      if (channel.Info.Description != wanted.Info.Description ||
          channel.Info.LocationID != wanted.Info.LocationID) {
        return false;
      }
      transport = OpenMpsse(device, channel.Channel);
      return true;
    });
    return transport;
  }
};

}  // namespace

std::unique_ptr<TFtdiBus> MakeLibftdiBus() {
  return std::make_unique<TLibftdiBus>();
}
