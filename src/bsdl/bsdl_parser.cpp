#include "bsdl/bsdl_parser.h"

#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "bsdl/bsdl_parser_detail.h"
#include "log/uProtocolWindow.h"
#include "platform/pinloom_error.h"
#include "platform/text_utils.h"

namespace bsdl_detail {

void SplitBoundaryEntry(std::string_view entry, std::string& buffer, TEntryFields& fields) {
  // One pass does the four rewrites in their order: removing ")," then ")" drops every
  // ")" and every "," right after a ")"; on what is left, a space before "(" becomes ","
  // (the "(" goes with it) and every other space is dropped.
  buffer.clear();
  bool pendingSpace = false;
  for (size_t j = 0; j < entry.size(); ++j) {
    const char c = entry[j];
    if (c == ')' || (c == ',' && j > 0 && entry[j - 1] == ')')) continue;
    if (c == ' ') {
      pendingSpace = true;
    } else if (c == '(' && pendingSpace) {
      buffer.push_back(',');
      pendingSpace = false;
    } else {
      buffer.push_back(c);
      pendingSpace = false;
    }
  }
  buffer.push_back(',');

  std::string_view rest = buffer;
  for (std::string_view& field : fields) {
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos) {
      field = {};
      continue;
    }
    field = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
  }
}

std::optional<double> ParseReal(std::string_view s) {
  size_t i = 0;
  auto digitsFrom = [&s](size_t k) {
    size_t n = 0;
    while (k + n < s.size() && s[k + n] >= '0' && s[k + n] <= '9') ++n;
    return n;
  };
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const size_t intDigits = digitsFrom(i);
  i += intDigits;
  size_t fracDigits = 0;
  if (i < s.size() && s[i] == '.') {
    fracDigits = digitsFrom(i + 1);
    i += 1 + fracDigits;
  }
  if (intDigits + fracDigits == 0) return std::nullopt;
  if (i < s.size() && s[i] == 'E') {
    size_t k = i + 1;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    const size_t expDigits = digitsFrom(k);
    if (expDigits == 0) return std::nullopt;
    i = k + expDigits;
  }
  if (i != s.size()) return std::nullopt;

  // from_chars takes no leading "+"; it is locale-independent, unlike strtod.
  std::string_view body = s[0] == '+' ? s.substr(1) : s;
  double value = 0;
  const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
  if (ec != std::errc() || end != body.data() + body.size()) return std::nullopt;
  return value;
}

std::optional<long long> TckFrequency(std::string_view number) {
  double frequency = 0;
  const size_t e = number.find('E');
  if (e == std::string_view::npos) {
    const auto value = ParseReal(number);
    if (!value) return std::nullopt;
    frequency = *value;
  } else {
    const auto mantissa = ParseReal(number.substr(0, e));
    const auto exponent = ParseReal(number.substr(e + 1));
    if (!mantissa || !exponent) return std::nullopt;
    frequency = *mantissa * std::pow(10.0, *exponent);
  }
  // Round to nearest, ties to even (the default floating-point rounding mode).
  const double rounded = std::nearbyint(frequency);
  if (!std::isfinite(rounded) || rounded < -9223372036854775808.0 ||
      rounded >= 9223372036854775808.0) {
    return std::nullopt;
  }
  return static_cast<long long>(rounded);
}

}  // namespace bsdl_detail

namespace {

using bsdl_detail::TEntryFields;

// A BOUNDARY_LENGTH beyond this is taken for a broken file rather than a device.
constexpr int32_t kMaxBoundaryLength = 1 << 20;
constexpr long long kDefaultTck = 1000000;

bool Has(std::string_view text, std::string_view what) {
  return text.find(what) != std::string_view::npos;
}

// The characters after the first `a` (from the start when there is none) and before the
// first `b`; empty when there is no `b` or it does not come after the `a`.
std::string_view Between(std::string_view s, char a, char b) {
  const size_t pa = s.find(a);
  const size_t pb = s.find(b);
  const size_t start = pa == std::string_view::npos ? 0 : pa + 1;
  if (pb == std::string_view::npos || pb < start) return {};
  return s.substr(start, pb - start);
}

// The characters after the first `from` (from the start when there is none) up to, but
// not including, the last character of the line.
std::string_view AfterUpToLast(std::string_view line, size_t from) {
  const size_t start = from == std::string_view::npos ? 0 : from;
  if (line.empty() || start >= line.size() - 1) return {};
  return line.substr(start, line.size() - 1 - start);
}

std::string Without(std::string_view s, std::string_view chars) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    if (chars.find(c) == std::string_view::npos) out.push_back(c);
  }
  return out;
}

int32_t DecimalOrThrow(std::string_view s) {
  if (auto v = text::ParseDecimal(s)) return *v;
  throw EPinloomError("'" + std::string(s) + "' is not a valid integer value");
}

