#pragma once
// The BSDL line scanner as a function of the file's text, so that the interpreter
// window (TFrm_BSDLFile::ParseBSDLFile) and the simulator share one parser.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bsdl/bsdl_types.h"

using TBSDLLogFn = std::function<void(const std::string& message, uint32_t colour)>;

// Parses the whole text of a BSDL file into the three results (each emptied first),
// writing the log lines through `log` and calling `processMessages` once per scanned
// line and once per boundary-register line. A failure throws EPinloomError with the
// system's message; the results then hold what was stored before it.
void ParseBSDLText(std::string_view content, std::vector<TBScan_Cell>& cells,
                   std::vector<TBScan_InstructionRegister>& instructions, int32_t& irLength,
                   const TBSDLLogFn& log, const std::function<void()>& processMessages);
