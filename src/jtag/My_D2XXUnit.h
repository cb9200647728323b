#pragma once
// FT_ListDevices with the D2XX flags the system uses, over the adapter library's
// combined listing.

#include <cstdint>

class TJtagLibrary;

using FT_STATUS = uint32_t;
constexpr FT_STATUS FT_OK = 0;
constexpr FT_STATUS FT_DEVICE_NOT_FOUND = 2;
constexpr FT_STATUS FT_INVALID_PARAMETER = 6;

constexpr uint32_t FT_LIST_NUMBER_ONLY = 0x80000000;
constexpr uint32_t FT_LIST_BY_INDEX = 0x40000000;
constexpr uint32_t FT_LIST_ALL = 0x20000000;
constexpr uint32_t FT_OPEN_BY_SERIAL_NUMBER = 1;
constexpr uint32_t FT_OPEN_BY_DESCRIPTION = 2;
constexpr uint32_t FT_OPEN_BY_LOCATION = 4;

// The four uses:
//   FT_ListDevices(lib, &count, nullptr, FT_LIST_NUMBER_ONLY)    count of devices (re-lists)
//   FT_ListDevices(lib, index, buffer64, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION)
//   FT_ListDevices(lib, index, buffer16, FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER)
//   FT_ListDevices(lib, index, &locationId, FT_LIST_BY_INDEX | FT_OPEN_BY_LOCATION)
// `arg1` is the address of the count or the index (as an integer), `arg2` the buffer.
// Texts are NUL-terminated within 64 and 16 bytes. An unknown index answers status 2.
FT_STATUS FT_ListDevices(TJtagLibrary& library, uintptr_t arg1, void* arg2, uint32_t flags);