class TBSDLScan {
 public:
  TBSDLScan(std::vector<TBScan_Cell>& cells, std::vector<TBScan_InstructionRegister>& instructions,
            int32_t& irLength, const TBSDLLogFn& log, const std::function<void()>& processMessages)
      : cells_(cells),
        instructions_(instructions),
        irLength_(irLength),
        log_(log),
        processMessages_(processMessages) {}

  void Run(std::string_view content) {
    Prepare(content);
    size_t i = 0;
    do {
      ProcessMessages();
      const std::string_view line = Line(i);
      if (Has(line, "ENTITY") && !Has(line, "ATTRIBUTE")) {
        LogEntity(line);
      } else if (Has(line, "ATTRIBUTE")) {
        i = AttributeLine(i);
      }
      ++i;
    } while (i < lines_.size());
    BuildInstructions();
    Log("JTAG-Ports: " + tapPorts_, clGreen);
  }

 private:
  void Log(const std::string& message, TColor colour) {
    if (log_) log_(message, colour);
  }
  void ProcessMessages() {
    if (processMessages_) processMessages_();
  }

  std::string_view Line(size_t i) const {
    if (i >= lines_.size()) {
      throw EPinloomError("List index out of bounds (" + std::to_string(i) + ")");
    }
    return lines_[i];
  }

