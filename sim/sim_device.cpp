#include "sim_device.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "bit_buffer.h"
#include "bsdl/bsdl_parser.h"
#include "platform/pinloom_error.h"

namespace {

std::string Upper(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

TSimCellKind CellKindOf(const std::string& function) {
  const std::string f = Upper(function);
  if (f == "INPUT" || f == "CLOCK" || f == "OBSERVE_ONLY") return TSimCellKind::Input;
  if (f == "OUTPUT2" || f == "OUTPUT3") return TSimCellKind::Output;
  if (f == "BIDIR") return TSimCellKind::Bidir;
  if (f == "CONTROL" || f == "CONTROLR") return TSimCellKind::Control;
  return TSimCellKind::Internal;
}

TSimMode ModeOfInstruction(const std::string& name) {
  if (name == "EXTEST") return TSimMode::Extest;
  if (name == "SAMPLE" || name == "PRELOAD" || name == "SAMPLE/PRELOAD")
    return TSimMode::SamplePreload;
  if (name == "IDCODE") return TSimMode::Idcode;
  return TSimMode::Bypass;
}

// A whole decimal number, or -1.
int32_t CellNumber(const std::string& s) {
  if (s.empty() || s.size() > 9) return -1;
  int32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return -1;
    v = v * 10 + (c - '0');
  }
  return v;
}

// The opcode text as bits, first character most significant; nothing for a text that
// is not made of 0 and 1 only.
bool OpcodeBits(const std::string& text, uint64_t& value) {
  value = 0;
  for (char c : text) {
    if (c != '0' && c != '1') return false;
    value = (value << 1) | static_cast<uint64_t>(c - '0');
  }
  return true;
}

}  // namespace

uint64_t InstructionCaptureFromBSDL(std::string_view text, uint32_t irLength, uint64_t fallback) {
  // The parser does not read this attribute; the simulator only needs its bit string.
  const std::string upper = Upper(text);
  size_t pos = upper.find("INSTRUCTION_CAPTURE");
  // Skip occurrences inside comments.
  while (pos != std::string::npos) {
    const size_t lineStart = upper.rfind('\n', pos);
    const size_t from = lineStart == std::string::npos ? 0 : lineStart + 1;
    if (upper.substr(from, pos - from).find("--") == std::string::npos) break;
    pos = upper.find("INSTRUCTION_CAPTURE", pos + 1);
  }
  if (pos == std::string::npos) return fallback;
  const size_t end = upper.find(';', pos);
  const size_t open = upper.find('"', pos);
  if (open == std::string::npos || end == std::string::npos || open > end) return fallback;
  const size_t close = upper.find('"', open + 1);
  if (close == std::string::npos || close > end) return fallback;
  uint64_t value = 0;
  uint32_t bits = 0;
  for (size_t i = open + 1; i < close; ++i) {
    const char c = upper[i];
    if (c == '0' || c == '1' || c == 'X') {
      value = (value << 1) | (c == '1' ? 1u : 0u);
      ++bits;
    } else if (c != ' ' && c != '_') {
      return fallback;
    }
  }
  return bits == irLength ? value : fallback;
}

