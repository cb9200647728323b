// libFuzzer target: any bytes as a BSDL file. The parser may stop with its own error;
// anything else (a crash, another exception, a sanitizer report, a hang) is a finding.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "bsdl/bsdl_parser.h"
#include "platform/pinloom_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<TBScan_Cell> cells;
  std::vector<TBScan_InstructionRegister> instructions;
  int32_t irLength = 0;
  size_t logged = 0;
  try {
    ParseBSDLText(
        std::string_view(reinterpret_cast<const char*>(data), size), cells, instructions,
        irLength, [&logged](const std::string& message, uint32_t) { logged += message.size(); },
        [] {});
  } catch (const EPinloomError&) {
  }
  return 0;
}