  // Upper case, tabs to spaces, split at CR, LF or CR LF, comments cut off. The lines
  // are views into text_.
  void Prepare(std::string_view content) {
    text_.assign(content);
    for (char& c : text_) {
      if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - ('a' - 'A'));
      } else if (c == '\t') {
        c = ' ';
      }
    }
    const std::string_view all = text_;
    size_t start = 0;
    while (start < all.size()) {
      size_t end = start;
      while (end < all.size() && all[end] != '\r' && all[end] != '\n') ++end;
      lines_.push_back(all.substr(start, end - start));
      if (end < all.size() && all[end] == '\r') ++end;
      if (end < all.size() && all[end] == '\n') ++end;
      start = end;
    }

    cells_.clear();
    instructions_.clear();
    irLength_ = 0;
    tapPorts_.clear();
    pairs_.clear();

    Log("BSDL-> Removing comments...", clGray);
    for (std::string_view& line : lines_) {
      const size_t comment = line.find("--");
      if (comment != std::string_view::npos) line = line.substr(0, comment);
    }
  }

  void LogEntity(std::string_view line) {
    std::string name = text::RemoveAll(line, "IS");
    name = text::RemoveAll(name, "ENTITY");
    name = text::RemoveAll(name, " ");
    Log("Entity: " + name, clGreen);
  }

  // Handles the attribute line i; returns the index of the last line it consumed.
  size_t AttributeLine(size_t i) {
    const std::string_view line = lines_[i];
    if (Has(line, "TAP_SCAN_")) TapSignals(line);

    if (Has(line, "TAP_SCAN_CLOCK")) {
      TckRule();
    } else if (Has(line, "INSTRUCTION_LENGTH")) {
      const std::string value = LengthValueText(line);
      Log("IR-Len: " + value, clGray);
      irLength_ = DecimalOrThrow(value);
    } else if (Has(line, "INSTRUCTION_OPCODE")) {
      i = OpcodeRule(i);
    } else if (Has(line, "IDCODE_REGISTER")) {
      i = IdcodeRule(i);
    } else if (Has(line, "BOUNDARY_LENGTH")) {
      BoundaryLengthRule(line);
    }

    if (Has(line, "BOUNDARY_REGISTER")) i = BoundaryRegisterRule(i);
    return i;
  }

  // The stripped line S and the four TAP signal tests; S stays for the TCK rule.
  void TapSignals(std::string_view line) {
    stripped_ = line;
    for (const char* word : {"ATTRIBUTE", "OF", "SIGNAL", "IS", ";", " "}) {
      stripped_ = text::RemoveAll(stripped_, word);
    }
    static constexpr std::array<std::pair<const char*, const char*>, 4> kSignals{{
        {"TAP_SCAN_IN", "TDI "},
        {"TAP_SCAN_MODE", "TMS "},
        {"TAP_SCAN_OUT", "TDO "},
        {"TAP_SCAN_RESET", "TRST "},
    }};
    for (const auto& [attribute, port] : kSignals) {
      if (!Has(line, attribute)) continue;
      stripped_ = text::RemoveAll(stripped_, attribute);
      if (Has(stripped_, "TRUE")) tapPorts_ += port;
    }
  }

  void TckRule() {
    stripped_ = text::RemoveAll(stripped_, "TAP_SCAN_CLOCK");
    auto frequency = bsdl_detail::TckFrequency(Between(stripped_, '(', ','));
    if (!frequency) {
      Log("BSDL-> Error on parsing TCK", clRed);
      Log("BSDL-> TCK set to: " + std::to_string(kDefaultTck), clRed);
      frequency = kDefaultTck;
    }
    Log("frequency: " + std::to_string(*frequency), clGreen);
    tapPorts_ += "TCK ";
  }

  // The value of an "... IS n;" line: from the third character after the first "IS" up
  // to the line's last character, without spaces and ";".
  static std::string LengthValueText(std::string_view line) {
    const size_t is = line.find("IS");
    return Without(AfterUpToLast(line, is == std::string_view::npos ? 2 : is + 3), " ;");
  }

  void BoundaryLengthRule(std::string_view line) {
    const std::string value = LengthValueText(line);
    const int32_t length = DecimalOrThrow(value);
    if (length < 0 || length > kMaxBoundaryLength) {
      Log("BSDL-> Boundary length " + value + " out of range, ignored", clOrange);
      return;
    }
    cells_.resize(static_cast<size_t>(length));
  }

  size_t OpcodeRule(size_t i) {
    for (;; ++i) {
      const std::string_view line = Line(i);
      const size_t open = line.find('(');
      if (open != std::string_view::npos) {
        std::string name = Without(line.substr(0, open), "\"& ");
        if (!name.empty()) {
          pairs_.emplace_back(std::move(name), Without(Between(line, '(', ')'), "\"& "));
        }
      }
      if (Has(line, ";")) return i;
    }
  }

  size_t IdcodeRule(size_t i) {
    std::string idcode;
    for (;;) {
      const std::string_view line = Line(++i);
      const size_t quote = line.find('"');
      idcode += AfterUpToLast(line, quote == std::string_view::npos ? quote : quote + 1);
      if (Has(line, ";")) break;
    }
    Log("IDCode: " + Without(idcode, " ;\"&"), clGreen);
    return i;
  }

  size_t BoundaryRegisterRule(size_t i) {
    for (;; ++i) {
      ProcessMessages();
      const std::string_view line = Line(i);
      BoundaryEntry(line);
      if (Has(line, ";")) return i;
    }
  }

  void BoundaryEntry(std::string_view line) {
    const size_t quote = line.find('"');
    if (quote == std::string_view::npos) return;
    std::string_view entry = AfterUpToLast(line, quote + 1);
    const size_t close = entry.find('"');
    if (close == std::string_view::npos) return;
    entry = entry.substr(0, close);

    bsdl_detail::SplitBoundaryEntry(entry, entryBuffer_, fields_);
    const TEntryFields& f = fields_;
    if (f[2].empty()) return;
    const int32_t k = DecimalOrThrow(f[0]);
    if (k < 0 || static_cast<size_t>(k) >= cells_.size()) {
      Log("BSDL-> Cell number " + std::to_string(k) +
              " outside the boundary register, entry dropped",
          clOrange);
      return;
    }
    TBScan_Cell& cell = cells_[static_cast<size_t>(k)];
    cell.Num = k;
    cell.CellType.assign(f[1]);
    cell.Port.assign(f[2]);
    cell.Function.assign(f[3]);
    cell.Safe.assign(f[4]);
    cell.CCell.assign(f[5]);
    cell.Disval.assign(f[6]);
    cell.Rslt.assign(f[7]);
  }

  void BuildInstructions() {
    instructions_.resize(pairs_.size());
    for (size_t n = 0; n < pairs_.size(); ++n) {
      TBScan_InstructionRegister& instruction = instructions_[n];
      instruction.Name = pairs_[n].first;
      const std::string_view opcode = pairs_[n].second;
      instruction.Opcode.assign(opcode.substr(0, opcode.find(',')));
      instruction.Value = OpcodeValue(instruction.Opcode);
    }
  }

  // Each character as a decimal digit, shifted to its place with the first character
  // most significant; only the low 32 bits are kept.
  static int32_t OpcodeValue(std::string_view opcode) {
    uint32_t value = 0;
    const size_t n = opcode.size();
    for (size_t k = 0; k < n; ++k) {
      const char c = opcode[k];
      if (c < '0' || c > '9') {
        throw EPinloomError("'" + std::string(1, c) + "' is not a valid integer value");
      }
      const size_t shift = n - 1 - k;
      if (shift < 32) value |= static_cast<uint32_t>(static_cast<uint64_t>(c - '0') << shift);
    }
    return static_cast<int32_t>(value);
  }

  std::vector<TBScan_Cell>& cells_;
  std::vector<TBScan_InstructionRegister>& instructions_;
  int32_t& irLength_;
  const TBSDLLogFn& log_;
  const std::function<void()>& processMessages_;

  std::string text_;
  std::vector<std::string_view> lines_;
  std::vector<std::pair<std::string, std::string>> pairs_;
  std::string tapPorts_;
  std::string stripped_;
  std::string entryBuffer_;
  TEntryFields fields_{};
};

}  // namespace

void ParseBSDLText(std::string_view content, std::vector<TBScan_Cell>& cells,
                   std::vector<TBScan_InstructionRegister>& instructions, int32_t& irLength,
                   const TBSDLLogFn& log, const std::function<void()>& processMessages) {
  TBSDLScan(cells, instructions, irLength, log, processMessages).Run(content);
}
