#include "jtag/My_D2XXUnit.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "jtag/FT2232CJTAGUnit.h"

namespace {

void CopyText(const std::string& text, void* buffer, size_t size) {
  auto* out = static_cast<char*>(buffer);
  const size_t n = std::min(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
}

}  // namespace

FT_STATUS FT_ListDevices(TJtagLibrary& library, uintptr_t arg1, void* arg2, uint32_t flags) {
  if (flags == FT_LIST_NUMBER_ONLY) {
    if (arg1 == 0) return FT_INVALID_PARAMETER;
    *reinterpret_cast<uint32_t*>(arg1) = static_cast<uint32_t>(library.RefreshListing().size());
    return FT_OK;
  }
  if ((flags & FT_LIST_BY_INDEX) == 0 || arg2 == nullptr) return FT_INVALID_PARAMETER;
  const auto& listing = library.Listing();
  if (arg1 >= listing.size()) return FT_DEVICE_NOT_FOUND;
  const TAdapterDeviceInfo& info = listing[arg1].Info;
  switch (flags & ~FT_LIST_BY_INDEX) {
    case FT_OPEN_BY_DESCRIPTION:
      CopyText(info.Description, arg2, 64);
      return FT_OK;
    case FT_OPEN_BY_SERIAL_NUMBER:
      CopyText(info.SerialNumber, arg2, 16);
      return FT_OK;
    case FT_OPEN_BY_LOCATION:
      *static_cast<uint32_t*>(arg2) = info.LocationID;
      return FT_OK;
    default:
      return FT_INVALID_PARAMETER;
  }
}