TSimDeviceSpec DeviceSpecFromBSDL(std::string_view bsdlText, const std::string& name,
                                  uint32_t idCode, const std::string& what) {
  std::vector<TBScan_Cell> cells;
  std::vector<TBScan_InstructionRegister> instructions;
  int32_t irLength = 0;
  ParseBSDLText(
      bsdlText, cells, instructions, irLength, [](const std::string&, uint32_t) {}, [] {});

  TSimDeviceSpec spec;
  spec.Name = name;
  spec.IdCode = idCode;
  if (irLength < 2 || irLength > 64)
    throw EPinloomError(what + ": instruction length " + std::to_string(irLength) +
                        " is not usable (2 to 64 bits)");
  spec.IRLength = static_cast<uint32_t>(irLength);
  spec.IRCapture = InstructionCaptureFromBSDL(bsdlText, spec.IRLength, 1);

  for (const TBScan_InstructionRegister& ins : instructions) {
    TSimInstruction si;
    si.Name = ins.Name;
    si.Mode = ModeOfInstruction(ins.Name);
    const bool usable = OpcodeBits(ins.Opcode, si.Opcode) && ins.Opcode.size() == spec.IRLength;
    // An opcode the device cannot hold selects nothing; only the instructions the
    // simulator acts on must be usable.
    if (!usable && si.Mode != TSimMode::Bypass)
      throw EPinloomError(what + ": opcode '" + ins.Opcode + "' of " + ins.Name + " is not " +
                          std::to_string(spec.IRLength) + " bits of 0 and 1");
    if (usable) spec.Instructions.push_back(std::move(si));
  }

  const int32_t count = static_cast<int32_t>(cells.size());
  for (int32_t k = 0; k < count; ++k) {
    const TBScan_Cell& c = cells[static_cast<size_t>(k)];
    TSimCell sc;
    sc.Kind = CellKindOf(c.Function);
    sc.Safe = c.Safe == "1" ? 1 : 0;
    if (!c.Port.empty() && c.Port != "*") {
      auto it = std::find(spec.Ports.begin(), spec.Ports.end(), c.Port);
      if (it == spec.Ports.end()) {
        spec.Ports.push_back(c.Port);
        it = spec.Ports.end() - 1;
      }
      sc.Port = static_cast<int32_t>(it - spec.Ports.begin());
    }
    if (!c.CCell.empty()) {
      sc.ControlCell = CellNumber(c.CCell);
      if (sc.ControlCell < 0 || sc.ControlCell >= count)
        throw EPinloomError(what + ": cell " + std::to_string(k) + " names control cell '" +
                            c.CCell + "', which does not exist");
    }
    if (c.Disval == "0" || c.Disval == "1") sc.Disval = static_cast<int8_t>(c.Disval[0] - '0');
    spec.Cells.push_back(sc);
  }
  return spec;
}

TSimDevice::TSimDevice(TSimDeviceSpec spec) : spec_(std::move(spec)) {
  portNet_.assign(spec_.Ports.size(), -1);
  latches_.resize(spec_.Cells.size());
  for (size_t k = 0; k < spec_.Cells.size(); ++k) {
    const TSimCell& c = spec_.Cells[k];
    latches_[k] = c.Safe;
    const bool drives = c.Kind == TSimCellKind::Output || c.Kind == TSimCellKind::Bidir;
    if (drives && c.Port >= 0) {
      const bool controlled = c.ControlCell >= 0 && c.Disval >= 0;
      drivers_.push_back({static_cast<uint32_t>(k), c.Port, controlled ? c.ControlCell : -1,
                          static_cast<uint8_t>(controlled ? c.Disval : 0)});
    }
  }
  irShift_.assign(8, 0);
  const size_t drBytes = std::max<size_t>(sim::BytesForBits(spec_.Cells.size()), 4);
  drShift_.assign(drBytes, 0);
  bsrCaptured_.assign(drBytes, 0);
  Reset();
}

void TSimDevice::Reset() {
  const auto it = std::find_if(spec_.Instructions.begin(), spec_.Instructions.end(),
                               [](const TSimInstruction& i) { return i.Mode == TSimMode::Idcode; });
  if (it != spec_.Instructions.end()) {
    SelectInstruction(it->Opcode);
  } else {
    SelectInstruction(spec_.IRLength >= 64 ? ~uint64_t{0} : (uint64_t{1} << spec_.IRLength) - 1);
  }
}

void TSimDevice::SelectInstruction(uint64_t opcode) {
  instruction_ = opcode;
  instructionIndex_ = -1;
  mode_ = TSimMode::Bypass;
  for (size_t i = 0; i < spec_.Instructions.size(); ++i) {
    if (spec_.Instructions[i].Opcode == opcode) {
      instructionIndex_ = static_cast<int32_t>(i);
      mode_ = spec_.Instructions[i].Mode;
      break;
    }
  }
  switch (mode_) {
    case TSimMode::Bypass:
      drLength_ = 1;
      break;
    case TSimMode::Idcode:
      drLength_ = 32;
      break;
    case TSimMode::SamplePreload:
    case TSimMode::Extest:
      drLength_ = BoundaryLength();
      break;
  }
}

