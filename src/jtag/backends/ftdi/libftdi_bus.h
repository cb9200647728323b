#pragma once
// The FTDI bus through libftdi1: lists the FT2232C/D, FT2232H, FT4232H and FT232H
// chips on USB, and opens a channel in MPSSE mode.

#include <memory>

#include "jtag/backends/ftdi/ftdi_transport.h"

std::unique_ptr<TFtdiBus> MakeLibftdiBus();