std::string TSimDevice::InstructionName() const {
  if (instructionIndex_ < 0) return "BYPASS";
  return spec_.Instructions[static_cast<size_t>(instructionIndex_)].Name;
}

uint64_t TSimDevice::IRShiftValue() const {
  uint64_t v = 0;
  std::memcpy(&v, irShift_.data(), 8);
  return spec_.IRLength >= 64 ? v : v & ((uint64_t{1} << spec_.IRLength) - 1);
}

bool TSimDevice::CapturedBit(uint32_t cell) const {
  if (cell >= BoundaryLength()) throw EPinloomError("cell index out of range");
  return sim::GetBit(bsrCaptured_.data(), cell);
}

int32_t TSimDevice::PortIndex(std::string_view port) const {
  const std::string want = Upper(port);
  for (size_t i = 0; i < spec_.Ports.size(); ++i)
    if (Upper(spec_.Ports[i]) == want) return static_cast<int32_t>(i);
  return -1;
}

bool TSimDevice::ShiftBit(bool instruction, bool in) {
  uint8_t* buf = ShiftBuffer(instruction);
  const uint32_t len = ShiftLength(instruction);
  const bool out = buf[0] & 1;
  const size_t bytes = sim::BytesForBits(len);
  for (size_t i = 0; i + 1 < bytes; ++i)
    buf[i] = static_cast<uint8_t>((buf[i] >> 1) | (buf[i + 1] << 7));
  buf[bytes - 1] = static_cast<uint8_t>(buf[bytes - 1] >> 1);
  sim::SetBit(buf, len - 1, in);
  // Keep the bits above the register clear so that whole-byte reads stay exact.
  if (len % 8 != 0) buf[bytes - 1] &= static_cast<uint8_t>((1u << (len % 8)) - 1);
  return out;
}

void TSimDevice::CaptureIR() {
  std::memcpy(irShift_.data(), &spec_.IRCapture, 8);
}

void TSimDevice::CaptureDR(const uint8_t* netLevels) {
  switch (mode_) {
    case TSimMode::Bypass:
      drShift_[0] = 0;
      return;
    case TSimMode::Idcode:
      std::memcpy(drShift_.data(), &spec_.IdCode, 4);
      return;
    case TSimMode::SamplePreload:
    case TSimMode::Extest:
      break;
  }
  const size_t n = spec_.Cells.size();
  uint8_t* out = drShift_.data();
  uint8_t acc = 0;
  for (size_t k = 0; k < n; ++k) {
    const TSimCell& c = spec_.Cells[k];
    uint8_t v;
    if ((c.Kind == TSimCellKind::Input || c.Kind == TSimCellKind::Bidir) && c.Port >= 0) {
      const int32_t net = portNet_[static_cast<size_t>(c.Port)];
      v = net >= 0 ? netLevels[net] : 1;
    } else {
      v = latches_[k];
    }
    acc = static_cast<uint8_t>(acc | (v << (k & 7)));
    if ((k & 7) == 7) {
      out[k >> 3] = acc;
      acc = 0;
    }
  }
  if (n & 7) out[n >> 3] = acc;
  std::memcpy(bsrCaptured_.data(), drShift_.data(), sim::BytesForBits(n));
}

bool TSimDevice::UpdateIR() {
  const bool drovePins = DrivesPins();
  SelectInstruction(IRShiftValue());
  return drovePins || DrivesPins();
}

bool TSimDevice::UpdateDR() {
  if (mode_ != TSimMode::SamplePreload && mode_ != TSimMode::Extest) return false;
  const uint8_t* in = drShift_.data();
  const size_t n = spec_.Cells.size();
  for (size_t k = 0; k < n; ++k) latches_[k] = (in[k >> 3] >> (k & 7)) & 1;
  return mode_ == TSimMode::Extest;
}
